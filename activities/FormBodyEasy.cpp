#include "activities/FormBodyEasy.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "media/KaCuedMCIMedia.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

namespace parlora {

// Shows the film's current picture scaled into its rectangle.
class TFilmView : public TCustomDIBControl {
  public:
    explicit TFilmView(TDIBContainer* owner) : TCustomDIBControl(owner) {}
    const Surface* frame = nullptr;

  protected:
    void Draw(Surface& target, const Rect& clip, int ox, int oy) override {
        if (!frame || frame->empty()) {
            target.fillRect(clip, 0xFF000080u);
            return;
        }
        for (int y = clip.y; y < clip.bottom(); ++y) {
            int sy = std::min(frame->height() - 1, (y - oy) * frame->height() / std::max(1, Height()));
            const uint32_t* src = frame->row(sy);
            uint32_t* dst = target.row(y);
            for (int x = clip.x; x < clip.right(); ++x)
                dst[x] = src[std::min(frame->width() - 1, (x - ox) * frame->width() / std::max(1, Width()))] |
                         0xFF000000u;
        }
    }
};

namespace {

constexpr int kJarLefts[4] = {312, 412, 512, 612};
constexpr int kJarTop = 119;
// Where each part sits on the monster, round the trunk at 509, 435.
constexpr Rect kParts[10] = {{529, 275, 120, 120}, {449, 395, 120, 120}, {409, 475, 120, 120},
                             {629, 475, 120, 120}, {469, 600, 120, 120}, {589, 600, 120, 120},
                             {529, 215, 120, 120}, {569, 395, 120, 120}, {369, 545, 120, 120},
                             {669, 545, 120, 120}};

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion"},
    {"ShowItem", "", katEndPlay, 1000, 500},
    {"Shuffle"},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 1000, 500},
    {"Right", "", katEndPlay, 1000, 500},
    {"Build", "", katTimer, 500},
    {"IncScore", "", katEndPlay},
    {"Next"},
    {"Spark", "", katEndPlay},
    {"Frank", "", katEndMedia, 1000, 500},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 1000, 1000},
    {"SayWellDone", "", katNext | katEndPlay},
    {"Finished"},
};

const char* SpeakerPrefix(int speaker) {
    return speaker == TForm_Screen::kMale ? "M" : "F";
}

} // namespace

