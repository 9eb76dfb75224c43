#include "activities/FormWordsPractice.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"

#include <algorithm>

namespace parlora {
namespace {

const TItemLayout& Layout() {
    static const TItemLayout layout{"DIBI_Image",        {209, 150, 186, 145}, {},
                                    {465, 212, 300, 24}, {460, 234, 361, 49},  {485, 242, 300, 24}};
    return layout;
}

constexpr Rect kList{342, 376, 300, 224};

} // namespace

TForm_WordsPractice::TForm_WordsPractice(TForm_Main& main)
    : TForm_ItemPractice(main, "TForm_WordsPractice", TPracticeTopic{}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\FirstWords\\Practice\\pracbg.png"}};
    for (ImageItemSpec& item : ItemImages("Image"))
        items.push_back(std::move(item));
    items.push_back({"List", "", false});
    items.push_back({"Up", "Interface\\FirstWords\\Practice\\UpArrow.png"});
    items.push_back({"Down", "Interface\\FirstWords\\Practice\\downArrow.png"});
    items.push_back({"Cursor", "Interface\\FirstWords\\Practice\\Cursor.png", true, true});

    std::vector<ElementSpec> elements{
        {"DIBI_List", ElementKind::Image, kList, "List"},
        // The highlight lets clicks through to the row under it.
        {"DIBI_Cursor",
         ElementKind::Image,
         {kList.x, kList.y, kList.w, kRowHeight},
         "Cursor",
         0,
         efHidden | efDisabled},
        {"DIBBS_Up", ElementKind::ButtonStrip, {678, 372, 48, 54}, "Up", 0, efDisabled},
        {"DIBBS_Down", ElementKind::ButtonStrip, {678, 564, 48, 54}, "Down"},
    };
    for (ElementSpec& e : ItemElements(Layout(), "Image"))
        elements.push_back(std::move(e));
    Build(items, elements);
    FinishBuild(Layout());

    list_ = &Element<TDIBImage>("DIBI_List");
    cursor_ = &Element<TDIBImage>("DIBI_Cursor");
    up_ = &Element<TDIBButtonStrip>("DIBBS_Up");
    down_ = &Element<TDIBButtonStrip>("DIBBS_Down");
    list_->OnMouseMove = [this](TCustomDIBControl&, int, int y) { lastY_ = y; };
    list_->OnMouseDown = [this](TCustomDIBControl&, MouseButton, int, int y) { lastY_ = y; };
    list_->OnClick = [this](TCustomDIBControl&) { ListClick(); };
    up_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int, int) {
        if (b == MouseButton::Left) DIBBS_UpPressed();
    };
    down_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int, int) {
        if (b == MouseButton::Left) DIBBS_DownPressed();
    };
    up_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { upPressed_ = false; };
    down_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { downPressed_ = false; };
    anim_.AnimNotify = [this](TCustomDIBControl&, bool finished) { ScrollRepeat(finished); };
}

void TForm_WordsPractice::Configure(int topic, const std::string& imagesFolder, int returnScreen,
                                    int helpPage, int itemCount, const std::string& prefix) {
    topic_.topic = topic;
    topic_.prefix = prefix;
    topic_.soundPrefix = prefix;
    topic_.returnCode = returnScreen;
    topic_.help = helpPage;
    topic_.none = 0;
    folder_ = imagesFolder;
    count_ = itemCount;
    filter_ = false;
    if (main_.catalogue() && main_.catalogue()->firstWordsFilterActive() && IEquals(prefix, "FW")) {
        count_ -= 2;
        filter_ = true;
    }
    BuildList();
    UpdateArrows();
}

void TForm_WordsPractice::BuildList() {
    TVolatileDIB* source = images_.FindImage("Source");
    if (!source) throw DIBException("Can't find Source image");
    TVolatileDIB* list = images_.FindImage("List");
    if (!list) throw DIBException("Can't find List image");
    list->SetSize(kList.w, kRowHeight * std::max(1, count_));
    list->FillColor(0xFFFFFFFFu);
    const std::string& dir = main_.folders().SourceDir;
    const char* p = topic_.prefix.c_str();
    for (int i = 1; i <= count_; ++i) {
        images_.LoadImageNamed("Source", "%s\\%s\\%s%d.PNG", dir.c_str(), p, p, FileNumber(i));
        list->Canvas().CopyRect({0, kRowHeight * i - 28, kList.w, 24}, *source);
    }
    list_->SetOffsetY((topRow_ - 1) * kRowHeight);
}

void TForm_WordsPractice::UpdateArrows() {
    up_->SetEnabled(topRow_ > 1);
    down_->SetEnabled(topRow_ < count_ - (kVisibleRows - 1));
    // A button that can no longer be used is no longer held.
    if (!up_->Enabled()) upPressed_ = false;
    if (!down_->Enabled()) downPressed_ = false;
}

