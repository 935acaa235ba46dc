#pragma once

#include <array>
#include <cstdint>
#include <QString>

namespace kb {

// The history grid's column headers: the row number, then the record's ten items.
inline constexpr std::array<const char16_t*, 11> kHistoryHeaders = {
    u"回",   u"日付", u"時間",   u"モ",       u"ＯＫ", u"ＮＧ",
    u"文字", u"得点", u"正解率", u"秒当たり", u"表示"};

// One saved round, the ten items of a history record in file order.
struct HistoryRecord {
    QString date, time, set;
    std::int16_t okCount = 0, ngCount = 0, typedChars = 0, score = 0;
    QString rate, speed, length;

    bool operator==(const HistoryRecord&) const = default;

    // The texts of the history grid's columns 1 to 10.
    std::array<QString, 10> cells() const {
        return {date,
                time,
                set,
                QString::number(okCount),
                QString::number(ngCount),
                QString::number(typedChars),
                QString::number(score),
                rate,
                speed,
                length};
    }
};

} // namespace kb
