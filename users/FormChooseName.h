#pragma once
// The name screens: the choice from the students of the records, and (TForm_TypeName) the typing
// of a new student's name. Both share the disc, the title, the name box and the OK, exit and help
// buttons of TNameScreen.
#include "display/DIBAnimList.h"
#include "shell/DIBScreen.h"
#include "shell/ScreenRoute.h"
#include "users/ListPage.h"

#include <memory>
#include <string>
#include <vector>

namespace parlora {

class TDIBButtonStrip;
class TDIBEdit;
class TDIBImage;

class TNameScreen : public TDIBScreen {
  public:
    TNameScreen(TForm_Main& main, std::string className, const std::vector<ImageItemSpec>& extraItems,
                const std::vector<ElementSpec>& extraElements);
    void HandleInput(const InputEvent& e) override;

    TDIBEdit& edit() { return *edit_; }
    TDIBButtonStrip& okButton() { return *ok_; }

  protected:
    // The help caption "Help" from SourceDir + `relative` ("%s\general\register.png" and the like).
    void LoadHelpCaption(const char* fmt);
    // The trimmed text of the box.
    std::string TypedName() const;
    // Adds the student; false (with the beep and an empty box) when the records store refuses it.
    bool AddOrRefuse(const std::string& name);

    TDIBEdit* edit_ = nullptr;
    TDIBButtonStrip* ok_ = nullptr;

  private:
    void LoadDisk();
};

class TForm_ChooseName : public TNameScreen {
  public:
    static constexpr int kRowHeight = 18;
    static constexpr int kRows = 12;

    TForm_ChooseName(TForm_Main& main, const TScreenParams& params);
    ~TForm_ChooseName() override;

    int count() const { return count_; }
    int top() const { return top_; }
    int selected() const { return selected_; }
    int scrollTime() const { return scrollTime_; }

    // Handlers, public so the layout's events and tests reach them alike.
    void DIBI_ListClick();
    void EditChange();
    void OKClick();
    void ScrollUp();
    void ScrollDown();
    void DIBBS_ExitClick();
    void DIBBS_HelpClick();

  protected:
    // The keys on the list: Up and Down choose the name above or below, scrolling it into sight;
    // Return and Space take the chosen name as a double click would.
    bool MoveWithin(TCustomDIBControl& focused, FocusMove move) override;
    bool PressFocused(TCustomDIBControl& focused) override;

  private:
    void DrawList();
    // Scrolls the list to `offset` pixels from its first row, drawing another page when needed.
    void ShowOffset(int offset);
    void Select(int number);
    void ShowRow(int number);
    void Scroll(int delta);
    void UpdateScrollButtons();
    void ScrollListAnimNotify(TCustomDIBControl& sender, bool finished);

    std::vector<std::string> names_;
    int count_ = 0, top_ = 1, selected_ = 0, oldTop_ = 1;
    int offset_ = 0;
    TListPage page_{kRowHeight, kRows};
    int mouseY_ = 0;
    int scrollTime_ = 400;
    bool upHeld_ = false, downHeld_ = false;
    std::unique_ptr<TDIBAnimList> scrollList_;
    TDIBImage* list_ = nullptr;
    TDIBButtonStrip* up_ = nullptr;
    TDIBButtonStrip* down_ = nullptr;
};

} // namespace parlora
