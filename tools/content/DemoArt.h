#pragma once
// Drawings of the demo course's things: items from the colour emoji font or drawn (flags, paint,
// numbers, clocks, the body figure), and the course's own symbols. Nothing here writes words.
#include "tools/content/DemoCanvas.h"
#include "tools/content/DemoFacts.h"

#include <map>
#include <string>
#include <utility>

namespace parlora {

// tools/content/pictures.txt: topic|n|drawing.
class ItemDrawings {
  public:
    // Throws ConfigError naming the line of a malformed row.
    static ItemDrawings Parse(const std::string& text);
    static const ItemDrawings& BuiltIn();
    // Empty when the table has no drawing for the item.
    std::string Of(const std::string& topic, int n) const;

  private:
    std::map<std::pair<std::string, int>, std::string> rows_;
};

namespace DemoArt {

struct Box {
    double x, y, w, h;
};

// Emoji text fitted into the box and centred. With hard edges every pixel is either the
// emoji's or left alone, so a sprite keeps its key colour exact.
void Emoji(DemoCanvas& c, const std::string& utf8, Box box, bool hardEdges = false);
// A flag from its layers (see pictures.txt).
void Flag(DemoCanvas& c, const std::string& layers, Box box);
// A splash of paint in `rgb`.
void Paint(DemoCanvas& c, uint32_t rgb, Box box);
// The digits of n over n dots, so a child can count them.
void NumberWithDots(DemoCanvas& c, int n, Box box);
// Without hands it is a face for a screen that turns hands of its own and rings it with number
// buttons, so it leaves the numbers out too.
void ClockFace(DemoCanvas& c, Box box, ClockTime t, bool withHands = true);
// The body figure in the body practice's screen coordinates (its parts under the hot spots),
// moved and scaled into the box; `lit` names a part drawn in a bright colour.
void Figure(DemoCanvas& c, Box box, const std::string& lit = "");
// Things the emoji font has no picture for (a table, a plum, ...); other names light that part
// of the body figure.
void DrawnThing(DemoCanvas& c, const std::string& name, Box box);
// Item n of a topic (FW, FD, CO, USE, FG, NU, SC, T, SH, CY) as its picture.
void Item(DemoCanvas& c, const std::string& topic, int n, Box box, bool hardEdges = false);
// The English word of a demo colour, as an RGB value; `fallback` for other words.
uint32_t NamedColour(const std::string& word, uint32_t fallback);

// Symbols for buttons and marks: "tick", "cross", "play", "record", ... Returns false when it
// has no symbol of that name.
bool Symbol(DemoCanvas& c, const std::string& name, Box box, uint32_t ink, bool hardEdges = false);
// A five-pointed star.
void Star(DemoCanvas& c, double cx, double cy, double r, uint32_t rgb);
// A full screen's background: a soft sky, hills and a few shapes in colours of its own, no words.
void Scenery(DemoCanvas& c, const std::string& seed);
// A medal of `rgb` with a ribbon.
void Medal(DemoCanvas& c, Box box, uint32_t rgb);

} // namespace DemoArt
} // namespace parlora
