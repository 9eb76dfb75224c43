#pragma once
// The easy game of countries: four flags are shown and their countries said; while they change
// places the screen below slides down, and once the right flag is found it shows the country's map.
#include "activities/FormEasyGame.h"

#include <array>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;

class TForm_CountriesEasy : public TForm_EasyGame {
  public:
    static constexpr int kFlagTop = 169;
    static constexpr int kFlagLefts[4] = {138, 342, 546, 750};

    explicit TForm_CountriesEasy(TForm_Main& main);

    int ItemAtTag(int tag) const override;
    int FlagOfItem(int item) const;
    // The flag (1 to 4) standing above the button at place 1 to 4.
    int FlagAtPlace(int place) const;

  protected:
    TCustomDIBControl& AnswerElement(int tag) override;

  private:
    void DefineStates();
    void ShowItem() override;
    void ScreenDown();
    void ScreenUp();

    std::array<TDIBImage*, 5> flags_{};
    std::array<Rect, 5> flagStart_{};
    std::array<TDIBButtonStrip*, 5> buttons_{};
    std::array<int, 5> shown_{};
    TDIBImage* screen_ = nullptr;
    TDIBImage* map_ = nullptr;
    int screenOffset_ = 0; // the screen's picture offset when the game starts
};

} // namespace parlora
