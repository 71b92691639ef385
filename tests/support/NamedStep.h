#pragma once

#include <gtest/gtest.h>

namespace zurbo::testing {

// One named step of a scenario: its failures carry the name, and a fatal one
// ends this step only, so that the steps after it still report.
template <typename Body> void step(const char* name, Body&& body)
{
    SCOPED_TRACE(name);
    body();
}

} // namespace zurbo::testing
