#include "users/FormChooseName.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBEdit.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"

#include <algorithm>
#include <cstdlib>

namespace parlora {

namespace {

const char* const kExitPicture = "Interface\\MainMenu\\exitbtn.png";
const char* const kHelpPicture = "Interface\\MainMenu\\helpbtn.png";

// Buttons are drawn with their colour key: their corners are round.
std::vector<ImageItemSpec> NameItems(const std::vector<ImageItemSpec>& extra) {
    std::vector<ImageItemSpec> items{
        {"Background", "Interface\\Names\\NamesBG.png", true, false},
        {"Disk", "", false, false},
        {"Mask", "Interface\\start\\DiskMask.png", true, true},
        {"Label", "", false, false},
        {"Help", "", false, false},
        {"OK", "Interface\\Names\\OKBtn.png", true, true},
        {"Exit", kExitPicture, true, true},
        {"HelpBtn", kHelpPicture, true, true},
    };
    items.insert(items.end(), extra.begin(), extra.end());
    return items;
}

std::vector<ElementSpec> NameElements(const std::vector<ElementSpec>& extra) {
    std::vector<ElementSpec> elements{
        {"DIBI_Disk", ElementKind::Image, {36, 2, 295, 295}, "Disk"},
        {"DIBI_Mask", ElementKind::Image, {36, 2, 295, 295}, "Mask"},
        {"DIBI_Label", ElementKind::Image, {73, 69, 143, 47}, "Label", 0, efAutoSize | efHidden},
    };
    elements.insert(elements.end(), extra.begin(), extra.end());
    elements.push_back({"DIBBS_Button", ElementKind::ButtonStrip, {762, 449, 67, 67}, "OK", 0, efDisabled});
    elements.push_back({"DIBBS_Exit", ElementKind::ButtonStrip, {955, 707, 0, 0}, "Exit", 0, efAutoSize});
    elements.push_back({"DIBBS_Help", ElementKind::ButtonStrip, {21, 707, 0, 0}, "HelpBtn", 0, efAutoSize});
    return elements;
}

} // namespace

TNameScreen::TNameScreen(TForm_Main& main, std::string className,
                         const std::vector<ImageItemSpec>& extraItems,
                         const std::vector<ElementSpec>& extraElements)
    : TDIBScreen(main, std::move(className)) {
    Build(NameItems(extraItems), NameElements(extraElements));
    ok_ = &Element<TDIBButtonStrip>("DIBBS_Button");

    edit_ = &container_.Create<TDIBEdit>("Edit_Name");
    edit_->SetBounds(398, 466, 306, 32);
    edit_->SetColor(0xFFFFFFFFu);
    edit_->SetFontColor(0xFF000000u);
    FontSpec font;
    font.family = main_.catalogue() ? main_.catalogue()->sourceFontName() : "Arial";
    font.pixelHeight = 26;
    edit_->SetFont(font);
    edit_->SetMaxLength(24);
    edit_->SetFocused(true);

    LoadDisk();
    if (main_.catalogue() && main_.catalogue()->TitleVisible()) {
        LoadPicture("Label", main_.catalogue()->TitlePicturePath());
        Element<TDIBImage>("DIBI_Label").SetVisible(true);
    }
}

void TNameScreen::LoadDisk() {
    const CourseFolders& f = main_.folders();
    if (!f.CustomDir.empty() && main_.catalogue()) {
        std::string custom = Format("%s\\Sources\\%dSource\\General\\CDFront.png", f.CustomDir.c_str(),
                                    main_.catalogue()->targetNumber());
        if (PathResolver::IsFile(PathResolver::Resolve(custom))) {
            LoadPicture("Disk", custom);
            return;
        }
    }
    LoadPicture("Disk", Format("%s\\general\\cdfront.png", f.TextDir.c_str()));
}

void TNameScreen::LoadHelpCaption(const char* fmt) {
    LoadPicture("Help", Format(fmt, main_.folders().SourceDir.c_str()));
}

std::string TNameScreen::TypedName() const {
    return Trim(edit_->Text());
}

bool TNameScreen::AddOrRefuse(const std::string& name) {
    if (main_.records() && main_.records()->AddStudent(name)) return true;
    main_.platform().display().beep();
    edit_->SetText("");
    return false;
}

void TNameScreen::HandleInput(const InputEvent& e) {
    if (e.kind == InputEvent::Kind::Text) {
        edit_->HandleKey(e);
        return;
    }
    if (e.kind == InputEvent::Kind::KeyDown) {
        // The box keeps its keys; Return is the box's too, unless a focus ring shows the button
        // it is meant for.
        bool forRing = e.key == "Return" && container_.FocusRingShown();
        if (!forRing && edit_->HandleKey(e)) return;
        // A space typed in a name also arrives as text: it must not press a button as well.
        if (e.key == "Space") return;
    }
    TDIBScreen::HandleInput(e);
}

TForm_ChooseName::TForm_ChooseName(TForm_Main& main, const TScreenParams&)
    : TNameScreen(main, "TForm_ChooseName",
                  {{"List", "", false, false},
                   {"Up", "Interface\\Names\\Up.png", true, true},
                   {"Down", "Interface\\Names\\Down.png", true, true}},
                  {{"DIBI_Help", ElementKind::Image, {398, 95, 200, 40}, "Help", 0, efAutoSize},
                   {"DIBI_List", ElementKind::Image, {398, 143, 188, 216}, "List"},
                   {"DIBBS_Up", ElementKind::ButtonStrip, {596, 143, 48, 54}, "Up", 0, efDisabled},
                   {"DIBBS_Down", ElementKind::ButtonStrip, {596, 305, 48, 54}, "Down", 0, efDisabled}}) {
    LoadHelpCaption("%s\\general\\register.png");
    list_ = &Element<TDIBImage>("DIBI_List");
    up_ = &Element<TDIBButtonStrip>("DIBBS_Up");
    down_ = &Element<TDIBButtonStrip>("DIBBS_Down");

    scrollList_ = std::make_unique<TDIBAnimList>(main_.dispatcher());
    scrollList_->SetInterval(20);
    scrollList_->AnimNotify = [this](TCustomDIBControl& sender, bool finished) {
        ScrollListAnimNotify(sender, finished);
    };

    if (main_.records()) names_ = main_.records()->StudentNames();
    count_ = int(names_.size());
    top_ = 1;
    selected_ = 0;
    DrawList();
    edit_->SetText("");
    UpdateScrollButtons();
    if (count_ == 1) {
        selected_ = 1;
        DrawList();
    }
    ok_->SetEnabled(count_ == 1);

    auto trackY = [this](TCustomDIBControl&, int, int y) { mouseY_ = y; };
    list_->OnMouseMove = trackY;
    list_->OnMouseDown = [this](TCustomDIBControl&, MouseButton, int, int y) { mouseY_ = y; };
    list_->OnClick = [this](TCustomDIBControl&) { DIBI_ListClick(); };
    list_->OnDblClick = [this](TCustomDIBControl&) { OKClick(); };
    edit_->OnChange = [this](TCustomDIBControl&) { EditChange(); };
    edit_->OnEnter = [this](TCustomDIBControl&) {
        if (ok_->Enabled()) OKClick();
    };
    ok_->OnClick = [this](TCustomDIBControl&) { OKClick(); };
    up_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int, int) {
        if (b == MouseButton::Left && up_->Enabled()) ScrollUp();
    };
    up_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { upHeld_ = false; };
    down_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int, int) {
        if (b == MouseButton::Left && down_->Enabled()) ScrollDown();
    };
    down_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { downHeld_ = false; };
    Element<TDIBButtonStrip>("DIBBS_Exit").OnClick = [this](TCustomDIBControl&) { DIBBS_ExitClick(); };
    Element<TDIBButtonStrip>("DIBBS_Help").OnClick = [this](TCustomDIBControl&) { DIBBS_HelpClick(); };
}

