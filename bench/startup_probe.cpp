// Times whole-process start-up on an X server without changing the programs
// timed: from the fork that execs a program to its first top-level window
// being mapped, and to the first drawing into that window (seen through the
// DAMAGE extension); then its resident memory once it has gone idle.
//
// The programs take turns within each round, each round starting with the
// next one, so ratios compare runs made side by side on the same load.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <poll.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <X11/extensions/Xdamage.h>
#include <X11/Xlib.h>

namespace {

struct Program {
    std::string label, dir;
    std::vector<std::string> command;
    std::vector<double> mapMs, frameMs, rssMb;
};

struct Sample {
    double mapMs = 0, frameMs = 0, rssMb = 0;
};

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A window that vanished before we asked about it is no error here.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

// Next event, or false when the deadline passes first.
bool nextEvent(Display* display, XEvent* event, double deadline) {
    while (!XPending(display)) {
        const double left = deadline - nowMs();
        if (left <= 0) return false;
        pollfd p{ConnectionNumber(display), POLLIN, 0};
        poll(&p, 1, static_cast<int>(left) + 1);
    }
    XNextEvent(display, event);
    return true;
}

// utime + stime in clock ticks, or -1 once the process is gone.
long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return -1;
    // Fields after the command name, which may hold blanks, start after ')'.
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::atol(field.c_str());
        if (i == 15) stime = std::atol(field.c_str());
    }
    return utime + stime;
}

double rssMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

// Idle: no CPU time used for quietMs, or maxMs after the first frame at most.
void waitIdle(pid_t pid, int quietMs, int maxMs) {
    const double end = nowMs() + maxMs;
    long last = cpuTicks(pid);
    double quietSince = nowMs();
    while (nowMs() < end) {
        usleep(20000);
        const long t = cpuTicks(pid);
        if (t != last) {
            last = t;
            quietSince = nowMs();
        } else if (nowMs() - quietSince >= quietMs) {
            return;
        }
    }
}

bool runOnce(Display* display, int damageEvent, const Program& program, Sample& sample) {
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);

    const double start = nowMs();
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        close(ConnectionNumber(display));
        if (chdir(program.dir.c_str()) != 0) _exit(126);
        std::vector<char*> args;
        for (const std::string& a : program.command)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }

    std::set<Window> created;
    Window mapped = 0;
    bool ok = false;
    const double deadline = start + 30000;
    XEvent event;
    while (nextEvent(display, &event, deadline)) {
        if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
            // Watch every new top-level window before it can be drawn into.
            created.insert(event.xcreatewindow.window);
            XDamageCreate(display, event.xcreatewindow.window, XDamageReportNonEmpty);
            XFlush(display);
        } else if (event.type == MapNotify && !mapped && !event.xmap.override_redirect &&
                   created.count(event.xmap.window)) {
            mapped = event.xmap.window;
            sample.mapMs = nowMs() - start;
        } else if (event.type == damageEvent + XDamageNotify && mapped) {
            const auto* damage = reinterpret_cast<const XDamageNotifyEvent*>(&event);
            if (damage->drawable == mapped) {
                sample.frameMs = nowMs() - start;
                ok = true;
                break;
            }
        }
    }
    if (ok) {
        waitIdle(pid, 300, 5000);
        sample.rssMb = rssMb(pid);
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    XSelectInput(display, root, NoEventMask);
    XSync(display, True);
    return ok;
}

void usage(const char* self) {
    std::fprintf(
        stderr,
        "usage: %s [-n ROUNDS] -- LABEL DIR PROGRAM [ARG]... [-- LABEL DIR PROGRAM [ARG]...]...\n"
        "Runs each PROGRAM in DIR in turn on $DISPLAY; the first is the reference.\n",
        self);
}

} // namespace

int main(int argc, char* argv[]) {
    int rounds = 21;
    int arg = 1;
    if (arg + 1 < argc && std::strcmp(argv[arg], "-n") == 0) {
        rounds = std::atoi(argv[arg + 1]);
        arg += 2;
    }
    std::vector<Program> programs;
    for (; arg < argc; ++arg) {
        if (std::strcmp(argv[arg], "--") == 0) {
            programs.emplace_back();
            continue;
        }
        if (programs.empty()) break;
        Program& p = programs.back();
        if (p.label.empty())
            p.label = argv[arg];
        else if (p.dir.empty())
            p.dir = argv[arg];
        else
            p.command.push_back(argv[arg]);
    }
    const bool complete = std::all_of(programs.begin(), programs.end(),
                                      [](const Program& p) { return !p.command.empty(); });
    if (programs.empty() || !complete || arg != argc || rounds < 1) {
        usage(argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open display\n");
        return 1;
    }
    XSetErrorHandler(ignoreXError);
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "the X server lacks the DAMAGE extension\n");
        return 1;
    }

    // One unrecorded round first: font caches and the page cache warm up.
    const size_t n = programs.size();
    for (int round = -1; round < rounds; ++round) {
        for (size_t k = 0; k < n; ++k) {
            Program& p = programs[(static_cast<size_t>(round + 1) + k) % n];
            Sample s;
            if (!runOnce(display, damageEvent, p, s)) {
                std::fprintf(stderr, "%s: no window drawn within 30 s\n", p.label.c_str());
                return 1;
            }
            if (round >= 0) {
                p.mapMs.push_back(s.mapMs);
                p.frameMs.push_back(s.frameMs);
                p.rssMb.push_back(s.rssMb);
            }
        }
    }
    XCloseDisplay(display);

    // Medians over the rounds; ratios paired by round, then their median.
    const Program& ref = programs[0];
    std::printf("%-20s %10s %12s %11s %11s %9s\n", "program", "mapped ms", "1st frame ms",
                "idle RSS MB", "frame / ref", "RSS / ref");
    std::string figures;
    for (const Program& p : programs) {
        std::vector<double> frameRatio, rssRatio;
        for (size_t i = 0; i < p.frameMs.size(); ++i) {
            frameRatio.push_back(p.frameMs[i] / ref.frameMs[i]);
            rssRatio.push_back(p.rssMb[i] / ref.rssMb[i]);
        }
        std::printf("%-20s %10.1f %12.1f %11.1f %11.3f %9.3f\n", p.label.c_str(), median(p.mapMs),
                    median(p.frameMs), median(p.rssMb), median(frameRatio), median(rssRatio));
        char line[256];
        std::snprintf(line, sizeof line,
                      "figure %s map_ms=%.2f frame_ms=%.2f rss_mb=%.2f frame_ratio=%.3f "
                      "rss_ratio=%.3f rounds=%d\n",
                      p.label.c_str(), median(p.mapMs), median(p.frameMs), median(p.rssMb),
                      median(frameRatio), median(rssRatio), rounds);
        figures += line;
    }
    // The same again, one line per program for scripts.
    std::fputs(figures.c_str(), stdout);
    // Every program against every other, per round, for budgets between peers.
    for (const Program& a : programs)
        for (const Program& b : programs) {
            if (&a == &b) continue;
            std::vector<double> frame, rss;
            for (size_t i = 0; i < a.frameMs.size(); ++i) {
                frame.push_back(a.frameMs[i] / b.frameMs[i]);
                rss.push_back(a.rssMb[i] / b.rssMb[i]);
            }
            std::printf("pair %s %s frame_ratio=%.3f rss_ratio=%.3f\n", a.label.c_str(),
                        b.label.c_str(), median(frame), median(rss));
        }
    return 0;
}
