#include "ZurboCommandLine.h"

#include <algorithm>
#include <ostream>

namespace zurbo {

namespace {

constexpr const char* usage =
    "usage: zurbo [FILE...]\n"
    "       zurbo --help | --version\n"
    "\n"
    "Opens the Zurbo window with the PDFs among FILE... queued, to make them smaller\n"
    "on this machine. zurbo-compress does the same from a terminal.\n";

bool contains(const std::vector<std::string>& arguments, const char* option)
{
    return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
}

} // namespace

std::optional<int> answerHelpOrVersion(const std::vector<std::string>& arguments, std::ostream& out)
{
    if (contains(arguments, "--help") || contains(arguments, "-h")) {
        out << usage;
    } else if (contains(arguments, "--version")) {
        out << "zurbo " ZURBO_VERSION "\n";
    } else {
        return std::nullopt;
    }
    return 0;
}

} // namespace zurbo
