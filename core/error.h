#pragma once

#include <QString>
#include <stdexcept>

namespace kb {

// The one error type of the program. Lower layers throw it; only app/ shows it.
class Error : public std::exception {
public:
    enum class Kind {
        FileNotFound,    // a file opened for reading does not exist
        CannotRead,      // exists but cannot be opened or read (a directory, say)
        CannotWrite,     // cannot be created, emptied, opened for writing or written
        EndOfFile,       // a read found no byte left inside a record
        Overflow,        // an int16 value left -32768..32767
        IndexOutOfRange, // a table received more entries than it holds
        DivisionByZero,
        InvalidValue, // a value the program cannot take (a round length of 0, say)
        NotShiftJis,  // a file in another encoding, or with bytes code page 932 lacks
    };

    Error(Kind kind, QString subject, QString detail = {});

    Kind kind() const { return kind_; }
    // The file or value concerned, such as "設定.txt".
    const QString& subject() const { return subject_; }
    const QString& detail() const { return detail_; }

    // Where in the file it happened, counted from 1; 0 when unknown.
    int line() const { return line_; }
    int record() const { return record_; }
    Error& at(int line, int record = 0) {
        line_ = line;
        if (record > 0) record_ = record;
        return *this;
    }
    // What the player can do about it, said after the error itself.
    Error& advise(const QString& advice) {
        advice_ = advice;
        return *this;
    }
    // What else the failure left behind, said last.
    Error& alsoSay(const QString& more) {
        advice_ += (advice_.isEmpty() ? QString() : QStringLiteral("\n")) + more;
        return *this;
    }

    // A Japanese sentence naming the error and the file, for the player.
    QString message() const;
    const char* what() const noexcept override { return "kotobaru error"; }

private:
    Kind kind_;
    QString subject_;
    QString detail_;
    QString advice_;
    int line_ = 0;
    int record_ = 0;
};

} // namespace kb
