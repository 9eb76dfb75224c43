// The print dialog with more queues than rows (twelve on a CUPS server of the test's own): the
// scroll bar, the wheel and the keys reach every queue and keep the chosen one in sight. And the
// dialog in the desktop's language.
#include "platform/CupsPrintQueue.h"
#include "platform/Translation.h"
#include "printing/PrintDialog.h"
#include "tests/printing/PrivateCups.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace parlora::test {
namespace {

InputEvent At(InputEvent::Kind kind, const Rect& r, int dy = 0) {
    InputEvent e;
    e.kind = kind;
    e.x = r.x + r.w / 2;
    e.y = r.y + r.h / 2 + dy;
    return e;
}

void Click(TPrintDialog& d, const Rect& r) {
    d.HandleInput(At(InputEvent::Kind::MouseDown, r));
    d.HandleInput(At(InputEvent::Kind::MouseUp, r));
}

void Key(TPrintDialog& d, const std::string& name) {
    InputEvent e;
    e.kind = InputEvent::Kind::KeyDown;
    e.key = name;
    d.HandleInput(e);
}

void Wheel(TPrintDialog& d, int notches) {
    InputEvent e = At(InputEvent::Kind::Wheel, TPrintDialog::RowRect(2));
    e.wheel = notches;
    d.HandleInput(e);
}

bool SelectedInSight(const TPrintDialog& d) {
    return d.selectedRow() >= d.topRow() && d.selectedRow() < d.topRow() + d.visibleRows();
}

std::string GoldenFolder() {
    return std::string(PARLORA_SOURCE_DIR) + "/tests/printing/golden";
}

TEST(PrintDialogScroll, TwelveQueuesAreAllReachableByMouseWheelAndKeys) {
    PrivateCups cups;
    if (!cups.running()) GTEST_SKIP() << "no private CUPS server: " << cups.whyNot();
    for (int i = 1; i <= 12; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "room%02d", i);
        ASSERT_TRUE(cups.AddQueue(name, i == 1)) << name;
    }
    std::string problem;
    std::vector<PrintDestination> queues = CupsPrintQueue().Destinations(problem);
    ASSERT_EQ(queues.size(), 12u) << problem;
    TPrintDialog d("Lingwell Parlora!", queues, problem, 4, "Documents");
    ASSERT_EQ(d.rowCount(), 13);
    EXPECT_TRUE(d.scrolls());
    EXPECT_EQ(d.visibleRows(), TPrintDialog::kMaxRows);

    // The keys: the chosen row stays in sight wherever it goes.
    Key(d, "End");
    EXPECT_EQ(d.selectedRow(), 12);
    EXPECT_EQ(d.topRow(), 13 - TPrintDialog::kMaxRows);
    EXPECT_TRUE(d.choice().savePdf);
    Key(d, "Home");
    EXPECT_EQ(d.selectedRow(), 0);
    EXPECT_EQ(d.topRow(), 0);
    for (const char* k : {"PageDown", "Down", "PageDown", "Up", "PageUp", "PageDown", "PageDown"}) {
        int before = d.selectedRow();
        Key(d, k);
        EXPECT_NE(d.selectedRow(), before) << k;
        EXPECT_TRUE(SelectedInSight(d)) << k << " to " << d.selectedRow() << ", top " << d.topRow();
    }
    EXPECT_EQ(d.selectedRow(), 12);

    // The wheel and the bar's arrows move the view, not the choice, and stop at either end.
    Key(d, "Home");
    Wheel(d, -1);
    EXPECT_EQ(d.topRow(), 2);
    Wheel(d, -10);
    EXPECT_EQ(d.topRow(), 7);
    Wheel(d, 1);
    EXPECT_EQ(d.topRow(), 5);
    EXPECT_EQ(d.selectedRow(), 0);
    Click(d, TPrintDialog::ScrollUpRect());
    EXPECT_EQ(d.topRow(), 4);
    Click(d, TPrintDialog::ScrollDownRect());
    Click(d, TPrintDialog::ScrollDownRect());
    Click(d, TPrintDialog::ScrollDownRect());
    EXPECT_EQ(d.topRow(), 7);
    // A click on the track above the thumb goes back a page; dragging the thumb to the top, to
    // the first row.
    Rect thumb = d.ThumbRect();
    Click(d, {thumb.x, TPrintDialog::ScrollTrackRect().y, thumb.w, 4});
    EXPECT_EQ(d.topRow(), 2);
    thumb = d.ThumbRect();
    d.HandleInput(At(InputEvent::Kind::MouseDown, thumb));
    d.HandleInput(At(InputEvent::Kind::MouseMove, thumb, 500));
    EXPECT_EQ(d.topRow(), 7);
    d.HandleInput(At(InputEvent::Kind::MouseMove, thumb, -500));
    d.HandleInput(At(InputEvent::Kind::MouseUp, thumb, -500));
    EXPECT_EQ(d.topRow(), 0);
    d.HandleInput(At(InputEvent::Kind::MouseMove, thumb, 500));
    EXPECT_EQ(d.topRow(), 0) << "the drag ended with the release";

