#include "shell/LanguageCatalogue.h"
#include "core/ConfigFile.h"
#include "core/Errors.h"
#include "core/ProfileFile.h"
#include "core/StringUtil.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "shell/RecordsStore.h"
#include "shell/Registry.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <map>

namespace parlora {
namespace {

using test::MakeDirs;
using test::TempDir;
using test::WriteFile;

class LocaleShell : public IShell {
  public:
    std::string locale = "en_GB.UTF-8";
    bool openUrl(const std::string&) override { return true; }
    int startProgram(const std::string&, const std::vector<std::string>&, const std::string&) override {
        return -1;
    }
    std::optional<int> pollProgram(int) override { return std::nullopt; }
    std::string userFullName() const override { return ""; }
    std::string localeName() const override { return locale; }
    std::vector<std::string> discMounts() const override { return {}; }
};

class MemoryRegistry : public IRegistry {
  public:
    std::map<std::string, std::string> values;
    std::string Read(const std::string& n, const std::string& d) override {
        auto it = values.find(n);
        return it == values.end() ? d : it->second;
    }
    void Write(const std::string& n, const std::string& v) override { values[n] = v; }
};

struct CatalogueFixture {
    TempDir dir;
    CourseFolders folders;
    CourseSettings settings;
    ConfigFile config;
    StartOptions options;
    LocaleShell shell;
    MemoryRegistry registry;
    FakeClock clock;
    TRecordsStore records{folders, options, clock};
    std::vector<std::string> log;
    TLanguageCatalogue cat{folders, settings, config,  options,
                           shell,   registry, records, [this](const std::string& t) { log.push_back(t); }};

