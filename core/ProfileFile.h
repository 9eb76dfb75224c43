#pragma once
// INI files with the Windows profile conventions that existing content and records rely on:
// - sections "[name]" and "key=value" lines; names compared without regard to ASCII case;
// - blanks around names, around "=" and around the value are ignored;
// - one pair of surrounding double quotes is removed from a value on reading;
// - the first matching section and the first matching key win;
// - lines starting with ";" are comments; unknown lines are kept as they are;
// - values are byte strings: no re-encoding on the way in or out;
// - writing keeps every untouched line byte for byte, including CRLF line ends (a new line
//   uses the file's own line end, CRLF for a new file); an empty value deletes the key;
//   writing with no key deletes the whole section;
// - every write goes to a temporary file in the same folder, is flushed and renamed over the
//   old file, so a crash never leaves a truncated file; the new file keeps the old one's owner
//   and mode, and a file of someone else's that cannot be given back to them is not written;
// - records folders may be shared: a link in a file's place is followed only when the link and
//   the file it leads to belong to the user (or root); only regular files up to
//   kProfileFileMaxBytes are read, and opening never waits (a FIFO, a device).
//   Anything else reads as an unreadable file, and a write to it fails.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlora {

// Larger files are refused as unreadable: no records or settings file comes near.
constexpr std::size_t kProfileFileMaxBytes = 64u << 20;

class ProfileText {
  public:
    ProfileText() = default;
    explicit ProfileText(std::string bytes);

    // nullopt when the section or key is absent.
    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    std::string get(std::string_view section, std::string_view key, std::string_view fallback) const;
    bool hasSection(std::string_view section) const;
    std::vector<std::string> sections() const;
    std::vector<std::string> keys(std::string_view section) const;

    // An empty value deletes the key.
    void set(std::string_view section, std::string_view key, std::string_view value);
    void eraseSection(std::string_view section);

    std::string bytes() const;

  private:
    struct Line {
        std::string text; // without the line end
        std::string eol;  // "\r\n", "\n" or "" on a last line without one
    };
    int findSection(std::string_view section) const;     // index of the header line or -1
    int sectionEnd(int header) const;                    // index after the section's last line
    int findKey(int header, std::string_view key) const; // line index or -1
    std::string newEol() const;

    std::vector<Line> lines_;
};

class ProfileFile {
  public:
    // Missing file, section or key gives the fallback. Values of any length are read whole.
    static std::string Read(const std::string& path, std::string_view section, std::string_view key,
                            std::string_view fallback);
    // Creates the file and the section as needed. Throws ProfileError("Write to %s failed - %s").
    static void Write(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view value);
    static void EraseSection(const std::string& path, std::string_view section);
    // Several changes in one write: `change` edits the file's text, which is saved only when it
    // changed. A crash leaves either the old file or the new one, never a mixture.
    static void Edit(const std::string& path, const std::function<void(ProfileText&)>& change);

    static ProfileText Load(const std::string& path); // empty when missing or unreadable
    static void Save(const std::string& path, const ProfileText& text);
};

// Replaces `path` with `bytes` through a temporary file in the same folder, fsync and rename.
// Returns false with errno set on failure, leaving the old file as it was. Links, owner and kind
// of file as for ProfileFile above.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Whether new files can be made in `folder`: makes one named `prefix`, six random letters or
// digits and ".txt", writes a byte and removes it. Never opens an existing name, so nothing
// planted in a shared folder is followed or truncated.
bool FolderTakesNewFiles(const std::string& folder, const std::string& prefix);

// The temporary name WriteFileAtomically uses for a file called `name`, with the six characters
// that mkstemp fills in: ".name.XXXXXX".
bool IsAtomicWriteTempName(std::string_view tempName, std::string_view name);
// Removes from `folder` the temporary files a writer killed between writing and renaming left
// behind, for files whose names start with `prefix` and end with `suffix` (letter case ignored).
// Only regular files at least `minAgeSeconds` old: a folder shared by several computers may hold
// another program's write in flight. Returns how many were removed.
int RemoveLeftoverWrites(const std::string& folder, std::string_view prefix, std::string_view suffix,
                         int minAgeSeconds);

} // namespace parlora
