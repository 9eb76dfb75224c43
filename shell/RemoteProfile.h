#pragma once
// The records store of the classroom network manager: the same sections, keys and values as the
// local records file, kept by the manager for the whole class.
#include <string>

namespace parlora {

class IRemoteProfile {
  public:
    virtual ~IRemoteProfile() = default;
    virtual std::string GetRemoteProfileString(const std::string& section, const std::string& key,
                                               const std::string& fallback) = 0;
    virtual void WriteRemoteProfileString(const std::string& section, const std::string& key,
                                          const std::string& value) = 0;
};

} // namespace parlora
