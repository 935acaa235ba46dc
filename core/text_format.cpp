#include "text_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kb {

QString formatDate(const QDate& date) {
    return QStringLiteral("%1/%2/%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString formatTime(const QTime& time) {
    return QStringLiteral("%1:%2:%3")
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}

QString formatFixed(double value, int decimals, int shift) {
    if (!std::isfinite(value))
        return QStringLiteral("0.%1").arg(QString(decimals, QLatin1Char('0')));
    // The 15-significant-digit text is the number we round, digit by digit.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    // buf: d.dddddddddddddde[+-]xx
    std::string digits;
    digits += buf[0];
    digits.append(buf + 2, 14);
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    // Value = 0.digits * 10^(exponent+1); position of the decimal point in digits:
    int point = exponent + 1 + shift;
    if (point < 0) {
        digits.insert(0, static_cast<size_t>(-point), '0');
        point = 0;
    }
    while (static_cast<int>(digits.size()) < point + decimals + 1)
        digits += '0';
    // Keep point + decimals digits, round on the next one.
    std::string kept = digits.substr(0, static_cast<size_t>(point + decimals));
    if (digits[static_cast<size_t>(point + decimals)] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<size_t>(i)] == '9') {
            kept[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i >= 0)
            ++kept[static_cast<size_t>(i)];
        else {
            kept.insert(0, 1, '1');
            ++point;
        }
    }
    std::string intPart = kept.substr(0, static_cast<size_t>(point));
    const std::string fracPart = kept.substr(static_cast<size_t>(point));
    const size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
    bool allZero = intPart == "0" && fracPart.find_first_not_of('0') == std::string::npos;
    std::string out = (value < 0 && !allZero ? "-" : "") + intPart;
    if (decimals > 0) out += "." + fracPart;
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

QString formatRate(double ratio) {
    return formatFixed(ratio, 1, 2) + QLatin1Char('%');
}

QString formatSpeed(double perSec) {
    return formatFixed(perSec, 2) + QStringLiteral("/秒");
}

} // namespace kb
