#pragma once

#include "StopToken.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace zurbo {

// zurbo-compress: compresses PDFs from the command line, one after another or
// several at once (--jobs), each result reported in the order of the files.
//
//   zurbo-compress [--profile respectful|balanced|demolition] [--target-mb N]
//                  [--clean-metadata] [--in-place | --output FILE] [--force]
//                  [--json] [--engine auto|ghostscript|qpdf|native] [--jobs N]
//                  [--password-file FILE] [--] FILE...
//   zurbo-compress --help | --version
//
// The files go through a CompressionRun: a file whose result would replace one
// still to be read fails instead, and files that share a name never run at
// once. Returns the exit status: 0 when every file succeeded, 1 when any
// failed, 2 for bad usage, naming an engine this machine lacks included, and
// commandStopped when `stop` left a file as it was: one in progress, or the
// next one, which never starts. A file whose outcome was installed before the
// stop took effect is reported and counts as done.
// Results go to `out`, each naming the engine that made it, errors and usage
// to `err`; with --json `out` holds JSON lines only, valid UTF-8 whatever
// bytes the names hold. When `err` is a terminal and there is no --json, it
// shows which file is being compressed and for how long, on one line.
// "--password-file -" reads the password from `in`; it is wiped from memory
// when the run ends.
int runCompressCommand(const std::vector<std::string>& arguments, std::istream& in,
                       std::ostream& out, std::ostream& err, StopToken stop = {},
                       bool errIsTerminal = false);

// What runCompressCommand returns when a stop left work undone; the process
// exits with 128 + the number of the signal that asked for it.
inline constexpr int commandStopped = -1;

} // namespace zurbo
