#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "display/DIBLabel.h"
#include "media/KaRamWav.h"
#include "printing/CertificatePrinter.h"
#include "tests/support/DemoCourse.h"
#include "users/FormAward.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

struct CountingCertificatePrinter : TCertificatePrinter {
    struct Call {
        int level, score;
        std::string name;
    };
    static inline std::vector<Call> calls;
    void PrintCertificate(TForm_Main&, int level, int score, const std::string& name) override {
        calls.push_back({level, score, name});
    }
};

// Long enough for the whole dial, the applause and the closing message.
constexpr uint64_t kWholeSequenceMs = 20000;

struct AwardCourse : DemoCourse {
    AwardCourse() {
        CountingCertificatePrinter::calls.clear();
        TCertificatePrinter::Instance() = [] { return std::make_unique<CountingCertificatePrinter>(); };
    }
    ~AwardCourse() {
        TCertificatePrinter::Instance() = [] { return std::make_unique<TCertificatePrinter>(); };
    }
    // The award screen for student "Kim" whose easy games add up to `total`; `others` are further
    // students with their stored totals.
    TForm_Award& Open(int total, const std::vector<std::pair<std::string, int>>& others = {},
                      const std::string& config = "") {
        Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n" + config}});
        Start({"target=3", "source=1"}, 1);
        TRecordsStore& r = *main->records();
        for (const auto& [name, score] : others) {
            EXPECT_TRUE(r.AddStudent(name));
            r.WriteRecordInt("Student " + name, "Score", score);
        }
        EXPECT_TRUE(r.AddStudent("Kim"));
        r.SetCurrentStudent("Kim");
        // Whole games of 50 and the rest in one more slot.
        std::string game;
        int left = total;
        for (int slot = 0; slot < 10; ++slot) {
            int s = slot == 9 ? left : std::min(left, 50);
            left -= s;
            game += (slot ? "," : "") + std::to_string(s);
        }
        r.WriteStudentValue("Game2", game);
        // The rest of a big total in the hard games.
        if (left > 0) r.WriteStudentValue("Game3", std::to_string(left));
        main->LoadStudent();
        EXPECT_EQ(r.Total(), total);
        Request(12);
        auto* s = ScreenAs<TForm_Award>();
        EXPECT_NE(s, nullptr) << Screen();
        return *s;
    }
    TForm_Award& screen() { return *ScreenAs<TForm_Award>(); }
    template <class T> T& E(const std::string& name) { return screen().Element<T>(name); }
    // The award sounds and the message in the order they started, by file name.
    std::vector<std::string> Sounds() {
        std::vector<std::string> out;
        for (const auto& e : platform.headlessAudioOut().log()) {
            std::string file = e.label.substr(e.label.find_last_of("/\\") + 1);
            out.push_back(file.substr(0, file.find('.')));
        }
        return out;
    }
    const AudioLogEntry* Sound(const std::string& fragment) {
        for (const auto& e : platform.headlessAudioOut().log())
            if (e.label.find(fragment) != std::string::npos) return &e;
        return nullptr;
    }
};

struct Case {
    int total;
    std::vector<std::string> sounds;
    int turned; // medals that turned: 0 none, 1 bronze, 2 and silver, 3 and gold
};

