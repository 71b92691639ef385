#pragma once

#include <cstring>
#include <string>

namespace zurbo {

// Overwrites a password's bytes before their memory is given back, so that it
// outlives its run in no freed memory, then empties it.
inline void wipeSecret(std::string& secret)
{
    ::explicit_bzero(secret.data(), secret.size());
    secret.clear();
}

} // namespace zurbo
