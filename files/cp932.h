#pragma once

#include <QByteArray>
#include <QString>
#include <string>

namespace kb {

// Code page 932 through iconv. Invalid bytes decode to U+FFFD one byte at a
// time, so a delimiter after a broken character survives; characters the code
// page lacks encode as "?".
QString decodeCp932(const char* data, qsizetype size);
inline QString decodeCp932(const QByteArray& bytes) {
    return decodeCp932(bytes.constData(), bytes.size());
}
// The same text as decodeCp932(bytes), added to the end of out.
void appendDecodedCp932(std::u16string& out, QByteArrayView bytes);
QByteArray encodeCp932(QStringView text);

// What text reads back as after it was written: unmappable characters become
// "?", and the wave dash comes back as the full-width tilde.
QString roundTripCp932(QStringView text);

} // namespace kb
