#pragma once
// The secrets of a classroom: pupils' keys and one-time enrolment codes (random, kept only as
// hashes, compared in constant time), and the teacher's tokens read from private files.
#include <optional>
#include <string>
#include <string_view>

namespace parlora::classroom {

// A pupil's key as the computer presents it: "<pupil>.<64 hexadecimal digits>".
struct TPupilKey {
    int pupil = 0;
    std::string secret;
};

// A new secret of 256 bits from the kernel, as 64 hexadecimal digits.
std::string NewPupilSecret();
// A new enrolment code of ten letters and digits that are not mistaken for each other when typed
// from a sheet ("ABCD-EFGH-JK", about 49 bits).
std::string NewEnrolmentCode();
// The code as typed (any letter case, with or without dashes and spaces), in its stored form;
// empty when it cannot be a code.
std::string NormaliseCode(std::string_view typed);
std::optional<TPupilKey> ParseKey(std::string_view key);
std::string Sha256Hex(std::string_view text);
// Equal texts of equal length, in a time that does not tell how much of a wrong one was right.
bool SameSecret(std::string_view a, std::string_view b);

// A token or key kept in a file: the first line, trimmed. Refused with a message when the file is
// not a regular file of this user, can be read by its group or others, or is larger than 4 KB.
std::string ReadSecretFile(const std::string& path);

} // namespace parlora::classroom
