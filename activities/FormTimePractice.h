#pragma once
// Time practice: a clock whose hands turn. The learner picks an hour, then one of that hour's three
// minute buttons; flashing arrows hint at which ring to use next.
#include "activities/FormPicturePractice.h"
#include "platform/Dispatcher.h"

#include <array>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;

struct TClockTime {
    int hour, minute, item;
};

class TForm_TimePractice : public TForm_PicturePractice {
  public:
    static constexpr int kHintMs = 500;
    static constexpr int kTurnMsPerMinute = 10;
    // Three times per hour, in the order the sequence presents them.
    static const std::array<std::array<TClockTime, 3>, 12>& Times();

    TForm_TimePractice(TForm_Main& main, const TScreenParams& params);
    ~TForm_TimePractice() override;

    void DIBBS_HourClick(int hour);
    void DIBBS_MinClick(int minute);
    void SequenceStep() override;

    // The time the hands show, as hour x 60 + minute.
    int shownMinutes() const { return shown_; }
    int hour() const { return hour_; }
    bool hourHint() const { return hourHint_; }
    bool minuteHint() const { return minuteHint_; }
    bool hintTimerActive() const { return hintTimer_ != 0; }
    TDIBButtonStrip& HourButton(int h) const { return *hours_[size_t(h - 1)]; }
    TDIBButtonStrip& MinuteButton(int m) const { return *minutes_[size_t(m / 5)]; }
    // Hand angles in degrees for a time in minutes.
    static int LittleHandAngle(int minutes) { return (minutes / 2) % 360; }
    static int BigHandAngle(int minutes) { return (minutes * 6) % 360; }

  protected:
    void StartExtras() override;
    void BeforeQuit() override;

  private:
    void SetClock(int minutes);
    void ShowMinuteButtons(int hour);
    void SetHourHint(bool on);
    void SetMinuteHint(bool on);
    void StopHintTimer();
    void HintTimer();

    std::array<TDIBButtonStrip*, 12> hours_{};
    std::array<TDIBButtonStrip*, 12> minutes_{};
    TDIBImage *littleHand_ = nullptr, *bigHand_ = nullptr;
    int shown_ = 12 * 60;
    int hour_ = 0;
    bool hourHint_ = false, minuteHint_ = false;
    TimerId hintTimer_ = 0;
};

} // namespace parlora
