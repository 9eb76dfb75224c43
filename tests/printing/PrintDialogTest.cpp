#include "printing/PrintDialog.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

std::vector<PrintDestination> TwoPrinters() {
    PrintDestination office{"office", "Office laser", true, false, true, 595, 842};
    PrintDestination hall{"hall", "Hall colour printer", false, true, true, 612, 792};
    return {office, hall};
}

InputEvent Mouse(InputEvent::Kind kind, const Rect& r) {
    InputEvent e;
    e.kind = kind;
    e.button = MouseButton::Left;
    e.x = r.x + r.w / 2;
    e.y = r.y + r.h / 2;
    return e;
}

void Click(TPrintDialog& d, const Rect& r) {
    d.HandleInput(Mouse(InputEvent::Kind::MouseDown, r));
    d.HandleInput(Mouse(InputEvent::Kind::MouseUp, r));
}

TEST(PrintDialog, DefaultPrinterFirstThenSaveAsPdf) {
    TPrintDialog d("Lingwell Parlora!", TwoPrinters(), "", 5, "/home/kim/Documents");
    EXPECT_EQ(d.rowCount(), 3);
    EXPECT_EQ(d.selectedRow(), 0);
    Surface frame(1024, 768, 0xFF808080u);
    d.Paint(frame);
    EXPECT_TRUE(MatchesGolden(frame, "dialog.png", {12, 0.01},
                              std::string(PARLORA_SOURCE_DIR) + "/tests/printing/golden"));

    // Return takes OK with the default printer and every page.
    InputEvent key;
    key.kind = InputEvent::Kind::KeyDown;
    key.key = "Return";
    d.HandleInput(key);
    ASSERT_TRUE(d.finished());
    ASSERT_TRUE(d.accepted());
    TPrintChoice c = d.choice();
    EXPECT_FALSE(c.savePdf);
    EXPECT_EQ(c.printer.name, "office");
    EXPECT_FALSE(c.ranged);
    EXPECT_EQ(c.first, 1);
    EXPECT_EQ(c.last, 5);
}

TEST(PrintDialog, RangeStaysWithinTheDocumentAndNeverRunsBackwards) {
    TPrintDialog d("Lingwell Parlora!", TwoPrinters(), "", 3, "/tmp");
    Click(d, TPrintDialog::RowRect(2));
    for (int i = 0; i < 5; ++i)
        Click(d, TPrintDialog::FromPlusRect()); // from 3, the "to" follows
    Click(d, TPrintDialog::ToMinusRect());      // to 2 pulls "from" back to 2
    Click(d, TPrintDialog::OkRect());
    TPrintChoice c = d.choice();
    EXPECT_TRUE(c.savePdf);
    EXPECT_TRUE(c.ranged);
    EXPECT_EQ(c.first, 2);
    EXPECT_EQ(c.last, 2);

    // "All" after a range prints everything again.
    TPrintDialog all("Lingwell Parlora!", {}, "No printer is set up.", 3, "/tmp");
    EXPECT_EQ(all.rowCount(), 1);
    Click(all, TPrintDialog::FromPlusRect());
    Click(all, TPrintDialog::AllPagesRect());
    Click(all, TPrintDialog::OkRect());
    EXPECT_TRUE(all.choice().savePdf);
    EXPECT_FALSE(all.choice().ranged);
    EXPECT_EQ(all.choice().last, 3);
}

TEST(PrintDialog, EscapeCancelsAndOnePageDocumentsHaveNoRange) {
    TPrintDialog d("Parlora! Certificate", {}, "The printing service (CUPS) is not running.", 0, "/tmp");
    Surface frame(1024, 768, 0xFF808080u);
    d.Paint(frame);
    EXPECT_TRUE(MatchesGolden(frame, "dialog-no-service.png", {12, 0.01},
                              std::string(PARLORA_SOURCE_DIR) + "/tests/printing/golden"));
    // The range controls are not there: a click on them does nothing.
    Click(d, TPrintDialog::FromPlusRect());
    EXPECT_FALSE(d.finished());
    EXPECT_FALSE(d.choice().ranged);
    InputEvent key;
    key.kind = InputEvent::Kind::KeyDown;
    key.key = "Escape";
    d.HandleInput(key);
    EXPECT_TRUE(d.finished());
    EXPECT_FALSE(d.accepted());
}

} // namespace
} // namespace parlora::test
