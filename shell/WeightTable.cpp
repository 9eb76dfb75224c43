#include "shell/WeightTable.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "shell/RandomStream.h"
#include "shell/TextUtils.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace parlora {

TWeightParams TWeightParams::Parse(std::string_view text) {
    TWeightParams p;
    std::string rest(text);
    for (int* field : {&p.initial, &p.increasePercent, &p.maximum, &p.decreasePercent, &p.minimum})
        *field = TakeInt(rest, ",", *field);
    return p;
}

TWeightTable::TWeightTable(TWeightParams params) : params_(params) {
    Reset();
}

int TWeightTable::ItemCount(int topic) {
    return topic >= 0 && topic < static_cast<int>(kItemCounts.size()) ? kItemCounts[size_t(topic)] : 0;
}

void TWeightTable::Reset() {
    for (auto& topic : weights_)
        topic.fill(params_.initial);
}

void TWeightTable::LoadTopic(int topic, const Reader& read) {
    std::string text = read("Weights" + std::to_string(topic), "");
    for (int item = 1; item <= ItemCount(topic); ++item)
        weights_[size_t(topic)][size_t(item)] = TakeInt(text, ",", params_.initial);
}

void TWeightTable::SaveTopic(int topic, const Writer& write) const {
    std::string text;
    for (int item = 1; item <= ItemCount(topic); ++item) {
        if (item > 1) text += ',';
        text += std::to_string(weights_[size_t(topic)][size_t(item)]);
    }
    write("Weights" + std::to_string(topic), text);
}

void TWeightTable::LoadWeights(int topic, const Reader& read) {
    if (topic == kAllTopics) {
        for (int t = 0; t < kAllTopics; ++t)
            LoadTopic(t, read);
    } else if (ItemCount(topic) > 0) {
        LoadTopic(topic, read);
    }
}

void TWeightTable::SaveWeights(int topic, const Writer& write) const {
    if (topic == kAllTopics) {
        for (int t = 0; t < kAllTopics; ++t)
            SaveTopic(t, write);
    } else if (ItemCount(topic) > 0) {
        SaveTopic(topic, write);
    }
}

int TWeightTable::GetWeight(int topic, int item) const {
    return Valid(topic, item) ? weights_[size_t(topic)][size_t(item)] : 0;
}

void TWeightTable::SetWeight(int topic, int item, int value) {
    if (Valid(topic, item)) weights_[size_t(topic)][size_t(item)] = value;
}

static int Clamp32(int64_t v) {
    return static_cast<int>(
        std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void TWeightTable::IncreaseWeight(int topic, int item) {
    if (!Valid(topic, item)) return;
    // 64-bit so that a weight set from a damaged file cannot overflow.
    int64_t w = int64_t(GetWeight(topic, item)) * (100 + params_.increasePercent) / 100;
    if (w > params_.maximum) w = params_.maximum;
    SetWeight(topic, item, Clamp32(w));
}

void TWeightTable::DecreaseWeight(int topic, int item) {
    if (!Valid(topic, item)) return;
    int64_t w = int64_t(GetWeight(topic, item)) * (100 - params_.decreasePercent) / 100;
    if (w < params_.minimum) w = params_.minimum;
    SetWeight(topic, item, Clamp32(w));
}

int TWeightTable::WeightedChop(std::string& list, int topic, bool quizMode, TRandomStreams& random) {
    if (quizMode) return TakeRandomInt(list, 2, random);

    // A negative weight (from a damaged records file) counts as 0 rather than unbalancing the draw,
    // and an entry that is not an item number can never be drawn.
    auto weightAt = [&](size_t i) -> int64_t {
        auto item = ParseInt(std::string_view(list).substr(i * 2, 2));
        return item ? std::max(0, GetWeight(topic, static_cast<int>(*item))) : 0;
    };
    size_t k = list.size() / 2;
    int64_t sum = 0;
    for (size_t i = 0; i < k; ++i)
        sum += weightAt(i);
    sum = std::min<int64_t>(sum, std::numeric_limits<uint32_t>::max());

    int64_t r = random.shared.Next(static_cast<uint32_t>(sum));
    int64_t running = 0;
    for (size_t i = 0; i < k; ++i) {
        running += weightAt(i);
        if (r < running) {
            int item = static_cast<int>(*ParseInt(std::string_view(list).substr(i * 2, 2)));
            list.erase(i * 2, 2);
            return item;
        }
    }
    throw AppError("Bad WeightedChop!");
}

} // namespace parlora
