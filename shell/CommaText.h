#pragma once
// The comma text of the student list ("Students"): names separated by ",", a name holding a blank,
// a control character, a double quote or a comma enclosed in double quotes with inner quotes doubled.
#include <string>
#include <string_view>
#include <vector>

namespace parlora {

std::string EncodeCommaText(const std::vector<std::string>& items);
// Blanks before an entry are skipped; a quoted entry runs to its closing quote; any other entry ends
// at the next comma or blank; a comma at the very end adds an empty entry.
std::vector<std::string> DecodeCommaText(std::string_view text);

} // namespace parlora
