#pragma once
// The few values kept between runs outside the records, such as the last chosen target language.
// Missing values read as the default; failures to read or write are ignored.
#include <string>

namespace parlora {

class IRegistry {
  public:
    virtual ~IRegistry() = default;
    virtual std::string Read(const std::string& name, const std::string& fallback) = 0;
    virtual void Write(const std::string& name, const std::string& value) = 0;
};

// The values in one section of an INI file (the per-user "registry.ini").
class TRegistryFile : public IRegistry {
  public:
    static constexpr const char* kSection = "Software\\Lingwell\\ParloraPlus";

    explicit TRegistryFile(std::string path) : path_(std::move(path)) {}
    std::string Read(const std::string& name, const std::string& fallback) override;
    // Creates the folder when needed.
    void Write(const std::string& name, const std::string& value) override;

  private:
    std::string path_;
};

} // namespace parlora
