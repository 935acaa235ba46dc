#pragma once

#include "core/error.h"

#include <QByteArray>
#include <QString>

namespace kb {

// Code page 932 through iconv. Invalid bytes decode to U+FFFD one byte at a
// time, so a delimiter after a broken character survives; characters the code
// page lacks encode as "?".
QString decodeCp932(const char* data, qsizetype size);
inline QString decodeCp932(const QByteArray& bytes) {
    return decodeCp932(bytes.constData(), bytes.size());
}
// The same text into out, reusing its buffer, for many items in a row.
void decodeCp932(QByteArrayView bytes, QString& out);
QByteArray encodeCp932(QStringView text);

// Whether bytes are code page 932 text, and where they stop being so.
struct EncodingCheck {
    enum class Fault {
        None,
        ByteOrderMark, // starts with the UTF-8 byte-order mark
        Utf8,          // UTF-8 text, which code page 932 would show as mojibake
        Undecodable,   // a byte, or a pair, that code page 932 has no character for
    };
    Fault fault = Fault::None;
    qsizetype offset = -1; // of the first byte concerned
};
// UTF-8 is told apart by its own rules: the bytes are valid UTF-8 throughout
// and hold at least one sequence of three or more bytes, as every kana and kanji
// is in UTF-8. Code page 932 kana lead with 0x82 or 0x83, which UTF-8 never
// starts a character with, so real code page 932 text fails the test at its
// first kana; plain ASCII passes both and means the same in both.
EncodingCheck checkCp932(QByteArrayView bytes);
// Strict UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool isValidUtf8(QByteArrayView bytes);

// Throws an error of kind naming file where this system cannot convert code
// page 932 at all; a file is never half read or half written for that.
void requireCp932(const QString& file, Error::Kind kind);

// What text reads back as after it was written: unmappable characters become
// "?", and the wave dash comes back as the full-width tilde.
QString roundTripCp932(QStringView text);

} // namespace kb
