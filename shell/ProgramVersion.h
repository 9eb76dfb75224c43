#pragma once
// The program's version, shown by the start screen and --version. The build reads it from here
// for project() and the packages, so this is the only place to change it.

namespace parlora {

struct TProgramVersion {
    int major = 0, minor = 0, release = 0, build = 0;
    bool operator==(const TProgramVersion&) const = default;
};

inline constexpr TProgramVersion kProgramVersion{0, 1, 0, 0};

} // namespace parlora
