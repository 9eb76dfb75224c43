#pragma once
// The award screen: the current student's total runs up a dial while a rising scale plays; each
// medal level passed turns its medal with a chime, and a perfect total earns applause. Beside it
// the students best first, the message, and the certificate for a total that earned a medal.
#include "display/DIBAnimList.h"
#include "engine/KaStateList.h"
#include "shell/DIBScreen.h"
#include "shell/ScreenRoute.h"

#include <array>
#include <memory>
#include <string>
#include <utility>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;
class TDIBImageStrip;
class TDIBLabel;
class TKaRamWav;

class TForm_Award : public TDIBScreen {
  public:
    static constexpr int kRowHeight = 18;
    static constexpr int kRows = 10;
    static constexpr int kFullSweep = 1800;
    // No total the course can give comes near this; a damaged records file could hold any number,
    // and the marker would wind round the dial for minutes.
    static constexpr int kDialMost = 2400;
    static constexpr int kScoreFontHeight = 90;
    enum Player { kBackground, kBronze, kSilver, kGold, kPerfect, kPlayerCount };

    TForm_Award(TForm_Main& main, const TScreenParams& params);
    ~TForm_Award() override;

    void Start() override;
    void DIBBS_ExitClick();
    void DIBBS_PrintClick();

    int total() const { return total_; }
    int dialValue() const { return dialValue_; }
    int scaleDuration() const { return scaleDuration_; }
    bool printing() const { return printing_; }
    TKaStateList& stateList() { return KaStateList1; }
    TKaRamWav& player(Player p) { return *players_[size_t(p)]; }
    // The marker's top-left for a dial value.
    static std::pair<int, int> DialPosition(int value);
    void SetDial(int value);

  private:
    void DrawRanking();
    void ShowScore(int value);
    void BindStates();
    void Sweep(int from, int to);
    void TurnMedal(const char* strip);
    void PlayPlayer(Player p);
    void StopPlayers();
    void Closing();

    TKaStateList KaStateList1;
    std::unique_ptr<TDIBAnimList> anims_;
    std::array<std::unique_ptr<TKaRamWav>, kPlayerCount> players_;
    TDIBImage* blob_ = nullptr;
    TDIBImage* list_ = nullptr;
    TDIBLabel* score_ = nullptr;
    TDIBButtonStrip* print_ = nullptr;
    std::string student_;
    int total_ = 0;
    int dialValue_ = 0;
    int scaleDuration_ = 0;
    bool printing_ = false;
};

} // namespace parlora
