// The course sheet: how spreadsheet CSV is read, what a bad sheet is told, and how an author's
// picture of any shape is fitted.
#include "core/Errors.h"
#include "core/StringUtil.h"
#include "tests/support/TestFiles.h"
#include "tools/content/CsvTable.h"
#include "tools/content/PictureFit.h"
#include "tools/content/Vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <string>

namespace parlora {
namespace {

using test::TempDir;

// A complete two-language sheet, built the way an author's spreadsheet would save it.
std::string Sheet(const std::string& extraHeading = "", const std::string& eol = "\n") {
    std::string s = "topic,item,pl|source|polski|flag h FFFFFF DC143C,de|target|Deutsch|CY4" + extraHeading + eol;
    for (const TopicShape& t : Vocabulary::Topics()) {
        std::string topic = t.topic;
        if (topic == "LANG") continue;
        if (topic == "UI") {
            for (const char* k : {"wdone", "help1", "help2", "help3", "gm", "ga", "ge", "WRDK", "WRDN"})
                s += "UI," + std::string(k) + ",pl " + k + "," + eol;
            continue;
        }
        for (int n = t.first; n <= t.last; ++n) {
            std::string key = std::to_string(n);
            s += topic + "," + key + ",pl " + topic + key + ",de " + topic + key + eol;
        }
    }
    return s;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

// The message of the ConfigError a sheet raises, or "" when it is accepted.
std::string Complaint(const std::string& text, const std::string& folder = "") {
    try {
        Vocabulary::Parse(text, "s.csv", folder);
    } catch (const ConfigError& e) {
        return e.what();
    }
    return "";
}

TEST(CsvTable, QuotesBomCrlfAndEmptyCells) {
    CsvTable t = CsvTable::Parse("\xEF\xBB\xBF" "a,\"b, with comma\",\"say \"\"hi\"\"\"\r\n"
                                 ",,\"two\r\nlines\"\r\n\r\n"
                                 "last,  \"spaced\"  ,x",
                                 "t.csv");
    ASSERT_EQ(t.rows().size(), 3u);
    EXPECT_EQ(t.rows()[0].cells, (std::vector<std::string>{"a", "b, with comma", "say \"hi\""}));
    EXPECT_EQ(t.rows()[1].cells, (std::vector<std::string>{"", "", "two\nlines"}));
    EXPECT_EQ(t.rows()[1].line, 2);
    EXPECT_EQ(t.rows()[2].line, 5); // after the quoted line break and the blank line
    EXPECT_EQ(t.rows()[2].cells[1], "spaced");
    // Semicolons, as some locales' spreadsheets save.
    EXPECT_EQ(CsvTable::Parse("# note, with a comma\nx;\"y;z\"\n", "t").rows()[1].cells[1], "y;z");
}

TEST(CsvTable, BrokenQuotesNameLineAndColumn) {
    try {
        CsvTable::Parse("a,b\nc,\"open\nstill open", "t.csv");
        ADD_FAILURE();
    } catch (const ConfigError& e) {
        EXPECT_STREQ(e.what(), "t.csv line 2, column 2: a quote opened here is never closed");
    }
    try {
        CsvTable::Parse("a,\"b\"c\n", "t.csv");
        ADD_FAILURE();
    } catch (const ConfigError& e) {
        EXPECT_NE(std::string(e.what()).find("line 1, column 2"), std::string::npos) << e.what();
    }
    for (const std::string& cell : {std::string("plain"), std::string("a,b"), std::string("say \"x\"\nnow")})
        EXPECT_EQ(CsvTable::Parse(CsvCell(cell) + ",z", "t").rows()[0].cells[0], cell);
}

TEST(CourseSheet, ReadsLanguagesWordsAndNumbers) {
    for (const char* eol : {"\n", "\r\n"}) {
        Vocabulary v = Vocabulary::Parse("\xEF\xBB\xBF" + Sheet("", eol), "s.csv");
        ASSERT_EQ(v.languages().size(), 2u);
        const CourseLanguage& pl = v.languages()[0];
        const CourseLanguage& de = v.languages()[1];
        EXPECT_TRUE(pl.source && !pl.target);
        EXPECT_TRUE(de.target && !de.source);
        EXPECT_EQ(pl.number, 1);
        EXPECT_EQ(de.number, 2);
        EXPECT_GE(de.index, 3); // not one of the demo's caption languages
        EXPECT_EQ(v.Word("FW", 44, de.index), "de FW44");
        EXPECT_EQ(v.Word("SC", 7, de.index), "de NU7");
        EXPECT_EQ(v.Word("SC", 41, de.index), "41");
        // A language the course lacks falls back to the demo's words: colours keep their names.
        EXPECT_EQ(v.Word("CO", 1, 0), "red");
        EXPECT_EQ(v.Word("CO", 1, 1), "rouge");
    }
}

TEST(CourseSheet, RowsTooManyOrTooFewNameLineAndColumn) {
    std::string good = Sheet();
    EXPECT_EQ(Complaint(good), "");
    // One too many: FW 45 on the last line.
    std::string more = good + "FW,45,x,y\n";
    int lines = int(std::count(more.begin(), more.end(), '\n'));
    EXPECT_EQ(Complaint(more).rfind("s.csv line " + std::to_string(lines) + ", column 2: FW has items 1 to 44", 0),
              0u)
        << Complaint(more);
    // One too few.
    std::string fewer = Replace(good, "FD,17,pl FD17,de FD17\n", "");
    EXPECT_NE(Complaint(fewer).find("FD has 40 of the 41 rows"), std::string::npos) << Complaint(fewer);
    EXPECT_NE(Complaint(fewer).find("first missing is 17"), std::string::npos);
    // The same item twice.
    EXPECT_NE(Complaint(Replace(good, "CO,2,", "CO,3,")).find("CO 3 is there twice"), std::string::npos);
    // A cell beyond the headings, an unknown topic, an item that is no number.
    EXPECT_NE(Complaint(Replace(good, "FW,3,pl FW3,de FW3", "FW,3,pl FW3,de FW3,stray")).find("column 5"),
              std::string::npos);
    EXPECT_NE(Complaint(Replace(good, "FW,3,", "XX,3,")).find("column 1: unknown topic"), std::string::npos);
    EXPECT_NE(Complaint(Replace(good, "FW,3,", "FW,three,")).find("column 2"), std::string::npos);
}

TEST(CourseSheet, EmptyCellsAreFineWhereNotNeeded) {
    std::string good = Sheet(",picture,recording de M");
    // Trailing empty cells left off, optional cells empty, YES rows need no source word.
    EXPECT_EQ(Complaint(Replace(good, "YES,1,pl YES1,de YES1", "YES,1,,de YES1,,")), "");
    // A target word left empty: its line and the language's column.
    std::string bad = Replace(good, "T,13,pl T13,de T13", "T,13,pl T13,");
    std::string line = std::to_string(std::count(bad.begin(), bad.begin() + long(bad.find("T,13,")), '\n') + 1);
    EXPECT_EQ(Complaint(bad), "s.csv line " + line + ", column 4: no Deutsch word for T 13");
    // The source's words are needed too, except yes and no.
    EXPECT_NE(Complaint(Replace(good, "FW,1,pl FW1", "FW,1,")).find("column 3: no polski word"), std::string::npos);
}

TEST(CourseSheet, HeadingsAreChecked) {
    std::string good = Sheet();
    EXPECT_NE(Complaint(Replace(good, "de|target|", "de|teacher|")).find("line 1, column 4: role \"teacher\""),
              std::string::npos);
    EXPECT_NE(Complaint(Replace(good, "de|target|Deutsch|CY4", "de")).find("column 4"), std::string::npos);
    EXPECT_NE(Complaint(Replace(good, "pl|source|", "pl|target|")).find("installed source"), std::string::npos);
    EXPECT_NE(Complaint(Sheet(",recording fr M")).find("column 5: no language column for \"fr\""),
              std::string::npos);
    Vocabulary numbered = Vocabulary::Parse(Replace(good, "CY4", "CY4|7"), "s.csv");
    EXPECT_EQ(numbered.languages()[1].number, 7);
    EXPECT_EQ(numbered.languages()[0].number, 1);
}

TEST(CourseSheet, PicturesAndRecordingsMustBeThere) {
    TempDir dir;
    test::WriteFile(dir / "cat.png", std::string("\x89PNG\r\n\x1A\n", 8) + std::string(32, '\0'));
    test::WriteFile(dir / "dog.svg", "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"/>");
    test::WriteFile(dir / "notes.png", "these are my notes, not a picture");
    test::WriteFile(dir / "cat.ogg", "sound");
    std::string good = Sheet(",picture,recording de F");
    std::string given = Replace(Replace(good, "FW,1,pl FW1,de FW1", "FW,1,pl FW1,de FW1,cat.png,cat.ogg"),
                                "FW,2,pl FW2,de FW2", "FW,2,pl FW2,de FW2,dog.svg");
    Vocabulary v = Vocabulary::Parse(given, "s.csv", dir.path());
    ASSERT_NE(v.Picture("FW", 1), nullptr);
    EXPECT_EQ(v.Picture("FW", 1)->path, dir / "cat.png");
    EXPECT_EQ(v.Picture("FW", 1)->place.column, 5);
    EXPECT_EQ(v.Picture("FW", 3), nullptr);
    int de = v.languages()[1].index;
    ASSERT_NE(v.Recording("FW", "1", de, "F"), nullptr);
    EXPECT_EQ(v.Recording("FW", "1", de, "M"), nullptr);

    std::string line = std::to_string(std::count(given.begin(), given.begin() + long(given.find("FW,1,")), '\n') + 1);
    EXPECT_EQ(Complaint(Replace(given, "cat.png", "notes.png"), dir.path()),
              "s.csv line " + line + ", column 5: notes.png is not a picture (PNG, JPEG or SVG)");
    EXPECT_NE(Complaint(Replace(given, "cat.ogg", "lost.ogg"), dir.path()).find("line " + line + ", column 6: can't find"),
              std::string::npos);
    // A keyed row has no picture.
    EXPECT_NE(Complaint(Replace(given, "UI,gm,pl gm,", "UI,gm,pl gm,,cat.png"), dir.path()).find("no picture"),
              std::string::npos);
}

TEST(PictureFit, AnyShapeFitsWholeAndCentred) {
    struct Case {
        double w, h, boxW, boxH;
    };
    for (Case c : {Case{480, 140, 186, 145}, Case{160, 260, 186, 145}, Case{10, 10, 125, 130},
                   Case{4000, 3000, 90, 100}, Case{1, 999, 60, 60}, Case{300, 300, 300, 300}}) {
        FitRect r = PictureFit::Fit(c.w, c.h, c.boxW, c.boxH);
        EXPECT_NEAR(r.w / r.h, c.w / c.h, 1e-6);                           // shape kept
        EXPECT_TRUE(std::abs(r.w - c.boxW) < 1e-6 || std::abs(r.h - c.boxH) < 1e-6); // as large as fits
        EXPECT_LE(r.w, c.boxW + 1e-6);
        EXPECT_LE(r.h, c.boxH + 1e-6);
        EXPECT_NEAR(r.x * 2 + r.w, c.boxW, 1e-6); // centred
        EXPECT_NEAR(r.y * 2 + r.h, c.boxH, 1e-6);
    }
    EXPECT_EQ(PictureFit::Fit(0, 10, 100, 100).w, 0);
}

TEST(PictureFit, RendersFramesOfTheScreensSize) {
    TempDir dir;
    // A wide red picture: fitted into a tall frame it leaves white above and below.
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 300, 60);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(s, (dir / "wide.png").c_str());
    cairo_surface_destroy(s);
    PictureFit::Render(dir / "wide.png", 84, 76, 4, 1, true, dir / "button.png");
    cairo_surface_t* out = cairo_image_surface_create_from_png((dir / "button.png").c_str());
    ASSERT_EQ(cairo_surface_status(out), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(out), 84 * 4);
    EXPECT_EQ(cairo_image_surface_get_height(out), 76);
    auto pixel = [&](int x, int y) {
        cairo_surface_flush(out);
        const unsigned char* d = cairo_image_surface_get_data(out) + y * cairo_image_surface_get_stride(out) + x * 4;
        return (uint32_t(d[2]) << 16) | (uint32_t(d[1]) << 8) | d[0];
    };
    EXPECT_EQ(pixel(42, 38), 0xFF0000u); // the picture in the middle of the first frame
    EXPECT_EQ(pixel(42, 12), 0xFFFFFFu); // the card above it
    EXPECT_NE(pixel(84 + 42, 38), 0xFF0000u); // the disabled frame is greyed
    cairo_surface_destroy(out);
    test::WriteFile(dir / "fake.png", "not a picture");
    EXPECT_THROW(PictureFit::Render(dir / "fake.png", 10, 10, 1, 1, false, dir / "x.png"), AppError);
}

} // namespace
} // namespace parlora
