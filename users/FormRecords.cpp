#include "users/FormRecords.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBLabel.h"
#include "printing/RecordsPrinter.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"
#include "users/DeleteDlg.h"

#include <algorithm>

namespace parlora {

namespace {

const char* const kDetailLabels[] = {"Label_LastUsed", "Label_Sessions", "Label_Score"};
const char* const kSmallMedals[] = {"DIBI_Bronze", "DIBI_Silver", "DIBI_Gold"};

std::vector<ImageItemSpec> RecordsItems() {
    return {
        {"Background", "Interface\\Records\\RecordsBG.png", true, false},
        {"List", "", false, false},
        {"Cover", "Interface\\Records\\Cover.png", true, false},
        {"Bronze", "Interface\\Records\\SmallBronze.png", true, true},
        {"Silver", "Interface\\Records\\SmallSilver.png", true, true},
        {"Gold", "Interface\\Records\\SmallGold.png", true, true},
        {"BigAward", "", false, true},
        {"Label1", "", false, true},
        {"Label2", "", false, true},
        {"Label3", "", false, true},
        {"Label4", "", false, true},
        {"Up", "Interface\\Names\\Up.png", true, true},
        {"Down", "Interface\\Names\\Down.png", true, true},
        {"Create", "Interface\\Records\\CreateBtn.png", true, true},
        {"Delete", "Interface\\Records\\DeleteBtn.png", true, true},
        {"Print", "Interface\\Records\\PrintBtn.png", true, true},
        {"Flag", "Interface\\MainMenu\\ChangeLangStrip.png", true, true},
        {"HelpBtn", "Interface\\MainMenu\\helpbtn.png", true, true},
        {"Exit", "Interface\\MainMenu\\exitbtn.png", true, true},
    };
}

std::vector<ElementSpec> RecordsElements() {
    auto label = [](const char* name, Rect r) {
        return ElementSpec{name, ElementKind::Label, r, "", 0, efDisabled};
    };
    return {
        {"DIBI_List", ElementKind::Image, {226, 253, 188, 216}, "List"},
        {"DIBI_Label1", ElementKind::Image, {523, 321, 175, 28}, "Label1", 0, efAutoSize},
        {"DIBI_Label", ElementKind::Image, {523, 353, 175, 28}, "Label2", 0, efAutoSize},
        {"DIBImage2", ElementKind::Image, {523, 385, 175, 28}, "Label3", 0, efAutoSize},
        {"DIBImage3", ElementKind::Image, {523, 417, 175, 28}, "Label4", 0, efAutoSize},
        {"DIBI_Bronze", ElementKind::Image, {706, 417, 20, 20}, "Bronze", 0, efHidden | efAutoSize},
        {"DIBI_Silver", ElementKind::Image, {727, 417, 20, 20}, "Silver", 0, efHidden | efAutoSize},
        {"DIBI_Gold", ElementKind::Image, {747, 417, 20, 20}, "Gold", 0, efHidden | efAutoSize},
        {"DIBI_BigAward", ElementKind::Image, {787, 180, 160, 200}, "BigAward", 0, efHidden | efAutoSize},
        label("Label_SampleName", {226, 253, 188, 18}),
        label("Label_Name", {567, 262, 258, 32}),
        label("Label_LastUsed", {706, 321, 220, 28}),
        label("Label_Sessions", {706, 353, 220, 28}),
        label("Label_Score", {706, 385, 220, 28}),
        {"DIBI_Cover", ElementKind::Image, {0, 0, 478, 404}, "Cover"},
        {"DIBBS_Up", ElementKind::ButtonStrip, {439, 227, 48, 54}, "Up", 0, efDisabled},
        {"DIBBS_Down", ElementKind::ButtonStrip, {439, 448, 48, 54}, "Down", 0, efDisabled},
        {"DIBBS_Create", ElementKind::ButtonStrip, {523, 600, 100, 50}, "Create"},
        {"DIBBS_Delete", ElementKind::ButtonStrip, {643, 600, 100, 50}, "Delete", 0, efDisabled},
        {"DIBBS_Print", ElementKind::ButtonStrip, {763, 600, 100, 50}, "Print"},
        {"DIBBS_Flag", ElementKind::ButtonStrip, {883, 596, 75, 58}, "Flag"},
        {"DIBBS_Help", ElementKind::ButtonStrip, {21, 707, 0, 0}, "HelpBtn", 0, efAutoSize},
        {"DIBBS_Exit", ElementKind::ButtonStrip, {955, 707, 0, 0}, "Exit", 0, efAutoSize},
    };
}

} // namespace

TForm_Records::TForm_Records(TForm_Main& main, const TScreenParams&) : TDIBScreen(main, "TForm_Records") {
    Build(RecordsItems(), RecordsElements());
    list_ = &Element<TDIBImage>("DIBI_List");
    cover_ = &Element<TDIBImage>("DIBI_Cover");
    up_ = &Element<TDIBButtonStrip>("DIBBS_Up");
    down_ = &Element<TDIBButtonStrip>("DIBBS_Down");
    delete_ = &Element<TDIBButtonStrip>("DIBBS_Delete");
    name_ = &Element<TDIBLabel>("Label_Name");

    // 1. The cover hides the details until a student is chosen; names in the learner's font.
    cover_->SetLeft(523);
    cover_->SetTop(169);
    const std::string family = main_.catalogue() ? main_.catalogue()->sourceFontName() : "Arial";
    FontSpec nameFont{family, kNameFontHeight, true, false};
    name_->SetFont(nameFont);
    name_->SetFontColor(0xFF1A2A6Cu);
    name_->SetAlignment(TextAlign::Centre);
    Element<TDIBLabel>("Label_SampleName").SetFont({family, 18, false, false});
    Element<TDIBLabel>("Label_SampleName").SetVisible(false);
    for (const char* n : kDetailLabels) {
        TDIBLabel& l = Element<TDIBLabel>(n);
        l.SetFont({"Arial", 22, true, false});
        l.SetFontColor(0xFF1A2A6Cu);
    }

    // 2. The captions in the learner's language.
    static const char* const captions[] = {"Label1", "Label2", "Label3", "Label4"};
    for (int i = 0; i < 4; ++i)
        LoadPicture(captions[i],
                    Format("%s\\general\\studrec%d.png", main_.folders().SourceDir.c_str(), i + 1));

    // 3. Scrolling runs on the screen's animation list.
    top_ = 1;
    selected_ = 0;
    anims_ = std::make_unique<TDIBAnimList>(main_.dispatcher());
    anims_->SetInterval(20);
    anims_->AnimNotify = [this](TCustomDIBControl& sender, bool finished) { AnimNotify(sender, finished); };

    // 4. The students, as the router loaded and sorted them.
    TRecordsStore* records = main_.records();
    if (records) names_ = records->StudentNames();
    count_ = int(names_.size());

    // 5. The current student, if any, is chosen and scrolled into view.
    if (records && !records->CurrentStudent().empty()) {
        for (int i = 0; i < count_; ++i)
            if (TRecordsStore::SameStudentName(names_[size_t(i)], records->CurrentStudent())) {
                selected_ = i + 1;
                break;
            }
        if (selected_ != 0) {
            top_ = std::max(1, std::min(selected_, count_ - (kRows - 1)));
            offset_ = (top_ - 1) * kRowHeight;
        }
    }
    ShowStudent();

    // 6. Buttons.
    SetScrollButtons();
    Element<TDIBButtonStrip>("DIBBS_Flag").SetEnabled(main_.settings().ChangeLanguage);

    list_->OnMouseMove = [this](TCustomDIBControl&, int, int y) { DIBI_ListMouseMove(y); };
    list_->OnMouseDown = [this](TCustomDIBControl&, MouseButton, int, int y) { DIBI_ListMouseMove(y); };
    list_->OnClick = [this](TCustomDIBControl&) { DIBI_ListClick(); };
    up_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int, int) {
        if (b == MouseButton::Left && up_->Enabled()) DIBBS_UpMouseDown();
    };
    up_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { DIBBS_UpMouseUp(); };
    down_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int, int) {
        if (b == MouseButton::Left && down_->Enabled()) DIBBS_DownMouseDown();
    };
    down_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { DIBBS_DownMouseUp(); };
    auto onClick = [this](const char* name, void (TForm_Records::*handler)()) {
        Element<TDIBButtonStrip>(name).OnClick = [this, handler](TCustomDIBControl&) { (this->*handler)(); };
    };
    onClick("DIBBS_Create", &TForm_Records::DIBBS_CreateClick);
    onClick("DIBBS_Delete", &TForm_Records::DIBBS_DeleteClick);
    onClick("DIBBS_Print", &TForm_Records::DIBBS_PrintClick);
    onClick("DIBBS_Flag", &TForm_Records::DIBBS_FlagClick);
    onClick("DIBBS_Help", &TForm_Records::DIBBS_HelpClick);
    onClick("DIBBS_Exit", &TForm_Records::DIBBS_ExitClick);
}

