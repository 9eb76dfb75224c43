#include "printing/FormCertificate.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "printing/PrintCanvas.h"
#include "printing/PrintService.h"
#include "shell/FormMain.h"

namespace parlora {

TForm_Certificate::TForm_Certificate(TForm_Main& main, int level, int score, const std::string& studentName)
    : TPageTemplate(kDesignWidth, kDesignHeight), main_(main), name_(studentName) {
    if (level < 1) throw AppError("Insufficient score for award!");
    level = std::min(level, 3);
    const CourseFolders& f = main_.folders();
    auto& pics = Pictures();
    pics.Add("TopLogo", "Interface\\Award\\Certificate\\TopLogo.png", true);
    pics.Add("Score", "Interface\\Award\\Certificate\\Score.png", true);

    AddPicture("DIBI_Medal", {393, 149, 0, 0}, "Medal");
    AddFrame("Shape_Border", {120, 148, 936, 1224}, 5, ArgbFromColorRef(7237230));
    AddPicture("DIBI_TopLogo", {243, 135, 0, 0}, "TopLogo");
    AddPicture("DIBI_Target", {199, 805, 0, 0}, "Target");
    AddPicture("DIBI_Score", {498, 752, 0, 0}, "Score");
    TPageElement& score_ =
        AddLabel("Label_Score", {531, 812, 108, 56}, {"Arial", 56, false, false}, TextAlign::Centre);
    score_.fontColour = 0xFFFFFFFFu;
    score_.transparent = false;
    score_.colour = ArgbFromColorRef(13382502);
    score_.caption = std::to_string(score);
    AddPicture("DIBI_Source", {764, 805, 0, 0}, "Source");
    AddPicture("DIBI_Text", {130, 934, 0, 0}, "Text");
    TPageElement& name =
        AddLabel("Label_Name", {130, 984, 916, 54}, {"Arial", 54, true, true}, TextAlign::Centre);
    name.transparent = false;
    name.colour = 0xFFFFFFFFu;
    name.caption = studentName;
    AddPicture("DIBI_SigLeft", {155, 1200, 0, 0}, "LeftSig");
    AddPicture("DIBI_BotLogo", {417, 1285, 0, 0}, "BotLogo");
    AddPicture("DIBI_SigRight", {812, 1200, 0, 0}, "RightSig");
    opaqueLabels = true;

    pics.LoadAutoImages(f.DataDir);
    for (const char* file : {"BotLogo", "LeftSig", "RightSig"}) {
        std::string custom = f.CustomDir.empty() ? std::string()
                                                 : Format("%s\\Interface\\Award\\Certificate\\%s.png",
                                                          f.CustomDir.c_str(), file);
        if (!custom.empty() && PathResolver::IsFile(custom)) {
            Picture(file).LoadFromFile(custom);
        } else {
            Picture(file).LoadFromFile(
                Format("%s\\Award\\Certificate\\%s.png", f.InterfaceDir.c_str(), file));
        }
    }
    static const char* const kMedals[] = {"Bronze", "Silver", "Gold"};
    static const char* const kTexts[] = {"BAText", "SAText", "GAText"};
    Picture("Medal").LoadFromFile(
        Format("%s\\Award\\Certificate\\%s.png", f.InterfaceDir.c_str(), kMedals[level - 1]));
    Picture("Text").LoadFromFile(Format("%s\\General\\%s.png", f.SourceDir.c_str(), kTexts[level - 1]));
    if (TLanguageCatalogue* cat = main_.catalogue()) {
        Picture("Source").LoadFromFile(cat->TitlePicturePath());
        Picture("Target").LoadFromFile(
            Format("%s\\general\\learn%d.png", f.TextDir.c_str(), cat->targetNumber()));
        name.font.family = cat->sourceFontName();
    }
}

void TForm_Certificate::PrintPage(TPrintCanvas& canvas) {
    for (const char* e :
         {"DIBI_Medal", "Shape_Border", "DIBI_TopLogo", "DIBI_Target", "DIBI_Score", "Label_Score",
          "DIBI_Source", "DIBI_Text", "Label_Name", "DIBI_SigLeft", "DIBI_BotLogo", "DIBI_SigRight"})
        TPageTemplate::Print(canvas, e);
}

bool TForm_Certificate::Print(TPrintService& service) {
    TPrintRequest request{kJobTitle, "Certificate " + name_, 0};
    return service.Print(request, [this](TPrintCanvas& canvas, const TPrintChoice&) {
        Fit(canvas);
        PrintPage(canvas);
    });
}

} // namespace parlora
