#pragma once

#include "error.h"

#include <cstdint>

namespace kb {

// Counters and settings are int16; an update that leaves the range is an error,
// never a silent wrap.
inline std::int16_t toInt16(long long value, const QString& what = {}) {
    if (value < INT16_MIN || value > INT16_MAX) throw Error(Error::Kind::Overflow, what);
    return static_cast<std::int16_t>(value);
}

inline std::int16_t addInt16(std::int16_t a, long long b, const QString& what = {}) {
    return toInt16(static_cast<long long>(a) + b, what);
}

} // namespace kb
