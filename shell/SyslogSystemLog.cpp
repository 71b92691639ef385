#include "SyslogSystemLog.h"

#include <string>

#include <syslog.h>

namespace zurbo {

void SyslogSystemLog::write(std::string_view line)
{
    const std::string text(line);
    // The text goes in as an argument, never as the format.
    syslog(LOG_USER | LOG_ERR, "%s", text.c_str());
}

} // namespace zurbo