TForm_ChooseName::~TForm_ChooseName() {
    // The animations point into our elements: they go first.
    scrollList_.reset();
}

void TForm_ChooseName::DrawList() {
    TVolatileDIB* pic = images_.FindImage("List");
    if (!pic) return;
    page_.Fit(offset_, count_);
    pic->SetSize(list_->Width(), page_.rows() * kRowHeight + TListPage::kDescentRoom);
    pic->FillColor(0xFFFFFFFFu);
    TDIBCanvas& c = pic->Canvas();
    c.Font.family = main_.catalogue() ? main_.catalogue()->sourceFontName() : "Arial";
    c.Font.pixelHeight = 18;
    page_.DrawRows(c, names_, selected_);
    list_->SetOffsetY(page_.PictureOffset(offset_));
    list_->Invalidate();
}

void TForm_ChooseName::ShowOffset(int offset) {
    offset_ = offset;
    if (page_.Fit(offset_, count_))
        DrawList();
    else
        list_->SetOffsetY(page_.PictureOffset(offset_));
}

void TForm_ChooseName::DIBI_ListClick() {
    int row = mouseY_ / kRowHeight;
    if (mouseY_ < 0 || row >= kRows) return;
    Select(row + top_);
}

void TForm_ChooseName::Select(int number) {
    if (number < 1 || number > count_ || number == selected_) return;
    selected_ = number;
    DrawList();
    edit_->SetText("");
    ok_->SetEnabled(true);
}

