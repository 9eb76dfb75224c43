#include "activities/FormTimePractice.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"

#include <cmath>
#include <cstdlib>

namespace parlora {
namespace {

const TPracticeTopic kTime{6, "T", "T", 16, 45};

// The clock's centre, and the rings of the hour and the minute buttons around it.
constexpr int kCentreX = 512, kCentreY = 380;
constexpr int kHourRadius = 150, kMinuteRadius = 240, kButton = 50;
// The hands turn about their picture's centre: each lies in a square as tall as its picture.
constexpr int kLittleHand = 170, kBigHand = 250, kPivot = 24;
constexpr int kArrowW = 60, kArrowH = 40;

constexpr std::array<std::array<TClockTime, 3>, 12> kTimes{{
    {{{1, 0, 1}, {1, 15, 33}, {1, 40, 19}}},
    {{{2, 0, 2}, {2, 20, 16}, {2, 30, 34}}},
    {{{3, 0, 3}, {3, 10, 14}, {3, 45, 35}}},
    {{{4, 0, 4}, {4, 15, 25}, {4, 20, 36}}},
    {{{5, 0, 5}, {5, 5, 13}, {5, 30, 28}}},
    {{{6, 0, 6}, {6, 15, 15}, {6, 55, 32}}},
    {{{7, 0, 7}, {7, 25, 17}, {7, 45, 30}}},
    {{{8, 0, 8}, {8, 5, 23}, {8, 30, 18}}},
    {{{9, 0, 9}, {9, 10, 24}, {9, 45, 20}}},
    {{{10, 0, 10}, {10, 20, 26}, {10, 50, 21}}},
    {{{11, 0, 11}, {11, 40, 29}, {11, 55, 22}}},
    {{{12, 0, 12}, {12, 25, 27}, {12, 50, 31}}},
}};

Rect OnRing(int radius, double degrees) {
    double a = degrees * M_PI / 180.0;
    int x = kCentreX + int(std::lround(radius * std::sin(a)));
    int y = kCentreY - int(std::lround(radius * std::cos(a)));
    return {x - kButton / 2, y - kButton / 2, kButton, kButton};
}

Rect Centred(int side) {
    return {kCentreX - side / 2, kCentreY - side / 2, side, side};
}

std::vector<ImageItemSpec> Items() {
    const char* folder = "Interface\\Time\\Practice\\";
    std::vector<ImageItemSpec> items{
        {"Background", std::string(folder) + "TimePracBG.png"},
        {"LittleHand", std::string(folder) + "LittleHand.png", true, true},
        {"BigHand", std::string(folder) + "BigHand.png", true, true},
        {"Pivot", std::string(folder) + "Pivot.png", true, true},
        {"BlueArrow", std::string(folder) + "BlueArrow.png", true, true},
        {"RedArrow", std::string(folder) + "RedArrow.png", true, true},
    };
    for (int h = 1; h <= 12; ++h)
        items.push_back({Format("Hour%d", h), Format("%sHour%d.png", folder, h)});
    for (int m = 0; m < 60; m += 5)
        items.push_back({Format("Min%d", m), Format("%sMin%d.png", folder, m)});
    for (ImageItemSpec& item : TForm_PicturePractice::TextItems())
        items.push_back(item);
    return items;
}

std::vector<ElementSpec> Layout() {
    // Hands, pivot and arrows take no clicks: the buttons above them do.
    const unsigned still = efDisabled | efCenter;
    std::vector<ElementSpec> e{
        {"DIBI_LittleHand", ElementKind::Image, Centred(kLittleHand), "LittleHand", 0, still},
        {"DIBI_BigHand", ElementKind::Image, Centred(kBigHand), "BigHand", 0, still},
        {"DIBI_Pivot", ElementKind::Image, Centred(kPivot), "Pivot", 0, still},
        {"DIBI_LeftBlue",
         ElementKind::Image,
         {kCentreX - 120, kCentreY - 20, kArrowW, kArrowH},
         "BlueArrow",
         0,
         still | efHidden},
        {"DIBI_RightBlue",
         ElementKind::Image,
         {kCentreX + 60, kCentreY - 20, kArrowW, kArrowH},
         "BlueArrow",
         0,
         still | efHidden},
        {"DIBI_LeftRed",
         ElementKind::Image,
         {kCentreX - 330, kCentreY - 20, kArrowW, kArrowH},
         "RedArrow",
         0,
         still | efHidden},
        {"DIBI_RightRed",
         ElementKind::Image,
         {kCentreX + 270, kCentreY - 20, kArrowW, kArrowH},
         "RedArrow",
         0,
         still | efHidden},
    };
    for (int h = 1; h <= 12; ++h)
        e.push_back({Format("DIBBS_Hour%d", h), ElementKind::ButtonStrip, OnRing(kHourRadius, h * 30.0),
                     Format("Hour%d", h), h});
    for (int m = 0; m < 60; m += 5)
        e.push_back({Format("DIBBS_Min%d", m), ElementKind::ButtonStrip, OnRing(kMinuteRadius, m * 6.0),
                     Format("Min%d", m), m, efHidden});
    for (ElementSpec& text : TForm_PicturePractice::TextElements(10, 70))
        e.push_back(text);
    return e;
}

} // namespace

const std::array<std::array<TClockTime, 3>, 12>& TForm_TimePractice::Times() {
    return kTimes;
}

TForm_TimePractice::TForm_TimePractice(TForm_Main& main, const TScreenParams&)
    : TForm_PicturePractice(main, "TForm_TimePractice", kTime) {
    Build(Items(), Layout());
    for (int h = 1; h <= 12; ++h) {
        TDIBButtonStrip& b = FindElement<TDIBButtonStrip>(container_, "DIBBS_Hour%d", h);
        hours_[size_t(h - 1)] = &b;
        b.OnClick = [this, h](TCustomDIBControl&) { DIBBS_HourClick(h); };
    }
    for (int m = 0; m < 60; m += 5) {
        TDIBButtonStrip& b = FindElement<TDIBButtonStrip>(container_, "DIBBS_Min%d", m);
        minutes_[size_t(m / 5)] = &b;
        b.OnClick = [this, m](TCustomDIBControl&) { DIBBS_MinClick(m); };
    }
    littleHand_ = &Element<TDIBImage>("DIBI_LittleHand");
    bigHand_ = &Element<TDIBImage>("DIBI_BigHand");
    SetClock(shown_);
    FinishBuild();
}

TForm_TimePractice::~TForm_TimePractice() {
    StopHintTimer();
}

void TForm_TimePractice::StartExtras() {
    SetHourHint(true);
}

void TForm_TimePractice::BeforeQuit() {
    StopHintTimer();
}

void TForm_TimePractice::SetClock(int minutes) {
    shown_ = minutes;
    littleHand_->SetAngle(LittleHandAngle(minutes));
    bigHand_->SetAngle(BigHandAngle(minutes));
}

void TForm_TimePractice::ShowMinuteButtons(int hour) {
    for (int m = 0; m < 60; m += 5) {
        bool own = false;
        for (const TClockTime& t : kTimes[size_t(hour - 1)])
            own = own || t.minute == m;
        MinuteButton(m).SetVisible(own);
    }
}

void TForm_TimePractice::DIBBS_HourClick(int hour) {
    SetSequence(false);
    // A turn still running would carry the hands away from the new hour.
    anim_.StopAnims(bigHand_);
    bigHand_->SetVisible(false);
    hour_ = hour;
    SetClock(hour * 60);
    littleHand_->SetVisible(true);
    ShowMinuteButtons(hour);
    if (hourHint_) {
        SetHourHint(false);
        SetMinuteHint(true);
    }
}

void TForm_TimePractice::DIBBS_MinClick(int minute) {
    SetSequence(false);
    if (minuteHint_) {
        SetMinuteHint(false);
        StopHintTimer();
    }
    bigHand_->SetVisible(true);
    int target = hour_ * 60 + minute;
    anim_.StopAnims(bigHand_);
    if (target != shown_) {
        int from = shown_;
        anim_.AddCallbackAnim(
            kTurnMsPerMinute * std::abs(target - from), *bigHand_, from, target,
            [this](int v) { SetClock(v); }, false);
    }
    for (const TClockTime& t : kTimes[size_t(std::clamp(hour_, 1, 12) - 1)])
        if (t.hour == hour_ && t.minute == minute) ChooseItem(t.item);
}

void TForm_TimePractice::SequenceStep() {
    SetHourHint(false);
    SetMinuteHint(false);
    StopHintTimer();
    TClockTime next = kTimes[0][0];
    for (size_t h = 0; h < kTimes.size(); ++h)
        for (size_t j = 0; j < 3; ++j)
            if (kTimes[h][j].item == current_) next = j < 2 ? kTimes[h][j + 1] : kTimes[(h + 1) % 12][0];
    anim_.StopAnims(bigHand_);
    hour_ = next.hour;
    SetClock(next.hour * 60 + next.minute);
    littleHand_->SetVisible(true);
    bigHand_->SetVisible(true);
    ShowMinuteButtons(next.hour);
    PresentItem(next.item);
}

void TForm_TimePractice::SetHourHint(bool on) {
    hourHint_ = on;
    if (!on) {
        Element<TDIBImage>("DIBI_LeftBlue").SetVisible(false);
        Element<TDIBImage>("DIBI_RightBlue").SetVisible(false);
    } else if (!hintTimer_) {
        hintTimer_ = main_.dispatcher().setTimer(
            kHintMs, true, [this] { HintTimer(); }, guard());
    }
}

void TForm_TimePractice::SetMinuteHint(bool on) {
    minuteHint_ = on;
    if (!on) {
        Element<TDIBImage>("DIBI_LeftRed").SetVisible(false);
        Element<TDIBImage>("DIBI_RightRed").SetVisible(false);
    } else if (!hintTimer_) {
        hintTimer_ = main_.dispatcher().setTimer(
            kHintMs, true, [this] { HintTimer(); }, guard());
    }
}

void TForm_TimePractice::StopHintTimer() {
    if (hintTimer_) main_.dispatcher().killTimer(hintTimer_);
    hintTimer_ = 0;
}

void TForm_TimePractice::HintTimer() {
    auto toggle = [this](const char* left, const char* right) {
        bool shown = !Element<TDIBImage>(left).Visible();
        Element<TDIBImage>(left).SetVisible(shown);
        Element<TDIBImage>(right).SetVisible(shown);
    };
    if (hourHint_) toggle("DIBI_LeftBlue", "DIBI_RightBlue");
    if (minuteHint_) toggle("DIBI_LeftRed", "DIBI_RightRed");
}

} // namespace parlora
