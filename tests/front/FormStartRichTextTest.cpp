// The rich text reader of the start screen's documents, and the box that shows them.
#include "display/DIBContainer.h"
#include "display/DIBListBox.h"
#include "display/DIBRichText.h"
#include "front/RichTextDocument.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <random>

namespace parlora {
namespace {

TRichText Parse(std::string_view s) {
    return TRichTextDocument::Parse(s);
}

TEST(RichTextDocument, ParagraphsAndStyledRuns) {
    TRichText d =
        Parse("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs28 {\\b Licence}\\par\\fs22\\par "
              "Plain {\\i slanted} and \\b bold\\b0  again.\\par}");
    ASSERT_EQ(d.paragraphs.size(), 3u);
    ASSERT_EQ(d.paragraphs[0].runs.size(), 1u);
    EXPECT_EQ(d.paragraphs[0].runs[0], (TRichTextRun{"Licence", true, false, 14}));
    EXPECT_EQ(d.paragraphs[1].Text(), "");
    EXPECT_EQ(d.paragraphs[1].runs[0].pointSize, 11); // an empty line keeps its size
    const auto& runs = d.paragraphs[2].runs;
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0], (TRichTextRun{"Plain ", false, false, 11}));
    EXPECT_EQ(runs[1], (TRichTextRun{"slanted", false, true, 11}));
    EXPECT_EQ(runs[2].text, " and ");
    EXPECT_EQ(runs[3], (TRichTextRun{"bold", true, false, 11}));
    EXPECT_EQ(runs[4], (TRichTextRun{" again.", false, false, 11}));
    EXPECT_EQ(d.PlainText(), "Licence\n\nPlain slanted and bold again.");
}

TEST(RichTextDocument, EscapesAndUnicode) {
    TRichText d =
        Parse("{\\rtf1\\ansi caf\\'e9 \\'80 \\{x\\} a\\\\b\\~c \\u8364?\\u-3904?\\uc2\\u231\\'63\\'63! "
              "\\ldblquote q\\rdblquote\\tab\\emdash \\u55357?\\u56832?}");
    ASSERT_EQ(d.paragraphs.size(), 1u);
    EXPECT_EQ(d.paragraphs[0].Text(),
              "caf\xC3\xA9 \xE2\x82\xAC {x} a\\b\xC2\xA0"
              "c \xE2\x82\xAC\xEF\x83\x80\xC3\xA7! \xE2\x80\x9Cq\xE2\x80\x9D\t\xE2\x80\x94"
              "\xF0\x9F\x98\x80");
}

TEST(RichTextDocument, UnknownDestinationsAndTablesAreSkipped) {
    TRichText d =
        Parse("{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Times;}}{\\colortbl;\\red255\\green0\\blue0;}"
              "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\*\\generator W;}"
              "{\\*\\unknown hidden {nested} text}{\\pict\\pngblip 89504e47}"
              "\\pard\\qc Shown{\\*\\bkmkstart x} here\\par\\pard\\qr right\\par}");
    ASSERT_EQ(d.paragraphs.size(), 2u);
    EXPECT_EQ(d.paragraphs[0].Text(), "Shown here");
    EXPECT_EQ(d.paragraphs[0].align, TRichTextAlign::Centre);
    EXPECT_EQ(d.paragraphs[1].align, TRichTextAlign::Right);
    // A group's style ends with the group; \plain resets inside it.
    TRichText g = Parse("{\\rtf1 {\\b\\fs40 big {\\plain small} big}x}");
    ASSERT_EQ(g.paragraphs[0].runs.size(), 4u);
    EXPECT_EQ(g.paragraphs[0].runs[1], (TRichTextRun{"small", false, false, 12}));
    EXPECT_EQ(g.paragraphs[0].runs[2], (TRichTextRun{" big", true, false, 20}));
    EXPECT_EQ(g.paragraphs[0].runs[3], (TRichTextRun{"x", false, false, 12}));
}

TEST(RichTextDocument, PlainTextFilesAndGarbageNeverFail) {
    TRichText plain = Parse("first line\r\nsecond\n");
    ASSERT_EQ(plain.paragraphs.size(), 2u);
    EXPECT_EQ(plain.paragraphs[1].Text(), "second");

    for (std::string_view bad : {"{\\rtf", "{\\rtf1 \\", "{\\rtf1 \\'", "{\\rtf1 \\'zz}", "{\\rtf1 }}}}} a",
                                 "{\\rtf1 \\u", "{\\rtf1 \\u-99999999999999999999?", "{\\rtf1 \\bin999 x",
                                 "{\\rtf1 \\fs-5 \\fs99999999 x}", "{\\rtf1 \\uc99\\u65 abc}"})
        EXPECT_NO_THROW(Parse(bad)) << bad;
    EXPECT_EQ(Parse("{\\rtf1 }}}}} a").PlainText(), " a");

    std::string deep = "{\\rtf1 ";
    deep += std::string(100000, '{') + "deep" + std::string(100000, '}') + " after}";
    EXPECT_NE(Parse(deep).PlainText().find("after"), std::string::npos);

    std::mt19937 rng(7);
    const std::string alphabet = "{}\\'abu0123456789- \r\n*~\x80\xff";
    for (int round = 0; round < 200; ++round) {
        std::string s = "{\\rtf1 ";
        for (int i = 0; i < 200; ++i)
            s += alphabet[rng() % alphabet.size()];
        TRichText d = Parse(s);
        // Whatever came out must be valid UTF-8 for the text engine.
        for (const auto& p : d.paragraphs)
            for (const auto& r : p.runs)
                EXPECT_EQ(r.text.find('\0'), std::string::npos);
    }
}

