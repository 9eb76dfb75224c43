#include "activities/FormPicturePractice.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/RecordsStore.h"

namespace parlora {

TForm_PicturePractice::TForm_PicturePractice(TForm_Main& main, std::string className,
                                             const TPracticeTopic& topic)
    : TForm_Practice(main, std::move(className), topic) {}

std::vector<ImageItemSpec> TForm_PicturePractice::TextItems() {
    return {{"Source", "", false},
            {"Target", "", false},
            {"Lozenge", "Interface\\FirstWords\\Practice\\loz2.png"},
            {"TLIT", "", false}};
}

std::vector<ElementSpec> TForm_PicturePractice::TextElements(int x, int y) {
    return {
        {"DIBI_Source", ElementKind::Image, {x, y, 300, 24}, "Source", 0, efHidden},
        {"DIBI_Target", ElementKind::Image, {x, y + 30, 300, 24}, "Target", 0, efHidden},
        {"DIBI_Lozenge", ElementKind::Image, {x - 5, y + 52, 361, 49}, "Lozenge", 0, efHidden},
        {"DIBI_TLIT", ElementKind::Image, {x + 20, y + 60, 300, 24}, "TLIT", 0, efHidden},
    };
}

void TForm_PicturePractice::FinishBuild() {
    BuildPracticeBase();
    lozenge_ = PathResolver::IsDirectory(main_.folders().TargetDir + "\\TLIT");
    Element<TDIBImage>("DIBI_Lozenge").SetVisible(lozenge_);
    for (const char* name : {"DIBI_Source", "DIBI_Target", "DIBI_TLIT"})
        Element<TDIBImage>(name).OnClick = [this](TCustomDIBControl&) { SayItemAgain(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
}

void TForm_PicturePractice::Start() {
    container_.InvalidateAll();
    ShowSpeakers(6, true);
    StartExtras();
}

void TForm_PicturePractice::DIBButton_QuitClick() {
    SetSequence(false);
    BeforeQuit();
    Leave(current_ > 0);
}

void TForm_PicturePractice::ChooseItem(int n) {
    SetSequence(false);
    if (n != current_)
        PresentItem(n);
    else
        SayAndRemember(topic_.prefix, n, kOtherSpeaker);
}

void TForm_PicturePractice::SayItemAgain() {
    SetSequence(false);
    SayAgain(kOtherSpeaker);
}

void TForm_PicturePractice::PresentItem(int n) {
    current_ = n;
    ShowItem(n);
    RecordButton().SetEnabled(true);
    PlayButton().SetEnabled(false);
    SayAndRemember(topic_.prefix, n, kOtherSpeaker);
}

void TForm_PicturePractice::LoadItemPicture(const std::string& item, const std::string& path) {
    try {
        LoadPicture(item, path);
    } catch (const std::exception& e) {
        // The learner still hears the item; only this picture stays away.
        if (TVolatileDIB* dib = images_.FindImage(item)) {
            dib->Clear();
            dib->Changed();
        }
        main_.DebugLog(e.what());
    }
}

void TForm_PicturePractice::ShowItem(int n) {
    const CourseFolders& f = main_.folders();
    const char* p = topic_.prefix.c_str();
    LoadItemPicture("Target", Format("%s\\%s\\%s%d.PNG", f.TextDir.c_str(), p, p, n));
    LoadItemPicture("Source", Format("%s\\%s\\%s%d.PNG", f.SourceDir.c_str(), p, p, n));
    Element<TDIBImage>("DIBI_Target").SetVisible(true);
    Element<TDIBImage>("DIBI_Source").SetVisible(true);
    if (lozenge_) {
        LoadItemPicture("TLIT", Format("%s\\TLIT\\%s\\%s%d.PNG", f.TargetDir.c_str(), p, p, n));
        Element<TDIBImage>("DIBI_TLIT").SetVisible(true);
    }
}

} // namespace parlora
