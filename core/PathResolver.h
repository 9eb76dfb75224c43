#pragma once
// Content paths are written with backslashes ("%s\sources\%dsource") and content names are
// matched without regard to letter case. Resolve() turns such a path into the real one.
#include <string>
#include <string_view>

namespace parlora {

class PathResolver {
  public:
    // "\" and "/" both separate. Each component that exists under another letter case is
    // replaced by the name on disk; components that exist in no case are kept as given.
    // An absolute input stays absolute; "." and ".." are kept.
    static std::string Resolve(std::string_view path);
    static bool Exists(std::string_view path);
    static bool IsDirectory(std::string_view path);
    static bool IsFile(std::string_view path);
    // Joins with "/" (either separator accepted in `a` and `b`).
    static std::string Join(std::string_view a, std::string_view b);
    // Forgets cached folder listings (after writing content, in tools and tests).
    static void ClearCache();
};

} // namespace parlora
