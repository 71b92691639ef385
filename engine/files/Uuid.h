#pragma once

#include <string>

namespace zurbo::engine {

// A random (version 4) UUID as 36 upper-case characters with hyphens.
std::string randomUuidText();

} // namespace zurbo::engine
