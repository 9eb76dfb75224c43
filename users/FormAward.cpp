#include "users/FormAward.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "display/DIBLabel.h"
#include "media/KaMCIMedia.h"
#include "media/KaRamWav.h"
#include "printing/CertificatePrinter.h"
#include "shell/FormMain.h"

#include <algorithm>
#include <cmath>

namespace parlora {

namespace {

constexpr int kDialX = 513, kDialY = 389, kDialRadius = 129, kBlobHalf = 9;
constexpr uint32_t kRankingPaper = 0xFFFEE7C7u;

const TKaStateDef kStates[] = {
    {"NoAward", "", katEndAnim, 1000, 0}, {"Bronze", "", katEndAnim, 1000, 0},
    {"Silver", "", katEndAnim, 1000, 0},  {"Gold", "", katEndAnim, 1000, 0},
    {"Perfect", "", katTimer, 4000, 0},   {"Finished", "", 0, 1000, 0},
};

std::vector<ImageItemSpec> AwardItems() {
    return {
        {"Background", "Interface\\Award\\AwardBG.png", true, false},
        {"List", "", false, false},
        {"YesNo", "", false, false},
        {"Blob", "Interface\\Award\\Blob.png", true, true},
        {"BronzeSpin", "Interface\\Award\\BronzeSpin.png", true, true},
        {"SilverSpin", "Interface\\Award\\SilverSpin.png", true, true},
        {"GoldSpin", "Interface\\Award\\GoldSpin.png", true, true},
        {"Print", "Interface\\Records\\PrintBtn.png", true, true},
        {"Exit", "Interface\\MainMenu\\exitbtn.png", true, true},
    };
}

std::vector<ElementSpec> AwardElements() {
    auto spin = [](const char* name, int x, int y, const char* picture) {
        return ElementSpec{name, ElementKind::ImageStrip, {x, y, 120, 120}, picture, 0, 0, 12, 1};
    };
    return {
        {"DIBI_List", ElementKind::Image, {138, 546, 293, 180}, "List"},
        {"Label_SampleName", ElementKind::Label, {138, 546, 293, 18}, "", 0, efHidden | efDisabled},
        {"DIBI_YesNo", ElementKind::Image, {589, 546, 400, 60}, "YesNo", 0, efHidden | efAutoSize},
        spin("DIBIS_Bronze", 561, 87, "BronzeSpin"),
        spin("DIBIS_Silver", 703, 211, "SilverSpin"),
        spin("DIBIS_Gold", 728, 393, "GoldSpin"),
        {"DIBI_Blob", ElementKind::Image, {0, 0, 18, 18}, "Blob"},
        {"Label_Name", ElementKind::Label, {319, 43, 386, 40}, "", 0, efDisabled},
        {"Label_Score", ElementKind::Label, {426, 342, 172, 96}, "", 0, efDisabled},
        {"DIBBS_Print", ElementKind::ButtonStrip, {474, 677, 100, 50}, "Print", 0, efDisabled},
        {"DIBBS_Exit", ElementKind::ButtonStrip, {955, 707, 0, 0}, "Exit", 0, efAutoSize},
    };
}

} // namespace

TForm_Award::TForm_Award(TForm_Main& main, const TScreenParams&)
    : TDIBScreen(main, "TForm_Award"), KaStateList1(main.dispatcher()) {
    TRecordsStore* records = main_.records();
    if (records) {
        student_ = records->CurrentStudent();
        total_ = records->Total();
    }
    const CourseFolders& f = main_.folders();

    // 1. Pictures; the message matches the total.
    Build(AwardItems(), AwardElements());
    blob_ = &Element<TDIBImage>("DIBI_Blob");
    list_ = &Element<TDIBImage>("DIBI_List");
    score_ = &Element<TDIBLabel>("Label_Score");
    print_ = &Element<TDIBButtonStrip>("DIBBS_Print");
    LoadPicture("YesNo", Format(total_ >= 900 ? "%s\\general\\awardok.png" : "%s\\general\\awardno.png",
                                f.SourceDir.c_str()));

    // 2. The sounds; a missing one stops the screen here, as a broken course should.
    static const char* const sounds[kPlayerCount] = {"%s\\Award\\Scale.wav", "%s\\Award\\BADing.wav",
                                                     "%s\\Award\\SADing.wav", "%s\\Award\\GADing.wav",
                                                     "%s\\Common\\Sounds\\Applause.wav"};
    for (int i = 0; i < kPlayerCount; ++i) {
        players_[size_t(i)] = std::make_unique<TKaRamWav>(main_.platform().audioOut(), main_.dispatcher());
        players_[size_t(i)]->OnPlayHook = main_.SoundHook();
        players_[size_t(i)]->LoadSound(PathResolver::Resolve(Format(sounds[i], f.InterfaceDir.c_str())));
    }
    scaleDuration_ = int(player(kBackground).DurationMs());

    // 3. Every end of the marker's run, also a stopped one, moves the sequence on.
    anims_ = std::make_unique<TDIBAnimList>(main_.dispatcher());
    anims_->SetInterval(20);
    anims_->AnimNotify = [this](TCustomDIBControl& sender, bool) {
        if (&sender == blob_) KaStateList1.EndAnim(0);
    };

    // 4. The students best first, as the store keeps them.
    if (records) {
        records->LoadStudentList();
        records->SortStudentsByScore();
    }
    TDIBLabel& sample = Element<TDIBLabel>("Label_SampleName");
    sample.SetFont({"Arial", 18, false, false});
    sample.SetFontColor(0xFF000000u);
    DrawRanking();

    // 5. The name and the dial at 0.
    TDIBLabel& name = Element<TDIBLabel>("Label_Name");
    name.SetFont({main_.catalogue() ? main_.catalogue()->sourceFontName() : "Arial", 30, true, false});
    name.SetFontColor(0xFF1A2A6Cu);
    name.SetAlignment(TextAlign::Centre);
    name.SetCaption(student_);
    score_->SetFont({"Arial", kScoreFontHeight, false, false});
    score_->SetFontColor(0xFFFFFFFFu);
    score_->SetAlignment(TextAlign::Centre);
    SetDial(0);

    BindStates();
    Element<TDIBButtonStrip>("DIBBS_Exit").OnClick = [this](TCustomDIBControl&) { DIBBS_ExitClick(); };
    print_->OnClick = [this](TCustomDIBControl&) { DIBBS_PrintClick(); };
}

TForm_Award::~TForm_Award() {
    KaStateList1.OnStart = nullptr;
    KaStateList1.Stop();
    // The animations point into our elements: they go first.
    anims_.reset();
    StopPlayers();
}

void TForm_Award::DrawRanking() {
    TVolatileDIB* pic = images_.FindImage("List");
    if (!pic) return;
    TRecordsStore* records = main_.records();
    const std::vector<TStudentEntry> none;
    const std::vector<TStudentEntry>& students = records ? records->students() : none;
    const int count = int(students.size());
    pic->SetSize(list_->Width(), std::max(1, count) * kRowHeight);
    pic->FillColor(kRankingPaper);
    TDIBCanvas& c = pic->Canvas();
    c.Font = Element<TDIBLabel>("Label_SampleName").Font();
    c.Brush = BrushStyle::Clear;
    int current = -1;
    for (int i = 0; i < count; ++i) {
        const TStudentEntry& s = students[size_t(i)];
        bool me = !student_.empty() && TRecordsStore::SameStudentName(s.name, student_);
        if (me && current < 0) current = i;
        c.Font.bold = me;
        c.FontColor = me ? 0xFFFF0000u : 0xFF000000u;
        std::string score = std::to_string(s.tag);
        c.TextOut(40 - c.TextExtent(score).width, i * kRowHeight, score);
        c.TextOut(60, i * kRowHeight, s.name);
    }
    list_->SetOffsetY(current > kRows - 1 ? (current - (kRows - 1)) * kRowHeight : 0);
    list_->Invalidate();
}

std::pair<int, int> TForm_Award::DialPosition(int value) {
    double a = value * 4.27 / kFullSweep + 1.01;
    int left = int(std::lround(kDialX - std::sin(a) * kDialRadius)) - kBlobHalf;
    int top = int(std::lround(std::cos(a) * kDialRadius + kDialY)) - kBlobHalf;
    return {left, top};
}

void TForm_Award::ShowScore(int value) {
    std::string text = std::to_string(value);
    // Four digits in the full size are wider than the dial's middle: smaller, never cut.
    FontSpec font = score_->Font();
    font.pixelHeight = kScoreFontHeight;
    while (font.pixelHeight > 10 && TextRenderer::Measure(text, font).width > score_->Width())
        --font.pixelHeight;
    if (font.pixelHeight != score_->Font().pixelHeight) score_->SetFont(font);
    score_->SetCaption(text);
}

void TForm_Award::SetDial(int value) {
    dialValue_ = value;
    auto [left, top] = DialPosition(value);
    blob_->SetBounds(left, top, blob_->Width(), blob_->Height());
    ShowScore(value);
}

void TForm_Award::Sweep(int from, int to) {
    // Each stretch lasts its share of the full sweep of the scale, so marker and scale end together.
    int64_t ms = int64_t(to - from) * scaleDuration_ / kFullSweep;
    anims_->AddCallbackAnim(
        int32_t(std::max<int64_t>(0, ms)), *blob_, from, to, [this](int v) { SetDial(v); }, false);
}

void TForm_Award::TurnMedal(const char* strip) {
    anims_->AddStripAnim(1200, Element<TDIBImageStrip>(strip), 0, 11, false);
}

void TForm_Award::BindStates() {
    KaStateList1.Define(kStates);
    KaStateList1.BindEntry("NoAward", [this](TKaTrigger, int32_t) {
        Sweep(0, std::min(total_, 900));
        PlayPlayer(kBackground);
    });
    KaStateList1.BindExit("NoAward", [this](TKaTrigger, int32_t) {
        if (total_ < 900) KaStateList1.SetNextState("Finished");
    });
    KaStateList1.BindEntry("Bronze", [this](TKaTrigger, int32_t) {
        Sweep(900, std::min(total_, 1200));
        TurnMedal("DIBIS_Bronze");
        PlayPlayer(kBronze);
    });
    KaStateList1.BindExit("Bronze", [this](TKaTrigger, int32_t) {
        if (total_ < 1200) KaStateList1.SetNextState("Finished");
    });
    KaStateList1.BindEntry("Silver", [this](TKaTrigger, int32_t) {
        Sweep(1200, std::min(total_, 1500));
        TurnMedal("DIBIS_Silver");
        PlayPlayer(kSilver);
    });
    KaStateList1.BindExit("Silver", [this](TKaTrigger, int32_t) {
        if (total_ < 1500) KaStateList1.SetNextState("Finished");
    });
    KaStateList1.BindEntry("Gold", [this](TKaTrigger, int32_t) {
        Sweep(1500, std::min(total_, kDialMost));
        TurnMedal("DIBIS_Gold");
        PlayPlayer(kGold);
    });
    KaStateList1.BindExit("Gold", [this](TKaTrigger, int32_t) {
        if (total_ < kFullSweep) KaStateList1.SetNextState("Finished");
    });
    KaStateList1.BindEntry("Perfect", [this](TKaTrigger, int32_t) {
        player(kBackground).Stop();
        PlayPlayer(kPerfect);
    });
    KaStateList1.BindEntry("Finished", [this](TKaTrigger, int32_t) { Closing(); });
}

void TForm_Award::Start() {
    KaStateList1.Start();
}

void TForm_Award::StopPlayers() {
    for (auto& p : players_)
        if (p) p->Stop();
}

void TForm_Award::PlayPlayer(Player which) {
    TKaRamWav& p = player(which);
    if (main_.settings().KillSound) {
        // Silence the other sounds first, but never cut the rising scale under a chime: the
        // output mixes any number of sounds, and the scale is what the marker keeps time with.
        for (int i = 0; i < kPlayerCount; ++i)
            if (i != which && (which == kBackground || i != kBackground)) player(Player(i)).Stop();
        p.Play();
        return;
    }
    try {
        p.Play();
    } catch (const std::exception& e) {
        main_.DebugLog(std::string("Award sound retried: ") + e.what());
        StopPlayers();
        p.Play();
    }
}

void TForm_Award::Closing() {
    player(kBackground).Stop();
    // A total beyond the dial's reach still shows as it is.
    ShowScore(total_);
    Element<TDIBImage>("DIBI_YesNo").SetVisible(true);
    print_->SetEnabled(total_ > 899);
    try {
        int source = main_.catalogue() ? main_.catalogue()->sourceNumber() : 0;
        std::string base = Format("%s\\general\\aif\\%dWRD%s", main_.folders().SourceDir.c_str(), source,
                                  print_->Enabled() ? "K" : "N");
        std::string aif = PathResolver::Resolve(base + ".aif");
        std::string mp3 = PathResolver::Resolve(base + ".mp3");
        std::string viaMedia;
        if (PathResolver::IsFile(aif)) {
            if (main_.settings().MediaSound) {
                viaMedia = aif;
            } else {
                player(kBackground).LoadSound(aif);
                PlayPlayer(kBackground);
            }
        } else if (PathResolver::IsFile(mp3)) {
            viaMedia = mp3;
        }
        if (!viaMedia.empty()) {
            StopPlayers();
            media().CloseMedia();
            media().SetMediaFilename(viaMedia);
            media().OpenMedia();
            media().PlayMedia();
        }
    } catch (const std::exception& e) {
        main_.DebugLog(std::string("Award message not said: ") + e.what());
    }
}

void TForm_Award::DIBBS_ExitClick() {
    if (printing_) return;
    // The sequence ends here: stopping the marker delivers one more end, which must not start a
    // chime or the closing message on the way out.
    KaStateList1.Stop();
    anims_->StopAnims();
    StopPlayers();
    main_.RequestScreen(9, 4);
}

void TForm_Award::DIBBS_PrintClick() {
    if (printing_ || total_ < 900) return;
    printing_ = true;
    auto finish = [this] {
        printing_ = false;
        main_.dispatcher().discardInput();
    };
    try {
        TCertificatePrinter::Instance()()->PrintCertificate(main_, TRecordsStore::AwardLevel(total_), total_,
                                                            student_);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace parlora
