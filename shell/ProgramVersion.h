#pragma once
// The program's version, shown by the start screen. Keep in step with project() in CMakeLists.txt.

namespace parlora {

struct TProgramVersion {
    int major = 0, minor = 0, release = 0, build = 0;
    bool operator==(const TProgramVersion&) const = default;
};

inline constexpr TProgramVersion kProgramVersion{0, 1, 0, 0};

} // namespace parlora
