#include "users/FormActor.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"

#include <algorithm>

namespace parlora {

namespace {

const char* const kSideLetter[2] = {"M", "F"};
const char* const kSidePrefix[2] = {"L", "R"};
// The highlight sits this far above and left of its thumbnail.
constexpr int kHiliteDX = 6, kHiliteDY = 7;
constexpr int kThumbW = 75, kThumbH = 90, kThumbStep = 109;

std::vector<ImageItemSpec> ActorItems() {
    std::vector<ImageItemSpec> items{
        {"Background", "Interface\\ChooseAct\\ChooseActBG.png", true, false},
        {"Thumbs", "", false, false},
        {"HiLite", "Interface\\ChooseAct\\HiLite.png", true, true},
        {"Knob", "Interface\\ChangeLang\\sliderknob.png", true, true},
        {"Exit", "Interface\\MainMenu\\exitbtn.png", true, true},
    };
    for (const char* p : kSidePrefix) {
        for (int i = 1; i <= TForm_Actor::kMaxPairs; ++i)
            items.push_back({Format("%sPic%d", p, i), "", false, false});
        for (int i = 1; i <= 2; ++i)
            items.push_back({Format("%sBig%d", p, i), "", false, false});
    }
    return items;
}

std::vector<ElementSpec> ActorElements() {
    std::vector<ElementSpec> e{
        {"DIBI_Thumbs", ElementKind::Image, {63, 412, 896, 226}, "Thumbs"},
        {"DIBI_LHiLite", ElementKind::Image, {0, 0, 92, 108}, "HiLite"},
        {"DIBI_RHiLite", ElementKind::Image, {0, 0, 92, 108}, "HiLite"},
    };
    for (const char* p : kSidePrefix)
        for (int i = 1; i <= TForm_Actor::kMaxPairs; ++i)
            e.push_back({Format("DIBI_%sThumb%d", p, i),
                         ElementKind::Image,
                         {0, 0, kThumbW, kThumbH},
                         Format("%sPic%d", p, i),
                         i,
                         efStretch});
    const int bigX[2] = {165, 644};
    for (int s = 0; s < 2; ++s)
        for (int i = 1; i <= 2; ++i)
            e.push_back({Format("DIBI_%sPic%d", kSidePrefix[s], i),
                         ElementKind::Image,
                         {bigX[s], 101, 213, 255},
                         Format("%sBig%d", kSidePrefix[s], i),
                         0,
                         efHidden | efStretch});
    e.push_back({"DIBI_Slider", ElementKind::Image, {TForm_Actor::kSliderLeft, 702, 10, 24}, "Knob"});
    e.push_back({"DIBBS_Exit", ElementKind::ButtonStrip, {955, 707, 0, 0}, "Exit", 0, efAutoSize});
    return e;
}

// First x of a row of k thumbnails on each side; a lone thumbnail sits where a pair would centre.
int RowStart(int side, int k) {
    static const int left[] = {236, 181, 125, 72}, right[] = {707, 652, 596, 543};
    k = std::clamp(k, 1, 4);
    return side == 0 ? left[k - 1] : right[k - 1];
}

} // namespace

TForm_Actor::TForm_Actor(TForm_Main& main, const TScreenParams&) : TDIBScreen(main, "TForm_Actor") {
    Build(ActorItems(), ActorElements());
    anims_ = std::make_unique<TDIBAnimList>(main_.dispatcher());
    anims_->SetInterval(20);
    anims_->AnimNotify = [](TCustomDIBControl& sender, bool finished) {
        // A shrunk picture disappears into its thumbnail.
        if (finished && sender.Tag == 0) sender.SetVisible(false);
    };

    n_ = main_.catalogue() ? int(std::min({main_.catalogue()->maleActors().size(),
                                           main_.catalogue()->femaleActors().size(), size_t(kMaxPairs)}))
                           : 0;
    LoadPicture("Thumbs", Format("%s\\ChooseAct\\%dthumbs.png", main_.folders().InterfaceDir.c_str(), n_));

    for (int s = 0; s < 2; ++s) {
        Side& side = side_[size_t(s)];
        std::string p = kSidePrefix[s];
        for (int i = 1; i <= 2; ++i)
            side.big[size_t(i - 1)] = &FindElement<TDIBImage>(container_, ("DIBI_" + p + "Pic%d").c_str(), i);
        for (int i = 1; i <= kMaxPairs; ++i)
            side.thumbs[size_t(i - 1)] =
                &FindElement<TDIBImage>(container_, ("DIBI_" + p + "Thumb%d").c_str(), i);
        side.hilite = &Element<TDIBImage>("DIBI_" + p + "HiLite");
        side.target = {s == 0 ? 165 : 644, 101, 213, 255};
    }
    LayOut();

    for (int s = 0; s < 2; ++s) {
        Side& side = side_[size_t(s)];
        const std::string& current =
            s == 0 ? main_.catalogue()->currentMaleActor() : main_.catalogue()->currentFemaleActor();
        side.selected = 1;
        for (int i = 1; i <= n_; ++i) {
            LoadPicture(Format("%sPic%d", kSidePrefix[s], i), ActorPicture(s, i, "thumb"));
            if (IEquals(Actors(s)[size_t(i - 1)], current)) side.selected = i;
        }
        for (int i = 1; i <= kMaxPairs; ++i) {
            TDIBImage& t = *side.thumbs[size_t(i - 1)];
            t.SetVisible(i <= n_);
            t.OnClick = [this, s](TCustomDIBControl& sender) { ThumbClick(s, sender.Tag); };
        }
        if (n_ > 0)
            Select(s, side.selected);
        else
            side.hilite->SetVisible(false);
    }

    slider_ = &Element<TDIBImage>("DIBI_Slider");
    slider_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int x, int) {
        if (b != MouseButton::Left) return;
        dragging_ = true;
        pressX_ = x;
    };
    slider_->OnMouseMove = [this](TCustomDIBControl&, int x, int) { SliderMouseMove(x); };
    slider_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { SliderMouseUp(); };
    mixer_ = std::make_unique<TKaMixer>(main_.platform().volume());
    mixer_->OnControlChange = [this](uint32_t) { MixerControlChange(); };
    try {
        mixer_->OpenMixer();
        MixerControlChange();
    } catch (const std::exception& e) {
        main_.DebugLog(std::string("Mixer: ") + e.what());
        slider_->SetVisible(false);
    }

