#include "WindowFitting.h"

#include <algorithm>

namespace zurbo {

namespace {

constexpr int screenInset = 20;
constexpr QSize largestSize{1180, 820};
constexpr QSize usualMinimumSize{860, 650};

} // namespace

WindowFitting WindowFitting::forAvailableGeometry(const QRect& available)
{
    const QRect inset = available.adjusted(screenInset, screenInset, -screenInset, -screenInset);
    const QSize size = inset.size().boundedTo(largestSize);
    QRect frame({0, 0}, size);
    frame.moveCenter(inset.center());
    return {frame, size.boundedTo(usualMinimumSize)};
}

} // namespace zurbo
