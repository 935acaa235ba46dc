#include "clock.h"

namespace kb {

SystemClock::SystemClock() {
    started_.start();
}

std::int32_t SystemClock::wholeSeconds() const {
    return static_cast<std::int32_t>(started_.elapsed() / 1000);
}

std::int64_t SystemClock::monotonicMs() const {
    return started_.elapsed();
}

QDateTime SystemClock::localNow() const {
    return QDateTime::currentDateTime();
}

double SystemClock::timeOfDay() const {
    constexpr qint64 day = 24 * 60 * 60 * 1000;
    const qint64 utc = QDateTime::currentMSecsSinceEpoch();
    const qint64 second = utc / 1000;
    if (second != offsetSecond_) {
        offsetSecond_ = second;
        offsetMs_ = QDateTime::fromMSecsSinceEpoch(utc).offsetFromUtc() * qint64(1000);
    }
    return static_cast<double>(((utc + offsetMs_) % day + day) % day) / 1000.0;
}

} // namespace kb
