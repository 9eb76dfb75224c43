#include "activities/FormQuiz.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "display/DIBLabel.h"
#include "display/DIBShape.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

#include <cmath>
#include <vector>

namespace parlora {
namespace {

struct CategoryInfo {
    const char* code;
    int topic;
    int items;
};
constexpr CategoryInfo kCategoryInfo[TForm_Quiz::kCategories] = {
    {"ALL", 9, 0}, {"FW", 0, 44}, {"FD", 1, 41}, {"CO", 2, 12}, {"FG", 4, 18},
    {"SC", 5, 20}, {"T", 6, 36},  {"SH", 7, 49}, {"CY", 8, 24},
};

// Which arm reaches each place, and at which of its frames.
constexpr bool kRightArm[TForm_Quiz::kPlaces] = {true,  false, true,  true, false, true,
                                                 false, true,  false, true, false};
constexpr int kArmFrame[TForm_Quiz::kPlaces] = {1, 1, 2, 3, 2, 4, 3, 5, 4, 6, 5};

// The disc and the counter tiles around it, each tile in the middle of the sector it opens.
constexpr Rect kCover{780, 130, 200, 200};
constexpr int kTileSize = 40, kTileRadius = 114;

constexpr Rect kHead{432, 110, 160, 160};
constexpr Rect kFace{472, 150, 80, 90};
constexpr Rect kRightArmAt{296, 200, 120, 200};
constexpr Rect kLeftArmAt{608, 200, 120, 200};
constexpr Rect kDrumAt{412, 280, 200, 120};
constexpr Rect kIcon{40, 100, 80, 80};
constexpr int kWheelLeft = 40, kWheelTop = 30, kWheelW = 30, kWheelH = 40;

std::vector<int> Numbers(const std::string& twoDigitGroups) {
    std::vector<int> out;
    for (size_t i = 0; i + 1 < twoDigitGroups.size(); i += 2)
        if (std::isdigit((unsigned char)twoDigitGroups[i]) &&
            std::isdigit((unsigned char)twoDigitGroups[i + 1]))
            out.push_back((twoDigitGroups[i] - '0') * 10 + (twoDigitGroups[i + 1] - '0'));
    return out;
}

} // namespace

const char* TForm_Quiz::CategoryCode(int category) {
    return category >= 0 && category < kCategories ? kCategoryInfo[category].code : "ALL";
}
int TForm_Quiz::CategoryTopic(int category) {
    return category >= 0 && category < kCategories ? kCategoryInfo[category].topic : 9;
}
int TForm_Quiz::CategoryItems(int category) {
    return category >= 1 && category < kCategories ? kCategoryInfo[category].items : 0;
}

std::string TForm_Quiz::CategoryPool(int category, bool firstWordsFilter, bool countriesFilter, int target) {
    auto single = [&](int c, bool mixed) {
        std::string excluded;
        if (c == 1) excluded = std::string("0405060711") + (firstWordsFilter ? "1617" : "");
        if (c == 8 && countriesFilter) excluded = "12";
        if (mixed) {
            if (target == 32 && c == 3) excluded += "020312";
            if (target == 32 && c == 2) excluded += "0408";
            if ((target == 33 || target == 20) && c == 4) excluded += target == 33 ? "0306" : "0506";
        }
        std::string two = BuildItemList(CategoryItems(c), Numbers(excluded));
        std::string three;
        for (size_t i = 0; i + 1 < two.size(); i += 2)
            three += Format("%03d", c * 100 + std::stoi(two.substr(i, 2)));
        return three;
    };
    if (category >= 1 && category < kCategories) return single(category, false);
    std::string all;
    for (int c = 1; c < kCategories; ++c)
        all += single(c, true);
    return all;
}

TForm_Quiz::TForm_Quiz(TForm_Main& main, std::string className, int gameKind, int help)
    : TForm_Game(main, std::move(className)), gameKind_(gameKind), help_(help),
      wheelAnim_(main.dispatcher()) {
    std::vector<ImageItemSpec> items{
        {"Background", "Interface\\Memory\\QuizBG.png"},
        // Cards, their pictures and the counter's tiles lie over the table and the disc: what
        // their frames hold beyond the card or tile is the key colour.
        {"Card", "Interface\\Memory\\Card.png", true, true},
        {"Head", "Interface\\Memory\\Head.png", true, true},
        {"RArm", "Interface\\Memory\\RArm.png", true, true},
        {"LArm", "Interface\\Memory\\LArm.png", true, true},
        {"Drum", "Interface\\Memory\\Drum.png", true, true},
        {"Num", "Interface\\Memory\\Num.png", true, true},
        {"Cover", "Interface\\Memory\\Cover.png", true, true},
        {"PartCover", "", false, true},
        {"Score", "Interface\\Memory\\Score.png"},
        {"Icon", "", false},
    };
    for (int n = 1; n <= kPlaces; ++n)
        items.push_back({Format("Pic%d", n), "", false, true});

    std::vector<ElementSpec> e;
    e.push_back({"DIBI_Icon", ElementKind::Image, kIcon, "Icon", 0, efStretch});
    const char* wheelNames[3] = {"DIBI_ScoreH", "DIBI_ScoreT", "DIBI_ScoreU"};
    for (int i = 0; i < 3; ++i)
        e.push_back({wheelNames[i],
                     ElementKind::Image,
                     {kWheelLeft + i * (kWheelW + 2), kWheelTop, kWheelW, kWheelH},
                     "Score"});
    e.push_back({"DIBI_Cover", ElementKind::Image, kCover, "PartCover", 0, efStretch});
    for (int n = 1; n <= kPlaces; ++n) {
        const double a = (kDiscAngles[size_t(n - 1)] + kDiscAngles[size_t(n)]) / 2.0 * M_PI / 180.0;
        const int cx = kCover.x + kCover.w / 2, cy = kCover.y + kCover.h / 2;
        ElementSpec tile{Format("DIBIS_Num%d", n),
                         ElementKind::ImageStrip,
                         {int(std::lround(cx - std::sin(a) * kTileRadius)) - kTileSize / 2,
                          int(std::lround(cy - std::cos(a) * kTileRadius)) - kTileSize / 2, kTileSize,
                          kTileSize},
                         "Num",
                         n,
                         efHidden | efDisabled};
        tile.numImagesX = 2;
        e.push_back(tile);
    }
    ElementSpec drum{"DIBIS_Drum", ElementKind::ImageStrip, kDrumAt, "Drum", 0, efHidden | efDisabled};
    drum.numImagesX = 5;
    e.push_back(drum);
    ElementSpec head{"DIBIS_Head", ElementKind::ImageStrip, kHead, "Head"};
    head.numImagesX = 13;
    e.push_back(head);
    ElementSpec rarm{"DIBIS_RArm", ElementKind::ImageStrip, kRightArmAt, "RArm", 0, efDisabled};
    rarm.numImagesX = 7;
    e.push_back(rarm);
    ElementSpec larm{"DIBIS_LArm", ElementKind::ImageStrip, kLeftArmAt, "LArm", 0, efDisabled};
    larm.numImagesX = 6;
    e.push_back(larm);
    for (int n = 1; n <= kPlaces; ++n) {
        ElementSpec card{Format("DIBIS_Card%d", n),
                         ElementKind::ImageStrip,
                         {kCardLeft[n - 1], kCardTop[n - 1], kCardW, kCardH},
                         "Card",
                         n,
                         efHidden};
        card.numImagesX = 3;
        card.numImagesY = kPlaces;
        e.push_back(card);
        e.push_back({Format("DIBI_Pic%d", n),
                     ElementKind::Image,
                     {kCardLeft[n - 1] + 10, kCardTop[n - 1] + 15, kCardW - 20, kCardH - 30},
                     Format("Pic%d", n),
                     n,
                     efHidden | efStretch});
    }
    e.push_back({"PaintBox1", ElementKind::Shape, kFace});
    Build(items, e);
    BuildGameBase();

    auto click = [this](TCustomDIBControl& c) { KaStateList1.MouseAction(c.Tag); };
    for (int n = 1; n <= kPlaces; ++n) {
        cards_[size_t(n)] = &FindElement<TDIBImageStrip>(container_, "DIBIS_Card%d", n);
        pictures_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBI_Pic%d", n);
        tileElements_[size_t(n)] = &FindElement<TDIBImageStrip>(container_, "DIBIS_Num%d", n);
        cards_[size_t(n)]->SetImageIndexY(n - 1);
        cards_[size_t(n)]->OnClick = click;
        pictures_[size_t(n)]->OnClick = click;
    }
    rarm_ = &Element<TDIBImageStrip>("DIBIS_RArm");
    larm_ = &Element<TDIBImageStrip>("DIBIS_LArm");
    head_ = &Element<TDIBImageStrip>("DIBIS_Head");
    drum_ = &Element<TDIBImageStrip>("DIBIS_Drum");
    cover_ = &Element<TDIBImage>("DIBI_Cover");
    icon_ = &Element<TDIBImage>("DIBI_Icon");
    face_ = &Element<TDIBShape>("PaintBox1");
    face_->BrushClear = true;
    face_->PenWidth = 0;
    face_->OnClick = [this](TCustomDIBControl&) { KaStateList1.MouseAction(kTagAgain); };
    head_->OnClick = face_->OnClick;
    wheels_ = {&Element<TDIBImage>("DIBI_ScoreH"), &Element<TDIBImage>("DIBI_ScoreT"),
               &Element<TDIBImage>("DIBI_ScoreU")};

    // The dealer speaks; the quiz has no question bar and shows its score on the wheels.
    ShowSpeakers(2, false);
    PlayButton().SetVisible(false);
    ScoreLabel().SetVisible(false);
    QuestionsImage().SetVisible(false);
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };

