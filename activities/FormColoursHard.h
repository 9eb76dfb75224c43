#pragma once
// The colours hard game: a car park. The female speaker names a colour; a clicked colour button
// sends its camera to the large grey car, which takes the colour and drives to its place. Ten of
// the twelve colours are asked once each; the other two cars are parked from the start.
#include "activities/FormHardGame.h"

#include <array>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;

class TForm_ColoursHard : public TForm_HardGame {
  public:
    static constexpr int kColours = 12;

    explicit TForm_ColoursHard(TForm_Main& main);

    int ItemAtPosition(int position) const override;
    // The colours of the game, by question number (1 to 10), chosen at the start.
    int targetOf(int question) const;
    // The two colours not asked, whose cars stand in the car park from the start.
    const std::array<int, 2>& parked() const { return parked_; }
    TDIBButtonStrip& ColourButton(int colour) { return *buttons_[size_t(colour)]; }
    TDIBImage& SmallCar(int colour) { return *cars_[size_t(colour)]; }
    TDIBImage& BigCar() { return *big_; }
    TDIBImage& Camera() { return *camera_; }
    // The picture file last loaded into the large car.
    const std::string& bigPicture() const { return bigPicture_; }
    void DIBButtonClick(int colour) { KaStateList1.MouseAction(colour); }
    // Only the female speaker is there: a click on her repeats the colour.
    void SpeakerClicked(int speaker) override;

  protected:
    void ShowStartSpeakers() override { ShowSpeakers(kFemale, true); }
    TCustomDIBControl& AnswerElement(int position) override;
    void StartPools() override;

  private:
    void DefineStates();
    void ShowPicEntry();
    void LoadBig(const char* fmt, int colour);

    std::array<TDIBButtonStrip*, kColours + 1> buttons_{};
    std::array<TDIBImage*, kColours + 1> cars_{};
    TDIBImage* big_ = nullptr;
    TDIBImage* camera_ = nullptr;
    Rect bigRect_;
    std::array<int, kQuestions + 1> targets_{};
    std::array<int, 2> parked_{};
    std::string bigPicture_;
};

} // namespace parlora
