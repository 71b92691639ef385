#include "CompressCommand.h"
#include "TerminationSignals.h"

#include <clocale>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    // The system's error sentences in the user's language; numbers stay as C reads them.
    std::setlocale(LC_MESSAGES, "");
    std::setlocale(LC_CTYPE, "");
    const zurbo::StopSource stop;
    const zurbo::TerminationSignals signals(stop);
    const int status =
        zurbo::runCompressCommand({argv + 1, argv + argc}, std::cin, std::cout, std::cerr,
                                  stop.token(), ::isatty(STDERR_FILENO) == 1);
    return status == zurbo::commandStopped
               ? zurbo::TerminationSignals::exitStatusFor(signals.received())
               : status;
}
