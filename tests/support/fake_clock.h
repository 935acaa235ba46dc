#pragma once

#include "core/clock.h"

namespace kb::test {

class FakeClock final : public Clock {
public:
    std::int32_t seconds = 1000;
    std::int32_t extraMs = 0; // past the whole seconds
    QDateTime now = QDateTime(QDate(2009, 6, 21), QTime(21, 7, 45));
    double tod = 12345.678;
    mutable int todReads = 0; // a question's draws read the time of day once each
    std::int32_t wholeSeconds() const override { return seconds; }
    std::int64_t monotonicMs() const override { return seconds * std::int64_t(1000) + extraMs; }
    QDateTime localNow() const override { return now; }
    double timeOfDay() const override { return ++todReads, tod; }
};

} // namespace kb::test
