#include "round_control.h"

#include "core/error.h"
#include "core/int16.h"
#include "core/text_format.h"

#include <cmath>

namespace kb {

int barWidth(std::int16_t remainingSeconds, std::int16_t timeLimitSeconds,
             std::int16_t barFullWidth) {
    if (timeLimitSeconds == 0) throw Error(Error::Kind::DivisionByZero, QStringLiteral("設定.txt"));
    double w = static_cast<double>(remainingSeconds) / timeLimitSeconds;
    w = w * 100;
    w = w * barFullWidth;
    w = w / 100;
    const double floored = std::floor(w);
    return floored < 0 ? 0 : static_cast<int>(floored);
}

QString speedText(std::int16_t typedChars, std::int16_t timeLimitSeconds) {
    if (timeLimitSeconds == 0) throw Error(Error::Kind::DivisionByZero, QStringLiteral("設定.txt"));
    return formatSpeed(static_cast<double>(typedChars) / timeLimitSeconds);
}

QString rateText(std::int16_t okCount, std::int16_t ngCount) {
    const std::int16_t judged = addInt16(okCount, ngCount);
    if (judged == 0) return QStringLiteral("0.0%");
    return formatRate(static_cast<double>(okCount) / judged);
}

} // namespace kb