    // Random start digits, so the wheels roll to 000 when the quiz begins; not part of the cards.
    for (TDIBImage* wheel : wheels_)
        wheel->SetOffsetY(main_.random().CourseRandom(10) * wheel->Height());

    // One handler for the whole life of the screen: while the dealer waits, finished animations
    // restart his idle play (and the disc's end is the speed round's clock); otherwise they are
    // the state list's events.
    anim_.AnimNotify = [this](TCustomDIBControl& sender, bool finished) {
        if (!finished) return;
        if (!waiting_) {
            KaStateList1.EndAnim(0);
        } else if (&sender == cover_) {
            KaStateList1.EndAnim(kTagClock);
        } else {
            StartIdleTimer();
        }
    };
    DrawDisc(0);
}

TForm_Quiz::~TForm_Quiz() {
    StopIdleTimer();
    wheelAnim_.StopAnims();
}

TCustomDIBControl& TForm_Quiz::Face() {
    return *face_;
}

void TForm_Quiz::ConfigureCategory(int category) {
    category_ = category >= 0 && category < kCategories ? category : 0;
    const bool wordsFilter = main_.catalogue() && main_.catalogue()->firstWordsFilterActive();
    const int target = main_.catalogue() ? main_.catalogue()->targetNumber() : -1;
    categoryPool_ = CategoryPool(category_, wordsFilter, main_.settings().Filter3, target);
    const char* code = CategoryCode(category_);
    images_.LoadImageNamed("Icon", "%s\\Memory\\Icons\\%sIcon.png", main_.folders().InterfaceDir.c_str(),
                           code);
}

