#pragma once
#include <utility>

namespace parlora {

// Major and minor version of the running kernel, for the help links' "os" value.
std::pair<int, int> OsVersion();

} // namespace parlora
