#include "front/FormStart.h"

#include "display/PictureCache.h"

#include "front/FrontLayout.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBListBox.h"
#include "display/DIBRichText.h"
#include "display/Transition.h"
#include "export/FormIPod.h"
#include "front/CustomScreens.h"
#include "front/FrontScreens.h"
#include "front/RichTextDocument.h"
#include "media/KaMCIMedia.h"
#include "shell/FormMain.h"
#include "shell/ProgramVersion.h"
#include "shell/ScreenFactory.h"

#include <algorithm>
#include <fstream>

namespace parlora {

// The intro film's picture, scaled into the panel.
class TFilmPanel : public TCustomDIBControl {
  public:
    TFilmPanel(TDIBContainer* owner) : TCustomDIBControl(owner) {}
    const Surface* frame = nullptr;

  protected:
    void Draw(Surface& target, const Rect& clip, int ox, int oy) override {
        if (!frame || frame->empty()) {
            target.fillRect(clip, 0xFF000000u);
            return;
        }
        for (int y = clip.y; y < clip.bottom(); ++y) {
            int sy = std::min(frame->height() - 1, (y - oy) * frame->height() / std::max(1, Height()));
            const uint32_t* src = frame->row(sy);
            uint32_t* dst = target.row(y);
            for (int x = clip.x; x < clip.right(); ++x)
                dst[x] = src[std::min(frame->width() - 1, (x - ox) * frame->width() / std::max(1, Width()))] |
                         0xFF000000u;
        }
    }
};

namespace {

Rect OptionalButton(int i) {
    using namespace FrontLayout;
    return {kStartOptionalX, kStartOptionalY[size_t(i)], kStartOptionalW, kStartOptionalH};
}

ElementSpec Pic(const char* name, Rect r, const char* picture, unsigned flags = 0) {
    ElementSpec s;
    s.name = name;
    s.kind = ElementKind::Image;
    s.rect = r;
    s.picture = picture;
    s.flags = flags;
    return s;
}

ElementSpec Button(const char* name, Rect r, const char* picture, unsigned flags = 0) {
    ElementSpec s = Pic(name, r, picture, flags | efAutoSize);
    s.kind = ElementKind::ButtonStrip;
    return s;
}

bool Contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

} // namespace

TForm_Start::TForm_Start(TForm_Main& main, const TScreenParams&) : TForm_Start(main, "TForm_Start") {
    CreateElements();
    FormCreate();
}

TForm_Start::TForm_Start(TForm_Main& main, const std::string& className) : TDIBScreen(main, className) {}

TForm_Start::~TForm_Start() {
    RestoreHook();
}

void TForm_Start::CreateElements() {
    Build(
        {
            {"Background", "", false, false},
            {"Mask", "", false, true},
            {"Disk", "", false, false},
            {"Label", "", false, false},
            {"Box", "", false, false},
            {"StartButtons", "", false, false},
            {"Labels", "", false, false},
            {"LangFrame", "", false, false},
            {"InfoBox", "", false, false},
            {"StartLogo", "", false, false},
            {"StartLogoDark", "", false, false},
            {"StartMask", "", false, false},
            {"ArrowBtn", "Interface\\Start\\ArrowBtn.png", true, true},
            {"QuitBtn", "Interface\\Start\\QuitBtn.png", true, true},
            {"HelpBtn", "Interface\\Start\\HelpBtn.png", true, true},
            {"ChangeLangBtn", "Interface\\Start\\ChangeLangBtn.png", true, true},
            {"StdRecBtn", "Interface\\Start\\StdRecBtn.png", true, true},
            {"LicenceBtn", "Interface\\Start\\LicenceBtn.png", true, true},
            {"InformationBtn", "Interface\\Start\\InformationBtn.png", true, true},
            {"ReadMeBtn", "Interface\\Start\\ReadMeBtn.png", true, true},
            {"BoxExit", "Interface\\Start\\BoxExit.png", true, true},
        },
        {
            Pic("DIBI_Disk", {364, 201, 295, 295}, "Disk"),
            Pic("DIBI_Mask", {364, 201, 295, 295}, "Mask"),
            Pic("DIBI_Label", {396, 270, 143, 47}, "Label", efHidden),
            Button("DIBBS_Start", FrontLayout::kStartBegin, "ArrowBtn"),
            Button("DIBBS_Quit", FrontLayout::kStartQuit, "QuitBtn"),
            Button("DIBBS_Help", FrontLayout::kStartHelp, "HelpBtn"),
            Button("DIBBS_ChangeLang", FrontLayout::kStartChangeLang, "ChangeLangBtn"),
            Button("DIBBS_Records", OptionalButton(0), "StdRecBtn"),
            Button("DIBBS_Licence", OptionalButton(1), "LicenceBtn"),
            Button("DIBBS_Information", OptionalButton(2), "InformationBtn"),
            Button("DIBBS_ReadMe", OptionalButton(3), "ReadMeBtn"),
            Pic("DIBI_Buttons", FrontLayout::kStartOptionalCaptions, "StartButtons", efHidden),
            Pic("DIBI_Labels", FrontLayout::kStartLabels, "Labels"),
            Pic("DIBI_LangFrame", {698, 147, 263, 383}, "LangFrame", efHidden),
            Pic("DIBI_StartLogo", {15, 60, 600, 140}, "StartLogo", efHidden),
            Pic("DIBI_StartMask", {100, 250, 200, 200}, "StartMask", efHidden),
        });
    list_ = &container_.Create<TDIBListBox>("ListBox_Lang");
    list_->SetBounds(715, 166, 260, 362);
    list_->SetItemHeight(36);
    list_->SetVisible(false);
    list_->OnDrawItem = [this](TDIBCanvas& c, int i, const Rect& r, bool s) {
        ListBox_LangDrawItem(c, i, r, s);
    };
    list_->OnClick = [this](TCustomDIBControl&) { ListBox_LangClick(); };
    // The document box and what lies on it, above everything of the start view.
    ScreenLayout::Build(container_, &images_,
                        {
                            Pic("DIBI_Box", {0, 0, 1024, 768}, "Box", efHidden),
                            Pic("DIBI_StartLogoDark", {15, 60, 600, 140}, "StartLogoDark", efHidden),
                            Pic("DIBI_InfoBox", {345, 219, 334, 251}, "InfoBox", efHidden),
                            Button("DIBBS_BoxExit", {489, 484, 60, 60}, "BoxExit", efHidden),
                        });
    licence_ = &container_.Create<TDIBRichText>("RichEdit1");
    readMe_ = &container_.Create<TDIBRichText>("RichEdit2");
    for (TDIBRichText* text : {licence_, readMe_}) {
        text->SetBounds(342, 212, 341, 265);
        text->SetVisible(false);
    }
    film_ = &container_.Create<TFilmPanel>("KaMedia_Intro");
    film_->SetBounds(336, 240, 352, 288);
    film_->SetVisible(false);
    ScreenLayout::Build(container_, nullptr,
                        {{"PaintBox_Version", ElementKind::Shape, {14, 14, 31, 32}, "", 0, efHidden}});

    auto click = [this](const char* name, void (TForm_Start::*handler)()) {
        Element<TDIBButtonStrip>(name).OnClick = [this, handler](TCustomDIBControl&) { (this->*handler)(); };
    };
    click("DIBBS_Start", &TForm_Start::DIBBS_StartClick);
    click("DIBBS_Quit", &TForm_Start::DIBBS_QuitClick);
    click("DIBBS_Help", &TForm_Start::DIBBS_HelpClick);
    click("DIBBS_ChangeLang", &TForm_Start::DIBBS_ChangeLangClick);
    click("DIBBS_Records", &TForm_Start::DIBBS_RecordsClick);
    click("DIBBS_Licence", &TForm_Start::DIBBS_LicenceClick);
    click("DIBBS_Information", &TForm_Start::DIBBS_InformationClick);
    click("DIBBS_ReadMe", &TForm_Start::DIBBS_ReadMeClick);
    click("DIBBS_BoxExit", &TForm_Start::DIBBS_BoxExitClick);
}

void TForm_Start::FormCreate() {
    const CourseFolders& f = main_.folders();
    // Intro: once a run, and only when the edition brings one.
    std::string introBG = f.CustomDir + "\\Interface\\start\\IntroBG.png";
    if (!main_.introPlayed && !f.CustomDir.empty() && PathResolver::IsFile(introBG)) {
        try {
            media().SetMediaFilename(f.CustomDir + "\\Interface\\start\\Intro.mpg");
            media().OpenMedia();
            LoadPicture("Box", introBG);
            introMode_ = true;
            Element<TDIBImage>("DIBI_Box").SetVisible(true);
            film_->frame = &media().Frame();
            film_->SetVisible(true);
            media().OnFrame = [this] { film_->Invalidate(); };
        } catch (const std::exception& e) {
            // A film that cannot be played must not keep the learner from the course.
            main_.DebugLog(std::string("Intro skipped: ") + e.what());
            media().CloseMedia();
            main_.introPlayed = true;
        }
    }
    // The start view's large pictures decode side by side before they are placed one by one.
    PictureCache::Held decoded;
    if (!introMode_) {
        std::vector<std::string> view = {
            f.InterfaceDir + "\\start\\Box.png",      f.InterfaceDir + "\\start\\StartBG.png",
            f.InterfaceDir + "\\start\\DiskMask.png", Format("%s\\help\\help%d.png", f.SourceDir.c_str(), 5),
            f.SourceDir + "\\general\\labels.png",    f.SourceDir + "\\general\\startbtn.png"};
        if (f.CustomDir.empty()) view.push_back(f.TextDir + "\\general\\cdfront.png");
        decoded = PictureCache::Instance().Prefetch(view);
    }
    if (!introMode_) LoadPicture("Box", f.InterfaceDir + "\\start\\Box.png");

    std::string logo = f.CustomDir + "\\Interface\\start\\StartLogo.png";
    if (!f.CustomDir.empty() && PathResolver::IsFile(logo)) {
        LoadPicture("StartLogo", logo);
        LoadPicture("StartLogoDark", f.CustomDir + "\\Interface\\start\\StartLogoDark.png");
        Element<TDIBImage>("DIBI_StartLogo").SetVisible(true);
        logoPresent_ = true;
    }

    if (!introMode_) SetUpStartView();
    LoadDisc();

    const CourseSettings& s = main_.settings();
    const char* optional[] = {"DIBBS_Records", "DIBBS_Licence", "DIBBS_Information", "DIBBS_ReadMe"};
    for (size_t i = 0; i < 4; ++i)
        Element<TDIBButtonStrip>(optional[i]).SetEnabled(s.EnableButtons[i]);
    Element<TDIBButtonStrip>("DIBBS_ChangeLang").SetEnabled(s.ChangeLanguage);
    ApplyStreamFlags();

    LoadLanguagePictures();
    LoadVariantPictures();

    versionHint_ = Format("PC version %d.%d.%d build %d", kProgramVersion.major, kProgramVersion.minor,
                          kProgramVersion.release, kProgramVersion.build);
    std::ifstream created(PathResolver::Resolve(f.DataDir + "\\created.txt"));
    std::string line;
    if (created && std::getline(created, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        versionHint_ += Format(", CD %s", line.c_str());
    }
    container_.FindComponent("PaintBox_Version")->Hint = versionHint_;
}

bool TForm_Start::LanguageListApplies() const {
    TLanguageCatalogue* catalogue = main_.catalogue();
    return main_.options().requestedTarget == 0 && catalogue && catalogue->targets().size() > 1;
}

void TForm_Start::ShowLanguageList(bool show) {
    if (show && images_.FindImage("LangFrame")->Empty())
        LoadPicture("LangFrame", main_.folders().InterfaceDir + "\\start\\LangFrame.png");
    Element<TDIBImage>("DIBI_LangFrame").SetVisible(show);
    list_->SetVisible(show);
}

void TForm_Start::SetUpStartView() {
    const CourseFolders& f = main_.folders();
    LoadPicture("Background", f.InterfaceDir + "\\start\\StartBG.png");
    container_.IndexImage.SetDIBIndex(images_.IndexOf("Background"));
    LoadPicture("Mask", f.InterfaceDir + "\\start\\DiskMask.png");
    if (LanguageListApplies()) {
        list_->Items.clear();
        int selected = -1;
        for (const TTargetEntry& t : main_.catalogue()->targets()) {
            if (t.number == main_.catalogue()->targetNumber()) selected = int(list_->Items.size());
            list_->Items.push_back(t.name);
        }
        list_->ItemsChanged();
        list_->SetItemIndex(selected);
        ShowLanguageList(true);
    } else {
        ShowLanguageList(false);
    }
    // The classroom mark over the disc is optional content: a course without it starts the same.
    std::string startMask = f.ProgramDir + "\\NetInterface\\StartMask.png";
    bool mask = main_.options().network && PathResolver::IsFile(startMask);
    if (mask) LoadPicture("StartMask", startMask);
    Element<TDIBImage>("DIBI_StartMask").SetVisible(mask);
    ExportElementsFollow(false);
}

void TForm_Start::LoadDisc() {
    const CourseFolders& f = main_.folders();
    TLanguageCatalogue* catalogue = main_.catalogue();
    std::string custom;
    if (!f.CustomDir.empty() && catalogue)
        custom = Format("%s\\Sources\\%dSource\\General\\CDFront.png", f.CustomDir.c_str(),
                        catalogue->sourceNumber());
    LoadPicture("Disk", !custom.empty() && PathResolver::IsFile(custom)
                            ? custom
                            : f.TextDir + "\\general\\cdfront.png");
    bool title = catalogue && catalogue->TitleVisible();
    Element<TDIBImage>("DIBI_Label").SetVisible(title);
    if (title) LoadPicture("Label", catalogue->TitlePicturePath());
}

void TForm_Start::LoadLanguagePictures() {
    const CourseFolders& f = main_.folders();
    LoadPicture("InfoBox", Format("%s\\help\\help%d.png", f.SourceDir.c_str(), 5));
    LoadPicture("Labels", f.SourceDir + "\\general\\labels.png");
    std::string captions = f.SourceDir + "\\general\\startbtn.png";
    bool present = PathResolver::IsFile(captions);
    if (present) LoadPicture("StartButtons", captions);
    Element<TDIBImage>("DIBI_Buttons").SetVisible(present);
}

void TForm_Start::ApplyStreamFlags() {
    std::optional<std::string> flags = main_.ReadStreamFlags();
    // Without the file everything installed is available; the configuration then decides.
    bool records = flags ? Contains(*flags, "Records") : main_.settings().EnableButtons[0];
    Element<TDIBButtonStrip>("DIBBS_Records").SetEnabled(records);
}

void TForm_Start::Start() {
    if (!introMode_) return;
    media().OnMediaComplete = [this] { KaMedia_IntroMediaComplete(); };
    media().PlayMedia();
    previousHook_ = main_.dispatcher().setAppHook([this, guard = guard()](const InputEvent& e) {
        if (e.isLeftDown()) {
            // A click ends the film as if it had played. The hook is replaced outside itself.
            if (introMode_)
                main_.dispatcher().post(guard, [this] {
                    if (!introMode_) return;
                    media().OnMediaComplete = nullptr;
                    media().StopMedia();
                    KaMedia_IntroMediaComplete();
                });
            return true;
        }
        return previousHook_ ? previousHook_(e) : false;
    });
    hookInstalled_ = true;
}

void TForm_Start::RestoreHook() {
    if (!hookInstalled_) return;
    hookInstalled_ = false;
    main_.dispatcher().setAppHook(previousHook_);
}

void TForm_Start::KaMedia_IntroMediaComplete() {
    RestoreHook();
    if (!introMode_) return;
    film_->SetVisible(false);
    film_->frame = nullptr;
    main_.introPlayed = true;
    introMode_ = false;
    BlendWithin([this] {
        Element<TDIBImage>("DIBI_Box").SetVisible(false);
        SetUpStartView();
    });
    LoadPicture("Box", main_.folders().InterfaceDir + "\\start\\Box.png");
    // Ends are posted; closing after them keeps a late one from reaching a closed player.
    main_.dispatcher().post(guard(), [this] { media().CloseMedia(); });
}

void TForm_Start::ContentChanged() {
    ApplyStreamFlags();
}

void TForm_Start::OpenBox(TDIBRichText* text, bool info) {
    // The document is read before the screen changes: a missing file then leaves the start view
    // as it was, with every button still working.
    TRichText doc;
    if (text)
        doc = TRichTextDocument::LoadFromFile(
            Format(text == licence_ ? "%s\\..\\Licence.rtf" : "%s\\..\\PCReadMe.rtf",
                   main_.folders().DataDir.c_str()));
    BlendWithin([&] {
        ShowLanguageList(false);
        boxOpen_ = true;
        ExportElementsFollow(true);
        container_.IndexImage.SetDIBIndex(images_.IndexOf("Box"));
        if (logoPresent_) Element<TDIBImage>("DIBI_StartLogoDark").SetVisible(true);
        Element<TDIBImage>("DIBI_Box").SetVisible(true);
        if (text) {
            text->SetDocument(std::move(doc));
            text->SetVisible(true);
        }
        if (info) Element<TDIBImage>("DIBI_InfoBox").SetVisible(true);
        Element<TDIBButtonStrip>("DIBBS_BoxExit").SetVisible(true);
    });
}

void TForm_Start::DIBBS_LicenceClick() {
    OpenBox(licence_, false);
}

void TForm_Start::DIBBS_ReadMeClick() {
    OpenBox(readMe_, false);
}

void TForm_Start::DIBBS_InformationClick() {
    OpenBox(nullptr, true);
}

void TForm_Start::DIBBS_BoxExitClick() {
    BlendWithin([this] {
        container_.IndexImage.SetDIBIndex(images_.IndexOf("Background"));
        for (const char* name : {"DIBI_StartLogoDark", "DIBI_Box", "DIBI_InfoBox"})
            Element<TDIBImage>(name).SetVisible(false);
        licence_->SetVisible(false);
        readMe_->SetVisible(false);
        Element<TDIBButtonStrip>("DIBBS_BoxExit").SetVisible(false);
        boxOpen_ = false;
        ShowLanguageList(LanguageListApplies());
        ExportElementsFollow(false);
    });
}

void TForm_Start::DIBBS_StartClick() {
    main_.RequestScreen(2, 1);
}

void TForm_Start::DIBBS_RecordsClick() {
    if (main_.records()) main_.records()->SetCurrentStudent("");
    main_.RequestScreen(4, 3);
}

void TForm_Start::DIBBS_ChangeLangClick() {
    main_.RequestScreen(3, 3);
}

void TForm_Start::DIBBS_HelpClick() {
    main_.ShowHelpPicture(1);
}

void TForm_Start::DIBBS_QuitClick() {
    if (PathResolver::IsFile(main_.folders().InterfaceDir + "\\end\\CustomEnd.txt"))
        main_.RequestScreen(64, 2);
    else
        main_.RequestScreen(0, 0);
}

void TForm_Start::ListBox_LangDrawItem(TDIBCanvas& canvas, int index, const Rect& rect, bool selected) {
    canvas.Brush = BrushStyle::Solid;
    canvas.BrushColor = 0xFFFFFFFFu;
    canvas.FillRect(rect);
    const std::string& text = list_->Items[size_t(index)];
    canvas.Font.family = "Arial";
    canvas.Font.bold = true;
    canvas.Font.italic = false;
    // The largest size up to 20 pixels at which the name fits with its margin.
    canvas.Font.pixelHeight = 20;
    while (canvas.Font.pixelHeight > 1 && canvas.TextExtent(text).width + 10 > rect.w)
        --canvas.Font.pixelHeight;
    canvas.FontColor = selected ? ArgbFromRgb(255, 102, 102) : ArgbFromRgb(102, 51, 102);
    canvas.Brush = BrushStyle::Clear;
    int h = canvas.TextExtent(text).height;
    canvas.TextOut(rect.x + 10, rect.y + (rect.h - h) / 2, text);
}

void TForm_Start::ListBox_LangClick() {
    TLanguageCatalogue* catalogue = main_.catalogue();
    int index = list_->ItemIndex();
    if (!catalogue || index < 0 || size_t(index) >= catalogue->targets().size()) return;
    int number = catalogue->targets()[size_t(index)].number;
    catalogue->SetTarget(number);
    catalogue->ChooseStartSource();
    if (main_.settings().Immersion) catalogue->SetSource(number);
    LoadDisc();
    LoadLanguagePictures();
    LoadVariantPictures();
    Element<TDIBButtonStrip>("DIBBS_ChangeLang").SetEnabled(main_.settings().ChangeLanguage);
}

// ---- the variant with the export buttons ----

TForm_StartNew::TForm_StartNew(TForm_Main& main, const TScreenParams&) : TForm_Start(main, "TForm_StartNew") {
    CreateElements();
    iPodImages_.Add("BlackMask", "Interface\\iPod\\Black.png", true);
    iPodImages_.Add("iPodUpper");
    iPodImages_.Add("iPodLower");
    iPodImages_.Add("iPodButton", "Interface\\iPod\\iPodBtn.png", true, true);
    iPodImages_.LoadAutoImages(main_.folders().DataDir);
    ElementSpec mask = Pic("DIBI_BlackMask", {0, 0, 1024, 768}, "BlackMask", efHidden);
    mask.opacity = 153;
    ScreenLayout::Build(container_, &iPodImages_,
                        {
                            Pic("DIBI_iPodUpper", {735, 256, 245, 189}, "iPodUpper", efHidden),
                            Button("DIBBS_iPodUpper", {883, 404, 60, 60}, "iPodButton", efHidden),
                            Pic("DIBI_iPodLower", {737, 458, 245, 189}, "iPodLower", efHidden),
                            Button("DIBBS_iPodLower", {885, 606, 60, 60}, "iPodButton", efHidden),
                            mask,
                        });
    for (const char* name : {"DIBBS_iPodUpper", "DIBBS_iPodLower"})
        Element<TDIBButtonStrip>(name).OnClick = [this](TCustomDIBControl&) { DIBBS_iPodClick(); };
    TDIBImage& frame = Element<TDIBImage>("DIBI_LangFrame");
    frame.SetBounds(716, 62, frame.Width(), frame.Height());
    list_->SetBounds(737, 115, 198, 308);
    TDIBButtonStrip& exit = Element<TDIBButtonStrip>("DIBBS_BoxExit");
    exit.SetBounds(494, 481, exit.Width(), exit.Height());
    FormCreate();
}

TForm_StartNew::~TForm_StartNew() = default;

void TForm_StartNew::LoadVariantPictures() {
    const CourseFolders& f = main_.folders();
    for (const char* name : {"iPodUpper", "iPodLower"}) {
        std::string file = Format("%s\\general\\%s.png", f.SourceDir.c_str(), name);
        if (!PathResolver::IsFile(file))
            file = Format("%s\\sources\\2source\\general\\%s.png", f.DataDir.c_str(), name);
        if (!PathResolver::IsFile(file)) file = Format("%s\\start\\%s.png", f.InterfaceDir.c_str(), name);
        iPodImages_.LoadImageFile(iPodImages_.IndexOf(name), file);
    }
}

void TForm_StartNew::ApplyStreamFlags() {
    TForm_Start::ApplyStreamFlags();
    std::optional<std::string> flags = main_.ReadStreamFlags();
    exportEnabled_ = !flags || Contains(*flags, "iPod");
    for (const char* name : {"DIBBS_iPodUpper", "DIBBS_iPodLower"})
        Element<TDIBButtonStrip>(name).SetEnabled(exportEnabled_);
}

void TForm_StartNew::ExportElementsFollow(bool boxOpen) {
    bool on = main_.settings().iPod && !boxOpen;
    bool frameShown = Element<TDIBImage>("DIBI_LangFrame").Visible();
    Element<TDIBImage>("DIBI_iPodUpper").SetVisible(on && !frameShown);
    Element<TDIBButtonStrip>("DIBBS_iPodUpper").SetVisible(on && !frameShown);
    Element<TDIBImage>("DIBI_iPodLower").SetVisible(on && frameShown);
    Element<TDIBButtonStrip>("DIBBS_iPodLower").SetVisible(on && frameShown);
}

void TForm_StartNew::DIBBS_iPodClick() {
    BlendWithin([this] {
        ShowLanguageList(false);
        Element<TDIBImage>("DIBI_BlackMask").SetVisible(true);
    });
    OpenExportDialog(main_);
    BlendWithin([this] {
        Element<TDIBImage>("DIBI_BlackMask").SetVisible(false);
        ShowLanguageList(LanguageListApplies());
    });
}

void TForm_StartNew::OpenExportDialog(TForm_Main& main) {
    // The container fills the window, so its screen position is the origin.
    TForm_iPod::Execute(main, 282, 514);
}

void RegisterStartScreens(TScreenFactory& factory) {
    factory.Register("TForm_Start", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_Start(m, p));
    });
    factory.Register("TForm_StartNew", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_StartNew(m, p));
    });
    factory.Register("TForm_CustomStart", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_CustomStart(m, p));
    });
    factory.Register("TForm_CustomEnd", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_CustomEnd(m, p));
    });
}

} // namespace parlora