void TForm_Quiz::Start() {
    container_.InvalidateAll();
    KaStateList1.Start();
}

void TForm_Quiz::DIBButton_HelpClick() {
    main_.ShowHelpPicture(help_);
}

void TForm_Quiz::Leaving() {
    waiting_ = false;
    StopIdleTimer();
}

int TForm_Quiz::PlaceOf(int item) const {
    for (int n = 1; n <= kPlaces; ++n)
        if (items_[size_t(n)] == item && item != 0) return n;
    return 0;
}

int TForm_Quiz::QuizDraw() {
    TRandomStreams& random = main_.random();
    if (main_.options().quiz) {
        if (roundPool_.size() < 3) throw AppError("Bad QuizChop!");
        return TakeRandomInt(roundPool_, 3, random);
    }
    const size_t groups = roundPool_.size() / 3;
    long long sum = 0;
    std::vector<int> weights(groups);
    for (size_t g = 0; g < groups; ++g) {
        const int a = std::stoi(roundPool_.substr(g * 3, 3));
        weights[g] = main_.weights().GetWeight(CategoryTopic(a / 100), a % 100);
        sum += weights[g];
    }
    if (sum <= 0) throw AppError("Bad QuizChop!");
    const long long r = random.SharedRandom(int(std::min<long long>(sum, 0x7FFFFFFF)));
    long long running = 0;
    for (size_t g = 0; g < groups; ++g) {
        running += weights[g];
        if (r < running) return std::stoi(TakeChunkAt(roundPool_, int(g * 3) + 1, 3));
    }
    throw AppError("Bad QuizChop!");
}

void TForm_Quiz::StartRoundExit() {
    roundPool_ = categoryPool_;
    positionPool_ =
        std::string("0102030405060708091011").substr(0, size_t(2 * std::clamp(count_, 0, kPlaces)));
    index_ = 1;
    ShowCounter(0);
}