    // A row clicked in the scrolled list is the queue shown there, and OK prints to it.
    Wheel(d, -2);
    ASSERT_EQ(d.topRow(), 4);
    Click(d, TPrintDialog::RowRect(5));
    EXPECT_EQ(d.selectedRow(), 9);
    Surface frame(1024, 768, 0xFF808080u);
    d.Paint(frame);
    EXPECT_TRUE(MatchesGolden(frame, "dialog-scrolled.png", {12, 0.01}, GoldenFolder()));
    Click(d, TPrintDialog::OkRect());
    ASSERT_TRUE(d.accepted());
    EXPECT_EQ(d.choice().printer.name, queues[9].name);
    EXPECT_EQ(queues[9].name, "room10"); // the default first, then the server's order
}

TEST(PrintDialogScroll, FewRowsHaveNoBarAndIgnoreTheWheel) {
    PrintDestination office{"office", "Office laser", true, false, true, 595, 842};
    TPrintDialog d("Lingwell Parlora!", {office}, "", 0, "Documents");
    EXPECT_FALSE(d.scrolls());
    Wheel(d, -3);
    Key(d, "PageDown");
    EXPECT_EQ(d.topRow(), 0);
    EXPECT_EQ(d.selectedRow(), 1);
    // A click where the bar would be chooses the row under it.
    Click(d, {TPrintDialog::ScrollUpRect().x, TPrintDialog::RowRect(0).y, 4, 4});
    EXPECT_EQ(d.selectedRow(), 0);
}

// The desktop's language for the program's own texts, put back afterwards.
struct DesktopLanguage {
    std::string old;
    bool had = false;
    explicit DesktopLanguage(const char* language) {
        if (const char* v = std::getenv("LANGUAGE")) had = true, old = v;
        ::setenv("LANGUAGE", language, 1);
        UseDesktopLanguage();
    }
    ~DesktopLanguage() {
        if (had)
            ::setenv("LANGUAGE", old.c_str(), 1);
        else
            ::unsetenv("LANGUAGE");
        UseDesktopLanguage();
    }
};

TEST(PrintDialogScroll, TheDialogFollowsTheDesktopsLanguage) {
    ASSERT_FALSE(CatalogueDir().empty()) << "the build tree's catalogues are missing";
    PrintDestination office{"office", "Office laser", true, false, true, 595, 842};
    PrintDestination hall{"hall", "Hall colour printer", false, true, false, 612, 792};
    auto texts = [&] {
        TPrintDialog d("Lingwell Parlora!", {office, hall}, "", 3, "Documents");
        return d.Texts();
    };
    std::vector<std::string> english = texts();
    std::vector<std::string> french;
    {
        DesktopLanguage fr("fr");
        french = texts();
        TPrintDialog d("Lingwell Parlora!", {office, hall}, "", 3, "Documents");
        Surface frame(1024, 768, 0xFF808080u);
        d.Paint(frame);
        EXPECT_TRUE(MatchesGolden(frame, "dialog-fr.png", {12, 0.01}, GoldenFolder()));
    }
    for (const char* text :
         {"Imprimer : Lingwell Parlora!", "Imprimante :", "Office laser  (par défaut)",
          "Hall colour printer  - n'accepte pas de travaux", "Enregistrer en PDF  (dans Documents)",
          "Pages :", "de", "à", "Tout", "Plage", "OK", "Annuler"})
        EXPECT_NE(std::find(french.begin(), french.end(), text), french.end()) << text;
    ASSERT_EQ(french.size(), english.size());
    // Back in English once the desktop is; the content's own words (the title, the printers'
    // names) are never translated.
    EXPECT_EQ(texts(), english);
    EXPECT_NE(std::find(english.begin(), english.end(), "Save as PDF  (into Documents)"), english.end());
    {
        DesktopLanguage de("de_AT:fr");
        std::vector<std::string> german = texts();
        EXPECT_NE(std::find(german.begin(), german.end(), "Abbrechen"), german.end());
    }
    {
        // An English desktop that names French as a second choice stays English.
        DesktopLanguage en("en_GB:fr");
        EXPECT_EQ(texts(), english);
    }
}

} // namespace
} // namespace parlora::test
