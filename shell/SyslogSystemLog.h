#pragma once

#include "SystemLog.h"

namespace zurbo {

// The system log through syslog(3), under the program's name.
class SyslogSystemLog : public SystemLog {
public:
    void write(std::string_view line) override;
};

} // namespace zurbo
