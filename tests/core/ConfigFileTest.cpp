#include "core/ConfigFile.h"

#include "TempDir.h"
#include "core/Errors.h"

#include <gtest/gtest.h>

using namespace parlora;
using parlora::test::TempDir;

TEST(ConfigFile, ReadingBeforeLoadIsNotResident) {
    ConfigFile config;
    EXPECT_FALSE(config.IsLoaded());
    try {
        config.ReadBool("Defaults", "Debug", false);
        FAIL() << "no error";
    } catch (const ConfigError& e) {
        EXPECT_STREQ(e.what(), "ConfigFile not resident");
    }
    EXPECT_THROW(config.ReadString("Defaults", "AltPath", "Data\\QOR"), ConfigError);
    EXPECT_THROW(config.ReadInt("Defaults", "Records", 1), ConfigError);
}

TEST(ConfigFile, MissingFileGivesEveryDefault) {
    TempDir dir;
    ConfigFile config;
    config.Load(dir.file("sconfig.txt"));
    EXPECT_TRUE(config.IsLoaded());
    EXPECT_EQ(config.ReadString("Defaults", "AltPath", "Data\\QOR"), "Data\\QOR");
    EXPECT_EQ(config.ReadInt("Defaults", "Volume", -1), -1);
    EXPECT_TRUE(config.ReadBool("Defaults", "Fancy", true));
}

TEST(ConfigFile, ReadsTypedValuesWithDefaults) {
    TempDir dir;
    dir.write("config.txt", "; course settings\r\n"
                            "[Defaults]\r\n"
                            "  debug = 1 \r\n"
                            "Fast=0\r\n"
                            "Fancy=yes\r\n"
                            "KillSound=2\r\n"
                            "Volume = 75\r\n"
                            "Records=1x\r\n"
                            "Source=-3\r\n"
                            "Huge=99999999999\r\n"
                            ";Cheat=1\r\n"
                            "Custom=\r\n"
                            "[QuizTest]\r\n"
                            "IntervalMin=250\r\n");
    ConfigFile config;
    config.Load(dir.file("config.txt"));
    EXPECT_TRUE(config.ReadBool("Defaults", "Debug", false));
    EXPECT_FALSE(config.ReadBool("Defaults", "Fast", true));
    EXPECT_FALSE(config.ReadBool("Defaults", "Fancy", false)) << "not a number: default";
    EXPECT_TRUE(config.ReadBool("Defaults", "KillSound", false)) << "any non-zero number is on";
    EXPECT_FALSE(config.ReadBool("Defaults", "Cheat", false));
    EXPECT_EQ(config.ReadInt("Defaults", "Volume", -1), 75);
    EXPECT_EQ(config.ReadInt("Defaults", "Records", 1), 1);
    EXPECT_EQ(config.ReadInt("Defaults", "Source", 0), -3);
    EXPECT_EQ(config.ReadInt("Defaults", "Huge", 7), 7);
    EXPECT_EQ(config.ReadString("Defaults", "Custom", "x"), "") << "present but empty is not absent";
    EXPECT_EQ(config.ReadInt("quiztest", "INTERVALMIN", 500), 250);
    EXPECT_EQ(config.ReadInt("QuizTest", "IntervalRange", 500), 500);
    EXPECT_EQ(config.ReadInt("Name", "Charset3", 1), 1);
}
