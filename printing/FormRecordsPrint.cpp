#include "printing/FormRecordsPrint.h"

#include "core/StringUtil.h"
#include "printing/PrintCanvas.h"
#include "printing/PrintService.h"
#include "shell/FormMain.h"

#include <cstdlib>

namespace parlora {
namespace {

const char* const kRowElements[6] = {"Label_Name",  "Label_LastUsed", "Label_Score",
                                     "DIBI_Bronze", "DIBI_Silver",    "DIBI_Gold"};

// A score stored as text that is not a number earns no medal.
int ScoreValue(const std::string& s) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (end == s.c_str() || *end != '\0') return 0;
    return int(v);
}

} // namespace

TForm_RecordsPrint::TForm_RecordsPrint(TForm_Main& main)
    : TPageTemplate(kDesignWidth, kDesignHeight), main_(main) {
    const CourseFolders& f = main_.folders();
    auto& pics = Pictures();
    pics.Add("Header", "Interface\\Records\\Print\\Header.png", true);
    pics.Add("Footer", "Interface\\Records\\Print\\footer.png", true);
    pics.Add("Bronze", "Interface\\Records\\Print\\bronze.PNG", true);
    pics.Add("Silver", "Interface\\Records\\Print\\silver.PNG", true);
    pics.Add("Gold", "Interface\\Records\\Print\\gold.PNG", true);

    AddPicture("DIBI_Source", {40, 141, 0, 0}, "Source");
    AddPicture("DIBI_Target", {909, 141, 0, 0}, "Target");
    AddPicture("DIBI_Header", {430, 4, 0, 0}, "Header");
    AddPicture("DIBI_Title", {44, 206, 0, 0}, "Title");
    AddPicture("DIBI_Footer", {457, 1412, 0, 0}, "Footer");
    AddLine("Shape_Line1", {41, 198, 1012, 4}, ArgbFromColorRef(238));
    AddLine("Shape_Line2", {41, 267, 1012, 2}, 0xFF000000u);
    AddLine("Shape_Line3", {41, 1367, 1012, 4}, ArgbFromColorRef(238));
    FontSpec rowFont{"Arial", 24, false, true};
    AddLabel("Label_Name", {47, 317, 380, 24}, rowFont);
    AddLabel("Label_LastUsed", {441, 317, 210, 24}, rowFont);
    AddLabel("Label_Score", {667, 317, 180, 24}, rowFont);
    AddPicture("DIBI_Bronze", {865, 313, 0, 0}, "Bronze");
    AddPicture("DIBI_Silver", {900, 313, 0, 0}, "Silver");
    AddPicture("DIBI_Gold", {934, 313, 0, 0}, "Gold");
    AddLabel("Label_Name2", {47, 353, 380, 24}, rowFont).visible = false;

    pics.LoadAutoImages(f.DataDir);
    if (TLanguageCatalogue* cat = main_.catalogue()) {
        LoadOptional("Source", cat->TitlePicturePath());
        LoadOptional("Target", Format("%s\\general\\learn%d.png", f.TextDir.c_str(), cat->targetNumber()));
    }
    LoadOptional("Title", Format("%s\\general\\printhd.png", f.SourceDir.c_str()));
    if (TLanguageCatalogue* cat = main_.catalogue()) {
        for (const char* name : {"Label_Name", "Label_LastUsed", "Label_Score"})
            Element(name).font.family = cat->sourceFontName();
    }
    for (size_t i = 0; i < savedTops_.size(); ++i)
        savedTops_[i] = Element(kRowElements[i]).rect.y;
    rowStep_ = Element("Label_Name2").rect.y - Element("Label_Name").rect.y;
}

void TForm_RecordsPrint::PrintDecorations(TPrintCanvas& canvas) {
    for (const char* name : {"DIBI_Source", "DIBI_Header", "DIBI_Target", "Shape_Line1", "DIBI_Title",
                             "Shape_Line2", "Shape_Line3", "DIBI_Footer"})
        TPageTemplate::Print(canvas, name);
}

void TForm_RecordsPrint::PlaceRow(int index) {
    for (size_t i = 0; i < savedTops_.size(); ++i)
        Element(kRowElements[i]).rect.y = savedTops_[i] + index * rowStep_;
}

void TForm_RecordsPrint::PrintRows(TPrintCanvas& canvas, const std::vector<TStudentEntry>& students,
                                   int first, int last) {
    TRecordsStore* records = main_.records();
    PrintDecorations(canvas);
    for (int k = first; k <= last && k <= int(students.size()); ++k) {
        int index = k - first;
        if (index > 0 && index % kRowsPerPage == 0) {
            canvas.NewPage();
            PrintDecorations(canvas);
        }
        PlaceRow(index % kRowsPerPage);
        const TStudentEntry& s = students[size_t(k - 1)];
        std::string section = "Student " + s.raw;
        std::string lastUsed = records ? records->ReadRecordValue(section, "LastUsed", "-") : "-";
        std::string score = records ? records->ReadRecordValue(section, "Score", "0") : "0";
        Element("Label_Name").caption = s.name;
        Element("Label_LastUsed").caption = lastUsed;
        Element("Label_Score").caption = score;
        for (const char* name : {"Label_Name", "Label_LastUsed", "Label_Score"})
            TPageTemplate::Print(canvas, name);
        int value = ScoreValue(score);
        if (value >= 900) TPageTemplate::Print(canvas, "DIBI_Bronze");
        if (value >= 1200) TPageTemplate::Print(canvas, "DIBI_Silver");
        if (value >= 1500) TPageTemplate::Print(canvas, "DIBI_Gold");
    }
    PlaceRow(0);
}

bool TForm_RecordsPrint::Print(TPrintService& service, const std::vector<TStudentEntry>& students) {
    int n = int(students.size());
    TPrintRequest request{kJobTitle, "Student records", PageCount(n, kRowsPerPage)};
    return service.Print(request, [&](TPrintCanvas& canvas, const TPrintChoice& choice) {
        Fit(canvas);
        TPageSpan span = PageSpan(n, kRowsPerPage, choice.ranged, choice.first, choice.last);
        PrintRows(canvas, students, span.firstItem, span.lastItem);
    });
}

} // namespace parlora
