#include "activities/FormCountriesPractice.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/ProfileFile.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "shell/FormMain.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace parlora {
namespace {

const TPracticeTopic kCountriesTopic{8, "CY", "CY", 18, 55};
// The country left out by the countries content filter.
constexpr int kFilteredCountry = 12;

constexpr Rect kFlags{152, 69, 719, 80};
constexpr int kCursorH = 92;

std::vector<ImageItemSpec> Items() {
    const char* folder = "Interface\\Countries\\Practice\\";
    std::vector<ImageItemSpec> items{
        {"Background", std::string(folder) + "CountriesPracBG.png"},
        {"Flags", std::string(folder) + "Flagsx24.png"},
        {"FlagCursor", std::string(folder) + "FlagCursor.png", true, true},
        {"Glass", std::string(folder) + "Glass.png", true, true},
        {"Back", std::string(folder) + "Back.png"},
        {"Forward", std::string(folder) + "Forward.png"},
        {"Globe", "", false},
        {"Image", "", false},
    };
    for (ImageItemSpec& item : TForm_PicturePractice::TextItems())
        items.push_back(item);
    return items;
}

std::vector<ElementSpec> Layout() {
    ElementSpec globe{"DIBIS_Globe", ElementKind::ImageStrip, {343, 268, 312, 312}, "Globe", 0, efHidden};
    globe.numImagesX = 1;
    std::vector<ElementSpec> e{
        {"DIBI_Flags", ElementKind::Image, kFlags, "Flags"},
        // The cursor lets clicks through to the flag under it, and lets the flag show through.
        {"DIBI_Cursor",
         ElementKind::Image,
         {kFlags.x, kFlags.y - (kCursorH - kFlags.h) / 2, TForm_CountriesPractice::kFlagW, kCursorH},
         "FlagCursor",
         0,
         efHidden | efDisabled,
         4,
         1,
         "",
         100.0,
         110},
        {"DIBBS_Back", ElementKind::ButtonStrip, {82, 79, 60, 60}, "Back", 0, efDisabled},
        {"DIBBS_Forward", ElementKind::ButtonStrip, {882, 79, 60, 60}, "Forward"},
        globe,
        {"DIBI_Glass", ElementKind::Image, {289, 240, 260, 260}, "Glass", 0, efHidden},
        {"DIBI_Image", ElementKind::Image, {319, 270, 200, 200}, "Image", 0, efHidden},
    };
    for (ElementSpec& text : TForm_PicturePractice::TextElements(650, 170))
        e.push_back(text);
    return e;
}

} // namespace

TForm_CountriesPractice::TForm_CountriesPractice(TForm_Main& main, const TScreenParams&)
    : TForm_PicturePractice(main, "TForm_CountriesPractice", kCountriesTopic),
      globeAnims_(std::make_unique<TDIBAnimList>(main.dispatcher())) {
    globeAnims_->SetInterval(10);
    Build(Items(), Layout());
    flags_ = &Element<TDIBImage>("DIBI_Flags");
    cursor_ = &Element<TDIBImage>("DIBI_Cursor");
    glass_ = &Element<TDIBImage>("DIBI_Glass");
    picture_ = &Element<TDIBImage>("DIBI_Image");
    back_ = &Element<TDIBButtonStrip>("DIBBS_Back");
    forward_ = &Element<TDIBButtonStrip>("DIBBS_Forward");
    globe_ = &Element<TDIBImageStrip>("DIBIS_Globe");

    ReadGlobe();
    if (main_.settings().Filter3) {
        filter_ = true;
        count_ = kCountries - 1;
        DropFilteredFlag();
    }
    UpdateArrows();

    // Where the last press on the strip was, for the click that follows it.
    auto pressX = std::make_shared<int>(0);
    flags_->OnMouseDown = [pressX](TCustomDIBControl&, MouseButton, int x, int) { *pressX = x; };
    flags_->OnClick = [this, pressX](TCustomDIBControl&) { DIBI_FlagsClick(*pressX); };
    back_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int, int) {
        if (b == MouseButton::Left) DIBBS_BackDown();
    };
    forward_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int, int) {
        if (b == MouseButton::Left) DIBBS_ForwardDown();
    };
    back_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { ArrowUp(); };
    forward_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { ArrowUp(); };
    glass_->OnClick = [this](TCustomDIBControl&) { SayItemAgain(); };
    picture_->OnClick = [this](TCustomDIBControl&) { SayItemAgain(); };
    anim_.AnimNotify = [this](TCustomDIBControl& sender, bool finished) {
        if (finished && &sender == flags_) ScrollEnded();
    };
    globeAnims_->AnimNotify = [this](TCustomDIBControl&, bool finished) {
        if (finished) ShowGlass();
    };
    FinishBuild();
}