    Element<TDIBButtonStrip>("DIBBS_Exit").OnClick = [this](TCustomDIBControl&) { DIBBS_ExitClick(); };
}

TForm_Actor::~TForm_Actor() {
    // Animations and mixer notices point into this screen: they go before the elements.
    anims_.reset();
    if (mixer_) mixer_->OnControlChange = nullptr;
    mixer_.reset();
}

const std::vector<std::string>& TForm_Actor::Actors(int side) const {
    return side == 0 ? main_.catalogue()->maleActors() : main_.catalogue()->femaleActors();
}

std::string TForm_Actor::ActorPicture(int side, int actor, const char* kind) const {
    const std::string& name = Actors(side)[size_t(actor - 1)];
    std::string update = Format("%s\\Video%s\\%s\\%s.png", main_.folders().UpdateDir.c_str(),
                                kSideLetter[side], name.c_str(), kind);
    if (PathResolver::IsFile(PathResolver::Resolve(update))) return update;
    return Format("%s\\Video%s\\%s\\%s.png", main_.folders().DataDir.c_str(), kSideLetter[side], name.c_str(),
                  kind);
}

Rect TForm_Actor::ThumbRect(int s, int pairs, int number) {
    int first = pairs <= 4 ? pairs : pairs <= 6 ? 3 : 4;
    int second = pairs - first;
    bool inFirst = number <= first;
    int k = inFirst ? first : second;
    int pos = inFirst ? number : number - first;
    int y = second == 0 ? 475 : inFirst ? 419 : 536;
    return {RowStart(s, k) + (pos - 1) * kThumbStep, y, kThumbW, kThumbH};
}

