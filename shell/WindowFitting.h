#pragma once

#include <QRect>
#include <QSize>

namespace zurbo {

// ----------------------------------------------------------------------------
// Where the main window goes on a screen: inside the screen's available area
// less 20 points on each side, at most 1180 x 820, centred on that area.
// ----------------------------------------------------------------------------
struct WindowFitting {
    QRect frame;
    // The smaller of the frame's size and 860 x 650, each way.
    QSize minimumSize;

    static WindowFitting forAvailableGeometry(const QRect& available);
};

} // namespace zurbo
