#pragma once

#include <QDateTime>
#include <QString>

namespace kb {

QString formatDate(const QDate& date); // "yyyy/mm/dd"
QString formatTime(const QTime& time); // "hh:nn:ss", 24-hour

// Fixed-decimal figures: the quotient rounded to 15 significant digits first,
// then to the kept decimals with halves rounded up, so 3/40 gives 0.08, not 0.07.
// shift moves the decimal point right on the rounded text (2 for per cent).
QString formatFixed(double value, int decimals, int shift = 0);
QString formatRate(double ratio);   // 2/3 -> "66.7%"
QString formatSpeed(double perSec); // 158/60 -> "2.63/秒"

} // namespace kb
