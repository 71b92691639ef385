#pragma once

#include <QPalette>

namespace zurbo {

// ----------------------------------------------------------------------------
// The colours of the dark canvas for what the application draws from a
// palette: its menus and its file dialogs. Qt 6.4 cannot ask the platform for
// a dark scheme, so the application sets its own.
// ----------------------------------------------------------------------------
class DarkPalette {
public:
    static QPalette palette();

    // Makes palette() the application's, for the widgets and the views alike.
    static void applyToApplication();
};

} // namespace zurbo