TEST(AwardScreen, ThresholdsDecideChimesMedalsAndCertificate) {
    const std::vector<std::string> none = {"Scale", "1WRDN"};
    const std::vector<std::string> bronze = {"Scale", "BADing", "1WRDK"};
    const std::vector<std::string> silver = {"Scale", "BADing", "SADing", "1WRDK"};
    const std::vector<std::string> gold = {"Scale", "BADing", "SADing", "GADing", "1WRDK"};
    const Case cases[] = {{0, none, 0},      {899, none, 0},    {900, bronze, 1}, {1199, bronze, 1},
                          {1200, silver, 2}, {1499, silver, 2}, {1500, gold, 3},  {1650, gold, 3}};
    static const char* const strips[] = {"DIBIS_Bronze", "DIBIS_Silver", "DIBIS_Gold"};
    for (const Case& k : cases) {
        SCOPED_TRACE("total " + std::to_string(k.total));
        AwardCourse c;
        TForm_Award& s = c.Open(k.total);
        EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Print").Enabled());
        EXPECT_FALSE(c.E<TDIBImage>("DIBI_YesNo").Visible());
        c.Wait(kWholeSequenceMs);
        EXPECT_EQ(c.Sounds(), k.sounds);
        EXPECT_FALSE(s.stateList().Running());
        EXPECT_EQ(s.dialValue(), k.total);
        const TDIBLabel& score = c.E<TDIBLabel>("Label_Score");
        EXPECT_EQ(score.Caption(), std::to_string(k.total));
        // The total fits the dial's middle whole.
        EXPECT_LE(TextRenderer::Measure(score.Caption(), score.Font()).width, score.Width());
        auto [left, top] = TForm_Award::DialPosition(k.total);
        EXPECT_EQ(c.E<TDIBImage>("DIBI_Blob").Left(), left);
        EXPECT_EQ(c.E<TDIBImage>("DIBI_Blob").Top(), top);
        for (int m = 0; m < 3; ++m)
            EXPECT_EQ(c.E<TDIBImageStrip>(strips[m]).ImageIndexX(), m < k.turned ? 11 : 0) << strips[m];
        EXPECT_TRUE(c.E<TDIBImage>("DIBI_YesNo").Visible());
        EXPECT_EQ(c.E<TDIBButtonStrip>("DIBBS_Print").Enabled(), k.total >= 900);
        // The scale is stopped by the closing, not by a chime: it runs as long as the marker.
        const AudioLogEntry* scale = c.Sound("Scale");
        ASSERT_NE(scale, nullptr);
        EXPECT_TRUE(scale->stopped || k.total >= 1800);
        uint64_t sweep = uint64_t(k.total) * uint64_t(s.scaleDuration()) / 1800;
        EXPECT_GE(scale->endMs - scale->startMs + 40, sweep);
        EXPECT_LE(scale->endMs - scale->startMs, sweep + 100);

        c.ClickOn(c.E<TDIBButtonStrip>("DIBBS_Print"));
        if (k.total >= 900) {
            ASSERT_EQ(CountingCertificatePrinter::calls.size(), 1u);
            EXPECT_EQ(CountingCertificatePrinter::calls[0].level, k.turned);
            EXPECT_EQ(CountingCertificatePrinter::calls[0].score, k.total);
            EXPECT_EQ(CountingCertificatePrinter::calls[0].name, "Kim");
        } else {
            EXPECT_TRUE(CountingCertificatePrinter::calls.empty());
        }
        if (k.total == 1650) c.Shot().savePng("/tmp/users-award.png");
    }
}

TEST(AwardScreen, PerfectTotalEndsTheScaleAndApplaudsForFourSeconds) {
    for (int total : {1800, 1850}) {
        SCOPED_TRACE("total " + std::to_string(total));
        AwardCourse c;
        TForm_Award& s = c.Open(total);
        c.Wait(kWholeSequenceMs);
        EXPECT_EQ(c.Sounds(),
                  (std::vector<std::string>{"Scale", "BADing", "SADing", "GADing", "Applause", "1WRDK"}));
        const AudioLogEntry* scale = c.Sound("Scale");
        const AudioLogEntry* applause = c.Sound("Applause");
        const AudioLogEntry* message = c.Sound("WRDK");
        ASSERT_TRUE(scale && applause && message);
        // The applause follows the marker's arrival; the scale is over by then.
        uint64_t sweep = uint64_t(total) * uint64_t(s.scaleDuration()) / 1800;
        EXPECT_GE(applause->startMs - scale->startMs, sweep);
        EXPECT_LE(applause->startMs - scale->startMs, sweep + 40);
        EXPECT_LE(scale->endMs, applause->startMs);
        EXPECT_EQ(message->startMs - applause->startMs, 4000u);
        EXPECT_EQ(s.dialValue(), total);
        EXPECT_EQ(c.E<TDIBImageStrip>("DIBIS_Gold").ImageIndexX(), 11);
    }
}

