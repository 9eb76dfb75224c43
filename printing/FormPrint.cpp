#include "printing/FormPrint.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "printing/PrintCanvas.h"
#include "printing/PrintService.h"
#include "shell/FormMain.h"

namespace parlora {
namespace {

const std::array<TWorksheetRow, 9> kWorksheets = {{
    {"TForm_WordsPrint", 0, "FirstWords\\Images\\FW", "FW", 44, 1, {}, "First words worksheet"},
    {"TForm_FoodPrint", 1, "Food\\Images\\FD", "FD", 41, 6, {226, 135, 173, 148}, "Food worksheet"},
    {"TForm_ColoursPrint", 2, "Colours\\Images\\CO", "CO", 12, 11, {217, 135, 191, 148}, "Colours worksheet"},
    {"TForm_PhrasesPrint", 3, "Phrases\\Images\\USE", "USE", 30, 13, {}, "Phrases worksheet"},
    {"TForm_BodyPrint", 4, "Body\\SmallImages\\FG", "FG", 18, 16, {250, 146, 125, 130}, "Body worksheet"},
    {"TForm_NumbersPrint",
     5,
     "Numbers\\SmallImages\\NU",
     "NU",
     20,
     18,
     {250, 146, 125, 130},
     "Numbers worksheet"},
    {"TForm_TimePrint", 6, "Time\\SmallImages\\T", "T", 36, 20, {250, 146, 125, 130}, "Time worksheet"},
    {"TForm_ShoppingPrint",
     7,
     "Shopping\\Images\\",
     "SH",
     49,
     24,
     {218, 135, 189, 148},
     "Shopping worksheet"},
    {"TForm_CountriesPrint",
     8,
     "Countries\\Images\\CY",
     "CY",
     24,
     29,
     {245, 174, 135, 80},
     "Countries worksheet"},
}};

const int kShoppingOrder[49] = {2,  4,  5,  6,  7,  8,  9,  12, 13, 14, 18, 32, 20, 19, 31, 30, 21,
                                22, 28, 29, 11, 46, 24, 47, 39, 49, 35, 40, 37, 33, 41, 34, 27, 17,
                                48, 10, 15, 1,  3,  25, 23, 26, 16, 43, 44, 45, 36, 42, 38};

// The six elements of a cell, moved together from cell to cell.
const char* const kCellElements[6] = {"DIBI_Image",  "DIBI_Lozenge", "DIBI_TransLoz",
                                      "DIBI_Target", "DIBI_Source",  "DIBI_TransLit"};

} // namespace

const std::array<TWorksheetRow, 9>& Worksheets() {
    return kWorksheets;
}

TForm_Print::TForm_Print(TForm_Main& main, const TWorksheetRow& row)
    : TPageTemplate(kDesignWidth, kDesignHeight), main_(main), row_(row), cells_(row.items) {
    const CourseFolders& f = main_.folders();
    auto& pics = Pictures();
    pics.Add("Header", "Interface\\Common\\Print\\HEader.png", true);
    pics.Add("Lozenges", "Interface\\Common\\Print\\lozenges.png", true);
    pics.Add("TransLoz", "Interface\\Common\\Print\\transloz.png", true);
    pics.Add("Section", Format("Interface\\Common\\Print\\sections\\s%d.PNG", row.topic + 1), true);

    AddPicture("DIBI_Header", {0, 0, 1107, 139}, "Header");
    AddPicture("DIBI_Section", {39, 32, 56, 57}, "Section");
    AddPicture("DIBI_Title", {482, 28, 0, 0}, "Title");
    AddPicture("DIBI_Footer", {0, 1506, 1107, 64}, "Footer");
    AddLabel("Label_Page", {540, 1526, 31, 29}, {"Arial", 29, true, false}, TextAlign::Centre);
    Rect cell = row.cell.empty() ? Rect{219, 135, 186, 145} : row.cell;
    AddPicture("DIBI_Image", cell, "Image");
    AddPicture("DIBI_Lozenge", {81, 282, 470, 91}, "Lozenges");
    AddPicture("DIBI_TransLoz", {81, 360, 466, 44}, "TransLoz");
    AddPicture("DIBI_Target", {162, 290, 0, 0}, "Target");
    AddPicture("DIBI_Source", {162, 331, 0, 0}, "Source");
    AddPicture("DIBI_TransLit", {162, 364, 0, 0}, "TransLit");
    AddPicture("DIBI_LozRight", {570, 282, 470, 91}, "Lozenges").visible = false;
    AddPicture("DIBI_LozDown", {81, 558, 470, 91}, "Lozenges").visible = false;

    pics.LoadAutoImages(f.DataDir);
    if (TLanguageCatalogue* cat = main_.catalogue()) LoadOptional("Title", cat->TitlePicturePath());
    std::string custom = f.CustomDir.empty()
                             ? std::string()
                             : Format("%s\\Interface\\Common\\Print\\footer.png", f.CustomDir.c_str());
    if (!custom.empty() && PathResolver::IsFile(custom)) {
        LoadOptional("Footer", custom);
    } else {
        LoadOptional("Footer", Format("%s\\Common\\Print\\footer.png", f.InterfaceDir.c_str()));
    }
    bool tlit = PathResolver::IsDirectory(Format("%s\\TLIT", f.TargetDir.c_str()));
    Element("DIBI_TransLoz").visible = tlit;
    Element("DIBI_TransLit").visible = tlit;

    for (size_t i = 0; i < saved_.size(); ++i)
        saved_[i] = Element(kCellElements[i]).rect;
    columnStep_ = Element("DIBI_LozRight").rect.x - Element("DIBI_Lozenge").rect.x;
    rowStep_ = Element("DIBI_LozDown").rect.y - Element("DIBI_Lozenge").rect.y;

    if (row.topic == 0 && main_.catalogue() && main_.catalogue()->firstWordsFilterActive()) {
        firstWordsFiltered_ = true;
        cells_ = 42;
    }
    if (row.topic == 8 && main_.settings().Filter3) {
        countriesFiltered_ = true;
        cells_ = 23;
    }
}

int TForm_Print::ItemForCell(int cell) const {
    int item = cell;
    if (firstWordsFiltered_ && item > 15) item += 2;
    if (countriesFiltered_ && item > 11) item += 1;
    return CellItem(item);
}

void TForm_Print::LoadCellPicture(int item) {
    Picture("Image").LoadFromFile(
        Format("%s\\%s%d.png", main_.folders().InterfaceDir.c_str(), row_.picturePath, item));
}

void TForm_Print::PrintDecorations(TPrintCanvas& canvas, int pageNumber) {
    for (const char* name : {"DIBI_Header", "DIBI_Section", "DIBI_Title", "DIBI_Footer"})
        TPageTemplate::Print(canvas, name);
    TPageElement& page = Element("Label_Page");
    page.caption = std::to_string(pageNumber);
    TPageTemplate::Print(canvas, page);
}

void TForm_Print::PlaceCell(int index) {
    int column = index / kRows, rowInColumn = index % kRows;
    for (size_t i = 0; i < saved_.size(); ++i) {
        Rect& r = Element(kCellElements[i]).rect;
        r.x = saved_[i].x + column * columnStep_;
        r.y = saved_[i].y + rowInColumn * rowStep_;
    }
}

void TForm_Print::PrintCells(TPrintCanvas& canvas, int first, int last, int pageNumber) {
    const CourseFolders& f = main_.folders();
    PrintDecorations(canvas, pageNumber++);
    for (int k = first; k <= last; ++k) {
        int index = (k - 1) % kCellsPerPage;
        if (k != first && index == 0) {
            canvas.NewPage();
            PrintDecorations(canvas, pageNumber++);
        }
        PlaceCell(index);
        int item = ItemForCell(k);
        LoadCellPicture(item);
        TPageTemplate::Print(canvas, "DIBI_Image");
        Picture("Target").LoadFromFile(
            Format("%s\\%s\\%s%d.PNG", f.TextDir.c_str(), row_.prefix, row_.prefix, item));
        Picture("Source").LoadFromFile(
            Format("%s\\%s\\%s%d.PNG", f.SourceDir.c_str(), row_.prefix, row_.prefix, item));
        for (const char* name : {"DIBI_Lozenge", "DIBI_Target", "DIBI_Source"})
            TPageTemplate::Print(canvas, name);
        if (Element("DIBI_TransLoz").visible) {
            Picture("TransLit")
                .LoadFromFile(
                    Format("%s\\TLIT\\%s\\%s%d.PNG", f.TargetDir.c_str(), row_.prefix, row_.prefix, item));
            TPageTemplate::Print(canvas, "DIBI_TransLoz");
            TPageTemplate::Print(canvas, "DIBI_TransLit");
        }
    }
    PlaceCell(0);
}

bool TForm_Print::Print(TPrintService& service) {
    TPrintRequest request{kJobTitle, row_.fileStem, Pages()};
    bool done = service.Print(request, [this](TPrintCanvas& canvas, const TPrintChoice& choice) {
        Fit(canvas);
        TPageSpan span = PageSpan(cells_, kCellsPerPage, choice.ranged, choice.first, choice.last);
        PrintCells(canvas, span.firstItem, span.lastItem, row_.firstPage + span.firstPage - 1);
    });
    if (done && main_.records()) main_.records()->StoreScore(row_.topic, 4, 0);
    return done;
}

int TForm_ShoppingPrint::CellItem(int cell) const {
    if (cell < 1 || cell > 49) return cell;
    return kShoppingOrder[cell - 1];
}

std::unique_ptr<TForm_Print> MakeWorksheet(TForm_Main& main, int topic) {
    if (topic < 0 || topic >= int(kWorksheets.size()))
        throw AppError(Format("No worksheet for topic %d", topic));
    if (topic == 7) return std::make_unique<TForm_ShoppingPrint>(main, kWorksheets[7]);
    return std::make_unique<TForm_Print>(main, kWorksheets[size_t(topic)]);
}

} // namespace parlora
