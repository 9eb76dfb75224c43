#include "shell/WeightTable.h"
#include "core/Errors.h"
#include "shell/RandomStream.h"

#include <gtest/gtest.h>

#include <map>

namespace parlora {
namespace {

TEST(WeightTable, ParametersFromTheWeightsSetting) {
    TWeightParams d = TWeightParams::Parse("");
    EXPECT_EQ(d.initial, 100);
    EXPECT_EQ(d.increasePercent, 100);
    EXPECT_EQ(d.maximum, 800);
    EXPECT_EQ(d.decreasePercent, 29);
    EXPECT_EQ(d.minimum, 1);

    TWeightParams p = TWeightParams::Parse("50,x,,10");
    EXPECT_EQ(p.initial, 50);
    EXPECT_EQ(p.increasePercent, 100); // not a number
    EXPECT_EQ(p.maximum, 800);         // empty
    EXPECT_EQ(p.decreasePercent, 10);
    EXPECT_EQ(p.minimum, 1); // missing
}

TEST(WeightTable, IncreaseAndDecreaseFollowTheDefaultSequences) {
    TWeightTable w;
    std::vector<int> up, down;
    for (int i = 0; i < 5; ++i) {
        up.push_back(w.GetWeight(0, 1));
        w.IncreaseWeight(0, 1);
    }
    EXPECT_EQ(up, (std::vector<int>{100, 200, 400, 800, 800}));
    for (int i = 0; i < 13; ++i) {
        down.push_back(w.GetWeight(1, 1));
        w.DecreaseWeight(1, 1);
    }
    EXPECT_EQ(down, (std::vector<int>{100, 71, 50, 35, 24, 17, 12, 8, 5, 3, 2, 1, 1}));

    // Out of range: no crash, nothing stored.
    w.SetWeight(0, 51, 5);
    w.SetWeight(10, 1, 5);
    w.IncreaseWeight(-1, 0);
    EXPECT_EQ(w.GetWeight(0, 51), 0);
    // A huge weight from a damaged file is capped, not wrapped.
    w.SetWeight(2, 3, 2'000'000'000);
    w.IncreaseWeight(2, 3);
    EXPECT_EQ(w.GetWeight(2, 3), 800);
}

TEST(WeightTable, LoadAndSavePerTopicAndForAll) {
    std::map<std::string, std::string> store{{"Weights2", "5,6,abc,,9"}, {"Weights0", "1"}};
    auto read = [&](const std::string& k, const std::string& d) {
        auto it = store.find(k);
        return it == store.end() ? d : it->second;
    };
    auto write = [&](const std::string& k, const std::string& v) { store[k] = v; };

    TWeightTable w;
    w.LoadWeights(TWeightTable::kAllTopics, read);
    EXPECT_EQ(w.GetWeight(2, 1), 5);
    EXPECT_EQ(w.GetWeight(2, 2), 6);
    EXPECT_EQ(w.GetWeight(2, 3), 100); // broken
    EXPECT_EQ(w.GetWeight(2, 4), 100); // empty
    EXPECT_EQ(w.GetWeight(2, 5), 9);
    EXPECT_EQ(w.GetWeight(2, 12), 100); // fewer numbers than items
    EXPECT_EQ(w.GetWeight(0, 1), 1);
    EXPECT_EQ(w.GetWeight(8, 24), 100);

    w.SetWeight(2, 12, 33);
    w.SaveWeights(2, write);
    EXPECT_EQ(store["Weights2"], "5,6,100,100,9,100,100,100,100,100,100,33");
    w.SaveWeights(TWeightTable::kAllTopics, write);
    EXPECT_EQ(store.size(), 9u);
    EXPECT_EQ(std::count(store["Weights7"].begin(), store["Weights7"].end(), ','), 48);
    EXPECT_EQ(store.count("Weights9"), 0u);
}

TEST(WeightTable, WeightedChopWalksTheCumulativeWeights) {
    TWeightTable w;
    w.SetWeight(0, 1, 1);
    w.SetWeight(0, 2, 3);
    TRandomStreams r;
    // Find seeds whose first draw over a sum of 4 gives each r, then check the pick.
    std::map<uint32_t, int> pickFor;
    for (uint32_t seed = 0; pickFor.size() < 4 && seed < 1000; ++seed) {
        TRandomStream probe(seed);
        uint32_t value = probe.Next(4);
        if (pickFor.count(value)) continue;
        r.SeedShared(seed);
        std::string list = "0102";
        int item = w.WeightedChop(list, 0, false, r);
        pickFor[value] = item;
        EXPECT_EQ(list, item == 1 ? "02" : "01");
    }
    EXPECT_EQ(pickFor, (std::map<uint32_t, int>{{0, 1}, {1, 2}, {2, 2}, {3, 2}}));

    std::string empty;
    EXPECT_THROW(w.WeightedChop(empty, 0, false, r), AppError);
    w.SetWeight(0, 1, 0);
    w.SetWeight(0, 2, 0);
    std::string zero = "0102";
    try {
        w.WeightedChop(zero, 0, false, r);
        FAIL();
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "Bad WeightedChop!");
    }
    EXPECT_EQ(zero, "0102");
}

TEST(WeightTable, EqualWeightsDrawUniformlyAndQuizModeIgnoresWeights) {
    TWeightTable w;
    for (int i = 1; i <= 4; ++i)
        w.SetWeight(3, i, 1);
    TRandomStreams r;
    r.SeedShared(12345);
    std::map<int, int> counts;
    for (int n = 0; n < 4000; ++n) {
        std::string list = "01020304";
        ++counts[w.WeightedChop(list, 3, false, r)];
    }
    for (auto& [item, count] : counts)
        EXPECT_NEAR(count, 1000, 120) << item;

    // Quiz mode: a uniform draw, even of an item with weight 0, and the same for the same seed.
    w.SetWeight(3, 1, 0);
    r.SeedShared(5);
    std::string a = "01020304";
    std::vector<int> first;
    while (!a.empty())
        first.push_back(w.WeightedChop(a, 3, true, r));
    r.SeedShared(5);
    std::string b = "01020304";
    std::vector<int> second;
    while (!b.empty())
        second.push_back(w.WeightedChop(b, 3, true, r));
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.size(), 4u);
    EXPECT_NE(std::find(first.begin(), first.end(), 1), first.end());
}

TEST(WeightTable, DamagedEntriesAreNeverDrawn) {
    TWeightTable w;
    w.SetWeight(0, 2, -500); // from a damaged file
    TRandomStreams r;
    r.SeedShared(9);
    for (int n = 0; n < 200; ++n) {
        std::string list = "xx0299";
        EXPECT_THROW(w.WeightedChop(list, 0, false, r), AppError);
        std::string mixed = "0201";
        EXPECT_EQ(w.WeightedChop(mixed, 0, false, r), 1);
    }
}

} // namespace
} // namespace parlora