TEST(AwardScreen, DamagedHugeTotalDoesNotWindTheMarkerRound) {
    AwardCourse c;
    TForm_Award& s = c.Open(2000000000);
    c.Wait(kWholeSequenceMs);
    EXPECT_FALSE(s.stateList().Running());
    EXPECT_EQ(s.dialValue(), TForm_Award::kDialMost);
    EXPECT_EQ(c.E<TDIBLabel>("Label_Score").Caption(), "2000000000");
    EXPECT_TRUE(c.E<TDIBButtonStrip>("DIBBS_Print").Enabled());
}

TEST(AwardScreen, DialRunsFromLowerLeftOverTheTopToLowerRight) {
    EXPECT_EQ(TForm_Award::DialPosition(0), (std::pair<int, int>{395, 449}));
    EXPECT_EQ(TForm_Award::DialPosition(900), (std::pair<int, int>{504, 251}));
    EXPECT_EQ(TForm_Award::DialPosition(1800), (std::pair<int, int>{613, 449}));
}

TEST(AwardScreen, LeavingMidwayPlaysNothingMore) {
    AwardCourse c;
    c.Open(1650);
    c.Wait(1000);
    c.ClickOn(c.E<TDIBButtonStrip>("DIBBS_Exit"));
    EXPECT_EQ(c.Screen(), "TForm_Menu");
    c.Wait(kWholeSequenceMs);
    EXPECT_EQ(c.Sounds(), (std::vector<std::string>{"Scale"}));
    EXPECT_TRUE(c.Sound("Scale")->stopped);
}

TEST(AwardScreen, RankingListsBestFirstAndScrollsToTheStudent) {
    std::vector<std::pair<std::string, int>> others;
    for (int i = 0; i < 10; ++i)
        others.push_back({"Pupil " + std::to_string(i + 1), 1000 - i * 10});
    AwardCourse c;
    c.Open(500, others);
    // Kim is eleventh: the window shows her in its tenth row.
    EXPECT_EQ(c.E<TDIBImage>("DIBI_List").OffsetY(), 18);
    EXPECT_EQ(c.main->records()->StudentNames().back(), "Kim");
    EXPECT_EQ(c.main->records()->StudentNames().front(), "Pupil 1");

    AwardCourse few;
    few.Open(1300, {{"Ann", 100}, {"Ben", 2000}});
    EXPECT_EQ(few.E<TDIBImage>("DIBI_List").OffsetY(), 0);
    EXPECT_EQ(few.main->records()->StudentNames(), (std::vector<std::string>{"Ben", "Kim", "Ann"}));
    // Kim's row is red.
    const Surface& shot = few.Shot();
    int red = 0;
    for (int x = 138; x < 431; ++x)
        for (int y = 546 + 18; y < 546 + 36; ++y)
            red += (shot.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    EXPECT_GT(red, 20);
}

TEST(AwardScreen, WithoutKillSoundTheChimesPlayOverTheScaleToo) {
    AwardCourse c;
    c.Open(1250, {}, "KillSound=0\r\n");
    EXPECT_FALSE(c.main->settings().KillSound);
    c.Wait(kWholeSequenceMs);
    EXPECT_EQ(c.Sounds(), (std::vector<std::string>{"Scale", "BADing", "SADing", "1WRDK"}));
    // Each chime rings to its end.
    EXPECT_FALSE(c.Sound("BADing")->stopped);
}

TEST(AwardScreen, WithMediaSoundTheMessageComesThroughTheMediaPlayer) {
    AwardCourse c;
    TForm_Award& s = c.Open(950, {}, "MediaSound=1\r\n");
    c.Wait(kWholeSequenceMs);
    EXPECT_EQ(c.Sounds(), (std::vector<std::string>{"Scale", "BADing", "1WRDK"}));
    // The background player kept the scale: the message was not loaded into it.
    EXPECT_NE(s.player(TForm_Award::kBackground).FileName().find("Scale"), std::string::npos);
}

} // namespace
} // namespace parlora::test