TForm_CountriesPractice::~TForm_CountriesPractice() {
    globeAnims_->AnimNotify = nullptr;
    anim_.AnimNotify = nullptr;
}

void TForm_CountriesPractice::ReadGlobe() {
    const std::string folder = main_.folders().UpdateDir + "\\Interface\\Countries\\Practice";
    const std::string txt = folder + "\\Globe.txt";
    std::string resolved = PathResolver::Resolve(txt);
    if (!PathResolver::IsFile(resolved)) throw AppError(Format("Can't find %s", txt.c_str()));
    ProfileText ini = ProfileFile::Load(resolved);
    // A frame count or rate below 1 would stall the globe or divide by nothing; more frames than a
    // picture has pixels across, or more than one a millisecond, would overflow the globe's timing.
    globeFrames_ = std::clamp(std::atoi(ini.get("Settings", "frames", "1").c_str()), 1, 65535);
    globeFps_ = std::clamp(std::atoi(ini.get("Settings", "fps", "1").c_str()), 1, 1000);
    for (int n = 1; n <= kCountries; ++n) {
        std::optional<std::string> v = ini.get("Countries", Format("CY%d", n));
        if (v) globeFrame_[n] = std::clamp(std::atoi(v->c_str()), 0, globeFrames_ - 1);
    }
    LoadPicture("Globe", folder + "\\Globe.jpg");
    globe_->SetNumImagesX(globeFrames_);
}

void TForm_CountriesPractice::DropFilteredFlag() {
    TVolatileDIB* flags = images_.FindImage("Flags");
    if (!flags || flags->Width() < kCountries * kFlagW) return;
    // A plain copy: keyed pixels must move like any other.
    bool transparent = flags->Transparent;
    flags->Transparent = false;
    Surface& s = flags->MutablePixels();
    for (int place = kFilteredCountry + 1; place <= kCountries; ++place)
        for (int y = 0; y < s.height(); ++y) {
            uint32_t* row = s.row(y);
            std::memmove(row + (place - 2) * kFlagW, row + (place - 1) * kFlagW, sizeof(uint32_t) * kFlagW);
        }
    flags->Transparent = transparent;
    flags->Changed();
}

int TForm_CountriesPractice::PlaceOf(int country) const {
    return filter_ && country > kFilteredCountry ? country - 1 : country;
}

int TForm_CountriesPractice::CountryAt(int place) const {
    return filter_ && place > kFilteredCountry - 1 ? place + 1 : place;
}

int TForm_CountriesPractice::GlobeFrameOf(int country) const {
    auto it = globeFrame_.find(country);
    return it == globeFrame_.end() ? 0 : it->second;
}

void TForm_CountriesPractice::StartExtras() {
    globeAnims_->StopAnims();
    glass_->SetVisible(false);
    picture_->SetVisible(false);
    globe_->SetVisible(true);
    globeAnims_->AddStripAnim(globeFrames_ * 1000 / globeFps_, *globe_, 0, globeFrames_ - 1, true);
}

void TForm_CountriesPractice::BeforeQuit() {
    globeAnims_->StopAnims();
}

void TForm_CountriesPractice::DIBI_FlagsClick(int x) {
    int column = x / kFlagW;
    if (x < 0 || column > kVisiblePlaces - 1) return;
    int country = CountryAt(column + first_);
    if (country > kCountries) return;
    // The globe turns even when the word cannot be said; the error is reported after.
    std::exception_ptr failure;
    try {
        ChooseItem(country);
    } catch (...) {
        failure = std::current_exception();
    }
    TurnGlobeTo(country);
    if (failure) std::rethrow_exception(failure);
}

void TForm_CountriesPractice::TurnGlobeTo(int country) {
    globeAnims_->StopAnims();
    glass_->SetVisible(false);
    picture_->SetVisible(false);
    globe_->SetVisible(true);
    int from = globe_->FrameIndex(), to = GlobeFrameOf(country);
    int stepMs = 1000 / globeFps_;
    if (to == from) {
        ShowGlass();
    } else if (to > from) {
        globeAnims_->AddStripAnim(std::max(1, (to - from) * stepMs), *globe_, from, to, false);
    } else {
        // Round the back of the globe: on to the last frame, then from the first.
        std::vector<int> frames;
        for (int f = from; f < globeFrames_; ++f)
            frames.push_back(f);
        for (int f = 0; f <= to; ++f)
            frames.push_back(f);
        globeAnims_->AddIndexedStripAnim(std::max(1, int(frames.size() - 1) * stepMs), *globe_, frames,
                                         false);
    }
}

