// Text from others printed on a terminal: nothing in it may act as a terminal command or forge a
// line, and nothing readable is lost.
#include "core/StringUtil.h"

#include <gtest/gtest.h>

using namespace parlora;

TEST(EscapeControls, ControlsAndStrayBytesAreShownNotObeyed) {
    EXPECT_EQ(EscapeControls("Ann\x1b]0;x\x07\n[ok] done\r\\"), "Ann\\x1B]0;x\\x07\\n[ok] done\\x0D\\\\");
    EXPECT_EQ(EscapeControls("del\x7f tab\t"), "del\\x7F tab\\t");
    // C1 controls, in UTF-8 and as lone bytes, and a lone continuation byte.
    EXPECT_EQ(EscapeControls("a\xc2\x9b" "b\x9b" "c\x80"), "a\\u{9B}b\\x9Bc\\x80");
    // A character cut off at the end of the text is not a character.
    EXPECT_EQ(EscapeControls("x\xe2\x82"), "x\\xE2\\x82");
    // Readable text passes whole: accents, other scripts, emoji.
    EXPECT_EQ(EscapeControls("Zoë 日本 🐱 ¡Hola!"), "Zoë 日本 🐱 ¡Hola!");
}

TEST(EscapeControls, CutsAtTheLimitBetweenCharactersAndSaysSo) {
    EXPECT_EQ(EscapeControls("abcdef", 3), "abc...");
    EXPECT_EQ(EscapeControls("ab日本", 4), "ab...");     // not half of 日
    EXPECT_EQ(EscapeControls("abc", 3), "abc");
    // Stray bytes at the cut: it moves back no further than a character is long.
    EXPECT_EQ(EscapeControls(std::string(10, '\x80'), 4), "\\x80...");
}