    CatalogueFixture() {
        folders.ProgramDir = dir.path();
        folders.UpdateDir = dir / "Update";
        folders.DataDir = dir / "data";
        folders.RecordsDir = dir / "records";
        MakeDirs(folders.DataDir);
        MakeDirs(folders.RecordsDir);
        config.LoadText("");
    }
    void Target(int n) { MakeDirs(Format("%s/targets/target%d", folders.DataDir.c_str(), n)); }
    void Source(int n) { MakeDirs(Format("%s/sources/%dsource", folders.DataDir.c_str(), n)); }
    void Actor(const std::string& root, const std::string& kind, const std::string& name, bool full = true) {
        std::string d = root + "/" + kind + "/" + name;
        WriteFile(d + "/thumb.png", "png");
        if (!full) return;
        WriteFile(d + "/speaker.txt", "[Settings]\r\nidle=4\r\nspeak=0\r\nyes=3\r\nfps=12\r\n");
        for (const char* f : {"idle.jpg", "speak.jpg", "yes.jpg", "no.jpg"})
            WriteFile(d + "/" + f, "jpg");
    }
};

TEST(LanguageCatalogue, TargetsWithoutLangListSortAsText) {
    CatalogueFixture f;
    f.Target(3);
    f.Target(12);
    EXPECT_EQ(f.cat.BuildTargetList(), 2);
    ASSERT_EQ(f.cat.targets().size(), 2u);
    EXPECT_EQ(f.cat.targets()[0].name, "Language 12");
    EXPECT_EQ(f.cat.targets()[1].name, "Language 3");
}

TEST(LanguageCatalogue, LangListIsMacRomanAndSkipsMissingTargets) {
    CatalogueFixture f;
    f.Target(3);
    f.Target(12);
    WriteFile(f.folders.DataDir + "/LangList.txt", "12|Fran\x8D"
                                                   "ais|x\r\n3|deutsch\r\n7|Missing\r\n\r\nzz|Bad\n");
    EXPECT_EQ(f.cat.BuildTargetList(), 2);
    EXPECT_EQ(f.cat.targets()[0].name, "deutsch");
    EXPECT_EQ(f.cat.targets()[1].name, "Fran\xC3\xA7"
                                       "ais");
    EXPECT_EQ(f.cat.targets()[1].number, 12);
}

TEST(LanguageCatalogue, StartTargetFromOptionRegistryOrFirst) {
    CatalogueFixture f;
    f.Target(3);
    f.Target(12);
    WriteFile(f.folders.DataDir + "/targets/target12/TEXT/x.txt", "");
    f.config.LoadText("[Defaults]\nChangeLanguage12=0\n");
    f.cat.BuildTargetList();

    f.registry.values["Target"] = "12";
    f.cat.ChooseStartTarget();
    EXPECT_EQ(f.cat.targetNumber(), 12);
    EXPECT_EQ(f.folders.TargetDir, f.folders.DataDir + "\\targets\\target12");
    EXPECT_EQ(f.folders.TextDir, f.folders.TargetDir + "\\TEXT");
    EXPECT_EQ(f.folders.RecordsFile, f.folders.RecordsDir + "/Parlora12.ini");
    EXPECT_FALSE(f.settings.ChangeLanguage);
    EXPECT_EQ(f.cat.TargetName(), "Language 12");

    // A remembered target that has gone: the first in the list, silently.
    CatalogueFixture g;
    g.Target(3);
    g.Target(12);
    g.cat.BuildTargetList();
    g.registry.values["Target"] = "40";
    g.cat.ChooseStartTarget();
    EXPECT_EQ(g.cat.targetNumber(), 12);
    g.cat.SetTarget(3);
    EXPECT_EQ(g.folders.TextDir, g.folders.DataDir + "\\sources\\3source");
    EXPECT_TRUE(g.settings.ChangeLanguage);
    EXPECT_EQ(g.registry.values["Target"], "3");
    g.cat.SetTarget(77);
    EXPECT_EQ(g.cat.TargetName(), "Target 77");

    // A requested target that is missing fails with its number.
    CatalogueFixture h;
    h.Target(3);
    h.cat.BuildTargetList();
    h.options.requestedTarget = 40;
    try {
        h.cat.ChooseStartTarget();
        FAIL();
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "Can't find target 40");
    }
    // Network mode never touches the registry.
    h.options.network = true;
    h.cat.SetTarget(3);
    EXPECT_TRUE(h.registry.values.empty());
}

TEST(LanguageCatalogue, SourceFallbacks) {
    auto chosen = [](bool have47, bool have1, bool have2) {
        CatalogueFixture f;
        f.shell.locale = "pt_BR.UTF-8";
        f.Target(20);
        if (have47) f.Source(47);
        if (have1) f.Source(1);
        if (have2) f.Source(2);
        f.cat.BuildTargetList();
        f.cat.ChooseStartTarget();
        try {
            f.cat.ChooseStartSource();
        } catch (const AppError& e) {
            EXPECT_STREQ(e.what(), "Can't find any source directory");
            return -1;
        }
        EXPECT_EQ(f.folders.SourceDir,
                  Format("%s\\sources\\%dsource", f.folders.DataDir.c_str(), f.cat.sourceNumber()));
        // Remembered per target in the records file.
        EXPECT_EQ(ProfileFile::Read(f.folders.RecordsFile, "Defaults", "Source", ""),
                  std::to_string(f.cat.sourceNumber()));
        return f.cat.sourceNumber();
    };
    EXPECT_EQ(chosen(true, true, true), 47);
    EXPECT_EQ(chosen(false, true, true), 1);
    EXPECT_EQ(chosen(false, false, true), 2);
    EXPECT_EQ(chosen(false, false, false), -1);

    // The records file's last source beats the locale.
    CatalogueFixture r;
    r.Target(20);
    r.Source(1);
    r.Source(5);
    WriteFile(r.folders.RecordsDir + "/Parlora20.ini", "[Defaults]\r\nSource=5\r\n");
    r.cat.BuildTargetList();
    r.cat.ChooseStartTarget();
    r.cat.ChooseStartSource();
    EXPECT_EQ(r.cat.sourceNumber(), 5);
}

TEST(LanguageCatalogue, RequestedSourceAndImmersion) {
    CatalogueFixture f;
    f.Target(20);
    f.Source(1);
    f.Source(3);
    f.options.requestedSource = 3;
    f.cat.BuildTargetList();
    f.cat.ChooseStartTarget();
    f.cat.ChooseStartSource();
    EXPECT_EQ(f.cat.sourceNumber(), 3);
    EXPECT_EQ(f.options.requestedSource, 0); // used once

    CatalogueFixture m;
    m.Target(20);
    m.Source(1);
    m.settings.Source = 9; // configured, but missing
    m.cat.BuildTargetList();
    m.cat.ChooseStartTarget();
    EXPECT_THROW(m.cat.ChooseStartSource(), AppError);

    CatalogueFixture i;
    i.Target(20);
    i.Source(1);
    i.settings.Immersion = true;
    i.cat.BuildTargetList();
    i.cat.ChooseStartTarget();
    EXPECT_FALSE(i.settings.ChangeLanguage);
    EXPECT_THROW(i.cat.ChooseStartSource(), AppError);
    i.Source(20);
    i.cat.ChooseStartSource();
    EXPECT_EQ(i.cat.sourceNumber(), 20);
}

TEST(LanguageCatalogue, SourceFontAndFirstWordsFilter) {
    CatalogueFixture f;
    f.config.LoadText("[Name]\nFont92=Noto Sans Arabic\nCharset92=178\n");
    f.settings.Filter1 = 2;
    f.settings.Filter1List = "5,92";
    f.cat.SetSource(92);
    EXPECT_EQ(f.cat.sourceFontName(), "Noto Sans Arabic");
    EXPECT_EQ(f.cat.sourceCharset(), 178);
    EXPECT_TRUE(f.cat.firstWordsFilterActive());
    f.settings.Filter1List = "5,0,92"; // the list ends at the zero
    f.cat.SetSource(1);
    f.cat.SetSource(92);
    EXPECT_FALSE(f.cat.firstWordsFilterActive());
    EXPECT_EQ(f.cat.sourceFontName(), "Noto Sans Arabic");
    f.cat.SetSource(2);
    EXPECT_EQ(f.cat.sourceFontName(), "Arial");
    EXPECT_EQ(f.cat.sourceCharset(), 1);
    f.settings.Filter1 = 1;
    f.cat.SetSource(3);
    EXPECT_TRUE(f.cat.firstWordsFilterActive());
}

TEST(LanguageCatalogue, LocaleMapping) {
    auto source = [](const std::string& locale) {
        auto id = TLanguageCatalogue::LocaleLanguageId(locale);
        return id ? TLanguageCatalogue::SourceForLanguageId(id->first, id->second, -9) : -9;
    };
    std::map<std::string, int> expected = {
        {"pt_BR.UTF-8", 47}, {"pt_PT", 9},        {"fr_FR.UTF-8", 3}, {"ru_RU", 7},   {"cy_GB", 21},
        {"en_US.UTF-8", 1},  {"en_CA", 1},        {"en_GB", 2},       {"en_AU", 2},   {"en", 1},
        {"de_DE", 4},        {"de_CH", 89},       {"zh_HK", 48},      {"zh_CN", 19},  {"es_ES", 5},
        {"es_MX", 66},       {"es", 5},           {"ar_EG", 18},      {"ar_SA", 92},  {"hr_HR", 25},
        {"bs_BA", 174},      {"sr_RS@latin", 26}, {"ja_JP", 20},      {"wo_SN", 201}, {"gd_GB", 67},
        {"nb_NO", 11},       {"C", -9},           {"POSIX", -9},      {"", -9},       {"xx_YY", -9},
    };
    for (auto& [locale, number] : expected)
        EXPECT_EQ(source(locale), number) << locale;
    EXPECT_EQ(TLanguageCatalogue::SourceForLanguageId(999, 1, 4), 4);

    CatalogueFixture f;
    f.shell.locale = "C.UTF-8";
    EXPECT_EQ(f.cat.LocaleSourceNumber(1), 1);
    f.shell.locale = "it_IT.UTF-8";
    EXPECT_EQ(f.cat.LocaleSourceNumber(1), 6);
}

TEST(LanguageCatalogue, ActorsFromBothFoldersLoadedWhereFound) {
    CatalogueFixture f;
    f.Actor(f.folders.UpdateDir, "VideoM", "Male1");
    f.Actor(f.folders.DataDir, "VideoM", "male1");
    f.Actor(f.folders.DataDir, "VideoM", "Male3");
    f.Actor(f.folders.DataDir, "VideoM", ".Male9");
    MakeDirs(f.folders.DataDir + "/VideoM/NoThumb");
    f.Actor(f.folders.UpdateDir, "VideoF", "Female1");
    EXPECT_EQ(f.cat.BuildActorLists(), 1);
    EXPECT_EQ(f.cat.maleActors(), (std::vector<std::string>{"Male1", "Male3"}));
    EXPECT_EQ(f.cat.femaleActors(), (std::vector<std::string>{"Female1"}));
    EXPECT_FALSE(f.settings.ChangeActor);

    f.cat.SetMaleActor("Male3");
    const TActorData& m = f.cat.actor(0);
    EXPECT_EQ(m.folder, f.folders.DataDir + "\\VideoM\\Male3");
    EXPECT_EQ(m.frames, (std::array<int, 4>{4, 1, 3, 1})); // 0 and missing become 1
    EXPECT_EQ(m.fps, 12);
    EXPECT_EQ(m.strips[TActorData::Speak], m.folder + "\\speak.jpg");
    EXPECT_EQ(TActorData::StripName(0, TActorData::Yes), "MYes");
    EXPECT_EQ(TActorData::StripName(1, TActorData::Idle), "FIdle");

    f.Actor(f.folders.UpdateDir, "VideoF", "Female2");
    EXPECT_EQ(f.cat.BuildActorLists(), 2);
    try {
        f.cat.SetFemaleActor("Nobody");
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Can't find " + f.folders.UpdateDir + "\\VideoF\\Nobody\\speaker.txt");
    }
}

TEST(LanguageCatalogue, StudentActorsFallBackToTheDefault) {
    CatalogueFixture f;
    f.Target(1);
    f.Actor(f.folders.UpdateDir, "VideoM", "Male2");
    f.Actor(f.folders.UpdateDir, "VideoM", "Male5");
    f.Actor(f.folders.UpdateDir, "VideoF", "Female2");
    f.Actor(f.folders.UpdateDir, "VideoF", "Broken", false);
    f.cat.BuildActorLists();
    f.cat.SetTarget(1);
    WriteFile(f.folders.RecordsFile, "[Student Kim]\r\nMale=male5\r\nFemale=Broken\r\n");
    f.records.SetCurrentStudent("Kim");
    f.cat.LoadStudentActors();
    EXPECT_EQ(f.cat.currentMaleActor(), "male5");
    EXPECT_EQ(f.cat.actor(0).folder, f.folders.UpdateDir + "\\VideoM\\Male5");
    EXPECT_EQ(f.cat.currentFemaleActor(), "Female2");
    EXPECT_EQ(ProfileFile::Read(f.folders.RecordsFile, "Student Kim", "Female", ""), "Female2");
    EXPECT_EQ(f.log.size(), 1u);
}

TEST(LanguageCatalogue, TitlePictureAndVisibility) {
    CatalogueFixture f;
    f.Target(205);
    f.Source(1);
    f.cat.SetTarget(205);
    f.cat.SetSource(1);
    EXPECT_EQ(f.cat.TitlePicturePath(), f.folders.TextDir + "\\general\\default205.png");
    WriteFile(f.folders.DataDir + "/sources/1source/General/Learn205.png", "png");
    EXPECT_EQ(f.cat.TitlePicturePath(), f.folders.SourceDir + "\\general\\learn205.png");
    EXPECT_FALSE(f.cat.TitleVisible());
    f.cat.SetTarget(3);
    EXPECT_TRUE(f.cat.TitleVisible());
    f.settings.ShowTitle = false;
    EXPECT_FALSE(f.cat.TitleVisible());
}

TEST(RegistryFile, KeepsValuesAndIgnoresFailures) {
    TempDir dir;
    TRegistryFile reg(dir / "cfg/Lingwell/ParloraPlus/registry.ini");
    EXPECT_EQ(reg.Read("Target", "-1"), "-1");
    reg.Write("Target", "12");
    EXPECT_EQ(reg.Read("target", "-1"), "12");
    EXPECT_EQ(ProfileFile::Read(dir / "cfg/Lingwell/ParloraPlus/registry.ini",
                                "Software\\Lingwell\\ParloraPlus", "Target", ""),
              "12");
    WriteFile(dir / "file", "x");
    TRegistryFile broken(dir / "file/registry.ini"); // its folder is a file
    broken.Write("Target", "3");
    EXPECT_EQ(broken.Read("Target", "-1"), "-1");
    TRegistryFile none("");
    none.Write("Target", "3");
    EXPECT_EQ(none.Read("Target", "-1"), "-1");
}

} // namespace
} // namespace parlora
