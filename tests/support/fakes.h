#pragma once

#include "app/help_viewer.h"
#include "app/message_boxes.h"
#include "core/error.h"
#include "support/fake_clock.h"

#include <deque>
#include <functional>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kb::test {

struct ShownMessage {
    QString text, title;
    MessageBoxes::Buttons buttons;
    MessageBoxes::Icon icon;
};

class FakeMessages final : public MessageBoxes {
public:
    QList<ShownMessage> shown;
    std::deque<Answer> answers; // answered in turn; OK when none is left
    Answer show(QWidget*, const QString& text, const QString& title, Buttons buttons,
                Icon icon) override {
        shown.append({text, title, buttons, icon});
        if (answers.empty()) return Answer::Ok;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

class FakeHelp final : public HelpViewer {
public:
    QStringList calls;
    void displayTopic(QWidget*, const QString& file) override {
        calls << QStringLiteral("display:") + file;
    }
    void closeAll(QWidget*, const QString& file) override {
        calls << QStringLiteral("close:") + file;
    }
};

// The error body throws; a body that throws none ends the test run.
inline Error errorOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const Error& e) {
        return e;
    }
    qFatal("no error was thrown");
}

// Files grow past this size only with an error (EFBIG; SIGXFSZ is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }
    bool active() const { return active_; }

private:
    rlimit old_{};
    bool active_ = false;
};

inline void writeBytes(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write test file");
    f.write(bytes);
}

inline QByteArray readBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A file's mode, group and owner: "0640:100:65534".
inline QString modeOf(const QString& name) {
    struct stat st {};
    ::stat(QFile::encodeName(name).constData(), &st);
    return QString::asprintf("%04o:%u:%u", st.st_mode & 07777, st.st_gid, st.st_uid);
}

inline bool setMode(const QString& name, mode_t mode, gid_t group = gid_t(-1),
                    uid_t owner = uid_t(-1)) {
    const QByteArray path = QFile::encodeName(name);
    return ::chown(path.constData(), owner, group) == 0 && ::chmod(path.constData(), mode) == 0;
}

// A fresh working directory for one test, left again when it goes.
class WorkDir {
public:
    WorkDir() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~WorkDir() { QDir::setCurrent(previous_); }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

} // namespace kb::test
