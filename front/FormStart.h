#pragma once
// The start screen: the course disc, the choice of the target language when several are installed,
// the licence, information and read-me boxes, and the way on to the names, the records and the
// language choice. TForm_StartNew adds the buttons that export the phrases to a music player.
#include "display/DIBImageList.h"
#include "shell/DIBScreen.h"
#include "shell/ScreenRoute.h"

#include <functional>
#include <string>

namespace parlora {

class TDIBListBox;
class TDIBRichText;
class TDIBButtonStrip;
class TDIBCanvas;

class TForm_Start : public TDIBScreen {
  public:
    TForm_Start(TForm_Main& main, const TScreenParams& params);
    ~TForm_Start() override;

    void Start() override;
    void ContentChanged() override;

    // Handlers, public so the tests can drive them as a click would.
    void DIBBS_QuitClick();
    void DIBBS_HelpClick();
    void DIBBS_StartClick();
    void DIBBS_RecordsClick();
    void DIBBS_BoxExitClick();
    void DIBBS_LicenceClick();
    void DIBBS_InformationClick();
    void DIBBS_ReadMeClick();
    void DIBBS_ChangeLangClick();
    void ListBox_LangDrawItem(TDIBCanvas& canvas, int index, const Rect& rect, bool selected);
    void ListBox_LangClick();
    void KaMedia_IntroMediaComplete();

    bool introMode() const { return introMode_; }
    bool boxOpen() const { return boxOpen_; }
    const std::string& versionHint() const { return versionHint_; }
    TDIBListBox& listBox() { return *list_; }

  protected:
    TForm_Start(TForm_Main& main, const std::string& className);
    // FormCreate, split so the variant can place its own elements before the screen is filled in.
    void CreateElements();
    void FormCreate();
    // Changes made inside `change` are shown with the 500 ms blend.
    void SetUpStartView();
    bool LanguageListApplies() const;
    void ShowLanguageList(bool show);
    void LoadDisc();
    void LoadLanguagePictures();
    virtual void ApplyStreamFlags();
    // The variant's export buttons follow the language list.
    virtual void ExportElementsFollow(bool boxOpen) {}
    virtual void LoadVariantPictures() {}
    void OpenBox(TDIBRichText* text, bool info);

    TDIBListBox* list_ = nullptr;
    TDIBRichText* licence_ = nullptr;
    TDIBRichText* readMe_ = nullptr;
    class TFilmPanel* film_ = nullptr;
    bool introMode_ = false;
    bool logoPresent_ = false;
    bool boxOpen_ = false;
    bool hookInstalled_ = false;
    std::function<bool(const InputEvent&)> previousHook_;
    std::string versionHint_;

  private:
    void RestoreHook();
};

class TForm_StartNew : public TForm_Start {
  public:
    TForm_StartNew(TForm_Main& main, const TScreenParams& params);
    ~TForm_StartNew() override;

    void DIBBS_iPodClick();
    // The export dialog, modal, over the darkened screen.
    static void OpenExportDialog(TForm_Main& main);

  protected:
    void ApplyStreamFlags() override;
    void ExportElementsFollow(bool boxOpen) override;
    void LoadVariantPictures() override;

  private:
    TDIBVolatileImageList iPodImages_;
    bool exportEnabled_ = true;
};

} // namespace parlora
