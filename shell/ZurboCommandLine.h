#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace zurbo {

// zurbo [FILE...]: the only options of the application itself, --help (or -h)
// and --version, are answered on `out` before anything of the desktop
// starts, so that they work without a display. Returns the exit status when
// `arguments` (the program's name left out) ask for either; none otherwise,
// and the application starts. No PDF can be taken for either, since only
// names ending in ".pdf" are queued.
std::optional<int> answerHelpOrVersion(const std::vector<std::string>& arguments,
                                       std::ostream& out);

} // namespace zurbo