TEST(RichTextDocument, MissingFileRaisesTheFileError) {
    try {
        TRichTextDocument::LoadFromFile("/nonexistent/dir/Licence.rtf");
        FAIL();
    } catch (const RichTextError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"/nonexistent/dir/Licence.rtf\". No such file or directory");
    }
    test::TempDir tmp;
    test::WriteFile(tmp / "Doc.rtf", "{\\rtf1 hi\\par}");
    EXPECT_EQ(TRichTextDocument::LoadFromFile(tmp / "doc.RTF").PlainText(), "hi");
}

TEST(DIBRichText, DrawsWrapsAndScrollsByDragging) {
    TDIBContainer container(200, 100);
    auto& box = container.Create<TDIBRichText>("Text");
    box.SetBounds(10, 10, 120, 60);
    TRichText doc;
    for (int i = 0; i < 12; ++i)
        doc.paragraphs.push_back(
            {{{"A line of words that wraps " + std::to_string(i), i % 2 == 0, false, 12}}});
    box.SetDocument(doc);
    EXPECT_GT(box.ContentHeight(), 300);
    container.takeDirty();
    const Surface& s = container.surface();
    int dark = 0;
    for (int y = 10; y < 70; ++y)
        for (int x = 10; x < 130; ++x)
            dark += (s.pixel(x, y) & 0xFF) < 128;
    EXPECT_GT(dark, 50);
    EXPECT_EQ(s.pixel(5, 5), container.Color()); // nothing drawn outside the box
    EXPECT_EQ(s.pixel(140, 50), container.Color());

    InputEvent e;
    auto send = [&](InputEvent::Kind k, int x, int y) {
        e.kind = k;
        e.x = x;
        e.y = y;
        container.handleInput(e);
    };
    send(InputEvent::Kind::MouseMove, 50, 60);
    send(InputEvent::Kind::MouseDown, 50, 60);
    send(InputEvent::Kind::MouseMove, 50, 20);
    EXPECT_EQ(box.ScrollPos(), 40);
    send(InputEvent::Kind::MouseMove, 50, -5000);
    EXPECT_EQ(box.ScrollPos(), box.ContentHeight() - box.Height());
    send(InputEvent::Kind::MouseUp, 50, -5000);
    send(InputEvent::Kind::MouseMove, 50, 60);
    EXPECT_EQ(box.ScrollPos(), box.ContentHeight() - box.Height());
    box.SetScrollPos(-10);
    EXPECT_EQ(box.ScrollPos(), 0);
    box.SetDocument({});
    EXPECT_EQ(box.ContentHeight(), 2 * box.Margin);
}

TEST(DIBListBox, SelectsOnClickAndDrawsThroughItsOwner) {
    TDIBContainer container(200, 200);
    auto& list = container.Create<TDIBListBox>("List");
    list.SetBounds(0, 0, 100, 60);
    list.SetItemHeight(20);
    list.Items = {"a", "b", "c", "d", "e"};
    list.ItemsChanged();
    int clicks = 0;
    std::vector<std::pair<int, bool>> drawn;
    list.OnClick = [&](TCustomDIBControl&) { ++clicks; };
    list.OnDrawItem = [&](TDIBCanvas& c, int i, const Rect& r, bool sel) {
        drawn.push_back({i, sel});
        c.BrushColor = sel ? 0xFFFF0000u : 0xFF00FF00u;
        c.FillRect(r);
    };
    list.SetItemIndex(4); // scrolled into view
    EXPECT_EQ(list.TopIndex(), 2);
    container.takeDirty();
    EXPECT_EQ(drawn, (std::vector<std::pair<int, bool>>{{2, false}, {3, false}, {4, true}}));
    EXPECT_EQ(container.surface().pixel(50, 50), 0xFFFF0000u);

    InputEvent e;
    for (auto k : {InputEvent::Kind::MouseMove, InputEvent::Kind::MouseDown, InputEvent::Kind::MouseUp}) {
        e.kind = k;
        e.x = 30;
        e.y = 25;
        container.handleInput(e);
    }
    EXPECT_EQ(list.ItemIndex(), 3);
    EXPECT_EQ(clicks, 1);
    list.SetItemIndex(99);
    EXPECT_EQ(list.ItemIndex(), -1);
    list.Items.resize(1);
    list.ItemsChanged();
    EXPECT_EQ(list.TopIndex(), 0);
    EXPECT_EQ(list.ItemAtPos(10, 30), -1);
}

} // namespace
} // namespace parlora
