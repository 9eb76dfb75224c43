#pragma once
// The student records screen: the students of the records, and for the selected one the last use,
// the number of sessions, the total and the medals it has earned; a new student, deleting one,
// the language and the printed records.
#include "display/DIBAnimList.h"
#include "shell/DIBScreen.h"
#include "shell/ScreenRoute.h"
#include "users/ListPage.h"

#include <memory>
#include <string>
#include <vector>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;
class TDIBLabel;
class TDeleteDlg;

class TForm_Records : public TDIBScreen {
  public:
    static constexpr int kRowHeight = 18;
    static constexpr int kRows = 12;
    static constexpr int kNameFontHeight = 20;

    TForm_Records(TForm_Main& main, const TScreenParams& params);
    ~TForm_Records() override;

    int count() const { return count_; }
    int topRow() const { return top_; }
    int selected() const { return selected_; }
    int scrollDuration() const { return scrollDuration_; }
    bool printing() const { return printing_; }
    TDeleteDlg* deleteDialog() { return deleteDlg_.get(); }

    // Handlers, public so the layout's events and tests reach them alike.
    void DIBBS_ExitClick();
    void DIBBS_HelpClick();
    void DIBBS_UpMouseDown();
    void DIBBS_UpMouseUp();
    void DIBBS_DownMouseDown();
    void DIBBS_DownMouseUp();
    void DIBI_ListClick();
    void DIBI_ListMouseMove(int y);
    void DIBBS_FlagClick();
    void DIBBS_CreateClick();
    void DIBBS_DeleteClick();
    void DIBBS_PrintClick();

  private:
    void DrawList();
    // Scrolls the list to `offset` pixels from its first row, drawing another page when needed.
    void ShowOffset(int offset);
    void ShowStudent();
    void ScrollTo(int row);
    void ScrollUp();
    void ScrollDown();
    void SetScrollButtons();
    void AnimNotify(TCustomDIBControl& sender, bool finished);
    void Leave(int code, int kind);

    std::vector<std::string> names_;
    int count_ = 0, top_ = 1, selected_ = 0;
    int offset_ = 0;
    TListPage page_{kRowHeight, kRows};
    int scrollDuration_ = 400;
    bool upHeld_ = false, downHeld_ = false;
    int scrollStart_ = 1;
    int lastY_ = 0;
    bool printing_ = false;
    std::unique_ptr<TDIBAnimList> anims_;
    std::unique_ptr<TDeleteDlg> deleteDlg_;
    TDIBImage* list_ = nullptr;
    TDIBImage* cover_ = nullptr;
    TDIBButtonStrip* up_ = nullptr;
    TDIBButtonStrip* down_ = nullptr;
    TDIBButtonStrip* delete_ = nullptr;
    TDIBLabel* name_ = nullptr;
};

} // namespace parlora
