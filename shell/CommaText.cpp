#include "shell/CommaText.h"

namespace parlora {

namespace {

bool IsBlankByte(char c) {
    return c >= 1 && c <= ' ';
}

bool NeedsQuotes(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',') return true;
    return false;
}

std::string Quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

} // namespace

std::string EncodeCommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) return "\"\"";
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        out += NeedsQuotes(items[i]) ? Quoted(items[i]) : items[i];
    }
    return out;
}

std::vector<std::string> DecodeCommaText(std::string_view text) {
    std::vector<std::string> out;
    size_t p = 0, n = text.size();
    // A NUL ends the text, as it always has for these values.
    if (auto nul = text.find('\0'); nul != std::string_view::npos) n = nul;
    while (p < n && IsBlankByte(text[p]))
        ++p;
    while (p < n) {
        std::string item;
        if (text[p] == '"') {
            ++p;
            while (p < n) {
                if (text[p] == '"') {
                    if (p + 1 < n && text[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            size_t start = p;
            while (p<n&& static_cast<unsigned char>(text[p])> ' ' && text[p] != ',')
                ++p;
            item.assign(text.substr(start, p - start));
        }
        out.push_back(std::move(item));
        while (p < n && IsBlankByte(text[p]))
            ++p;
        if (p < n && text[p] == ',') {
            if (p + 1 == n) out.emplace_back();
            do
                ++p;
            while (p < n && IsBlankByte(text[p]));
        }
    }
    return out;
}

} // namespace parlora
