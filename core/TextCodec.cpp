#include "core/TextCodec.h"

#include <array>
#include <cstdint>

namespace parlora {

namespace {

// Windows-1252 bytes 0x80-0x9F. The five bytes Windows leaves undefined map to the C1 control
// with the same number, as MultiByteToWideChar does, so they survive a round trip.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Mac OS Roman bytes 0x80-0xFF (0xDB is the currency sign of the older Mac fonts).
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5,
    0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4,
    0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6,
    0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265,
    0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF,
    0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x00A4, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9,
    0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

constexpr char32_t kReplacement = 0xFFFD;

// The Windows-1252 byte for a character, or -1.
int Cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c) return 0x80 + i;
    return -1;
}

// The LangList.txt table: Mac OS Roman through Windows-1252, with the course's own choices for
// the low control bytes and for characters Windows-1252 lacks (0xD7).
std::array<unsigned char, 256> BuildMacRomanTable() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 0x80; ++b)
        table[b] = static_cast<unsigned char>(b);
    for (int b = 0x80; b < 0x100; ++b) {
        int w = Cp1252Byte(kMacRomanHigh[b - 0x80]);
        table[b] = static_cast<unsigned char>(w < 0 ? 0xD7 : w);
    }
    table[0xDB] = 0xA4;
    const unsigned char low[][2] = {{0x01, 0xDE}, {0x02, 0xFE}, {0x03, 0x8A}, {0x04, 0x9A}, {0x05, 0xA6},
                                    {0x06, 0xD0}, {0x07, 0xD7}, {0x09, 0x20}, {0x0B, 0xB9}, {0x0C, 0xB2},
                                    {0x0E, 0xF0}, {0x0F, 0xDD}, {0x17, 0xBD}, {0x19, 0xBE}, {0x1A, 0xBC},
                                    {0x1B, 0xFD}, {0x1C, 0xB3}};
    for (const auto& pair : low)
        table[pair[0]] = pair[1];
    return table;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one character at `pos` and moves past it; a malformed sequence gives U+FFFD and
// skips one byte. Overlong forms, surrogates and values above U+10FFFF are malformed.
char32_t NextUtf8(std::string_view s, size_t& pos, bool* valid = nullptr) {
    auto bad = [&]() {
        ++pos;
        if (valid) *valid = false;
        return kReplacement;
    };
    unsigned char b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra;
    char32_t c, min;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1, c = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, c = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, c = b0 & 0x07, min = 0x10000;
    } else {
        return bad();
    }
    if (pos + extra >= s.size()) return bad();
    for (int i = 1; i <= extra; ++i) {
        unsigned char b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) return bad();
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return bad();
    pos += extra + 1;
    return c;
}

} // namespace

std::string MacRomanToCp1252(std::string_view bytes) {
    static const std::array<unsigned char, 256> table = BuildMacRomanTable();
    std::string out(bytes);
    for (char& c : out)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        unsigned char b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0)
            AppendUtf8(out, kCp1252High[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        int b = Cp1252Byte(NextUtf8(utf8, pos));
        out += static_cast<char>(b < 0 ? '?' : b);
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    bool valid = true;
    size_t pos = 0;
    while (pos < bytes.size() && valid)
        NextUtf8(bytes, pos, &valid);
    return valid;
}

std::string RecordTextToUtf8(std::string_view bytes) {
    return IsValidUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndianWithoutBom) {
    bool bigEndian = bigEndianWithoutBom;
    size_t start = 0;
    if (bytes.size() >= 2) {
        unsigned char b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE) {
            bigEndian = false;
            start = 2;
        } else if (b0 == 0xFE && b1 == 0xFF) {
            bigEndian = true;
            start = 2;
        }
    }
    std::u16string units;
    units.reserve((bytes.size() - start) / 2);
    // A stray last byte of a truncated file is dropped.
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        units += bigEndian ? char16_t((a << 8) | b) : char16_t((b << 8) | a);
    }
    return Utf16ToUtf8(units);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = NextUtf8(utf8, pos);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement; // a lone surrogate
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string DecodeTextFile(std::string_view bytes) {
    if (bytes.size() >= 2) {
        unsigned char b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) return Utf16ToUtf8(bytes);
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return RecordTextToUtf8(bytes);
}

} // namespace parlora
