#pragma once
#include <optional>
#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

namespace parlora {

// printf-style formatting for the system's message templates ("Can't find %s").
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string VFormat(const char* fmt, va_list args);

std::string Trim(std::string_view s);
// The same without a copy: a view into `s`.
std::string_view TrimView(std::string_view s);
std::string ToLowerAscii(std::string_view s);
bool IEquals(std::string_view a, std::string_view b);
bool IStartsWith(std::string_view s, std::string_view prefix);
// Whole-string decimal integer (optional sign, surrounding blanks allowed); nullopt otherwise.
std::optional<long long> ParseInt(std::string_view s);
int ParseIntOr(std::string_view s, int fallback);
std::vector<std::string> Split(std::string_view s, char sep);
// Replaces every occurrence of `from`, ignoring ASCII letter case.
std::string IReplaceAll(std::string_view s, std::string_view from, std::string_view to);
// Text from someone else made safe to print on a terminal or in a log: control characters (C0,
// DEL, and the C1 range of UTF-8) become \n, \t, \xNN or \u{NN}, a backslash \\; at most `limit`
// bytes of the text are kept, and a cut is marked with "...".
std::string EscapeControls(std::string_view s, size_t limit = std::string::npos);
// One cell of a CSV file: quoted, with its quotes doubled, when it holds a comma, a semicolon (the
// separator of spreadsheets in many languages), a quote or a line break.
std::string CsvCell(std::string_view cell);

} // namespace parlora