void TForm_WordsPractice::ScrollTo(int row, int stepMs) {
    if (row == topRow_) return;
    anim_.StopAnims();
    previousTop_ = topRow_;
    int previous = previousTop_;
    anim_.AddCallbackAnim(
        stepMs, *list_, 0, (row - topRow_) * kRowHeight,
        [this, previous](int v) { ScrollValue(previous, v); }, false);
    topRow_ = row;
}

void TForm_WordsPractice::ScrollValue(int previousTop, int v) {
    list_->SetOffsetY(v + (previousTop - 1) * kRowHeight);
    if (current_ > 0) PlaceCursor(kList.y + (current_ - previousTop) * kRowHeight - v);
}

void TForm_WordsPractice::PlaceCursor(int top) {
    const int bottom = kList.y + kList.h;
    if (top < kList.y) {
        // Rows scrolled above the list show only the highlight's lower part.
        cursor_->SetOffsetY(std::min(kRowHeight, kList.y - top));
        cursor_->SetBounds(kList.x, kList.y, kList.w, kRowHeight);
    } else {
        cursor_->SetOffsetY(0);
        cursor_->SetBounds(kList.x, top, kList.w, std::clamp(bottom - top, 0, kRowHeight));
    }
}

void TForm_WordsPractice::DIBBS_DownPressed() {
    downPressed_ = true;
    upPressed_ = false;
    stepMs_ = kFirstStepMs;
    if (topRow_ < count_ - (kVisibleRows - 1)) ScrollTo(topRow_ + 1, stepMs_);
    UpdateArrows();
}

void TForm_WordsPractice::DIBBS_UpPressed() {
    upPressed_ = true;
    downPressed_ = false;
    stepMs_ = kFirstStepMs;
    if (topRow_ > 1) ScrollTo(topRow_ - 1, stepMs_);
    UpdateArrows();
}

void TForm_WordsPractice::ScrollRepeat(bool finished) {
    if (!finished) return;
    // Holding an arrow scrolls faster and faster.
    if (stepMs_ > kFastestStepMs) stepMs_ -= 100;
    if (downPressed_) {
        if (topRow_ < count_ - (kVisibleRows - 1)) ScrollTo(topRow_ + 1, stepMs_);
    } else if (upPressed_) {
        if (topRow_ > 1) ScrollTo(topRow_ - 1, stepMs_);
    }
    UpdateArrows();
}

void TForm_WordsPractice::ListClick() {
    int row = lastY_ / kRowHeight;
    if (row < 0 || row >= 8) return;
    ChooseFromList(row + topRow_);
}

void TForm_WordsPractice::ChooseFromList(int item) {
    if (item < 1 || item > count_) return;
    SetSequence(false);
    ChooseItem(item);
}

bool TForm_WordsPractice::MoveWithin(TCustomDIBControl& focused, FocusMove move) {
    if (&focused != list_ || (move != FocusMove::Up && move != FocusMove::Down) || count_ == 0)
        return TForm_ItemPractice::MoveWithin(focused, move);
    const int item = current_ < 1 ? topRow_ : std::clamp(current_ + (move == FocusMove::Up ? -1 : 1), 1, count_);
    if (item == current_) return true;
    if (item < topRow_)
        ScrollTo(item, kFastestStepMs);
    else if (item >= topRow_ + kVisibleRows)
        ScrollTo(item - kVisibleRows + 1, kFastestStepMs);
    UpdateArrows();
    ChooseFromList(item);
    return true;
}

bool TForm_WordsPractice::PressFocused(TCustomDIBControl& focused) {
    if (&focused != list_) return TForm_ItemPractice::PressFocused(focused);
    ChooseFromList(current_ < 1 ? topRow_ : current_);
    return true;
}

void TForm_WordsPractice::ShowItem(int n) {
    PlaceCursor(kList.y + (n - topRow_) * kRowHeight);
    cursor_->SetVisible(true);
    TForm_ItemPractice::ShowItem(n);
}

std::string TForm_WordsPractice::PicturePath(int n) const {
    return Format("%s\\%s\\%s%d.png", main_.folders().InterfaceDir.c_str(), folder_.c_str(),
                  topic_.prefix.c_str(), FileNumber(n));
}

void TForm_WordsPractice::SequenceStep() {
    // The list jumps to where the item is; a scroll in flight would fight it.
    anim_.StopAnims();
    const int lastTop = std::max(1, count_ - (kVisibleRows - 1));
    int next;
    if (current_ < count_) {
        next = current_ + 1;
        while (next - topRow_ > 5 && topRow_ < lastTop)
            ++topRow_;
        // The learner may have scrolled past it.
        if (next < topRow_) topRow_ = next;
    } else {
        next = 1;
        topRow_ = 1;
    }
    previousTop_ = topRow_;
    list_->SetOffsetY((topRow_ - 1) * kRowHeight);
    PresentItem(next);
    UpdateArrows();
}

} // namespace parlora
