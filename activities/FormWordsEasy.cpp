#include "activities/FormWordsEasy.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

namespace parlora {
namespace {

constexpr int kWordTops[4] = {416, 464, 511, 558};
constexpr int kAnswerTops[4] = {297, 354, 409, 465};

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion"},
    {"ShowWord", "", katEndPlay, 1000, 500},
    {"ShowCover"},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 1000, 500},
    {"Right", "", katEndPlay, 1000, 500},
    {"IncScore", "", katEndPlay},
    {"Next", "", 0, 1000, 500},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 1000, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_WordsEasy::TForm_WordsEasy(TForm_Main& main)
    : TForm_EasyGame(main, "TForm_WordsEasy",
                     TEasyGameTopic{0, "FW", "FirstWords\\Images", 19, 14, 44, "0405060711"}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\FirstWords\\Easy\\Easy.png"},
                                     {"Image", "", false}};
    for (int s = 1; s <= 4; ++s)
        items.push_back({Format("Word%d", s), "", false});
    items.push_back({"Cover", "Interface\\FirstWords\\Easy\\EasyCover.png"});

    std::vector<ElementSpec> elements;
    for (int s = 1; s <= 4; ++s)
        elements.push_back({Format("DIBI_Word%d", s),
                            ElementKind::Image,
                            {190, kWordTops[s - 1], 300, 24},
                            Format("Word%d", s),
                            0,
                            efHidden});
    elements.push_back({"DIBI_Image", ElementKind::Image, {504, 206, 186, 145}, "Image", 0, efHidden});
    elements.push_back({"DIBI_Cover", ElementKind::Image, {16, 119, 991, 575}, "Cover", 0, efHidden});
    for (int p = 1; p <= 4; ++p)
        elements.push_back({Format("DIBI_Word%d", p + 4),
                            ElementKind::Image,
                            {499, kAnswerTops[p - 1], 300, 24},
                            Format("Word%d", p),
                            p + 4,
                            efHidden});
    Build(items, elements);
    BuildGameBase();

    for (int n = 1; n <= 8; ++n)
        words_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBI_Word%d", n);
    image_ = &Element<TDIBImage>("DIBI_Image");
    cover_ = &Element<TDIBImage>("DIBI_Cover");
    for (int n = 5; n <= 8; ++n)
        words_[size_t(n)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    QuitButton().SetLeft(959);
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    // He only comes on to ask.
    ShowSpeakers(kMale, false);
    StopActor(kMale);
    DefineStates();
}

void TForm_WordsEasy::Configure(int topic, const std::string& imagesFolder, int returnScreen, int helpPage,
                                int itemCount, const std::string& excluded, const std::string& prefix) {
    topic_ = TEasyGameTopic{topic, prefix, imagesFolder, helpPage, returnScreen, itemCount, excluded};
    fullPool_ = FullPool(itemCount, excluded);
}

void TForm_WordsEasy::DefineStates() {
    KaStateList1.Define(kStates);
    BindCommonStates(kMale, kMale);
    Bind("StartQuestion", [this](int) {
        StartQuestion();
        positionPool_ = "1234";
    });
    Bind(
        "ShowWord", [this](int) { PresentWord(); },
        [this](int) {
            if (++step_ < 4) KaStateList1.SetNextState("ShowWord");
        });
    Bind(
        "ShowCover", [this](int) { Cover(); },
        [this](int) {
            container_.InvalidateAll();
            currentWord_ = targetItem_;
            PlayButton().SetEnabled(true);
        });
    Bind("Right", nullptr, [this](int) {
        TickImage().SetVisible(false);
        StartIncrements();
    });
    Bind("Next", [this](int) { Uncover(); });
}

int TForm_WordsEasy::ItemAtTag(int tag) const {
    return tag >= 5 && tag <= 8 ? answers_[size_t(tag - 4)] : 0;
}

int TForm_WordsEasy::TagOfItem(int item) const {
    for (int p = 1; p <= 4; ++p)
        if (answers_[size_t(p)] == item) return p + 4;
    return 0;
}

TCustomDIBControl& TForm_WordsEasy::AnswerElement(int tag) {
    return *words_[size_t(tag >= 5 && tag <= 8 ? tag : 5)];
}

void TForm_WordsEasy::SpeakerClicked(int speaker) {
    if (speaker == kMale) DIBButton_PlayClick();
}

void TForm_WordsEasy::PresentWord() {
    const int s = step_ + 1;
    const int item = PresentedItem();
    shown_[size_t(s)] = item;
    const int place = TakeRandomInt(positionPool_, 1, main_.random());
    answers_[size_t(place)] = item;
    const CourseFolders& f = main_.folders();
    const char* prefix = topic_.prefix.c_str();
    const std::string word = Format("Word%d", s);
    images_.LoadImageNamed(word, "%s\\%s\\%s%d.PNG", f.SourceDir.c_str(), prefix, prefix, item);
    words_[size_t(place + 4)]->SetDIBIndex(images_.IndexOf(word));
    images_.LoadImageNamed("Image", "%s\\%s\\%s%d.png", f.InterfaceDir.c_str(), topic_.imagesFolder.c_str(),
                           prefix, item);
    words_[size_t(s)]->SetVisible(true);
    image_->SetVisible(true);
    SayWord(topic_.prefix, item, kFemale);
}

void TForm_WordsEasy::Cover() {
    ShowSpeakers(kFemale, false);
    StopActor(kFemale);
    container_.InvalidateAll();
    BlendWithin([this] {
        cover_->SetVisible(true);
        for (int n = 5; n <= 8; ++n)
            words_[size_t(n)]->SetVisible(true);
        ShowSpeakers(kMale, true);
    });
}

void TForm_WordsEasy::Uncover() {
    SetQuestion(question() + 1);
    // After the last question the cover stays while the score is shown.
    if (question() > kQuestions) return;
    ShowSpeakers(kMale, false);
    StopActor(kMale);
    container_.InvalidateAll();
    BlendWithin([this] {
        for (int n = 1; n <= 8; ++n)
            words_[size_t(n)]->SetVisible(false);
        image_->SetVisible(false);
        cover_->SetVisible(false);
        ShowSpeakers(kFemale, true);
    });
    KaStateList1.SetNextState("StartQuestion");
}

} // namespace parlora
