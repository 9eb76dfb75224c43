#include "core/TextCodec.h"

#include <gtest/gtest.h>

using namespace parlora;

namespace {
std::string Byte(int b) {
    return std::string(1, static_cast<char>(b));
}
} // namespace

TEST(TextCodec, MacRomanSamplesFollowTheCourseTable) {
    struct Sample {
        int mac, windows;
    };
    const Sample samples[] = {
        {0x8D, 0xE7}, // c cedilla
        {0x80, 0xC4},
        {0x87, 0xE1},
        {0x9F, 0xFC},
        {0xA0, 0x86},
        {0xA5, 0x95},
        {0xAA, 0x99},
        {0xC4, 0x83},
        {0xC9, 0x85},
        {0xCA, 0xA0},
        {0xCE, 0x8C},
        {0xD0, 0x96},
        {0xD5, 0x92},
        {0xD9, 0x9F},
        {0xDC, 0x8B},
        {0xE2, 0x82},
        {0xE4, 0x89},
        {0xF6, 0x88},
        {0xF7, 0x98},
        {0xFC, 0xB8},
        {0xA7, 0xDF},
        {0xBF, 0xF8},
        {0xDB, 0xA4}, // the currency sign
        // characters Windows-1252 lacks
        {0xAD, 0xD7},
        {0xB0, 0xD7},
        {0xB9, 0xD7},
        {0xD7, 0xD7},
        {0xDE, 0xD7},
        {0xF0, 0xD7},
        {0xF5, 0xD7},
        {0xFF, 0xD7},
        // the low bytes the course maps
        {0x01, 0xDE},
        {0x02, 0xFE},
        {0x03, 0x8A},
        {0x04, 0x9A},
        {0x05, 0xA6},
        {0x06, 0xD0},
        {0x07, 0xD7},
        {0x09, 0x20},
        {0x0B, 0xB9},
        {0x0C, 0xB2},
        {0x0E, 0xF0},
        {0x0F, 0xDD},
        {0x17, 0xBD},
        {0x19, 0xBE},
        {0x1A, 0xBC},
        {0x1B, 0xFD},
        {0x1C, 0xB3},
        // and the ones it leaves alone
        {0x00, 0x00},
        {0x08, 0x08},
        {0x0A, 0x0A},
        {0x0D, 0x0D},
        {0x1D, 0x1D},
        {0x41, 0x41},
        {0x7F, 0x7F},
    };
    for (const Sample& s : samples)
        EXPECT_EQ(MacRomanToCp1252(Byte(s.mac)), Byte(s.windows)) << std::hex << "mac 0x" << s.mac;
    EXPECT_EQ(MacRomanToCp1252("Fran\x8D"
                               "ais"),
              "Fran\xE7"
              "ais");
}

TEST(TextCodec, Cp1252RoundTripsThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToCp1252(utf8), all);

    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(Cp1252ToUtf8("\x8A\x9F"), "\u0160\u0178");
    EXPECT_EQ(Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(Cp1252ToUtf8("J\xFCrgen"), "J\u00FCrgen");
    EXPECT_EQ(Utf8ToCp1252("\u20AC \u0416 \U0001F600 \u00E9"), "\x80 ? ? \xE9");
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?") << "truncated sequence";
}

TEST(TextCodec, Utf8Validation) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("Fran\u00E7oise \u4E2D\U0001F600"));
    EXPECT_FALSE(IsValidUtf8("Fran\xE7oise"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF")) << "overlong";
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")) << "surrogate";
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")) << "above U+10FFFF";
    EXPECT_FALSE(IsValidUtf8("\xE4\xB8")) << "truncated";
    EXPECT_EQ(RecordTextToUtf8("Fran\xE7oise"), "Fran\u00E7oise");
    EXPECT_EQ(RecordTextToUtf8("Fran\u00E7oise"), "Fran\u00E7oise");
}

TEST(TextCodec, Utf16WithAndWithoutBom) {
    using namespace std::string_literals;
    EXPECT_EQ(Utf16ToUtf8("\xFF\xFE"
                          "A\0\xE9\0\x3D\xD8\x00\xDE"s),
              "A\u00E9\U0001F600");
    EXPECT_EQ(Utf16ToUtf8("\xFE\xFF\0A\0\xE9\xD8\x3D\xDE\x00"s), "A\u00E9\U0001F600");
    EXPECT_EQ(Utf16ToUtf8("A\0B\0"s), "AB");
    EXPECT_EQ(Utf16ToUtf8("\0A\0B"s, true), "AB");
    EXPECT_EQ(Utf16ToUtf8("\xFF\xFE"
                          "A\0B"s),
              "A")
        << "odd last byte dropped";
    EXPECT_EQ(Utf16ToUtf8(u"x\xD800y"), "x\uFFFDy") << "lone surrogate";

    std::string text = "Caf\u00E9 \u4E2D \U0001F600";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf8ToUtf16("\U0001F600"), u"\U0001F600");
}

TEST(TextCodec, DecodeTextFileDetectsTheEncoding) {
    using namespace std::string_literals;
    EXPECT_EQ(DecodeTextFile("\xFF\xFEh\0i\0"s), "hi");
    EXPECT_EQ(DecodeTextFile("\xFE\xFF\0h\0i"s), "hi");
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF\u00E9t\u00E9"), "\u00E9t\u00E9");
    EXPECT_EQ(DecodeTextFile("\u00E9t\u00E9"), "\u00E9t\u00E9");
    EXPECT_EQ(DecodeTextFile("\xE9t\xE9"), "\u00E9t\u00E9");
    EXPECT_EQ(DecodeTextFile(""), "");
}
