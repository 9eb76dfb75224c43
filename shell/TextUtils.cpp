#include "shell/TextUtils.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "platform/Dispatcher.h"
#include "platform/Platform.h"
#include "shell/RandomStream.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace parlora {

namespace {

template <class String, class View> String TakeTokenOf(String& text, View separator) {
    auto at = separator.empty() ? String::npos : text.find(separator);
    if (at == String::npos) {
        String token = std::move(text);
        text.clear();
        return token;
    }
    String token = text.substr(0, at);
    text.erase(0, at + separator.size());
    return token;
}

} // namespace

std::string TakeToken(std::string& text, std::string_view separator) {
    return TakeTokenOf(text, separator);
}

std::u16string TakeTokenWide(std::u16string& text, std::u16string_view separator) {
    return TakeTokenOf(text, separator);
}

int TakeInt(std::string& text, std::string_view separator, int fallback) {
    return ParseIntOr(TakeToken(text, separator), fallback);
}

std::string TakeChunkAt(std::string& text, int position, int count) {
    if (count <= 0 || text.empty()) return {};
    size_t start = position < 1 ? 0 : static_cast<size_t>(position - 1);
    if (start >= text.size()) return {};
    std::string chunk = text.substr(start, static_cast<size_t>(count));
    text.erase(start, chunk.size());
    return chunk;
}

void RemoveItem(std::string& list, int item) {
    for (size_t i = 0; i + 1 < list.size(); i += 2)
        if (std::atoi(list.substr(i, 2).c_str()) == item) {
            TakeChunkAt(list, int(i) + 1, 2);
            return;
        }
}

std::string TakeRandomChunk(std::string& text, int width, TRandomStreams& random) {
    if (text.empty() || width <= 0) return {};
    int blocks = static_cast<int>(text.size()) / width;
    int block = random.SharedRandom(blocks);
    return TakeChunkAt(text, block * width + 1, width);
}

int StrToInt(std::string_view text) {
    auto value = ParseInt(text);
    if (!value) throw AppError(Format("'%s' is not a valid integer value", std::string(text).c_str()));
    return static_cast<int>(*value);
}

int TakeRandomInt(std::string& text, int width, TRandomStreams& random) {
    return StrToInt(TakeRandomChunk(text, width, random));
}

std::string BuildItemList(int count, const std::vector<int>& excludedItems) {
    if (count < 0) count = 0;
    std::string list(kMasterItems.substr(0, std::min<size_t>(kMasterItems.size(), 2 * size_t(count))));
    for (auto it = excludedItems.rbegin(); it != excludedItems.rend(); ++it)
        if (*it >= 1) TakeChunkAt(list, 2 * *it - 1, 2);
    return list;
}

Rect CentreOn(const Rect& element, const Rect& control) {
    Rect r = element;
    r.x = control.x + control.w / 2 - element.w / 2;
    r.y = control.y + control.h / 2 - element.h / 2;
    return r;
}

int RunAndWait(IShell& shell, Dispatcher& dispatcher, const std::string& program,
               const std::vector<std::string>& params, const std::string& folder, bool wait) {
    int handle = shell.startProgram(program, params, folder);
    if (handle < 0) return -1;
    if (!wait) return 0;
    std::optional<int> exitCode = shell.pollProgram(handle);
    if (exitCode) return *exitCode;
    TimerId timer = dispatcher.setTimer(250, true, [&] {
        if (!exitCode) exitCode = shell.pollProgram(handle);
    });
    try {
        dispatcher.runModal([&] { return exitCode.has_value(); });
    } catch (...) {
        dispatcher.killTimer(timer);
        throw;
    }
    dispatcher.killTimer(timer);
    return exitCode.value_or(kStillActive);
}

} // namespace parlora
