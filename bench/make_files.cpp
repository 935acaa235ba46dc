// Writes one of the benchmark file sets into a directory, for the whole-process start-up run.
#include "bench_files.h"
#include "core/error.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    const std::optional<kb::bench::FileSet> set =
        argc == 3 ? kb::bench::fileSetNamed(QString::fromLocal8Bit(argv[2])) : std::nullopt;
    if (!set) {
        std::fprintf(
            stderr,
            "usage: %s DIR empty|largest|largest-questions|allbutone-single|allbutone-pair\n",
            argv[0]);
        return 2;
    }
    try {
        kb::bench::writeFileSet(QString::fromLocal8Bit(argv[1]), *set);
    } catch (const kb::Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
