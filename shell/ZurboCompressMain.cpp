#include "CompressCommand.h"
#include "TerminationSignals.h"

#include <iostream>

int main(int argc, char** argv)
{
    const zurbo::StopSource stop;
    const zurbo::TerminationSignals signals(stop);
    const int status =
        zurbo::runCompressCommand({argv + 1, argv + argc}, std::cout, std::cerr, stop.token());
    const int signal = signals.received();
    return signal != 0 ? zurbo::TerminationSignals::exitStatusFor(signal) : status;
}