void TForm_Actor::LayOut() {
    for (int s = 0; s < 2; ++s)
        for (int i = 1; i <= n_; ++i) {
            Rect r = ThumbRect(s, n_, i);
            side_[size_t(s)].thumbs[size_t(i - 1)]->SetBounds(r.x, r.y, r.w, r.h);
        }
}

void TForm_Actor::Select(int s, int number) {
    Side& side = side_[size_t(s)];
    side.selected = number;
    const TDIBImage& t = *side.thumbs[size_t(number - 1)];
    side.hilite->SetBounds(t.Left() - kHiliteDX, t.Top() - kHiliteDY, side.hilite->Width(),
                           side.hilite->Height());
    side.hilite->SetVisible(true);
}

void TForm_Actor::Start() {
    if (n_ == 0) return;
    for (int s = 0; s < 2; ++s) {
        Side& side = side_[size_t(s)];
        LoadPicture(Format("%sBig1", kSidePrefix[s]), ActorPicture(s, side.selected, "actor"));
        TDIBImage& big = *side.big[0];
        big.Tag = 1;
        big.SetBounds(side.thumbs[size_t(side.selected - 1)]->BoundsRect().x,
                      side.thumbs[size_t(side.selected - 1)]->Top(), kThumbW, kThumbH);
        big.SetVisible(true);
        anims_->AddScaledAnim(200, big, side.target.x, side.target.y, side.target.w, side.target.h);
        side.shown = 1;
    }
}

void TForm_Actor::ThumbClick(int s, int number) {
    Side& side = side_[size_t(s)];
    if (number < 1 || number > n_ || number == side.selected) return;
    int other = 3 - side.shown;
    TDIBImage& shown = *side.big[size_t(side.shown - 1)];
    TDIBImage& next = *side.big[size_t(other - 1)];
    next.SetVisible(false);
    LoadPicture(Format("%sBig%d", kSidePrefix[s], other), ActorPicture(s, number, "actor"));

    const TDIBImage& from = *side.thumbs[size_t(side.selected - 1)];
    shown.Tag = 0;
    anims_->AddScaledAnim(200, shown, from.Left(), from.Top(), from.Width(), from.Height());

    const TDIBImage& to = *side.thumbs[size_t(number - 1)];
    next.Tag = 1;
    next.BringToFront();
    next.SetBounds(to.Left(), to.Top(), to.Width(), to.Height());
    next.SetVisible(true);
    anims_->AddScaledAnim(200, next, side.target.x, side.target.y, side.target.w, side.target.h);
    Select(s, number);
    side.shown = other;
}

void TForm_Actor::SliderMouseMove(int x) {
    if (!dragging_) return;
    int pos = x + slider_->Left() - pressX_;
    if (pos < kSliderLeft || pos > kSliderLeft + kSliderRange) return;
    try {
        mixer_->SetVolume(uint16_t((pos - kSliderLeft) * 65535 / kSliderRange));
    } catch (const std::exception& e) {
        main_.DebugLog(std::string("Mixer: ") + e.what());
    }
}

void TForm_Actor::SliderMouseUp() {
    if (!dragging_) return;
    dragging_ = false;
    // A sample of the new volume.
    PlayEffect(PathResolver::Resolve(main_.folders().InterfaceDir + "\\common\\sounds\\bing.wav"));
}

void TForm_Actor::MixerControlChange() {
    int volume = mixer_->GetVolume();
    slider_->SetLeft(volume * kSliderRange / 65535 + kSliderLeft);
}

void TForm_Actor::DIBBS_ExitClick() {
    IDisplay& display = main_.platform().display();
    display.setCursor(CursorKind::Hourglass);
    struct CursorBack {
        IDisplay& d;
        ~CursorBack() { d.setCursor(CursorKind::Arrow); }
    } back{display};
    if (n_ > 0) {
        main_.catalogue()->SetMaleActor(main_.catalogue()->maleActors()[size_t(side_[0].selected - 1)]);
        main_.catalogue()->SetFemaleActor(main_.catalogue()->femaleActors()[size_t(side_[1].selected - 1)]);
    }
    main_.RequestScreen(9, 5);
}

} // namespace parlora
