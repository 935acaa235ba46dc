#include "question_log_reader.h"

#include "cp932.h"
#include "file_io.h"
#include "item_reader.h"
#include "item_syntax.h"

#include <array>
#include <climits>
#include <cstring>
#include <QHash>

namespace kb {

namespace {

constexpr int kItems = 11;
using Items = std::array<QByteArrayView, kItems>;

// The items of the line, as the reader splits them; false unless there are
// exactly eleven.
bool splitLine(QByteArrayView line, Items& items) {
    qsizetype p = 0;
    for (int i = 0; i < kItems; ++i) {
        while (p < line.size() && line[p] == ' ')
            ++p;
        if (p >= line.size()) return false;
        const ItemBounds item = scanItem(line, p);
        items[static_cast<size_t>(i)] = line.sliced(item.start, item.end - item.start);
        p = item.next;
    }
    while (p < line.size() && isBlank(line[p]))
        ++p;
    return p == line.size();
}

// A whole number with an optional minus sign, within 32 bits.
bool parseInt32(QByteArrayView text, std::int32_t& out) {
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    i += negative;
    if (i >= text.size() || text.size() - i > 10) return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    value = negative ? -value : value;
    if (value < INT32_MIN || value > INT32_MAX) return false;
    out = static_cast<std::int32_t>(value);
    return true;
}

// Digits in the given widths between separators, each within its range:
// "yyyy/mm/dd" and "hh:nn:ss".
bool fixedFields(QByteArrayView text, char separator, const std::array<std::array<int, 3>, 3>& f) {
    if (text.size() != f[0][0] + f[1][0] + f[2][0] + 2) return false;
    qsizetype p = 0;
    for (size_t k = 0; k < 3; ++k) {
        if (k > 0 && text[p++] != separator) return false;
        int value = 0;
        for (int d = 0; d < f[k][0]; ++d, ++p) {
            if (text[p] < '0' || text[p] > '9') return false;
            value = value * 10 + (text[p] - '0');
        }
        if (value < f[k][1] || value > f[k][2]) return false;
    }
    return true;
}

// Texts the lines share: a round's date, time and set stand on its twenty
// lines in a row, and a question on thousands of lines.
class SharedTexts {
public:
    void assign(QByteArrayView bytes, QByteArray& last, QString& text) {
        if (bytes == last && !last.isNull()) return;
        last = bytes.toByteArray();
        text = decodeCp932(bytes.data(), bytes.size()); // anew: kept records hold the old one
    }
    const QString& question(QByteArrayView bytes) {
        auto& slot =
            bytes.size() < 8 ? shortTexts_[packed(bytes)] : longTexts_[bytes.toByteArray()];
        if (slot.isNull()) slot = decodeCp932(bytes.data(), bytes.size());
        return slot;
    }

private:
    // A question of a kana or two is a few bytes: its bytes and length as one key.
    static quint64 packed(QByteArrayView bytes) {
        quint64 key = static_cast<quint64>(bytes.size());
        std::memcpy(reinterpret_cast<char*>(&key) + 1, bytes.data(),
                    static_cast<size_t>(bytes.size()));
        return key;
    }
    QHash<quint64, QString> shortTexts_;
    QHash<QByteArray, QString> longTexts_;
};

// The record of a line whose items were split; false when one does not read.
bool readRecord(const Items& it, SharedTexts& texts, std::array<QByteArray, 3>& last,
                QuestionRecord& r) {
    if (!fixedFields(it[0], '/', {{{4, 1, 9999}, {2, 1, 12}, {2, 1, 31}}}) ||
        !fixedFields(it[1], ':', {{{2, 0, 23}, {2, 0, 59}, {2, 0, 59}}}) || it[2].isEmpty() ||
        it[3].isEmpty())
        return false;
    std::array<std::int32_t, 7> n{};
    for (size_t k = 0; k < n.size(); ++k)
        if (!parseInt32(it[k + 4], n[k])) return false;
    const bool counts = n[0] >= 0 && n[1] >= 0 && n[2] >= 0 && n[3] >= 0 && n[4] >= 0;
    if (!counts || n[5] < -1 || (n[6] != 0 && n[6] != 1)) return false;
    texts.assign(it[0], last[0], r.date);
    texts.assign(it[1], last[1], r.time);
    texts.assign(it[2], last[2], r.set);
    r.question = texts.question(it[3]);
    r.shownMs = n[0];
    r.head = n[1];
    r.tail = n[2];
    r.inside = n[3];
    r.rejected = n[4];
    r.firstAcceptedMs = n[5];
    r.excluded = n[6] == 1;
    return true;
}

} // namespace

int readQuestionLog(const QString& path, const std::function<void(const QuestionRecord&)>& add) {
    ItemReader file;
    try {
        file.open(path, kMaxQuestionLogBytes);
    } catch (const Error& e) {
        if (e.kind() == Error::Kind::FileNotFound) return 0;
        throw;
    }
    const QByteArray& bytes = file.bytes();
    const char* d = bytes.constData();
    const qsizetype n = bytes.size();
    SharedTexts texts;
    std::array<QByteArray, 3> last;
    QuestionRecord record;
    Items items;
    int bad = 0;
    for (qsizetype start = 0; start < n;) {
        qsizetype end = start;
        while (end < n && !isLineEnd(d[end]))
            ++end;
        const QByteArrayView line(d + start, end - start);
        start = end + (end + 1 < n && d[end] == '\r' && d[end + 1] == '\n' ? 2 : 1);
        if (line.trimmed().isEmpty()) continue;
        if (splitLine(line, items) && readRecord(items, texts, last, record))
            add(record);
        else
            ++bad;
    }
    return bad;
}

QuestionLog readQuestionLog(const QString& path) {
    QuestionLog log;
    log.badLines =
        readQuestionLog(path, [&log](const QuestionRecord& r) { log.records.push_back(r); });
    return log;
}

} // namespace kb