void TForm_Quiz::DealEntry() {
    const int n = index_;
    const int item = QuizDraw();
    items_[size_t(n)] = item;
    dealt_.push_back(item);
    const char* code = CategoryCode(item / 100);
    images_.LoadImageNamed(Format("Pic%d", n), "%s\\Memory\\Pics\\%s\\%s%d.png",
                           main_.folders().InterfaceDir.c_str(), code, code, item % 100);
    TakeUp(n);
    TDIBImageStrip& card = *cards_[size_t(n)];
    card.SetImageIndexX(0);
    card.SetVisible(true);
    card.SetEnabled(true);
    pictures_[size_t(n)]->SetEnabled(true);
    anim_.AddStripAnim(300, card, 0, 2, false);
}

void TForm_Quiz::DealExit() {
    pictures_[size_t(index_)]->SetVisible(true);
    PutDown(index_);
    ShowCounter(tiles_ + 1);
}

void TForm_Quiz::SayCard(int place) {
    const int item = ItemAt(place);
    const char* code = CategoryCode(item / 100);
    SelectWordSound("%s\\%s\\M%s%d", main_.folders().TargetDir.c_str(), code, code, item % 100);
    PlaySelected();
    anim_.AddIndexedStripAnim(400, *head_, {6, 7}, true);
}

void TForm_Quiz::StopTalking() {
    anim_.StopAnims();
    head_->SetFrameIndex(0);
}

void TForm_Quiz::SelectWord() {
    selected_ = TakeRandomInt(positionPool_, 2, main_.random());
    recorded_ = false;
}

void TForm_Quiz::BeginWait(std::function<void()> startClock) {
    waiting_ = true;
    drum_->SetFrameIndex(0);
    drum_->SetVisible(true);
    StartIdleTimer();
    if (startClock) startClock();
}

void TForm_Quiz::EndWait() {
    waiting_ = false;
    StopIdleTimer();
    anim_.StopAnims();
    drum_->SetVisible(false);
    head_->SetFrameIndex(0);
}

bool TForm_Quiz::idleTimerActive() const {
    return idleTimer_ != 0 && main_.dispatcher().timerActive(idleTimer_);
}

void TForm_Quiz::StartIdleTimer() {
    StopIdleTimer();
    // Idle play is no part of the quiz: it draws from the course stream, so however long a pupil
    // waits, the cards stay those of the class.
    const uint32_t ms = uint32_t(std::max(1, main_.random().CourseRandom(2500)));
    idleTimer_ = main_.dispatcher().setTimer(
        ms, false, [this] { Timer_IdleTimer(); }, lifetime_.guard());
}

void TForm_Quiz::StopIdleTimer() {
    if (idleTimer_ != 0) main_.dispatcher().killTimer(idleTimer_);
    idleTimer_ = 0;
}

void TForm_Quiz::Timer_IdleTimer() {
    idleTimer_ = 0;
    if (!waiting_) return;
    switch (main_.random().CourseRandom(7)) {
    case 0:
    case 1:
        anim_.AddIndexedStripAnim(300, *head_, {0, 1, 0}, false);
        break;
    case 2:
        anim_.AddIndexedStripAnim(500, *head_, {0, 2, 0, 3, 0}, false);
        break;
    case 3:
        anim_.AddIndexedStripAnim(500, *head_, {0, 4, 0, 4, 0}, false);
        break;
    case 4:
        anim_.AddIndexedStripAnim(300, *head_, {0, 5, 0}, false);
        break;
    case 5:
        anim_.AddIndexedStripAnim(500, *head_, {0, 12, 0, 12, 0}, false);
        break;
    default:
        anim_.AddIndexedStripAnim(900, *drum_, {0, 1, 2, 3, 4, 3, 2, 1, 0}, false);
        break;
    }
}

void TForm_Quiz::WrongSpeakEntry() {
    if (!recorded_) {
        const int item = selectedItem();
        main_.weights().IncreaseWeight(CategoryTopic(item / 100), item % 100);
        recorded_ = true;
    }
    SayCard(clicked_);
}

void TForm_Quiz::WrongShakeEntry() {
    ShowMark(CrossImage(), *cards_[size_t(clicked_)]);
    anim_.AddIndexedStripAnim(800, *head_, {8, 0, 9, 0, 8, 0, 9, 0}, false);
}

