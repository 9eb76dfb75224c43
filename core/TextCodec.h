#pragma once
// Text inside the program is UTF-8. Content and records come in older encodings.
#include <string>
#include <string_view>

namespace parlora {

// Mac OS Roman bytes (LangList.txt) to Windows-1252 bytes, with the course's own table.
std::string MacRomanToCp1252(std::string_view bytes);
std::string Cp1252ToUtf8(std::string_view bytes);
// Characters without a Windows-1252 byte become '?'.
std::string Utf8ToCp1252(std::string_view utf8);
bool IsValidUtf8(std::string_view bytes);
// Records values: UTF-8 when valid, else read as Windows-1252 (files written on Windows).
std::string RecordTextToUtf8(std::string_view bytes);
// UTF-16 with or without a byte-order mark (little-endian when none), to UTF-8.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndianWithoutBom = false);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);
// A text file of unknown encoding: BOM-detected UTF-16 or UTF-8, else UTF-8 when valid, else 1252.
std::string DecodeTextFile(std::string_view bytes);

} // namespace parlora
