// The export's lists: categories and phrases, the dialog's messages, the small pictures' paths and
// the time format of the closing message.
#include "export/PhraseLists.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace parlora {
namespace {

using test::TempDir;
using test::WriteFile;

std::string ErrorOf(const std::vector<std::string>& cats, const std::vector<std::string>& phrases) {
    int count = 0;
    try {
        PhraseLists::ParsePhrases(cats, phrases, count);
    } catch (const AppError& e) {
        return e.what();
    }
    return {};
}

TEST(PhraseLists, PhrasesFallIntoTheCategoryBeforeTheirFirstDigit) {
    int count = 0;
    auto cats = PhraseLists::ParsePhrases(
        {"fw|First words", "", "use|Phrases|extra", "t|Time"},
        {"fw01|  cat ", "use12|Hello|ignored", "fw2|dog", "|no code", "t3|", "t4|four o'clock"}, count);
    ASSERT_EQ(cats.size(), 3u);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(cats[1].title, "Phrases"); // the second field ends at a further bar
    ASSERT_EQ(cats[0].phrases.size(), 2u);
    EXPECT_EQ(cats[0].phrases[0].code, "fw01");
    EXPECT_EQ(cats[0].phrases[0].text, "cat");
    EXPECT_EQ(cats[0].phrases[1].code, "fw2"); // back to an earlier category
    ASSERT_EQ(cats[1].phrases.size(), 1u);
    EXPECT_EQ(cats[1].phrases[0].text, "Hello");
    ASSERT_EQ(cats[2].phrases.size(), 1u);
    EXPECT_EQ(cats[2].phrases[0].code, "t4");
}

TEST(PhraseLists, BadLinesAndUnknownCategoriesAreRefusedWithTheWholeLine) {
    const std::vector<std::string> cats{"fw|First words", "use|Phrases"};
    EXPECT_EQ(ErrorOf(cats, {"12|twelve"}), "Bad line in scrPhrases.txt: 12|twelve");
    EXPECT_EQ(ErrorOf(cats, {"fw1|one", "abc|letters only"}), "Bad line in scrPhrases.txt: abc|letters only");
    // Letter case counts for the category code.
    EXPECT_EQ(ErrorOf(cats, {"FW1|one"}), "Unknown category code FW");
    EXPECT_EQ(ErrorOf(cats, {"xy1|one"}), "Unknown category code xy");
    EXPECT_EQ(ErrorOf({}, {"fw1|one"}), "Unknown category code fw");
    EXPECT_EQ(ErrorOf(cats, {"fw1|one", "use2|two"}), "");
}

TEST(PhraseLists, ListsAreFoundInTheSourceThenInTheSecondSourceAndReadInAnyUnicodeForm) {
    TempDir tmp;
    std::string source = tmp / "data/sources/1source", data = tmp / "data";
    int count = 0;
    try {
        PhraseLists::LoadPhrases(source, data, count);
        ADD_FAILURE() << "no lists, no error";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Can't find file " + source + "\\srcCategories.txt");
    }
    WriteFile(tmp / "data/sources/2source/srcCategories.txt", "\xEF\xBB\xBF"
                                                              "fw|Premiers mots\r\n");
    // UTF-16 little-endian with its mark: "fw1|é\r\n".
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : std::u16string(u"fw1|\u00E9\r\n")) {
        utf16 += char(c & 0xFF);
        utf16 += char(c >> 8);
    }
    WriteFile(source + "/srcPhrases.txt", utf16);
    PathResolver::ClearCache();
    auto cats = PhraseLists::LoadPhrases(source, data, count);
    ASSERT_EQ(cats.size(), 1u);
    EXPECT_EQ(cats[0].title, "Premiers mots");
    ASSERT_EQ(count, 1);
    EXPECT_EQ(cats[0].phrases[0].text, "\u00E9");
}

TEST(PhraseLists, MessagesTakeTheirDefaultsWhereTheFileIsSilent) {
    TempDir tmp;
    TExportMessages d = PhraseLists::LoadMessages(tmp / "src", tmp / "data");
    EXPECT_EQ(d[TExportMessages::NoEncoder], "Requires iTunes!");
    EXPECT_EQ(d[TExportMessages::EncoderTooOld], "Requires iTunes version 4.6 or above.");
    EXPECT_EQ(d[TExportMessages::ConfirmCancel], "Conversion incomplete - are you sure you want to cancel?");
    EXPECT_EQ(d[TExportMessages::Cancelled], "Conversion cancelled.");
    EXPECT_EQ(d[TExportMessages::Complete], "Conversion complete in time %s.");
    WriteFile(tmp / "src/srcMessages.txt", "  One \r\n\r\nhttp://x/\r\n");
    PathResolver::ClearCache();
    TExportMessages m = PhraseLists::LoadMessages(tmp / "src", tmp / "data");
    EXPECT_EQ(m[TExportMessages::NoEncoder], "One");
    EXPECT_EQ(m[TExportMessages::EncoderTooOld], d[TExportMessages::EncoderTooOld]); // empty line
    EXPECT_EQ(m[TExportMessages::DownloadAddress], "http://x/");
    EXPECT_EQ(m[TExportMessages::Complete], d[TExportMessages::Complete]); // missing line
}

TEST(PhraseLists, PicturesComeFromTheCategoryFolderAndShoppingDropsTheCode) {
    TempDir tmp;
    WriteFile(tmp / "Interface/Shopping/SmallImages/05.png", "png");
    WriteFile(tmp / "Interface/FirstWords/SmallImages/FW1.png", "png");
    PathResolver::ClearCache();
    std::string iface = tmp / "Interface";
    EXPECT_EQ(PhraseLists::PicturePath(iface, "sh", "sh05"), iface + "/Shopping/SmallImages/05.png");
    EXPECT_EQ(PhraseLists::PicturePath(iface, "FW", "fw1"), iface + "/FirstWords/SmallImages/FW1.png");
    EXPECT_EQ(PhraseLists::PictureFolder("use"), "Phrases");
    EXPECT_EQ(PhraseLists::PictureFolder("xx"), "");
    try {
        PhraseLists::PicturePath(iface, "xx", "xx1");
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Unknown directory xx");
    }
    try {
        PhraseLists::PicturePath(iface, "fw", "fw2");
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Unknown picture " + iface + "\\FirstWords\\SmallImages\\fw2.png");
    }
}

TEST(PhraseLists, ElapsedTimeIsMinutesAndTwoDigitSecondsAndCountsHoursAsMinutes) {
    EXPECT_EQ(PhraseLists::FormatElapsed(187), "3:07");
    EXPECT_EQ(PhraseLists::FormatElapsed(0), "0:00");
    EXPECT_EQ(PhraseLists::FormatElapsed(2), "0:02");
    EXPECT_EQ(PhraseLists::FormatElapsed(3725), "62:05");
    EXPECT_EQ(PhraseLists::FormatElapsed(-4), "0:00");
}

} // namespace
} // namespace parlora
