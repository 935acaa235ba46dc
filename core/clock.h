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
    // Local date and time, for the history.
    virtual QDateTime localNow() const = 0;
    // Seconds since local midnight with a fraction, for reseeding the random source.
    virtual double timeOfDay() const = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    std::int32_t wholeSeconds() const override;
    QDateTime localNow() const override;
    double timeOfDay() const override;

private:
    QElapsedTimer started_;
};

} // namespace kb
