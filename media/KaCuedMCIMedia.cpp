#include "media/KaCuedMCIMedia.h"

#include "core/Errors.h"

#include <algorithm>
#include <cctype>

namespace parlora {

namespace {
bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}
} // namespace

void TKaCuedMCIMedia::AddCue(const std::string& name, int start, int end) {
    cues_.push_back(std::make_unique<TMediaCue>(TMediaCue{name, start, end}));
}

void TKaCuedMCIMedia::PlayCue(const std::string& name) {
    RequireOpen();
    if (cues_.empty()) throw TKMException("No cues loaded");
    auto it =
        std::find_if(cues_.begin(), cues_.end(), [&](const auto& c) { return SameText(c->Name, name); });
    if (it == cues_.end()) throw TKMException("Unknown media cue " + name);
    SetMediaStart((*it)->Start);
    SetMediaEnd((*it)->End);
    // A new play makes any queued end of the replaced one stale, so it is never reported.
    PlayMedia(0);
    lastCue_ = name;
}

void TKaCuedMCIMedia::Completed() {
    if (!nextCue_.empty() && MediaIsOpen()) PlayCue(nextCue_);
    TKaMCIMedia::Completed();
}

} // namespace parlora
