#pragma once
// Screens a customer's edition defines in a text file: a background picture with hot areas that
// open web pages, go on to the start screen or end the program.
#include "shell/DIBScreen.h"
#include "shell/ScreenRoute.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlora {

// Right and bottom are outside the area.
struct THotRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
    bool operator==(const THotRect&) const = default;
};

struct THotArea {
    std::string keyword; // lower case
    THotRect rect;
    std::string link; // UTF-8 link template ("web", "info")
};

// The file: the background picture's name on the first line, then "keyword|l,t,r,b[|link]" lines
// and "volume|percent".
struct TCustomScreenFile {
    std::string background;
    std::vector<THotArea> areas; // one per keyword, in the order given to Parse
    std::optional<int> volume;   // -1 when not a number

    // `keywords` are the hot areas this screen knows; lines with other keywords are ignored. A later
    // line for the same keyword replaces the earlier one.
    static TCustomScreenFile Parse(std::string_view bytes, const std::vector<std::string>& keywords);
    static THotRect ParseRect(std::string_view text);
    // The first area (in keyword order) that holds the point, or nullptr.
    const THotArea* AreaAt(int x, int y) const;
};

// Shared by the custom start and end screens.
class TForm_CustomScreen : public TDIBScreen {
  public:
    const TCustomScreenFile& file() const { return file_; }

  protected:
    // Reads `textFile` and loads the background from Format(backgroundFormat, InterfaceDir, name).
    TForm_CustomScreen(TForm_Main& main, const std::string& className, const std::string& textFile,
                       const char* backgroundFormat, const std::vector<std::string>& keywords);
    void DIBImageContainer1MouseMove(int x, int y);
    void DIBImageContainer1Click();
    void AreaClick(const THotArea& area);
    // Escape takes the "close" or "end" area.
    TCustomDIBControl* QuitControl() const override;
    // What a click on an area other than "web" and "info" does.
    virtual void AreaClicked(const THotArea& area) = 0;

    TCustomScreenFile file_;
    int mouseX_ = -1, mouseY_ = -1;
};

class TForm_CustomStart : public TForm_CustomScreen {
  public:
    TForm_CustomStart(TForm_Main& main, const TScreenParams& params);

  protected:
    void AreaClicked(const THotArea& area) override;
};

class TForm_CustomEnd : public TForm_CustomScreen {
  public:
    TForm_CustomEnd(TForm_Main& main, const TScreenParams& params);

  protected:
    void AreaClicked(const THotArea& area) override;
};

} // namespace parlora
