#include "users/DeleteDlg.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBFocusOrder.h"
#include "display/DIBImageStrip.h"
#include "display/ScreenLayout.h"
#include "shell/FormMain.h"

#include <cstring>

namespace parlora {

TDeleteDlg::TDeleteDlg(TForm_Main& main) : main_(main) {
    images_.Add("DeleteBG", "Interface\\Records\\Delete\\DeleteBG.png", true);
    images_.Add("Lid", "Interface\\Records\\Delete\\Lid.png", true, true);
    images_.Add("Tick", "Interface\\Records\\Delete\\Tick.png", true, true);
    images_.Add("Cross", "Interface\\Records\\Delete\\Cross.png", true, true);
    images_.LoadAutoImages(main_.folders().DataDir);
    container_.SetDIBImageList(&images_);
    container_.IndexImage.SetDIBIndex(images_.IndexOf("DeleteBG"));
    ScreenLayout::Build(container_, &images_,
                        {{"DIBIS_Lid", ElementKind::ImageStrip, {62, 34, 120, 44}, "Lid", 0, 0, 2, 1},
                         {"DIBBS_Tick", ElementKind::ButtonStrip, {10, 138, 60, 60}, "Tick"},
                         {"DIBBS_Cross", ElementKind::ButtonStrip, {174, 138, 60, 60}, "Cross"}});
    lid_ = dynamic_cast<TDIBImageStrip*>(container_.FindComponent("DIBIS_Lid"));
    tick_ = dynamic_cast<TDIBButtonStrip*>(container_.FindComponent("DIBBS_Tick"));
    cross_ = dynamic_cast<TDIBButtonStrip*>(container_.FindComponent("DIBBS_Cross"));
    tick_->OnClick = [this](TCustomDIBControl&) { DIBBS_TickClick(); };
    cross_->OnClick = [this](TCustomDIBControl&) { DIBBS_CrossClick(); };
}

TDeleteDlg::Result TDeleteDlg::ShowModal() {
    Restart();
    // Opened again, it starts with nothing focused, as a new screen does.
    container_.SetFocus(nullptr, false);
    confirmed_ = false;
    result_ = Result::None;
    lid_->SetImageIndexX(0);
    main_.RunDialog(*this);
    // Closing the main window ends the loop without an answer: that is no.
    if (result_ == Result::None) result_ = Result::Cancel;
    return result_;
}

Rect TDeleteDlg::OnScreen(const Rect& r) const {
    return {r.x + bounds().x, r.y + bounds().y, r.w, r.h};
}

Rect TDeleteDlg::tickRect() const {
    return OnScreen(tick_->BoundsRect());
}

Rect TDeleteDlg::crossRect() const {
    return OnScreen(cross_->BoundsRect());
}

int TDeleteDlg::lidFrame() const {
    return lid_->ImageIndexX();
}

void TDeleteDlg::DIBBS_TickClick() {
    if (confirmed_) return;
    confirmed_ = true;
    lid_->SetImageIndexX(1);
    main_.RepaintAll();
    // A timer due at once runs after the loop has painted the open lid; the pause then holds it
    // on the screen for a moment before the dialog goes.
    main_.dispatcher().setTimer(
        0, false,
        [this] {
            main_.platform().sleepMs(kLidOpenMs);
            result_ = Result::OK;
            Finish();
        },
        lifetime_.guard());
}

void TDeleteDlg::DIBBS_CrossClick() {
    if (confirmed_) return;
    result_ = Result::Cancel;
    Finish();
}

void TDeleteDlg::Paint(Surface& frame) {
    container_.takeDirty();
    const Surface& s = container_.surface();
    Rect b = bounds();
    for (int y = 0; y < s.height() && b.y + y < frame.height(); ++y)
        std::memcpy(frame.row(b.y + y) + b.x, s.row(y), size_t(s.width()) * sizeof(uint32_t));
}

void TDeleteDlg::HandleInput(const InputEvent& e) {
    TDIBFocusOrder::DialogInput(container_, e, bounds().x, bounds().y, [this] { DIBBS_CrossClick(); });
}

} // namespace parlora
