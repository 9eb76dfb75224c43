#include "core/ConfigFile.h"

#include "core/Errors.h"
#include "core/StringUtil.h"

namespace parlora {

void ConfigFile::Load(const std::string& path) {
    text_ = ProfileFile::Load(path);
    path_ = path;
    loaded_ = true;
}

void ConfigFile::LoadText(std::string bytes) {
    text_ = ProfileText(std::move(bytes));
    path_.clear();
    loaded_ = true;
}

const ProfileText& ConfigFile::resident() const {
    if (!loaded_) throw ConfigError("ConfigFile not resident");
    return text_;
}

std::string ConfigFile::ReadString(std::string_view section, std::string_view key,
                                   std::string_view fallback) const {
    return resident().get(section, key, fallback);
}

int ConfigFile::ReadInt(std::string_view section, std::string_view key, int fallback) const {
    auto value = resident().get(section, key);
    return value ? ParseIntOr(*value, fallback) : fallback;
}

bool ConfigFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    return ReadInt(section, key, fallback ? 1 : 0) != 0;
}

bool ConfigFile::HasKey(std::string_view section, std::string_view key) const {
    return resident().get(section, key).has_value();
}

} // namespace parlora
