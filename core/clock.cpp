#include "clock.h"

namespace kb {

SystemClock::SystemClock() {
    started_.start();
}

std::int32_t SystemClock::wholeSeconds() const {
    return static_cast<std::int32_t>(started_.elapsed() / 1000);
}

QDateTime SystemClock::localNow() const {
    return QDateTime::currentDateTime();
}

double SystemClock::timeOfDay() const {
    const QTime t = QTime::currentTime();
    return t.msecsSinceStartOfDay() / 1000.0;
}

} // namespace kb
