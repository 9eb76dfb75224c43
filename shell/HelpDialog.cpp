#include "shell/HelpDialog.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBLabel.h"
#include "display/ScreenLayout.h"

#include <cstring>

namespace parlora {

THelpDlg::THelpDlg(const std::string& dataDir) {
    images_.Add("HelpBox", "Interface\\Common\\Help\\HelpBox.png", true);
    images_.Add("Exit", "Interface\\Common\\Help\\exit.png", true);
    images_.Add("Help");
    images_.LoadAutoImages(dataDir);
    container_.SetDIBImageList(&images_);
    container_.IndexImage.SetDIBIndex(images_.IndexOf("HelpBox"));
    ScreenLayout::Build(container_, &images_,
                        {{"DIBI_Help", ElementKind::Image, {61, 71, 334, 251}, "Help", 0, efHidden},
                         {"DIBBS_Exit", ElementKind::ButtonStrip, {205, 326, 0, 0}, "Exit", 0, efAutoSize},
                         {"TntLabel_Help", ElementKind::Label, {61, 71, 334, 251}, "", 0, efHidden}});
    help_ = dynamic_cast<TDIBImage*>(container_.FindComponent("DIBI_Help"));
    text_ = dynamic_cast<TDIBLabel*>(container_.FindComponent("TntLabel_Help"));
    FontSpec font;
    font.family = "Times New Roman";
    font.pixelHeight = 15;
    text_->SetFont(font);
    text_->SetWordWrap(true);
    text_->SetFontColor(0xFF000000u);
    container_.FindComponent("DIBBS_Exit")->OnClick = [this](TCustomDIBControl&) { Finish(); };
}

void THelpDlg::PreparePicture(const std::string& file) {
    Restart();
    text_->SetVisible(false);
    help_->SetVisible(true);
    images_.LoadImageFile(images_.IndexOf("Help"), file);
}

void THelpDlg::PrepareText(const std::string& utf8) {
    Restart();
    help_->SetVisible(false);
    text_->SetCaption(utf8);
    text_->SetVisible(true);
}

void THelpDlg::Paint(Surface& frame) {
    container_.takeDirty();
    const Surface& s = container_.surface();
    Rect b = bounds();
    for (int y = 0; y < s.height() && b.y + y < frame.height(); ++y)
        std::memcpy(frame.row(b.y + y) + b.x, s.row(y), size_t(s.width()) * sizeof(uint32_t));
}

void THelpDlg::HandleInput(const InputEvent& e) {
    // Its one button closes it: the keyboard does so too.
    if (e.kind == InputEvent::Kind::KeyDown &&
        (e.key == "Escape" || e.key == "Return" || e.key == "Space" || e.key == "F1")) {
        Finish();
        return;
    }
    InputEvent local = e;
    local.x -= bounds().x;
    local.y -= bounds().y;
    container_.handleInput(local);
}

} // namespace parlora
