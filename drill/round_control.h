#pragma once

#include <cstdint>
#include <QString>

namespace kb {

// floor(((remaining / limit) * 100 * fullWidth) / 100) in double precision,
// in exactly that order, never below 0.
int barWidth(std::int16_t remainingSeconds, std::int16_t timeLimitSeconds,
             std::int16_t barFullWidth);

// "2.63/秒": characters per second over the chosen round length.
QString speedText(std::int16_t typedChars, std::int16_t timeLimitSeconds);
// "75.0%"; "0.0%" when nothing was judged.
QString rateText(std::int16_t okCount, std::int16_t ngCount);

} // namespace kb
