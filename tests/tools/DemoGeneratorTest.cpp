// The generator's own data and rules, without making the whole course.
#include "tools/content/DemoGenerator.h"
#include "activities/ThemedHardLayout.h"
#include "core/Errors.h"
#include "core/PathResolver.h"
#include "tests/support/TestFiles.h"
#include "tools/content/DemoFacts.h"
#include "tools/content/DemoTexts.h"
#include "tools/content/Manifest.h"
#include "tools/content/Vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

namespace parlora {
namespace {

using test::TempDir;

TEST(ManifestText, MalformedRowsNameTheirLine) {
    const char* bad[] = {
        "W|picture|interface|a.png||||",           // eight fields
        "X|picture|interface|a.png||||bg|",        // level
        "W|pic|interface|a.png||||bg|",            // kind
        "W|picture|nowhere|a.png||||bg|",          // root
        "W|picture|interface|a{n}.png||||bg|",     // {n} without items
        "W|picture|interface|a{n}.png|5..1|||bg|", // range backwards
        "W|picture|interface|a.png||44x|||",       // frame
        "W|picture|interface|a.png|||0x1||",       // grid
        "W|picture|interface|||||bg|",             // no path
    };
    for (const char* row : bad) {
        try {
            ParseManifest(std::string("# comment\n\n") + row + "\n");
            ADD_FAILURE() << "accepted " << row;
        } catch (const ConfigError& e) {
            EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos) << e.what();
        }
    }
    auto ok = ParseManifest("P|picture|interface|Memory\\Card.png||110x130|3x11|strip|Card\n");
    ASSERT_EQ(ok.size(), 1u);
    EXPECT_EQ(ok[0].frameW, 110);
    EXPECT_EQ(ok[0].grid.y, 11);
    EXPECT_TRUE(IsRequired(ok[0].level));
}

TEST(ManifestText, BuiltInRowsAreDistinctAndTheDemoSetIsComplete) {
    std::set<std::string> seen;
    for (const ManifestEntry& e : ContentManifest()) {
        std::string key = std::to_string(int(e.root)) + "|" + e.pattern;
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        EXPECT_TRUE(seen.insert(key).second) << "line " << e.line << " repeats " << e.pattern;
        // Everything the course needs is made by the demo, apart from folders it creates anyway.
        if (IsRequired(e.level) && e.kind != ContentKind::Folder) {
            EXPECT_FALSE(e.art.empty()) << "line " << e.line << ": " << e.pattern;
        }
    }
}

TEST(DemoVocabulary, EveryTopicHasAllItsWords) {
    const Vocabulary& v = Vocabulary::BuiltIn();
    const std::pair<const char*, size_t> counts[] = {{"FW", 44}, {"FD", 41}, {"CO", 12}, {"USE", 30},
                                                     {"FG", 18}, {"NU", 21}, {"T", 36},  {"SH", 49},
                                                     {"CY", 24}, {"YES", 4}, {"NO", 4},  {"CAT", 9}};
    for (auto [topic, count] : counts)
        EXPECT_EQ(v.Count(topic), count) << topic;
    for (int lang = 0; lang < 3; ++lang) {
        EXPECT_FALSE(v.Word("NU", 0, lang).empty());
        EXPECT_EQ(v.Word("SC", 20, lang), v.Word("NU", 20, lang)); // scores reuse the number words
        EXPECT_EQ(v.Word("SC", 37, lang), "37");
    }
    EXPECT_EQ(v.Word("FW", 45, 0), "");
    EXPECT_THROW(Vocabulary::Parse("FW|1|dog|le chien\n"), ConfigError);
}

TEST(DemoFacts, ClockTimesAndFramesFollowTheTimeTable) {
    EXPECT_EQ(DemoFacts::TimeOfItem(19).hour, 1);
    EXPECT_EQ(DemoFacts::TimeOfItem(19).minute, 40);
    EXPECT_EQ(DemoFacts::TimeOfItem(33).minute, 15);
    EXPECT_EQ(DemoFacts::TimeOfItem(31).hour, 12);
    EXPECT_EQ(DemoFacts::TimeOfItem(31).minute, 50);
    std::set<int> frames;
    for (int item = 1; item <= 36; ++item) {
        int frame = DemoFacts::ClockFrameOfItem(item);
        frames.insert(frame);
        EXPECT_EQ(DemoFacts::ItemOfClockFrame(frame), item);
        // The time game turns its clocks by the same table.
        EXPECT_EQ(ThemedHardLayout::ClockFrameOf(item), frame) << item;
        // Each hour owns three frames, the first at its full hour.
        EXPECT_EQ(frame / 3 + 1, DemoFacts::TimeOfItem(item).hour) << item;
        if (item <= 12) {
            EXPECT_EQ(frame, 3 * (item - 1));
        }
    }
    EXPECT_EQ(frames.size(), 36u);
}

TEST(DemoTexts, ScenesStayInsideTheTopicAndDoNotOverlap) {
    for (auto [topic, items] : {std::pair{"FD", 41}, std::pair{"FG", 18}, std::pair{"SH", 49}}) {
        auto scenes = DemoTexts::Scenes(topic, 60, 60);
        ASSERT_EQ(scenes.size(), 10u);
        EXPECT_EQ(DemoTexts::Scenes(topic, 60, 60).front().front().item, scenes.front().front().item);
        for (const auto& scene : scenes) {
            ASSERT_GE(scene.size(), 6u);
            ASSERT_LE(scene.size(), 8u);
            std::set<int> used;
            for (size_t a = 0; a < scene.size(); ++a) {
                EXPECT_TRUE(used.insert(scene[a].item).second);
                EXPECT_GE(scene[a].item, 1);
                EXPECT_LE(scene[a].item, items);
                EXPECT_LT(scene[a].top + 60, 660); // clear of the bottom button strip
                for (size_t b = a + 1; b < scene.size(); ++b)
                    EXPECT_TRUE(std::abs(scene[a].left - scene[b].left) >= 60 ||
                                std::abs(scene[a].top - scene[b].top) >= 60);
            }
        }
        std::string ini = DemoTexts::GameIni(scenes);
        EXPECT_NE(ini.find("[Screen10]\r\nButton1="), std::string::npos);
    }
    EXPECT_EQ(DemoTexts::SceneTopic("Interface\\Shopping\\Hard"), "SH");
    EXPECT_EQ(DemoTexts::ToMacRoman("Français|España"), "Fran\x8D"
                                                        "ais|Espa\x96"
                                                        "a");
}

TEST(DemoGenerator, ReplacesOnlyWhatItMakesAndKeepsExistingFolderSpelling) {
    TempDir dir;
    std::string data = dir / "parlora/data";
    test::WriteFile(data + "/Interface/COMMON/BotStrip/notes.txt", "mine");
    test::WriteFile(data + "/Interface/COMMON/BotStrip/help.png", "stale");
    DemoOptions options;
    options.outDir = dir.path();
    options.only = "BotStrip\\";
    options.jobs = 2;
    std::ostringstream log;
    DemoReport report = DemoGenerator::Generate(options, log);
    ASSERT_TRUE(report.ok()) << log.str();
    EXPECT_EQ(report.pictures, 6);
    EXPECT_EQ(report.sounds, 0);
    EXPECT_EQ(test::ReadFile(data + "/Interface/COMMON/BotStrip/notes.txt"), "mine");
    EXPECT_EQ(test::ReadFile(data + "/Interface/COMMON/BotStrip/help.png").substr(1, 3), "PNG");
    EXPECT_FALSE(std::filesystem::exists(data + "/Interface/common")) << "made a second spelling";
    EXPECT_FALSE(std::filesystem::exists(dir / "parlora/demo-stamp.txt")) << "a partial set is not stamped";
}

TEST(DemoGenerator, SpeaksAWordInEachVoiceAsAiff) {
    TempDir dir;
    DemoOptions options;
    options.outDir = dir.path();
    options.only = "FW\\FFW44";
    std::ostringstream log;
    DemoReport report = DemoGenerator::Generate(options, log);
    ASSERT_TRUE(report.ok()) << log.str();
    EXPECT_EQ(report.sounds, 2); // targets 3 and 5
    std::string aif = test::ReadFile(dir / "parlora/data/targets/target3/FW/FFW44.aif");
    ASSERT_GT(aif.size(), 12u);
    EXPECT_EQ(aif.substr(0, 4), "FORM");
    EXPECT_EQ(aif.substr(8, 4), "AIFF");
    EXPECT_NE(aif, test::ReadFile(dir / "parlora/data/targets/target5/FW/FFW44.aif"));
}

} // namespace
} // namespace parlora