TForm_Records::~TForm_Records() {
    // The animations point into our elements: they go first.
    anims_.reset();
}

void TForm_Records::DrawList() {
    TVolatileDIB* pic = images_.FindImage("List");
    if (!pic) return;
    page_.Fit(offset_, count_);
    // An empty list still gets a row's worth of white, so the window never shows stale pixels; the
    // room below the last row keeps its descenders.
    pic->SetSize(list_->Width(), std::max(1, page_.rows()) * kRowHeight + TListPage::kDescentRoom);
    pic->FillColor(0xFFFFFFFFu);
    TDIBCanvas& c = pic->Canvas();
    c.Font = Element<TDIBLabel>("Label_SampleName").Font();
    page_.DrawRows(c, names_, selected_);
    list_->SetOffsetY(page_.PictureOffset(offset_));
    list_->Invalidate();
}

void TForm_Records::ShowOffset(int offset) {
    offset_ = offset;
    if (page_.Fit(offset_, count_))
        DrawList();
    else
        list_->SetOffsetY(page_.PictureOffset(offset_));
}

void TForm_Records::ShowStudent() {
    DrawList();
    delete_->SetEnabled(selected_ != 0);
    TRecordsStore* records = main_.records();
    if (selected_ == 0 || !records) {
        // Labels are drawn above every picture: they go too, or they would show through the cover.
        cover_->SetVisible(true);
        name_->SetCaption("");
        for (const char* n : kDetailLabels)
            Element<TDIBLabel>(n).SetCaption("");
        for (const char* n : kSmallMedals)
            Element<TDIBImage>(n).SetVisible(false);
        Element<TDIBImage>("DIBI_BigAward").SetVisible(false);
        return;
    }
    const std::string& student = names_[size_t(selected_ - 1)];
    records->SetCurrentStudent(student);

    FontSpec font = name_->Font();
    font.pixelHeight = kNameFontHeight;
    while (font.pixelHeight > 6 && TextRenderer::Measure(student, font).width > name_->Width())
        --font.pixelHeight;
    name_->SetFont(font);
    name_->SetCaption(student);

    std::string score = records->ReadStudentValue("Score", "0");
    Element<TDIBLabel>("Label_LastUsed").SetCaption(records->ReadStudentValue("LastUsed", "-"));
    Element<TDIBLabel>("Label_Sessions").SetCaption(records->ReadStudentValue("Sessions", "0"));
    Element<TDIBLabel>("Label_Score").SetCaption(score);

    // A score that is not a number earns nothing.
    int s = ParseIntOr(score, 0);
    Element<TDIBImage>("DIBI_Bronze").SetVisible(s >= 900);
    Element<TDIBImage>("DIBI_Silver").SetVisible(s >= 1200);
    Element<TDIBImage>("DIBI_Gold").SetVisible(s >= 1500);
    TDIBImage& big = Element<TDIBImage>("DIBI_BigAward");
    const char* medal = s >= 1500 ? "Gold" : s >= 1200 ? "Silver" : s >= 900 ? "Bronze" : nullptr;
    if (medal) {
        LoadPicture("BigAward", Format("%s\\records\\%s.png", main_.folders().InterfaceDir.c_str(), medal));
        big.SetVisible(true);
    } else {
        big.SetVisible(false);
    }
    cover_->SetVisible(false);
}

