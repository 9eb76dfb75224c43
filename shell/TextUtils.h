#pragma once
// Small text and list utilities. Item lists are strings of two-digit item numbers ("010203");
// the Take* functions shorten the text they are given, so a list is consumed without repetition.
#include "core/Surface.h"
#include "shell/ProgramVersion.h"

#include <string>
#include <string_view>
#include <vector>

namespace parlora {

class Dispatcher;
class IShell;
class TRandomStreams;

// Items 1 to 50, two digits each.
inline constexpr std::string_view kMasterItems =
    "0102030405060708091011121314151617181920212223242526272829303132333435363738394041424344454647484950";

// The text before the first separator; the text loses it and the separator. Without a separator the
// whole text is the token and the text becomes empty.
std::string TakeToken(std::string& text, std::string_view separator);
// The next token as an integer, or `fallback` when it is empty or not a number.
int TakeInt(std::string& text, std::string_view separator, int fallback);
std::u16string TakeTokenWide(std::u16string& text, std::u16string_view separator);

// Removes and returns a random block of `width` characters at a block boundary, drawn from the shared
// stream; an empty text gives an empty block.
std::string TakeRandomChunk(std::string& text, int width, TRandomStreams& random);
// TakeRandomChunk as an integer; throws AppError when the block is not a number (an empty list).
int TakeRandomInt(std::string& text, int width, TRandomStreams& random);
// Removes and returns `count` characters from the 1-based `position`, clipped to the text.
std::string TakeChunkAt(std::string& text, int position, int count);

// Removes the first two-digit block that reads `item` from an item list; a list without it stays.
void RemoveItem(std::string& list, int item);

// Throws AppError("'%s' is not a valid integer value") unless `text` is a whole number.
int StrToInt(std::string_view text);

// The first `count` items of the master list without `excludedItems`. The exclusions are cut from
// the last to the first at position 2 x item - 1, so they must be given in ascending order.
std::string BuildItemList(int count, const std::vector<int>& excludedItems);

// `element` moved so that its centre is the centre of `control` (its size is kept).
Rect CentreOn(const Rect& element, const Rect& control);

inline TProgramVersion ProgramVersion() {
    return kProgramVersion;
}

// What RunAndWait returns when the application quits while the program still runs.
inline constexpr int kStillActive = 259;

// Starts `program`: -1 when it cannot be started, 0 when not waiting; otherwise keeps the UI running
// (checking every 250 ms) until the program ends, and returns its exit code, or kStillActive when the
// application is quitting first.
int RunAndWait(IShell& shell, Dispatcher& dispatcher, const std::string& program,
               const std::vector<std::string>& params, const std::string& folder, bool wait);

} // namespace parlora
