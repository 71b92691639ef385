#include "CompressCommand.h"
#include "TerminationSignals.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    const zurbo::StopSource stop;
    const zurbo::TerminationSignals signals(stop);
    const int status = zurbo::runCompressCommand({argv + 1, argv + argc}, std::cout, std::cerr,
                                                 stop.token(), ::isatty(STDERR_FILENO) == 1);
    const int signal = signals.received();
    return signal != 0 ? zurbo::TerminationSignals::exitStatusFor(signal) : status;
}
