#pragma once
// This computer's classroom key: what the manager handed it for an enrolment code, kept in the
// classroom folder as two lines, "key=<pupil>.<secret>" and "code=<the code it came from>", so that
// the course knows whether a code it is given is the one it has already used.
#include <optional>
#include <string>

namespace parlora {

struct TStoredKey {
    std::string key;
    std::string code;
};

// The file is read only when it is a regular file of this user (not a link), at most this long.
constexpr size_t kPupilKeyFileMax = 4096;

// The stored key, or nothing when there is none or it cannot be trusted; `why` then says which
// (empty when there simply is no file).
std::optional<TStoredKey> ReadPupilKey(const std::string& path, std::string& why);
// Replaces the file (mode 0600) in one step; false with `why` on failure.
bool WritePupilKey(const std::string& path, const TStoredKey& key, std::string& why);
// A key as the manager's metadata can carry it: printable ASCII without blanks, not too long.
bool PlausibleKey(const std::string& key);
// The pupil number a key starts with ("12.ab..." is 12); 0 when it has none.
int KeyPupil(const std::string& key);
// Makes `folder` (and the folders above it) for the key and the outbox: the last one only this
// user can enter. False when it is a link, a file or another user's folder.
bool MakeClassroomFolder(const std::string& folder);

} // namespace parlora
