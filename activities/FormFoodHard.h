#pragma once
// The hard game of the scenes (food, body, shopping): a drawn scene with up to eight buttons on the
// things in it; the female speaker says one thing and the learner presses its button. Each of the
// ten scenes of the folder's scene file comes once in a game.
#include "activities/FormHardGame.h"

#include <array>
#include <string>
#include <vector>

namespace parlora {

class ProfileText;
class TDIBButtonStrip;

class TForm_FoodHard : public TForm_HardGame {
  public:
    static constexpr int kButtons = 8, kScenes = 10;

    // One button of a scene: where it stands and the item it answers.
    struct TSceneButton {
        int left = 0, top = 0, item = 0;
    };
    // The buttons of a scene of the scene file: keys "Button1" on up to the first missing or empty
    // one, each "left,top,item" (a missing number reads as 0). A button whose item is not one of
    // the topic's `itemCount` items is left out: nothing could be asked or said for it.
    static std::vector<TSceneButton> ReadScene(const ProfileText& file, int scene, int itemCount);

    explicit TForm_FoodHard(TForm_Main& main);

    // Before the screen is shown: the topic and its folder, whose background and button it loads.
    void Configure(int topic, const std::string& folder, int returnScreen, int helpIndex,
                   const std::string& prefix);

    int ItemAtPosition(int position) const override;
    // Any button carrying the asked item answers it.
    bool IsRightAnswer(int position) const override;
    // The scene of this question (1 to 10); 0 before the first.
    int scene() const { return scene_; }
    int buttonsInUse() const { return inUse_; }
    const std::string& scenePool() const { return scenePool_; }
    TDIBButtonStrip& Button(int position) { return *buttons_[size_t(position)]; }
    // Only the female speaker is there: a click on her repeats the word, one on him does nothing.
    void SpeakerClicked(int speaker) override;

  protected:
    void ShowStartSpeakers() override { ShowSpeakers(kFemale, true); }
    TCustomDIBControl& AnswerElement(int position) override;
    void StartPools() override;

  private:
    void DefineStates();
    void StartQuestion();
    // Draws scenes until one has buttons; fails with "Bad WeightedChop!" when none has any.
    std::vector<TSceneButton> DrawScene();
    void HideButtons();

    std::string folder_;
    std::string scenePool_;
    std::vector<int> usable_; // scenes seen with buttons in this game
    int scene_ = 0;
    int inUse_ = 0;
    std::array<TDIBButtonStrip*, kButtons + 1> buttons_{};
    std::array<int, kButtons + 1> items_{}; // the item of each button
};

} // namespace parlora