void TForm_Records::SetScrollButtons() {
    up_->SetEnabled(top_ > 1);
    down_->SetEnabled(top_ < count_ - (kRows - 1));
}

void TForm_Records::ScrollTo(int row) {
    if (row == top_) return;
    anims_->StopAnims();
    scrollStart_ = top_;
    const int base = (scrollStart_ - 1) * kRowHeight;
    anims_->AddCallbackAnim(
        scrollDuration_, *list_, 0, (row - scrollStart_) * kRowHeight,
        [this, base](int value) { ShowOffset(value + base); }, false);
    top_ = row;
}

void TForm_Records::ScrollUp() {
    if (top_ > 1) ScrollTo(top_ - 1);
    SetScrollButtons();
}

void TForm_Records::ScrollDown() {
    if (top_ < count_ - (kRows - 1)) ScrollTo(top_ + 1);
    SetScrollButtons();
}

void TForm_Records::AnimNotify(TCustomDIBControl&, bool finished) {
    if (!finished) return;
    if (scrollDuration_ > 100) scrollDuration_ -= 100;
    if (upHeld_)
        ScrollUp();
    else if (downHeld_)
        ScrollDown();
}

void TForm_Records::DIBBS_UpMouseDown() {
    upHeld_ = true;
    scrollDuration_ = 400;
    ScrollUp();
}

