#pragma once

#include <cstdint>
#include <QDateTime>
#include <QElapsedTimer>

namespace kb {

class Clock {
public:
    virtual ~Clock() = default;
    // Whole seconds on a monotonic clock: rounds are timed on it, so midnight
    // and changes of the system clock cannot break a round.
    virtual std::int32_t wholeSeconds() const = 0;
    // Milliseconds on the same clock, for how long a question was in front of the player.
    virtual std::int64_t monotonicMs() const = 0;
    // Local date and time, for the history.
    virtual QDateTime localNow() const = 0;
    // Seconds since local midnight with a fraction, for reseeding the random source.
    virtual double timeOfDay() const = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    std::int32_t wholeSeconds() const override;
    std::int64_t monotonicMs() const override;
    QDateTime localNow() const override;
    double timeOfDay() const override;

private:
    QElapsedTimer started_;
    // The local offset from UTC, looked up once a second at most: asking the
    // time zone database at every call was most of the cost of a question
    // when the exclusion list makes NextQuestion draw hundreds of times.
    mutable qint64 offsetSecond_ = -1;
    mutable qint64 offsetMs_ = 0;
};

} // namespace kb
