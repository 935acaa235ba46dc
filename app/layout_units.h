#pragma once

#include <QtMath>

namespace kb {

// The layout is given in twips: 15 twips make one pixel at 96 dpi.
constexpr int px(int twips) {
    return (twips * 2 + 15) / 30;
}
inline int twipsOf(int pixels) {
    return pixels * 15;
}
// Points at 96 dpi, so the fixed layout keeps its proportions on any screen.
inline int fontPixels(double points) {
    return qRound(points * 96.0 / 72.0);
}

} // namespace kb
