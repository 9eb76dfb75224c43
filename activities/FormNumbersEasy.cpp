#include "activities/FormNumbersEasy.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "display/Transition.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

namespace parlora {
namespace {

constexpr Rect kCards[4] = {{439, 234, 43, 29}, {542, 234, 43, 29}, {427, 318, 43, 29}, {554, 318, 43, 29}};
// Where the coins pile up, ten to a heap.
constexpr int kHeapLefts[5] = {300, 380, 460, 540, 620};
constexpr int kHeapTop = 590;
constexpr int kCoinRaise = 6;

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion"},
    {"ShowItem", "", katEndPlay, 1000, 500},
    {"Shuffle", "", katEndPlay},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "", katEndPlay, 1000, 500},
    {"DecScore", "SayWord", katEndPlay},
    {"Right", "", katEndPlay, 1000, 500},
    {"IncScore", "", katEndPlay},
    {"Next"},
    {"Safe1", "", katEndAnim},
    {"Safe2"},
    {"Safe3"},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 1000, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_NumbersEasy::TForm_NumbersEasy(TForm_Main& main)
    : TForm_EasyGame(main, "TForm_NumbersEasy",
                     TEasyGameTopic{5, "SC", "Numbers\\SmallImages", 28, 40, 20, ""}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Numbers\\Easy\\NumbersEasyBG.png"}};
    for (int i = 1; i <= 4; ++i)
        items.push_back({Format("Item%d", i), "", false, true});
    items.push_back({"Safe", "Interface\\Numbers\\Easy\\Safe.png", true, true});
    items.push_back({"Spin", "Interface\\Numbers\\Easy\\Spin.png", true, true});
    items.push_back({"Heap", "Interface\\Numbers\\Easy\\Heap.png", true, true});
    for (int n = 1; n <= 5; ++n)
        items.push_back(
            {Format("Chip%d", n), Format("Interface\\Numbers\\Easy\\Chips\\Chip%d.png", n), true, true});

    std::vector<ElementSpec> elements;
    for (int n = 1; n <= 5; ++n)
        elements.push_back({Format("DIBI_Heap%d", n),
                            ElementKind::Image,
                            {kHeapLefts[n - 1], kHeapTop, 52, 32},
                            "Heap",
                            0,
                            efHidden});
    for (int i = 1; i <= 4; ++i)
        elements.push_back({Format("DIBI_Item%d", i), ElementKind::Image, kCards[i - 1], Format("Item%d", i),
                            i, efHidden | efStretch});
    ElementSpec spin{"DIBIS_Spin", ElementKind::ImageStrip, {437, 442, 150, 93}, "Spin", 0, efHidden};
    spin.numImagesX = 2;
    elements.push_back(spin);
    for (int k = 1; k <= kCoins; ++k)
        elements.push_back({Format("DIBI_Coin%d", k),
                            ElementKind::Image,
                            {0, 0, 48, 48},
                            Format("Chip%d", (k - 1) % 5 + 1),
                            0,
                            efHidden | efAutoSize});
    ElementSpec safe{"DIBIS_Safe", ElementKind::ImageStrip, {434, 217, 248, 164}, "Safe", 0, efHidden};
    safe.numImagesX = 1;
    safe.numImagesY = 7;
    elements.push_back(safe);
    Build(items, elements);
    BuildGameBase();

    for (int i = 1; i <= 4; ++i) {
        cards_[size_t(i)] = &FindElement<TDIBImage>(container_, "DIBI_Item%d", i);
        cardStart_[size_t(i)] = cards_[size_t(i)]->BoundsRect();
        cards_[size_t(i)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    for (int n = 1; n <= 5; ++n)
        heaps_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBI_Heap%d", n);
    for (int k = 1; k <= kCoins; ++k)
        coins_[size_t(k)] = &FindElement<TDIBImage>(container_, "DIBI_Coin%d", k);
    safe_ = &Element<TDIBImageStrip>("DIBIS_Safe");
    spin_ = &Element<TDIBImageStrip>("DIBIS_Spin");
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    DefineStates();
}

void TForm_NumbersEasy::DefineStates() {
    KaStateList1.Define(kStates);
    BindCommonStates(kSameSpeaker, kOtherSpeaker);
    Bind("Shuffle", nullptr, [this](int) {
        anim_.StopAnims(spin_);
        spin_->SetVisible(false);
        PlayButton().SetEnabled(true);
    });
    // The score falls a coin at a time here, not all at once.
    Bind(
        "No", [this](int) { SayNo(kSameSpeaker); }, [this](int) { NoExit(); });
    Bind(
        "DecScore",
        [this](int) {
            SetScore(score() - 1);
            SelectSoundFmt("%s\\common\\sounds\\click.wav", main_.folders().InterfaceDir.c_str());
            coins_[size_t(score() + 1)]->SetVisible(false);
            PlaySelected();
        },
        [this](int) {
            if (--lose_ > 0) KaStateList1.SetNextState("DecScore");
        });
    Bind(
        "Right",
        [this](int) {
            for (int i = 1; i <= 5; ++i) {
                TDIBImage& coin = *coins_[size_t(score() + 6 - i)];
                PlaceCoin(coin, AnswerElement(clicked_), (i - 1) * kCoinRaise,
                          main_.random().CourseRandom(10) - 5);
                coin.BringToFront();
                coin.SetVisible(true);
            }
            RightEntry(kSameSpeaker);
        },
        [this](int) {
            TickImage().SetVisible(false);
            StartIncrements();
        });
    Bind(
        "IncScore",
        [this](int) {
            SetScore(score() + 1);
            SelectSoundFmt("%s\\common\\sounds\\click.wav", main_.folders().InterfaceDir.c_str());
            TDIBImage& coin = *coins_[size_t(score())];
            PlaceCoin(coin, *heaps_[size_t((score() - 1) / 10 + 1)], ((score() - 1) % 10) * kCoinRaise,
                      main_.random().CourseRandom(10) - 5);
            coin.BringToFront();
            PlaySelected();
        },
        [this](int) { IncScoreExit(); });
    Bind(
        "Next", [this](int) { RestoreCards(); }, [this](int) { NextQuestion(); });
    Bind("Safe1", [this](int) {
        ShowSpeakers(6, false);
        StopActor(kMale);
        StopActor(kFemale);
        BlendWithin([this] {
            safe_->SetFrameIndex(0);
            safe_->BringToFront();
            safe_->SetVisible(true);
        });
        anim_.AddIndexedStripAnim(1400, *safe_, {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 4, 5}, false);
    });
    Bind("Safe2", [this](int) {
        BlendFor(2000, [this] {
            for (int k = 1; k <= kCoins; ++k)
                coins_[size_t(k)]->SetVisible(false);
            safe_->SetFrameIndex(6);
        });
    });
    Bind("Safe3", [this](int) { BlendWithin([this] { safe_->SetVisible(false); }); });
}

int TForm_NumbersEasy::ItemAtTag(int tag) const {
    return tag >= 1 && tag <= 4 ? shown_[size_t(tag)] : 0;
}

int TForm_NumbersEasy::CardOfItem(int item) const {
    for (int i = 1; i <= 4; ++i)
        if (shown_[size_t(i)] == item) return i;
    return 0;
}

int TForm_NumbersEasy::VisibleCoins() const {
    int n = 0;
    for (int k = 1; k <= kCoins; ++k)
        n += coins_[size_t(k)]->Visible();
    return n;
}

TCustomDIBControl& TForm_NumbersEasy::AnswerElement(int tag) {
    return *cards_[size_t(tag >= 1 && tag <= 4 ? tag : 1)];
}

void TForm_NumbersEasy::ShowItem() {
    const int s = step_ + 1;
    const int item = PresentedItem();
    shown_[size_t(s)] = item;
    images_.LoadImageNamed(Format("Item%d", s), "%s\\Numbers\\Easy\\Table\\%d.png",
                           main_.folders().InterfaceDir.c_str(), item);
    cards_[size_t(s)]->SetVisible(true);
    SayWord(topic_.prefix, item, kOtherSpeaker);
}

void TForm_NumbersEasy::Shuffle() {
    SelectSoundFmt("%s\\numbers\\hard\\spin.wav", main_.folders().InterfaceDir.c_str());
    anim_.AddStripAnim(100, *spin_, 0, 1, true);
    spin_->SetVisible(true);
    PlaySelected();
    currentWord_ = targetItem_;
    std::string places = "1234";
    for (int i = 1; i <= 4; ++i) {
        const Rect& to = cardStart_[size_t(TakeRandomInt(places, 1, main_.random()))];
        anim_.AddSpriteAnim(250, *cards_[size_t(i)], to.x, to.y);
    }
}

void TForm_NumbersEasy::NoExit() {
    lose_ = score() > 1 ? kWrongPoints : score();
    if (lose_ > 0)
        ReportScoreChange(-lose_);
    else
        KaStateList1.SetNextState("SayWord");
}

void TForm_NumbersEasy::RestoreCards() {
    for (int i = 1; i <= 4; ++i) {
        TDIBImage& card = *cards_[size_t(i)];
        anim_.StopAnims(&card);
        card.SetVisible(false);
        const Rect& r = cardStart_[size_t(i)];
        card.SetBounds(r.x, r.y, r.w, r.h);
    }
}

void TForm_NumbersEasy::PlaceCoin(TDIBImage& coin, const TCustomDIBControl& on, int raise, int shift) {
    const Rect e = on.BoundsRect();
    coin.SetBounds(e.x + e.w / 2 - coin.Width() / 2 - shift, e.y + e.h / 2 - coin.Height() / 2 - raise,
                   coin.Width(), coin.Height());
}

void TForm_NumbersEasy::BlendFor(int ms, const std::function<void()>& change) {
    IPlatform& platform = main_.platform();
    const bool fast = main_.settings().Fast;
    if (!platform.display().windowOpen() || platform.headless()) {
        change();
        if (platform.display().windowOpen() && !fast) platform.sleepMs(uint32_t(ms));
        main_.RepaintAll();
        return;
    }
    container_.takeDirty();
    Surface from = container_.surface();
    change();
    container_.takeDirty();
    const Surface& to = container_.surface();
    IClock& clock = platform.clock();
    const uint64_t start = clock.nowMs();
    Surface frame;
    for (uint64_t now = start; !fast && now < start + uint64_t(ms); now = clock.nowMs()) {
        TTransition::RenderFrame(TTransition::Blend, from, to, double(now - start) / ms, frame);
        platform.display().present(frame, {});
        platform.sleepMs(TTransition::kFrameMs);
    }
    platform.display().present(to, {});
    main_.dispatcher().discardInput();
    main_.RepaintAll();
}

} // namespace parlora
