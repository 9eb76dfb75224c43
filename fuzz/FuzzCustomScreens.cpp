// The custom start and end screens' text files, with each screen's own keywords.
#include "front/CustomScreens.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace parlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<std::string> kStart = {"web", "info", "start", "close"};
    static const std::vector<std::string> kEnd = {"web", "end"};
    std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const auto* keywords : {&kStart, &kEnd}) {
        TCustomScreenFile file = TCustomScreenFile::Parse(input, *keywords);
        for (const THotArea& area : file.areas)
            file.AreaAt(area.rect.left, area.rect.top);
        file.AreaAt(512, 384);
    }
    return 0;
}
