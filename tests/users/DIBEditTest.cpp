#include "display/DIBEdit.h"

#include "display/DIBContainer.h"

#include <gtest/gtest.h>

namespace parlora {
namespace {

InputEvent Text(const std::string& t) {
    InputEvent e;
    e.kind = InputEvent::Kind::Text;
    e.text = t;
    return e;
}

InputEvent Key(const std::string& k) {
    InputEvent e;
    e.kind = InputEvent::Kind::KeyDown;
    e.key = k;
    return e;
}

struct EditFixture : ::testing::Test {
    TDIBContainer container{400, 100};
    TDIBEdit& edit = container.Create<TDIBEdit>("Edit");
    int changes = 0, enters = 0;
    void SetUp() override {
        edit.SetBounds(10, 10, 306, 32);
        edit.OnChange = [this](TCustomDIBControl&) { ++changes; };
        edit.OnEnter = [this](TCustomDIBControl&) { ++enters; };
    }
};

TEST_F(EditFixture, TypingAndEditingKeysChangeTheTextAtTheCaret) {
    edit.HandleKey(Text("Ana"));
    EXPECT_EQ(edit.Text(), "Ana");
    edit.HandleKey(Key("Left"));
    edit.HandleKey(Text("n"));
    EXPECT_EQ(edit.Text(), "Anna");
    edit.HandleKey(Key("Home"));
    edit.HandleKey(Key("Delete"));
    EXPECT_EQ(edit.Text(), "nna");
    edit.HandleKey(Key("End"));
    edit.HandleKey(Key("BackSpace"));
    EXPECT_EQ(edit.Text(), "nn");
    EXPECT_EQ(changes, 4);
    // Keys that change nothing raise nothing.
    edit.HandleKey(Key("End"));
    edit.HandleKey(Key("Delete"));
    edit.HandleKey(Key("Home"));
    edit.HandleKey(Key("BackSpace"));
    EXPECT_EQ(changes, 4);
    edit.HandleKey(Key("Return"));
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(changes, 4);
}

TEST_F(EditFixture, ProgramChangesRaiseNoChangeAndPutTheCaretAtTheEnd) {
    edit.SetText("Zoë");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(edit.CaretPos(), edit.Text().size());
    // Multi-byte characters go as one.
    edit.HandleKey(Key("BackSpace"));
    EXPECT_EQ(edit.Text(), "Zo");
    edit.SetText("Zoë");
    edit.HandleKey(Key("Left"));
    EXPECT_EQ(edit.CaretPos(), 2u);
    edit.HandleKey(Key("Delete"));
    EXPECT_EQ(edit.Text(), "Zo");
}

TEST_F(EditFixture, MaxLengthCountsCharactersAndControlCharactersAreDropped) {
    edit.SetMaxLength(5);
    edit.HandleKey(Text("éééééé"));
    EXPECT_EQ(edit.Text(), "ééééé");
    edit.HandleKey(Text("x"));
    EXPECT_EQ(edit.Text(), "ééééé");
    edit.SetText("abcdefgh");
    EXPECT_EQ(edit.Text(), "abcde");
    edit.SetText("");
    edit.HandleKey(Text("a\tb\nc"));
    EXPECT_EQ(edit.Text(), "abc");
}

TEST_F(EditFixture, UnfocusedOrHiddenBoxIgnoresKeys) {
    edit.SetFocused(false);
    EXPECT_FALSE(edit.HandleKey(Text("a")));
    edit.SetFocused(true);
    edit.SetVisible(false);
    EXPECT_FALSE(edit.HandleKey(Text("a")));
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(changes, 0);
}

TEST_F(EditFixture, LongTextStaysInsideTheBox) {
    container.takeDirty();
    edit.SetText(std::string(24, 'W'));
    container.takeDirty();
    const Surface& s = container.surface();
    // Nothing of the text is drawn right of the box, and the caret end is in view.
    for (int y = 10; y < 42; ++y)
        EXPECT_EQ(s.pixel(320, y), container.Color()) << y;
    bool dark = false;
    for (int y = 12; y < 40; ++y)
        for (int x = 290; x < 314; ++x)
            dark = dark || (s.pixel(x, y) & 0xFFFFFF) == 0;
    EXPECT_TRUE(dark);
}

} // namespace
} // namespace parlora
