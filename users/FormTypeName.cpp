#include "users/FormTypeName.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBEdit.h"
#include "shell/FormMain.h"

namespace parlora {

TForm_TypeName::TForm_TypeName(TForm_Main& main, const TScreenParams& params)
    : TNameScreen(main, "TForm_TypeName", {},
                  {{"DIBI_Help", ElementKind::Image, {398, 410, 300, 40}, "Help", 0, efAutoSize}}) {
    edit_->OnChange = [this](TCustomDIBControl&) { EditChange(); };
    edit_->OnEnter = [this](TCustomDIBControl&) {
        if (ok_->Enabled()) OKClick();
    };
    ok_->OnClick = [this](TCustomDIBControl&) { OKClick(); };
    Element<TDIBButtonStrip>("DIBBS_Exit").OnClick = [this](TCustomDIBControl&) { DIBBS_ExitClick(); };
    Element<TDIBButtonStrip>("DIBBS_Help").OnClick = [this](TCustomDIBControl&) { DIBBS_HelpClick(); };
    UpdateOK();
    // The first student's screen comes without a mode from the name-choice route: it is mode 1.
    SetMode(params.mode == 4 ? 4 : 1);
}

void TForm_TypeName::SetMode(int mode) {
    mode_ = mode;
    if (mode_ == 4) {
        LoadHelpCaption("%s\\general\\newstur.png");
        edit_->SetText("");
    } else {
        LoadHelpCaption("%s\\general\\newstu.png");
        // Selected, so that a child typing their own name replaces the login name.
        edit_->SetText(main_.platform().shell().userFullName());
        edit_->SelectAll();
    }
    UpdateOK();
}

void TForm_TypeName::UpdateOK() {
    ok_->SetEnabled(!TypedName().empty());
}

void TForm_TypeName::EditChange() {
    UpdateOK();
}

void TForm_TypeName::OKClick() {
    if (!main_.records()) return;
    std::string name = TypedName();
    if (name.empty()) return;
    if (!AddOrRefuse(name)) {
        UpdateOK();
        return;
    }
    main_.records()->SetCurrentStudent(name);
    // A second press before the screen goes must not add or open anything twice.
    ok_->SetEnabled(false);
    edit_->OnEnter = nullptr;
    if (mode_ == 4) {
        main_.RequestScreen(4, 5);
        return;
    }
    main_.LoadStudent();
    main_.RequestScreen(8, 1);
}

void TForm_TypeName::DIBBS_ExitClick() {
    main_.RequestScreen(mode_ == 4 ? 4 : 1, mode_ == 4 ? 5 : 2);
}

void TForm_TypeName::DIBBS_HelpClick() {
    main_.ShowHelpPicture(mode_ == 4 ? 38 : 37);
}

} // namespace parlora
