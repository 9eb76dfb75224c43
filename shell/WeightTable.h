#pragma once
// Per-student item weights: an item answered wrongly grows heavier and comes back more often.
#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace parlora {

class TRandomStreams;

struct TWeightParams {
    int initial = 100;
    int increasePercent = 100;
    int maximum = 800;
    int decreasePercent = 29;
    int minimum = 1;

    // The "Weights" setting: up to five comma-separated integers in the order above; a missing or
    // non-numeric position keeps its default.
    static TWeightParams Parse(std::string_view text);
};

class TWeightTable {
  public:
    static constexpr int kTopics = 10; // 0..8, and 9 meaning "all topics" for load and save
    static constexpr int kItems = 51;  // items 1..50
    static constexpr int kAllTopics = 9;
    static constexpr std::array<int, 9> kItemCounts{44, 41, 12, 30, 18, 20, 36, 49, 24};

    // Student values: (key, default) -> value, and (key, value).
    using Reader = std::function<std::string(const std::string& key, const std::string& fallback)>;
    using Writer = std::function<void(const std::string& key, const std::string& value)>;

    explicit TWeightTable(TWeightParams params = {});

    const TWeightParams& params() const { return params_; }
    void SetParams(const TWeightParams& params) { params_ = params; }
    static int ItemCount(int topic);

    // Every weight back to the initial weight.
    void Reset();
    // Topic 9 loads (saves) topics 0 to 8. Reads "Weights" + topic; missing or broken entries start
    // at the initial weight.
    void LoadWeights(int topic, const Reader& read);
    void SaveWeights(int topic, const Writer& write) const;

    // Out-of-range topics or items read as 0 and are not stored.
    int GetWeight(int topic, int item) const;
    void SetWeight(int topic, int item, int value);
    void IncreaseWeight(int topic, int item); // after a wrong answer
    void DecreaseWeight(int topic, int item); // after a right answer

    // Draws one item of `list` by weight (uniformly in quiz mode), removes its two characters and
    // returns its number. Throws AppError("Bad WeightedChop!") when nothing can be drawn.
    int WeightedChop(std::string& list, int topic, bool quizMode, TRandomStreams& random);

  private:
    static bool Valid(int topic, int item) {
        return topic >= 0 && topic < kTopics && item >= 1 && item < kItems;
    }
    void LoadTopic(int topic, const Reader& read);
    void SaveTopic(int topic, const Writer& write) const;

    TWeightParams params_;
    std::array<std::array<int, kItems>, kTopics> weights_{};
};

} // namespace parlora
