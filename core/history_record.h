#pragma once

#include <array>
#include <cstdint>
#include <QString>

namespace kb {

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
