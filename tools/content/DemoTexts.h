#pragma once
// The demo's text files: lists, INI files, documents, and the scenes of the hard scene games,
// which the scene pictures are drawn from so that the two agree.
#include <string>
#include <vector>

namespace parlora {

struct SceneButton {
    int left = 0, top = 0, item = 0;
};

namespace DemoTexts {

// Vocabulary topic of a hard scene-game folder ("Food\Hard" -> "FD"); empty when not one.
std::string SceneTopic(const std::string& folder);
// Ten scenes of six to eight buttons of `w` x `h`, items within the topic, the same on every run.
std::vector<std::vector<SceneButton>> Scenes(const std::string& topic, int w, int h);
std::string GameIni(const std::vector<std::vector<SceneButton>>& scenes);

// UTF-8 to Mac OS Roman for the letters the demo languages use; others become '?'.
std::string ToMacRoman(const std::string& utf8);

// The contents of the list file named by `art` ("langlist", "videotxt", ...). `source` and
// `target` are the course language numbers of the folder the file sits in (0 when none).
std::string ListFile(const std::string& art, const std::string& caption, int source, int target);

} // namespace DemoTexts
} // namespace parlora
