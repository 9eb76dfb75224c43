#pragma once
// The media player with a list of named segments (cues) to play by name.
#include "media/KaMCIMedia.h"

#include <memory>
#include <string>
#include <vector>

namespace parlora {

struct TMediaCue {
    std::string Name;
    int Start = 0; // ms
    int End = 0;   // ms
};

class TKaCuedMCIMedia : public TKaMCIMedia {
  public:
    using TKaMCIMedia::TKaMCIMedia;

    std::vector<std::unique_ptr<TMediaCue>>& Cues() { return cues_; }
    void AddCue(const std::string& name, int start, int end);
    // Plays the cue of that name (any letter case) and forgets the end of the play it replaces.
    void PlayCue(const std::string& name);
    const std::string& LastCue() const { return lastCue_; }
    // Played after each successful end while open; empty = none.
    const std::string& NextCue() const { return nextCue_; }
    void SetNextCue(const std::string& name) { nextCue_ = name; }

  protected:
    void Completed() override;

  private:
    std::vector<std::unique_ptr<TMediaCue>> cues_;
    std::string lastCue_;
    std::string nextCue_;
};

using TKaCuedMedia = TKaCuedMCIMedia;

} // namespace parlora