void TForm_CountriesPractice::ShowGlass() {
    globe_->SetVisible(false);
    glass_->SetVisible(true);
    picture_->SetVisible(true);
}

void TForm_CountriesPractice::ShowItem(int n) {
    TForm_PicturePractice::ShowItem(n);
    LoadItemPicture("Image", Format("%s\\Countries\\Practice\\MGCountries\\MG%d.png",
                                    main_.folders().InterfaceDir.c_str(), n));
    // Mid-scroll the running scroll places the cursor on its next step.
    if (!anim_.Animating(*flags_)) PlaceCursor(first_, 0);
}

void TForm_CountriesPractice::SequenceStep() {
    int next = current_ + 1;
    if (filter_ && next == kFilteredCountry) ++next;
    if (next < 1 || next > kCountries) next = 1;
    globeAnims_->StopAnims();
    int place = PlaceOf(next);
    if (place < first_)
        SetFirst(place);
    else if (place > first_ + kVisiblePlaces - 1)
        SetFirst(place - (kVisiblePlaces - 1));
    ShowGlass();
    PresentItem(next);
}

void TForm_CountriesPractice::SetFirst(int place) {
    anim_.StopAnims(flags_);
    first_ = previousFirst_ = place;
    flags_->SetOffsetX((place - 1) * kFlagW);
    PlaceCursor(first_, 0);
    UpdateArrows();
}

void TForm_CountriesPractice::UpdateArrows() {
    back_->SetEnabled(first_ > 1);
    forward_->SetEnabled(first_ < count_ - (kVisiblePlaces - 1));
}

void TForm_CountriesPractice::DIBBS_BackDown() {
    backPressed_ = true;
    forwardPressed_ = false;
    stepMs_ = kFirstStepMs;
    ScrollBy(-1);
}

void TForm_CountriesPractice::DIBBS_ForwardDown() {
    forwardPressed_ = true;
    backPressed_ = false;
    stepMs_ = kFirstStepMs;
    ScrollBy(1);
}

void TForm_CountriesPractice::ScrollBy(int delta) {
    if (delta < 0 && first_ > 1) ScrollTo(first_ - 1, stepMs_);
    if (delta > 0 && first_ < count_ - (kVisiblePlaces - 1)) ScrollTo(first_ + 1, stepMs_);
    UpdateArrows();
}

void TForm_CountriesPractice::ScrollTo(int place, int stepMs) {
    if (place == first_) return;
    anim_.StopAnims();
    previousFirst_ = first_;
    int distance = (place - first_) * kFlagW;
    first_ = place;
    anim_.AddCallbackAnim(
        stepMs, *flags_, 0, distance, [this](int v) { ScrollStep(v); }, false);
}

void TForm_CountriesPractice::ScrollStep(int v) {
    flags_->SetOffsetX(v + (previousFirst_ - 1) * kFlagW);
    PlaceCursor(previousFirst_, v);
}

void TForm_CountriesPractice::ScrollEnded() {
    if (stepMs_ > kFastestStepMs) stepMs_ -= kStepDropMs;
    if (backPressed_) ScrollBy(-1);
    if (forwardPressed_) ScrollBy(1);
}

void TForm_CountriesPractice::PlaceCursor(int from, int v) {
    if (current_ <= 0) {
        cursor_->SetVisible(false);
        return;
    }
    const int stripLeft = flags_->Left(), stripRight = stripLeft + flags_->Width();
    int left = stripLeft + (PlaceOf(current_) - from) * kFlagW - v;
    int offset = 0, width = kFlagW;
    if (left < stripLeft) {
        offset = std::min(kFlagW, stripLeft - left);
        left = stripLeft;
        width = kFlagW - offset;
    }
    if (left + width > stripRight) width = std::max(0, stripRight - left);
    cursor_->SetOffsetX(offset);
    cursor_->SetBounds(left, cursor_->Top(), width, kCursorH);
    cursor_->SetVisible(width > 0);
}

} // namespace parlora
