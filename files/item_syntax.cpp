#include "item_syntax.h"

namespace kb {

ItemBounds scanItem(QByteArrayView bytes, qsizetype p) {
    const char* d = bytes.data();
    const qsizetype n = bytes.size();
    // Consumes one delimiter at q: a comma, CR LF, a lone CR or a lone LF.
    const auto consumeDelimiter = [&](qsizetype q) {
        if (q < n && d[q] == '\r' && q + 1 < n && d[q + 1] == '\n') return q + 2;
        return q < n ? q + 1 : q;
    };
    if (d[p] == '"') {
        const qsizetype start = p + 1;
        qsizetype end = start;
        while (end < n && d[end] != '"')
            ++end;
        qsizetype q = end < n ? end + 1 : end;
        while (q < n && d[q] != ',' && !isLineEnd(d[q]))
            ++q;
        return {start, end, consumeDelimiter(q), end >= n};
    }
    const qsizetype start = p;
    qsizetype end = start;
    while (end < n && d[end] != ',' && !isLineEnd(d[end]))
        ++end;
    const qsizetype next = consumeDelimiter(end);
    while (end > start && isBlank(d[end - 1]))
        --end;
    return {start, end, next, false};
}

bool endsInOpenQuote(QByteArrayView bytes) {
    bool open = false;
    for (qsizetype p = 0;;) {
        while (p < bytes.size() && bytes[p] == ' ')
            ++p;
        if (p >= bytes.size()) return open;
        const ItemBounds item = scanItem(bytes, p);
        open = item.openQuote;
        p = item.next;
    }
}

qsizetype endOfFileMarker(QByteArrayView tail) {
    qsizetype i = tail.size();
    while (i > 0 && isLineEnd(tail[i - 1]))
        --i;
    return i > 0 && tail[i - 1] == '\x1A' ? i - 1 : -1;
}

} // namespace kb