void TForm_Quiz::RightNodEntry() {
    if (!recorded_) {
        const int item = selectedItem();
        main_.weights().DecreaseWeight(CategoryTopic(item / 100), item % 100);
        recorded_ = true;
    }
    // Its picture goes with it: a found card that stays face up must not answer again.
    cards_[size_t(clicked_)]->SetEnabled(false);
    pictures_[size_t(clicked_)]->SetEnabled(false);
    ShowMark(TickImage(), *cards_[size_t(clicked_)]);
    anim_.AddIndexedStripAnim(800, *head_, {10, 0, 11, 0, 10, 0, 11, 0}, false);
}

void TForm_Quiz::RightScoreEntry() {
    SelectSoundFmt("%s\\common\\sounds\\bing.wav", main_.folders().InterfaceDir.c_str());
    PlaySelected();
}

void TForm_Quiz::UndealEntry() {
    TakeUp(index_);
}

bool TForm_Quiz::UndealExit(bool redrawDisc) {
    pictures_[size_t(index_)]->SetVisible(false);
    cards_[size_t(index_)]->SetVisible(false);
    items_[size_t(index_)] = 0;
    PutDown(index_);
    ShowCounter(tiles_ - 1, redrawDisc);
    ++index_;
    return index_ <= count_;
}

void TForm_Quiz::SayScoreEntry(bool applause) {
    if (applause) {
        SelectSoundFmt("%s\\Common\\Sounds\\Applause.wav", main_.folders().InterfaceDir.c_str());
    } else {
        SelectWordSound("%s\\SC\\MSC%d", main_.folders().TargetDir.c_str(), score());
    }
    PlaySelected();
}

void TForm_Quiz::TakeUp(int place) {
    if (place < 1 || place > kPlaces) return;
    TDIBImageStrip& arm = kRightArm[place - 1] ? *rarm_ : *larm_;
    arm.BringToFront();
    arm.SetFrameIndex(kArmFrame[place - 1]);
}

void TForm_Quiz::PutDown(int place) {
    if (place < 1 || place > kPlaces) return;
    TDIBImageStrip& arm = kRightArm[place - 1] ? *rarm_ : *larm_;
    arm.SetFrameIndex(0);
    arm.SendToBack();
}

void TForm_Quiz::TurnCard(int place, int durationMs, bool faceUp) {
    anim_.AddStripAnim(durationMs, *cards_[size_t(place)], faceUp ? 0 : 2, faceUp ? 2 : 0, false);
}

void TForm_Quiz::TurnSelectedDown() {
    PlayClick();
    TakeUp(selected_);
    Picture(selected_).SetVisible(false);
    TurnCard(selected_, 300, false);
}

void TForm_Quiz::NextCardExit() {
    PutDown(selected_);
    if (++index_ < count_) KaStateList1.SetNextState("SelectWord");
}

void TForm_Quiz::ShowCounter(int dealtCards, bool redrawDisc) {
    tiles_ = std::clamp(dealtCards, 0, kPlaces);
    for (int n = 1; n <= kPlaces; ++n)
        tileElements_[size_t(n)]->SetVisible(n <= tiles_);
    if (redrawDisc) DrawDisc(kDiscAngles[size_t(tiles_)]);
}

void TForm_Quiz::DrawDisc(int angle) {
    if (angle == discAngle_) return;
    discAngle_ = angle;
    TVolatileDIB* part = images_.FindImage("PartCover");
    TVolatileDIB* cover = images_.FindImage("Cover");
    if (!part || !cover || cover->Empty()) return;
    part->Assign(cover->SharedPixels(), cover->Masked);
    part->Transparent = cover->Transparent;
    if (angle > 0) {
        // The sector starts at twelve o'clock and opens counter-clockwise.
        const int r = std::min(part->Width(), part->Height()) / 2;
        part->Canvas().PieWhite(part->Width() / 2, part->Height() / 2, r, 90.0, double(angle));
    }
    part->Changed();
}

void TForm_Quiz::ShowScore(int score) {
    const int digits[3] = {score / 100 % 10, score / 10 % 10, score % 10};
    for (int i = 0; i < 3; ++i)
        if (wheels_[size_t(i)])
            wheelAnim_.AddSlideAnim(500, *wheels_[size_t(i)], 0, digits[i] * wheels_[size_t(i)]->Height());
}

void TForm_Quiz::PlayClick() {
    // Through the screen's own player: its end is no event of the state list.
    PlayEffect(main_.folders().InterfaceDir + "\\common\\sounds\\click.wav");
}

void TForm_Quiz::PlayInterfaceSound(const char* relative) {
    SelectSoundFmt("%s\\%s", main_.folders().InterfaceDir.c_str(), relative);
    PlaySelected();
}

} // namespace parlora