TForm_BodyEasy::TForm_BodyEasy(TForm_Main& main)
    : TForm_EasyGame(main, "TForm_BodyEasy", TEasyGameTopic{4, "FG", "Body\\SmallImages", 27, 35, 10, ""}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Body\\Easy\\BodyEasyBG.png"}};
    for (int i = 1; i <= 4; ++i)
        items.push_back({Format("Item%d", i), "", false, true});
    for (int n = 1; n <= 10; ++n)
        items.push_back(
            {Format("Part%d", n), Format("Interface\\Body\\Easy\\Parts\\Part%d.png", n), true, true});
    items.push_back({"Trunk", "Interface\\Body\\Easy\\Parts\\Trunk.png", true, true});
    items.push_back({"LeftJaw", "Interface\\Body\\Easy\\LeftJaw.png", true, true});
    items.push_back({"RightJaw", "Interface\\Body\\Easy\\RightJaw.png", true, true});
    items.push_back({"Spark", "Interface\\Body\\Easy\\SparkStrip.png", true, true});

    std::vector<ElementSpec> elements;
    elements.push_back(
        {"DIBI_Trunk", ElementKind::Image, {509, 435, 160, 220}, "Trunk", 0, efHidden | efAutoSize});
    for (int n = 1; n <= 10; ++n)
        elements.push_back({Format("DIBI_Part%d", n), ElementKind::Image, kParts[n - 1], Format("Part%d", n),
                            0, efHidden | efAutoSize});
    for (int i = 1; i <= 4; ++i)
        elements.push_back({Format("DIBI_Item%d", i),
                            ElementKind::Image,
                            {kJarLefts[i - 1], kJarTop, 99, 139},
                            Format("Item%d", i),
                            i,
                            efHidden | efStretch});
    ElementSpec jaw{"DIBIS_LeftJaw", ElementKind::ImageStrip, {163, 454, 75, 59}, "LeftJaw"};
    jaw.numImagesX = 1;
    jaw.numImagesY = 2;
    elements.push_back(jaw);
    jaw.name = "DIBIS_RightJaw";
    jaw.rect = {775, 461, 75, 59};
    jaw.picture = "RightJaw";
    elements.push_back(jaw);
    ElementSpec spark{"DIBIS_Spark", ElementKind::ImageStrip, {432, 259, 213, 201}, "Spark", 0, efHidden};
    spark.numImagesX = 2;
    elements.push_back(spark);
    Build(items, elements);
    filmView_ = &container_.Create<TFilmView>("KaCM_Frank");
    filmView_->SetBounds(457, 345, 168, 188);
    filmView_->SetVisible(false);
    BuildGameBase();

    for (int i = 1; i <= 4; ++i) {
        jars_[size_t(i)] = &FindElement<TDIBImage>(container_, "DIBI_Item%d", i);
        jarStart_[size_t(i)] = jars_[size_t(i)]->BoundsRect();
        jars_[size_t(i)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    for (int n = 1; n <= 10; ++n)
        parts_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBI_Part%d", n);
    trunk_ = &Element<TDIBImage>("DIBI_Trunk");
    jaws_[kMale] = &Element<TDIBImageStrip>("DIBIS_LeftJaw");
    jaws_[kFemale] = &Element<TDIBImageStrip>("DIBIS_RightJaw");
    spark_ = &Element<TDIBImageStrip>("DIBIS_Spark");
    // The actors are part of the background here. An empty picture over each makes it a stop for
    // the keyboard's focus; the press itself, by key or mouse, is taken on its way down in
    // HandleInput, as before.
    for (const auto& [name, area] :
         {std::pair{"DIBI_MaleArea", kMaleArea}, std::pair{"DIBI_FemaleArea", kFemaleArea}}) {
        auto& stop = container_.Create<TDIBImage>(name);
        stop.SetBounds(area.x, area.y, area.w, area.h);
        stop.OnClick = [](TCustomDIBControl&) {};
    }
    film_ = std::make_unique<TKaCuedMCIMedia>(main_.platform().audioOut(), main_.dispatcher());
    film_->OnMediaComplete = [this] { KaStateList1.EndMedia(0); };
    film_->OnFrame = [this] { filmView_->Invalidate(); };
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    // The jaws speak for them.
    ShowSpeakers(6, false);
    StopActor(kMale);
    StopActor(kFemale);
    DefineStates();
}

TForm_BodyEasy::~TForm_BodyEasy() {
    if (film_) film_->OnMediaComplete = nullptr;
}

void TForm_BodyEasy::DefineStates() {
    KaStateList1.Define(kStates);
    BindCommonStates(kSameSpeaker, kOtherSpeaker);
    Bind(
        "Build", [this](int) { AnswerElement(clicked_).SetVisible(false); },
        [this](int) {
            parts_[size_t(targetItem_)]->SetVisible(true);
            if (targetItem_ == 2) trunk_->SetVisible(true);
            StartIncrements();
        });
    Bind(
        "Next", [this](int) { RestoreJars(); }, [this](int) { NextQuestion(); });
    Bind(
        "Spark",
        [this](int) {
            spark_->SetVisible(true);
            SelectSoundFmt("%s\\body\\easy\\SparkFX.wav", main_.folders().InterfaceDir.c_str());
            anim_.AddStripAnim(100, *spark_, 0, 1, true);
            PlaySelected();
        },
        [this](int) {
            anim_.StopAnims(spark_);
            spark_->SetVisible(false);
        });
    Bind(
        "Frank", [this](int) { PlayFilm(); }, [this](int) { CloseFilm(); });
    Bind("SayWellDone", [this](int) { WellDoneEntry(); });
}

int TForm_BodyEasy::ItemAtTag(int tag) const {
    return tag >= 1 && tag <= 4 ? shown_[size_t(tag)] : 0;
}

int TForm_BodyEasy::JarOfItem(int item) const {
    for (int i = 1; i <= 4; ++i)
        if (shown_[size_t(i)] == item) return i;
    return 0;
}

TCustomDIBControl& TForm_BodyEasy::AnswerElement(int tag) {
    return *jars_[size_t(tag >= 1 && tag <= 4 ? tag : 1)];
}

void TForm_BodyEasy::Speak(int speaker) {
    TDIBImageStrip& jaw = *jaws_[size_t(speaker)];
    anim_.StopAnims(&jaw);
    anim_.AddStripAnim(500, jaw, 0, 1, true);
    PlaySelected();
}

void TForm_BodyEasy::SayWord(const std::string& topic, int number, int code) {
    StopSelected();
    int speaker = ResolveSpeaker(code);
    if (speaker != kMale && speaker != kFemale) return;
    SelectWordSound("%s\\%s\\%s%s%d", main_.folders().TargetDir.c_str(), topic.c_str(),
                    SpeakerPrefix(speaker), topic.c_str(), number);
    Speak(speaker);
}

void TForm_BodyEasy::SayYes(int code) {
    int speaker = ResolveSpeaker(code);
    if (speaker != kMale && speaker != kFemale) return;
    SelectWordSound("%s\\Common\\%sYes%d", main_.folders().TargetDir.c_str(), SpeakerPrefix(speaker),
                    main_.random().CourseRandom(4) + 1);
    Speak(speaker);
}

void TForm_BodyEasy::SayNo(int code) {
    int speaker = ResolveSpeaker(code);
    if (speaker != kMale && speaker != kFemale) return;
    SelectWordSound("%s\\Common\\%sNo%d", main_.folders().TargetDir.c_str(), SpeakerPrefix(speaker),
                    main_.random().CourseRandom(4) + 1);
    Speak(speaker);
}

void TForm_BodyEasy::PlayEnded() {
    for (TDIBImageStrip* jaw : jaws_) {
        anim_.StopAnims(jaw);
        jaw->SetFrameIndex(0);
    }
    TForm_EasyGame::PlayEnded();
}

void TForm_BodyEasy::HandleInput(const InputEvent& e) {
    if (e.isLeftDown()) {
        auto inside = [&e](const Rect& r) {
            return e.x >= r.x && e.x < r.right() && e.y >= r.y && e.y < r.bottom();
        };
        if (inside(kMaleArea)) return KaStateList1.MouseAction(kTagMale);
        if (inside(kFemaleArea)) return KaStateList1.MouseAction(kTagFemale);
    }
    TForm_EasyGame::HandleInput(e);
}

void TForm_BodyEasy::ShowItem() {
    const int s = step_ + 1;
    const int item = PresentedItem();
    shown_[size_t(s)] = item;
    images_.LoadImageNamed(Format("Item%d", s), "%s\\Body\\Easy\\Jars\\FG%d.png",
                           main_.folders().InterfaceDir.c_str(), item);
    jars_[size_t(s)]->SetVisible(true);
    SayWord(topic_.prefix, item, kOtherSpeaker);
}

void TForm_BodyEasy::Shuffle() {
    currentWord_ = targetItem_;
    std::string places = "1234";
    for (int i = 1; i <= 4; ++i) {
        int place = TakeRandomInt(places, 1, main_.random());
        anim_.AddSpriteAnim(250, *jars_[size_t(i)], kJarLefts[place - 1], kJarTop);
    }
}

void TForm_BodyEasy::RestoreJars() {
    for (int i = 1; i <= 4; ++i) {
        TDIBImage& jar = *jars_[size_t(i)];
        anim_.StopAnims(&jar);
        jar.SetVisible(false);
        const Rect& r = jarStart_[size_t(i)];
        jar.SetBounds(r.x, r.y, r.w, r.h);
    }
}

void TForm_BodyEasy::PlayFilm() {
    const CourseFolders& f = main_.folders();
    std::string update = f.UpdateDir + "\\Interface\\Body\\Easy\\FrankCP.avi";
    film_->SetMediaFilename(PathResolver::IsFile(update) ? update
                                                         : f.InterfaceDir + "\\Body\\Easy\\FrankCP.avi");
    film_->SetMediaIsOpen(true);
    filmView_->frame = &film_->Frame();
    film_->PlayMedia(0);
    filmView_->BringToFront();
    filmView_->SetVisible(true);
}

void TForm_BodyEasy::CloseFilm() {
    if (film_->MediaIsOpen()) film_->PauseMedia();
    filmView_->SetVisible(false);
    filmView_->frame = nullptr;
    film_->SetMediaIsOpen(false);
}

} // namespace parlora
