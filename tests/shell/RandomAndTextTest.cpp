#include "core/Errors.h"
#include "platform/Clock.h"
#include "platform/Dispatcher.h"
#include "platform/Platform.h"
#include "shell/RandomStream.h"
#include "shell/TextUtils.h"

#include <gtest/gtest.h>

#include <map>

namespace parlora {
namespace {

TEST(RandomStream, ReproducesTheRecurrence) {
    TRandomStream s(0);
    std::vector<uint32_t> got;
    for (int i = 0; i < 5; ++i)
        got.push_back(s.Next(10));
    EXPECT_EQ(got, (std::vector<uint32_t>{0, 0, 8, 2, 2}));

    // The seed moves on even for a range of 0, so a class seeded alike stays in step.
    TRandomStream a(77), b(77);
    EXPECT_EQ(a.Next(0), 0u);
    b.Next(5);
    EXPECT_EQ(a.seed(), b.seed());
    EXPECT_EQ(a.seed(), 77u * 134775813u + 1u);
}

TEST(RandomStream, StreamsAreIndependentAndSeededFromTheClock) {
    TRandomStreams r;
    FakeClock clock;
    clock.setPerfCounter(0x1234'0000'00ABull);
    clock.setUtcMsOfDay(45'296'789);
    r.SeedSharedFromClock(clock);
    r.SeedCourseFromClock(clock);
    EXPECT_EQ(r.shared.seed(), 0x0000'00ABu);
    EXPECT_EQ(r.course.seed(), 45'296'789u);

    r.SeedShared(0);
    r.course.Seed(0);
    r.CourseRandom(10);
    r.CourseRandom(10);
    EXPECT_EQ(r.SharedRandom(10), 0); // untouched by the course stream
    EXPECT_EQ(r.SharedRandom(-3), 0);
    for (int i = 0; i < 1000; ++i) {
        int v = r.SharedRandom(7);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 7);
    }
}

TEST(TextUtils, TakeTokenAndTakeInt) {
    std::string text = "12|Anna|x";
    EXPECT_EQ(TakeToken(text, "|"), "12");
    EXPECT_EQ(text, "Anna|x");
    EXPECT_EQ(TakeToken(text, "|"), "Anna");
    EXPECT_EQ(TakeToken(text, "|"), "x");
    EXPECT_EQ(text, "");
    EXPECT_EQ(TakeToken(text, "|"), "");

    text = "abc,5";
    EXPECT_EQ(TakeInt(text, ",", 7), 7);
    EXPECT_EQ(text, "5");
    EXPECT_EQ(TakeInt(text, ",", 7), 5);
    EXPECT_EQ(TakeInt(text, ",", 7), 7); // empty

    text = "ab::cd";
    EXPECT_EQ(TakeToken(text, "::"), "ab");
    EXPECT_EQ(text, "cd");

    std::u16string wide = u"Title\tArtist";
    EXPECT_EQ(TakeTokenWide(wide, u"\t"), u"Title");
    EXPECT_EQ(wide, u"Artist");
}

TEST(TextUtils, ChunksAndItemLists) {
    std::string list = "010203";
    EXPECT_EQ(TakeChunkAt(list, 3, 2), "02");
    EXPECT_EQ(list, "0103");
    EXPECT_EQ(TakeChunkAt(list, 9, 2), "");
    EXPECT_EQ(TakeChunkAt(list, 4, 5), "3");
    EXPECT_EQ(list, "010");

    EXPECT_EQ(BuildItemList(5, {}), "0102030405");
    // Cut from the last exclusion to the first, so ascending exclusions remove the right items.
    EXPECT_EQ(BuildItemList(6, {2, 5}), "01030406");
    EXPECT_EQ(BuildItemList(44, {16, 17}).size(), 84u);
    EXPECT_EQ(BuildItemList(44, {16, 17}).substr(28, 6), "151819");
    EXPECT_EQ(BuildItemList(60, {}), std::string(kMasterItems));

    TRandomStreams r;
    r.SeedShared(0);
    std::string items = BuildItemList(10, {});
    std::map<int, int> seen;
    while (!items.empty())
        ++seen[TakeRandomInt(items, 2, r)];
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_EQ(seen.begin()->first, 1);
    EXPECT_EQ(seen.rbegin()->first, 10);
    EXPECT_THROW(TakeRandomInt(items, 2, r), AppError);
    EXPECT_EQ(TakeRandomChunk(items, 2, r), "");
}

TEST(TextUtils, CentreOnAndVersion) {
    Rect element{0, 0, 31, 20};
    Rect control{100, 200, 50, 41};
    Rect r = CentreOn(element, control);
    EXPECT_EQ(r, (Rect{100 + 25 - 15, 200 + 20 - 10, 31, 20}));
    auto v = ProgramVersion();
    EXPECT_EQ(v, (TProgramVersion{0, 1, 0, 0}));
}

class ScriptedShell : public IShell {
  public:
    int pollsUntilEnd = 3;
    int polls = 0;
    bool startable = true;
    std::vector<std::string> lastArgs;
    bool openUrl(const std::string&) override { return true; }
    int startProgram(const std::string&, const std::vector<std::string>& args, const std::string&) override {
        lastArgs = args;
        return startable ? 7 : -1;
    }
    std::optional<int> pollProgram(int handle) override {
        EXPECT_EQ(handle, 7);
        if (++polls >= pollsUntilEnd) return 42;
        return std::nullopt;
    }
    std::string userFullName() const override { return ""; }
    std::string localeName() const override { return "C"; }
    std::vector<std::string> discMounts() const override { return {}; }
};

// Moves the fake clock to the next timer whenever the loop would wait.
class StepSource : public IEventSource {
  public:
    StepSource(FakeClock& clock, Dispatcher*& d) : clock_(clock), d_(d) {}
    void waitEvents(int64_t timeoutMs, std::vector<InputEvent>&) override {
        if (timeoutMs > 0) clock_.advance(uint64_t(timeoutMs));
    }
    void wake() override {}

  private:
    FakeClock& clock_;
    Dispatcher*& d_;
};

TEST(TextUtils, RunAndWaitPollsUntilTheProgramEnds) {
    FakeClock clock;
    Dispatcher* self = nullptr;
    StepSource source(clock, self);
    Dispatcher dispatcher(clock, &source);
    self = &dispatcher;
    ScriptedShell shell;

    uint64_t start = clock.nowMs();
    EXPECT_EQ(RunAndWait(shell, dispatcher, "GetHelp", {"a", "b"}, "/tmp", true), 42);
    EXPECT_EQ(shell.lastArgs, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(clock.nowMs() - start, 500u); // first poll at once, then every 250 ms
    EXPECT_EQ(dispatcher.msToNextTimer(), -1);

    shell.polls = 0;
    EXPECT_EQ(RunAndWait(shell, dispatcher, "GetHelp", {}, "", false), 0);
    shell.startable = false;
    EXPECT_EQ(RunAndWait(shell, dispatcher, "GetHelp", {}, "", true), -1);

    shell.startable = true;
    shell.polls = 0;
    shell.pollsUntilEnd = 1000;
    dispatcher.quit();
    EXPECT_EQ(RunAndWait(shell, dispatcher, "GetHelp", {}, "", true), kStillActive);
}

} // namespace
} // namespace parlora
