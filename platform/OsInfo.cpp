#include "platform/OsInfo.h"

#include <cstdio>
#include <sys/utsname.h>

namespace parlora {

std::pair<int, int> OsVersion() {
    utsname u{};
    int major = 0, minor = 0;
    if (uname(&u) == 0) std::sscanf(u.release, "%d.%d", &major, &minor);
    return {major, minor};
}

} // namespace parlora