void TForm_ChooseName::ShowRow(int number) {
    int newTop = top_;
    if (number < top_)
        newTop = number;
    else if (number >= top_ + kRows)
        newTop = number - kRows + 1;
    if (newTop == top_) return;
    if (std::abs(newTop - top_) == 1) {
        scrollTime_ = 100;
        Scroll(newTop - top_);
        return;
    }
    // Far out of sight (the arrows scrolled away from it): the list jumps there.
    scrollList_->StopAnims();
    top_ = newTop;
    ShowOffset((top_ - 1) * kRowHeight);
    UpdateScrollButtons();
}

bool TForm_ChooseName::MoveWithin(TCustomDIBControl& focused, FocusMove move) {
    if (&focused != list_ || (move != FocusMove::Up && move != FocusMove::Down) || count_ == 0)
        return TNameScreen::MoveWithin(focused, move);
    const int number =
        selected_ == 0 ? top_ : std::clamp(selected_ + (move == FocusMove::Up ? -1 : 1), 1, count_);
    Select(number);
    ShowRow(number);
    return true;
}

bool TForm_ChooseName::PressFocused(TCustomDIBControl& focused) {
    if (&focused != list_) return TNameScreen::PressFocused(focused);
    if (selected_ == 0) {
        Select(top_);
    } else if (ok_->Enabled()) {
        OKClick();
    }
    return true;
}

void TForm_ChooseName::EditChange() {
    if (!TypedName().empty()) {
        if (selected_ != 0) {
            selected_ = 0;
            DrawList();
        }
        ok_->SetEnabled(true);
    } else {
        ok_->SetEnabled(false);
    }
}

void TForm_ChooseName::OKClick() {
    if (!main_.records()) return;
    std::string name;
    std::string typed = TypedName();
    if (!typed.empty()) {
        if (!AddOrRefuse(typed)) {
            ok_->SetEnabled(selected_ != 0);
            return;
        }
        name = typed;
    } else if (selected_ >= 1 && selected_ <= count_) {
        name = names_[size_t(selected_ - 1)];
    }
    if (name.empty()) return;
    main_.records()->SetCurrentStudent(name);
    scrollList_->StopAnims();
    // A second press before the screen goes must not open the records twice.
    ok_->SetEnabled(false);
    edit_->OnEnter = nullptr;
    list_->OnDblClick = nullptr;
    main_.LoadStudent();
    main_.RequestScreen(8, 1);
}

void TForm_ChooseName::UpdateScrollButtons() {
    up_->SetEnabled(top_ > 1);
    down_->SetEnabled(top_ < count_ - (kRows - 1));
}

void TForm_ChooseName::Scroll(int delta) {
    int newTop = top_ + delta;
    if (delta < 0 && top_ <= 1) return;
    if (delta > 0 && top_ >= count_ - (kRows - 1)) return;
    scrollList_->StopAnims();
    oldTop_ = top_;
    int base = (oldTop_ - 1) * kRowHeight;
    scrollList_->AddCallbackAnim(
        scrollTime_, *list_, 0, (newTop - oldTop_) * kRowHeight,
        [this, base](int value) { ShowOffset(value + base); }, false);
    top_ = newTop;
    UpdateScrollButtons();
}

void TForm_ChooseName::ScrollUp() {
    upHeld_ = true;
    scrollTime_ = 400;
    Scroll(-1);
}

void TForm_ChooseName::ScrollDown() {
    downHeld_ = true;
    scrollTime_ = 400;
    Scroll(1);
}

void TForm_ChooseName::ScrollListAnimNotify(TCustomDIBControl&, bool finished) {
    if (!finished) return;
    if (scrollTime_ > 100) scrollTime_ -= 100;
    if (upHeld_)
        Scroll(-1);
    else if (downHeld_)
        Scroll(1);
}

void TForm_ChooseName::DIBBS_ExitClick() {
    scrollList_->StopAnims();
    main_.RequestScreen(1, 2);
}

void TForm_ChooseName::DIBBS_HelpClick() {
    main_.ShowHelpPicture(2);
}

} // namespace parlora
