#pragma once

#include "StopToken.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace zurbo {

// zurbo-compress: compresses PDFs from the command line, one after another.
//
//   zurbo-compress [--profile respectful|balanced|demolition] [--target-mb N]
//                  [--clean-metadata] [--in-place | --output FILE] [--json]
//                  [--engine auto|ghostscript|qpdf|native] [--] FILE...
//   zurbo-compress --help | --version
//
// Returns the exit status: 0 when every file succeeded, 1 when any failed or
// `stop` ended the run (the file in progress is left as it was and no later
// one starts), 2 for bad usage, naming an engine this machine lacks
// included. Results go to `out`, errors and usage to `err`; with --json `out`
// holds JSON lines only. When `err` is a terminal and there is no --json, it
// shows which file is being compressed and for how long, on one line.
int runCompressCommand(const std::vector<std::string>& arguments, std::ostream& out,
                       std::ostream& err, StopToken stop = {}, bool errIsTerminal = false);

} // namespace zurbo
