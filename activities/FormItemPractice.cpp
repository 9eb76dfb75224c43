#include "activities/FormItemPractice.h"

#include "core/PathResolver.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"

namespace parlora {

TForm_ItemPractice::TForm_ItemPractice(TForm_Main& main, std::string className, TPracticeTopic topic)
    : TForm_Practice(main, std::move(className), std::move(topic)), current_(topic_.none) {}

std::vector<ImageItemSpec> TForm_ItemPractice::ItemImages(const std::string& pictureItem) {
    return {{pictureItem, "", false},
            {"Source", "", false},
            {"Target", "", false},
            {"Lozenge", "Interface\\FirstWords\\Practice\\loz2.png"},
            {"TLIT", "", false}};
}

std::vector<ElementSpec> TForm_ItemPractice::ItemElements(const TItemLayout& l,
                                                          const std::string& pictureItem) {
    auto image = [](const std::string& name, Rect r, const std::string& picture, unsigned flags = efHidden) {
        return ElementSpec{name, ElementKind::Image, r, picture, 0, flags};
    };
    std::vector<ElementSpec> out{image(l.pictureElement, l.picture, pictureItem, efHidden | efCenter)};
    if (!l.source.empty()) out.push_back(image("DIBI_Source", l.source, "Source"));
    out.push_back(image("DIBI_Target", l.target, "Target"));
    // The frame only; clicks go through to the written form inside it.
    out.push_back(image("DIBI_Lozenge", l.lozenge, "Lozenge", efHidden | efDisabled));
    out.push_back(image("DIBI_TLIT", l.tlit, "TLIT"));
    return out;
}

void TForm_ItemPractice::FinishBuild(const TItemLayout& layout) {
    BuildPracticeBase();
    picture_ = &Element<TDIBImage>(layout.pictureElement);
    if (!layout.source.empty()) source_ = &Element<TDIBImage>("DIBI_Source");
    target_ = &Element<TDIBImage>("DIBI_Target");
    lozenge_ = &Element<TDIBImage>("DIBI_Lozenge");
    tlit_ = &Element<TDIBImage>("DIBI_TLIT");
    // Only some target languages have a second written form.
    secondForm_ = PathResolver::IsDirectory(PathResolver::Resolve(main_.folders().TargetDir + "\\TLIT"));
    lozenge_->SetVisible(secondForm_);
    picture_->OnClick = [this](TCustomDIBControl&) { PictureClicked(); };
    for (TDIBImage* text : {source_, target_, tlit_})
        if (text) text->OnClick = [this](TCustomDIBControl&) { TextClicked(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
}

void TForm_ItemPractice::Start() {
    container_.InvalidateAll();
    ShowSpeakers(6, true);
}

void TForm_ItemPractice::ShowItem(int n) {
    const CourseFolders& f = main_.folders();
    const char* p = topic_.prefix.c_str();
    int file = FileNumber(n);
    images_.LoadImageNamed("Target", "%s\\%s\\%s%d.PNG", f.TextDir.c_str(), p, p, file);
    target_->SetVisible(true);
    if (source_) {
        images_.LoadImageNamed("Source", "%s\\%s\\%s%d.PNG", f.SourceDir.c_str(), p, p, file);
        source_->SetVisible(true);
    }
    if (lozenge_->Visible()) {
        images_.LoadImageNamed("TLIT", "%s\\TLIT\\%s\\%s%d.PNG", f.TargetDir.c_str(), p, p, file);
        tlit_->SetVisible(true);
    }
    images_.LoadImageFile(picture_->IndexMain.DIBIndex(), PicturePath(n));
    picture_->SetVisible(true);
}

void TForm_ItemPractice::PresentItem(int n) {
    current_ = n;
    ShowItem(n);
    RecordButton().SetEnabled(true);
    PlayButton().SetEnabled(false);
    SayAndRemember(topic_.soundPrefix, FileNumber(n), kOtherSpeaker);
}

void TForm_ItemPractice::ChooseItem(int n) {
    SetSequence(false);
    if (n != current_)
        PresentItem(n);
    else
        SayAndRemember(topic_.soundPrefix, FileNumber(n), kOtherSpeaker);
}

void TForm_ItemPractice::PictureClicked() {
    SetSequence(false);
    SayAgain(kOtherSpeaker);
}

void TForm_ItemPractice::TextClicked() {
    SetSequence(false);
    SayAgain(kOtherSpeaker);
}

void TForm_ItemPractice::DIBButton_QuitClick() {
    Leave(chosen());
}

} // namespace parlora
