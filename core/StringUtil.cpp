#include "core/StringUtil.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace parlora {

std::string VFormat(const char* fmt, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, args);
        out.resize(static_cast<size_t>(n));
    }
    return out;
}

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string out = VFormat(fmt, args);
    va_end(args);
    return out;
}

static bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimView(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string Trim(std::string_view s) {
    return std::string(TrimView(s));
}

std::string ToLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

static char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool IStartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && IEquals(s.substr(0, prefix.size()), prefix);
}

std::optional<long long> ParseInt(std::string_view text) {
    std::string s = Trim(text);
    if (s.empty()) return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        i = 1;
    }
    if (i >= s.size()) return std::nullopt;
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        value = value * 10 + (s[i] - '0');
        if (value > std::numeric_limits<int>::max() + 1LL) return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return value;
}

int ParseIntOr(std::string_view s, int fallback) {
    auto v = ParseInt(s);
    return v ? static_cast<int>(*v) : fallback;
}

std::vector<std::string> Split(std::string_view s, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            out.emplace_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return out;
}

std::string IReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string lowerS = ToLowerAscii(s), lowerFrom = ToLowerAscii(from), out;
    size_t pos = 0;
    while (true) {
        size_t hit = lowerS.find(lowerFrom, pos);
        if (hit == std::string::npos) break;
        out.append(s.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(s.substr(pos));
    return out;
}

std::string EscapeControls(std::string_view s, size_t limit) {
    std::string out;
    size_t end = std::min(s.size(), limit);
    // A cut never splits a character.
    for (int back = 0; back < 3 && end > 0 && end < s.size() && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80;
         ++back)
        --end;
    out.reserve(end + 8);
    char hex[12];
    for (size_t i = 0; i < end; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else if (c < 0x80) {
            out += char(c);
        } else {
            // A byte that does not begin a whole UTF-8 character is written as its value: a
            // terminal in an 8-bit mode takes a lone 0x9B as an escape sequence's start.
            size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
            bool whole = len > 0 && c >= 0xC2 && c <= 0xF4 && i + len <= end;
            for (size_t k = 1; whole && k < len; ++k)
                whole = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
            if (!whole) {
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else if (c == 0xC2 && static_cast<unsigned char>(s[i + 1]) < 0xA0) {
                // U+0080..U+009F: terminals take some of them as escape sequences.
                std::snprintf(hex, sizeof hex, "\\u{%02X}", static_cast<unsigned char>(s[i + 1]));
                out += hex;
                i += 1;
            } else {
                out.append(s.substr(i, len));
                i += len - 1;
            }
        }
    }
    if (end < s.size()) out += "...";
    return out;
}

std::string CsvCell(std::string_view cell) {
    if (cell.find_first_of(",;\"\r\n") == std::string_view::npos) return std::string(cell);
    std::string out = "\"";
    for (char c : cell) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

} // namespace parlora
