#pragma once
// The records screen's question before a student is deleted: a dustbin whose lid opens on the
// tick. Borderless, 244 x 206, centred on the screen; made on first use and kept until the records
// screen is left.
#include "display/DIBContainer.h"
#include "display/DIBImageList.h"
#include "platform/Dispatcher.h"
#include "shell/ModalDialog.h"

namespace parlora {

class TDIBButtonStrip;
class TDIBImageStrip;
class TForm_Main;

class TDeleteDlg : public TModalDialog {
  public:
    enum class Result { None, OK, Cancel };
    static constexpr int kWidth = 244, kHeight = 206;
    static constexpr int kLidOpenMs = 250;

    explicit TDeleteDlg(TForm_Main& main);

    // Shows the dialog over the current screen until the learner answers.
    Result ShowModal();
    Result result() const { return result_; }
    bool confirmed() const { return confirmed_; }
    Rect bounds() const { return {(1024 - kWidth) / 2, (768 - kHeight) / 2, kWidth, kHeight}; }
    // The buttons in screen pixels.
    Rect tickRect() const;
    Rect crossRect() const;
    int lidFrame() const;

    void DIBBS_TickClick();
    void DIBBS_CrossClick();

    void Paint(Surface& frame) override;
    void HandleInput(const InputEvent& e) override;

  private:
    Rect OnScreen(const Rect& r) const;

    TForm_Main& main_;
    Lifetime lifetime_;
    TDIBImageContainer container_{kWidth, kHeight};
    TDIBVolatileImageList images_;
    TDIBImageStrip* lid_ = nullptr;
    TDIBButtonStrip* tick_ = nullptr;
    TDIBButtonStrip* cross_ = nullptr;
    Result result_ = Result::None;
    bool confirmed_ = false;
};

} // namespace parlora
