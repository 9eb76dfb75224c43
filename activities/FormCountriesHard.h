#pragma once
// The countries hard game: four flags, one of them the country said. For each right answer an arm
// takes a pin from the tray and sticks it into the map where that country is.
#include "activities/FormHardGame.h"

#include <array>
#include <string>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;

class TForm_CountriesHard : public TForm_HardGame {
  public:
    static constexpr int kFlags = 4, kCountries = 24;

    explicit TForm_CountriesHard(TForm_Main& main);

    int ItemAtPosition(int position) const override;
    int itemCount() const { return itemCount_; }
    const std::string& excluded() const { return excluded_; }
    const std::string& targetPool() const { return pool_; }
    TDIBImage& Flag(int position) { return *flags_[size_t(position)]; }
    TDIBButtonStrip& FlagButton(int position) { return *buttons_[size_t(position)]; }
    TDIBImage& Pin(int question) { return *pins_[size_t(question)]; }
    TDIBImage& Arm() { return *arm_; }
    // Where the pin of country `item` stands on the map.
    static Rect PinPlace(int item);
    void FlagClick(int position) { KaStateList1.MouseAction(position); }

  protected:
    TCustomDIBControl& AnswerElement(int position) override;
    void StartPools() override;

  private:
    void DefineStates();
    void StartQuestion();
    void ArmShows(const char* picture);

    int itemCount_ = kCountries;
    std::string excluded_;
    std::string pool_;
    std::array<TDIBImage*, kFlags + 1> flags_{};
    std::array<TDIBButtonStrip*, kFlags + 1> buttons_{};
    std::array<TDIBImage*, kQuestions + 1> pins_{};
    std::array<int, kFlags + 1> items_{};
    TDIBImage* arm_ = nullptr;
};

} // namespace parlora
