#pragma once
// What the easy and the hard memory quiz share: the categories and their item pool, the quiz draw,
// the card table of eleven places, the dealer who deals, names, nods and shakes his head and drums
// while he waits, the dealt-card disc, the rolling score wheels, and leaving with the result.
#include "engine/FormGame.h"
#include "platform/Dispatcher.h"

#include <array>
#include <functional>
#include <string>

namespace parlora {

class TDIBImage;
class TDIBImageStrip;
class TDIBShape;

class TForm_Quiz : public TForm_Game {
  public:
    static constexpr int kPlaces = 11;
    static constexpr int kCategories = 9;
    // Answer tags below 1 that the waiting state understands, besides kTagQuit.
    static constexpr int kTagAgain = -2, kTagClock = -3;
    // The open sector of the disc with d cards dealt, in degrees.
    static constexpr std::array<int, kPlaces + 1> kDiscAngles{0,   42,  73,  99,  127, 162,
                                                              203, 238, 265, 290, 320, 359};
    static constexpr int kCardW = 110, kCardH = 130;
    static constexpr int kCardLeft[kPlaces] = {348, 549, 449, 430, 545, 248, 649, 319, 647, 435, 544};
    static constexpr int kCardTop[kPlaces] = {429, 426, 404, 508, 510, 483, 462, 564, 549, 600, 597};

    TForm_Quiz(TForm_Main& main, std::string className, int gameKind, int help);
    ~TForm_Quiz() override;

    // The code of a category ("ALL", "FW", ...), its records and weights slot, and its item count.
    static const char* CategoryCode(int category);
    static int CategoryTopic(int category);
    static int CategoryItems(int category);
    // The category's three-digit quiz items after the exclusions; the target language's own
    // exclusions apply only to the mixed category 0.
    static std::string CategoryPool(int category, bool firstWordsFilter, bool countriesFilter, int target);

    void Start() override;
    // The speakers are hidden: the dealer speaks.
    void SpeakerClicked(int) override {}
    void ShowScore(int score) override;
    void DIBButton_HelpClick();

    int category() const { return category_; }
    int gameKind() const { return gameKind_; }
    const std::string& categoryPool() const { return categoryPool_; }
    const std::string& roundPool() const { return roundPool_; }
    int count() const { return count_; }
    int selectedPlace() const { return selected_; }
    int selectedItem() const { return selected_ >= 1 ? items_[size_t(selected_)] : 0; }
    // The quiz item dealt at a place (1 to 11); 0 when none.
    int ItemAt(int place) const { return place >= 1 && place <= kPlaces ? items_[size_t(place)] : 0; }
    // The place holding a quiz item in this round; 0 when none.
    int PlaceOf(int item) const;
    int discAngle() const { return discAngle_; }
    int tilesShown() const { return tiles_; }
    // Every quiz item dealt since the start, in order.
    const std::vector<int>& dealt() const { return dealt_; }
    bool idleTimerActive() const;

    TDIBImageStrip& Card(int place) { return *cards_[size_t(place)]; }
    TDIBImage& Picture(int place) { return *pictures_[size_t(place)]; }
    TDIBImageStrip& Tile(int place) { return *tileElements_[size_t(place)]; }
    TDIBImageStrip& Head() { return *head_; }
    TDIBImageStrip& Drum() { return *drum_; }
    TDIBImage& Wheel(int i) { return *wheels_[size_t(i)]; }
    TCustomDIBControl& Face();

  protected:
    // Stores the category, builds its pool and loads its icon.
    void ConfigureCategory(int category);

    // The quiz draw: one quiz item out of the round pool.
    int QuizDraw();
    void StartRoundExit();
    void DealEntry();
    void DealExit();
    // Names the card at a place; the dealer talks until StopTalking.
    void SayCard(int place);
    void StopTalking();
    void SelectWord();
    // Starts the dealer's idle play, then `startClock` (a speed round's clock on the disc, whose end
    // is then the tag kTagClock).
    void BeginWait(std::function<void()> startClock = {});
    void EndWait();
    void WrongSpeakEntry();
    void WrongShakeEntry();
    void RightNodEntry();
    void RightScoreEntry();
    void UndealEntry();
    // Clears the place; returns true while places are left to clear.
    bool UndealExit(bool redrawDisc);
    void SayScoreEntry(bool applause);

    void TakeUp(int place);
    void PutDown(int place);
    void TurnCard(int place, int durationMs, bool faceUp);
    // The asked card goes back face down, with a click.
    void TurnSelectedDown();
    // The asked card is put down; the next word is chosen while the round has cards left to ask
    // (the one place left in the position pool is never asked).
    void NextCardExit();
    void ShowCounter(int dealtCards, bool redrawDisc = true);
    void DrawDisc(int angle);
    void PlayClick();
    void PlayInterfaceSound(const char* relative);

    int gameKind_, help_;
    int category_ = 0;
    std::string categoryPool_, roundPool_, positionPool_;
    std::array<int, kPlaces + 1> items_{};
    int count_ = 0, index_ = 0, selected_ = 0, clicked_ = 0;
    bool recorded_ = false;
    int discAngle_ = -1;
    int tiles_ = 0;
    std::vector<int> dealt_;
    TDIBAnimList wheelAnim_; // the score wheels roll on their own list: their end is no event

  private:
    void RunStarted() override { dealt_.clear(); }
    void Leaving() override;
    TGameResult Result() const override { return {60, CategoryTopic(category_), gameKind_}; }
    void StartIdleTimer();
    void StopIdleTimer();
    void Timer_IdleTimer();

    std::array<TDIBImageStrip*, kPlaces + 1> cards_{};
    std::array<TDIBImage*, kPlaces + 1> pictures_{};
    std::array<TDIBImageStrip*, kPlaces + 1> tileElements_{};
    std::array<TDIBImage*, 3> wheels_{};
    TDIBImageStrip *head_ = nullptr, *rarm_ = nullptr, *larm_ = nullptr, *drum_ = nullptr;
    TDIBImage *cover_ = nullptr, *icon_ = nullptr;
    TDIBShape* face_ = nullptr;
    bool waiting_ = false;
    TimerId idleTimer_ = 0;
    Lifetime lifetime_;
};

} // namespace parlora
