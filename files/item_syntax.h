#pragma once

#include <QByteArrayView>

namespace kb {

// How the reader splits bytes into items; shared by the reader and by an
// append, which must know how the reader will find the file ending.

inline bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}
inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// One item as the reader reads it, from p, where it is known not to be blank.
struct ItemBounds {
    qsizetype start, end; // the item's bytes, quotes and trailing blanks left out
    qsizetype next;       // after its delimiter
    bool openQuote;       // a quoted item that runs to the end of the file
};
ItemBounds scanItem(QByteArrayView bytes, qsizetype p);

// Whether the reader, reading bytes to their end, ends inside a quoted item
// whose closing quote is missing: whatever is appended would become part of it.
bool endsInOpenQuote(QByteArrayView bytes);

// Where an old editor's end-of-file byte 0x1A stands in tail, when it ends the
// file, followed by nothing but line ends; -1 when it does not.
qsizetype endOfFileMarker(QByteArrayView tail);

} // namespace kb
