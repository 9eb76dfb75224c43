#pragma once
// The configuration file ("sconfig.txt" or "config.txt"), read once and held for the whole run.
// Every key has a default at the place that reads it; a missing file means every default.
#include "core/ProfileFile.h"

#include <string>
#include <string_view>

namespace parlora {

class ConfigFile {
  public:
    // A missing or unreadable file loads as empty. Loading again replaces what was held.
    void Load(const std::string& path);
    // The same from text already in memory (tests, tools).
    void LoadText(std::string bytes);
    bool IsLoaded() const { return loaded_; }
    const std::string& Path() const { return path_; }

    // Each raises ConfigError("ConfigFile not resident") before Load.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // A value that is not a whole decimal number gives the fallback.
    int ReadInt(std::string_view section, std::string_view key, int fallback) const;
    // Integers: 0 is off, any other number on; anything else gives the fallback.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
    bool HasKey(std::string_view section, std::string_view key) const;

  private:
    const ProfileText& resident() const;

    ProfileText text_;
    std::string path_;
    bool loaded_ = false;
};

} // namespace parlora