void TForm_Records::DIBBS_UpMouseUp() {
    upHeld_ = false;
}

void TForm_Records::DIBBS_DownMouseDown() {
    downHeld_ = true;
    scrollDuration_ = 400;
    ScrollDown();
}

void TForm_Records::DIBBS_DownMouseUp() {
    downHeld_ = false;
}

void TForm_Records::DIBI_ListMouseMove(int y) {
    lastY_ = y;
}

void TForm_Records::DIBI_ListClick() {
    if (lastY_ < 0) return;
    int row = lastY_ / kRowHeight;
    if (row >= kRows) return;
    int index = row + top_;
    if (index > count_ || index == selected_) return;
    selected_ = index;
    ShowStudent();
}

void TForm_Records::Leave(int code, int kind) {
    if (printing_) return;
    anims_->StopAnims();
    upHeld_ = downHeld_ = false;
    main_.RequestScreen(code, kind);
}

void TForm_Records::DIBBS_ExitClick() {
    if (printing_) return;
    deleteDlg_.reset();
    Leave(1, 4);
}

void TForm_Records::DIBBS_FlagClick() {
    Leave(5, 5);
}

void TForm_Records::DIBBS_CreateClick() {
    Leave(6, 5);
}

void TForm_Records::DIBBS_HelpClick() {
    main_.ShowHelpPicture(39);
}

void TForm_Records::DIBBS_DeleteClick() {
    TRecordsStore* records = main_.records();
    // Only a student chosen here, whose name the learner sees, can be deleted.
    if (printing_ || !records || selected_ == 0) return;
    if (!deleteDlg_) deleteDlg_ = std::make_unique<TDeleteDlg>(main_);
    if (deleteDlg_->ShowModal() != TDeleteDlg::Result::OK) return;
    records->DeleteCurrentStudentAndRecords();
    names_ = records->StudentNames();
    count_ = int(names_.size());
    if (count_ < selected_) selected_ = 0;
    if (top_ > 1 && count_ - (kRows - 1) < top_) {
        anims_->StopAnims();
        --top_;
        offset_ = (top_ - 1) * kRowHeight;
    }
    SetScrollButtons();
    // The student now in the deleted one's row (if any) is shown and becomes the current one.
    ShowStudent();
}

void TForm_Records::DIBBS_PrintClick() {
    if (printing_) return;
    printing_ = true;
    auto finish = [this] {
        printing_ = false;
        // Clicks made while the records were printing were meant for a busy screen.
        main_.dispatcher().discardInput();
    };
    try {
        TRecordsPrinter::Instance()()->PrintRecords(main_);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace parlora
