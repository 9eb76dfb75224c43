#pragma once
// Shell services on a POSIX system: web links through xdg-open, child programs, user and
// locale information, and the mounted optical discs.
#include "platform/Platform.h"

#include <map>
#include <string>
#include <vector>

namespace parlora {

class PosixShell : public IShell {
  public:
    PosixShell() = default;
    ~PosixShell() override;

    bool openUrl(const std::string& url) override;
    bool hasDesktop() const override;
    bool openFolder(const std::string& path) override;
    int startProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& folder) override;
    std::optional<int> pollProgram(int handle) override;
    std::string userFullName() const override;
    std::string localeName() const override;
    std::vector<std::string> discMounts() const override;

    // Where discMounts() reads the mount table; tests point it at a file of their own.
    void setMountTable(std::string path) { mountTable_ = std::move(path); }
    // Parses mount-table text (the /proc/self/mounts format) into disc mount points.
    static std::vector<std::string> DiscMountsFrom(const std::string& mountsText);
    // The locale variables in their order of precedence; the first non-empty one wins.
    static std::string LocaleFrom(const char* lcAll, const char* lcMessages, const char* lang);

  private:
    void reapOpeners();

    std::string mountTable_ = "/proc/self/mounts";
    // Children of startProgram: pid -> exit code once known.
    std::map<int, std::optional<int>> programs_;
    // xdg-open children, reaped whenever we come by so they do not linger as zombies.
    std::vector<int> openers_;
};

} // namespace parlora
