#pragma once

#include <string_view>

namespace zurbo {

// Where the program writes the few things worth an administrator's eye,
// behind an interface so that tests can read what was written.
class SystemLog {
public:
    virtual ~SystemLog() = default;

    // One line, without its line end.
    virtual void write(std::string_view line) = 0;
};

} // namespace zurbo
