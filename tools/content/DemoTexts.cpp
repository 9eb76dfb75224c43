#include "tools/content/DemoTexts.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "shell/RandomStream.h"
#include "tools/content/DemoFacts.h"
#include "tools/content/Vocabulary.h"

#include <algorithm>
#include <map>

namespace parlora::DemoTexts {
namespace {

const char* const kCategoryCodes[] = {"fw", "fd", "co", "use", "fg", "nu", "t", "sh", "cy"};
const char* const kTopics[] = {"FW", "FD", "CO", "USE", "FG", "NU", "T", "SH", "CY"};
const int kTopicItems[] = {44, 41, 12, 30, 18, 20, 36, 49, 24};

int TopicItems(const std::string& topic) {
    for (int i = 0; i < 9; ++i)
        if (topic == kTopics[i]) return kTopicItems[i];
    return 0;
}

std::string PickCaption(const std::string& caption, int language) {
    std::vector<std::string> parts = Split(caption, '~');
    if (language >= 0 && size_t(language) < parts.size() && !Trim(parts[size_t(language)]).empty())
        return Trim(parts[size_t(language)]);
    return parts.empty() ? std::string() : Trim(parts[0]);
}

std::string Rtf(const std::string& title, const std::string& body) {
    // Plain ASCII only, so no escapes are needed.
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs28 {\\b " + title + "}\\par\\fs22\\par " +
           body + "\\par\\par {\\i Parlora Plus demo content.}\\par}\r\n";
}

} // namespace

std::string SceneTopic(const std::string& folder) {
    std::string f = folder;
    std::transform(f.begin(), f.end(), f.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (f.find("food\\hard") != std::string::npos) return "FD";
    if (f.find("body\\hard") != std::string::npos) return "FG";
    if (f.find("shopping\\hard") != std::string::npos) return "SH";
    return {};
}

std::vector<std::vector<SceneButton>> Scenes(const std::string& topic, int w, int h) {
    int items = std::max(1, TopicItems(topic));
    TRandomStream random(uint32_t(items * 7919 + int(topic.size())));
    std::vector<std::vector<SceneButton>> scenes;
    // Places on a 4 x 2 grid in the picture's open middle: clear of the score and question bar
    // above, and of the actors (from y 424) and the bottom button strip below.
    const int cols = 4, rows = 2, left0 = 90, cellW = 220;
    const int rowTops[rows] = {196, 356};
    for (int s = 0; s < 10; ++s) {
        int count = 6 + int(random.Next(3));
        std::vector<int> pool;
        for (int i = 1; i <= items; ++i)
            pool.push_back(i);
        std::vector<SceneButton> scene;
        for (int b = 0; b < count && !pool.empty(); ++b) {
            size_t pick = random.Next(uint32_t(pool.size()));
            int item = pool[pick];
            pool.erase(pool.begin() + long(pick));
            int col = b % cols, row = b / cols % rows;
            scene.push_back({left0 + col * cellW + (cellW - w) / 2, rowTops[row], item});
        }
        scenes.push_back(std::move(scene));
    }
    return scenes;
}

std::string GameIni(const std::vector<std::vector<SceneButton>>& scenes) {
    std::string out;
    for (size_t s = 0; s < scenes.size(); ++s) {
        out += "[Screen" + std::to_string(s + 1) + "]\r\n";
        for (size_t b = 0; b < scenes[s].size(); ++b)
            out += "Button" + std::to_string(b + 1) + "=" + std::to_string(scenes[s][b].left) + "," +
                   std::to_string(scenes[s][b].top) + "," + std::to_string(scenes[s][b].item) + "\r\n";
        out += "\r\n";
    }
    return out;
}

std::string ToMacRoman(const std::string& utf8) {
    static const std::map<std::string, char> table = {
        {"Ä", char(0x80)}, {"Å", char(0x81)}, {"Ç", char(0x82)}, {"É", char(0x83)}, {"Ñ", char(0x84)},
        {"Ö", char(0x85)}, {"Ü", char(0x86)}, {"á", char(0x87)}, {"à", char(0x88)}, {"â", char(0x89)},
        {"ä", char(0x8A)}, {"ã", char(0x8B)}, {"å", char(0x8C)}, {"ç", char(0x8D)}, {"é", char(0x8E)},
        {"è", char(0x8F)}, {"ê", char(0x90)}, {"ë", char(0x91)}, {"í", char(0x92)}, {"ì", char(0x93)},
        {"î", char(0x94)}, {"ï", char(0x95)}, {"ñ", char(0x96)}, {"ó", char(0x97)}, {"ò", char(0x98)},
        {"ô", char(0x99)}, {"ö", char(0x9A)}, {"õ", char(0x9B)}, {"ú", char(0x9C)}, {"ù", char(0x9D)},
        {"û", char(0x9E)}, {"ü", char(0x9F)}, {"¡", char(0xC1)}, {"¿", char(0xC0)}};
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += char(c);
            ++i;
            continue;
        }
        size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        auto it = table.find(utf8.substr(i, len));
        out += it != table.end() ? it->second : '?';
        i += len;
    }
    return out;
}

std::string ListFile(const std::string& art, const std::string& caption, int source, int target) {
    const Vocabulary& v = Vocabulary::BuiltIn();
    int lang = DemoFacts::LanguageIndex(source ? source : target);
    if (art == "langlist")
        return ToMacRoman("3|" + DemoFacts::LanguageName(3, 1) + "\r\n5|" + DemoFacts::LanguageName(5, 2) +
                          "\r\n");
    if (art == "videotxt") return "[Defaults]\r\nMale=1\r\nFemale=1\r\n";
    if (art == "sourcestxt") return "1\r\n3\r\n5\r\n";
    if (art == "speakerini") return "[Settings]\r\nidle=8\r\nspeak=10\r\nyes=6\r\nno=6\r\nfps=12\r\n";
    if (art == "globeini") {
        std::string out = "[Settings]\r\nframes=24\r\nfps=12\r\n\r\n[Countries]\r\n";
        for (int n = 1; n <= 24; ++n)
            out += "CY" + std::to_string(n) + "=" + std::to_string(n - 1) + "\r\n";
        return out;
    }
    if (art == "categories") {
        std::string out;
        for (int i = 0; i < 9; ++i)
            out +=
                std::string(kCategoryCodes[i]) + "|" + v.Phrase("CAT", std::to_string(i + 1), lang) + "\r\n";
        return out;
    }
    if (art == "phrases") {
        // Unpadded codes, so that fw1 finds FW\MFW1.aif and FirstWords\SmallImages\FW1.png.
        std::string out;
        for (int i = 0; i < 9; ++i)
            for (int n = 1; n <= kTopicItems[i]; ++n) {
                std::string word = v.Word(kTopics[i], n, lang);
                if (!word.empty()) out += kCategoryCodes[i] + std::to_string(n) + "|" + word + "\r\n";
            }
        // A phrase recorded by the male speaker only: the export leaves it out.
        const char* const goodNight[] = {"Good night", "Bonne nuit", "Buenas noches"};
        out += "use31|" + std::string(goodNight[lang >= 0 && lang < 3 ? lang : 0]) + "\r\n";
        return out;
    }
    if (art == "messages") {
        // Six lines: no encoder, encoder too old, its web page, the cancel question, cancelled,
        // complete (with the time for %s). A caption gives them per language, split by "/".
        static const std::vector<std::string> byLanguage[3] = {
            {"The MP3 encoder could not be started.", "The MP3 encoder is too old.",
             "https://lame.sourceforge.io/", "Conversion incomplete - are you sure you want to cancel?",
             "Conversion cancelled.", "Conversion complete in time %s."},
            {"Impossible de lancer l'encodeur MP3.", "L'encodeur MP3 est trop ancien.",
             "https://lame.sourceforge.io/", "Conversion incomplète - voulez-vous vraiment annuler ?",
             "Conversion annulée.", "Conversion terminée en %s."},
            {"No se pudo iniciar el codificador MP3.", "El codificador MP3 es demasiado antiguo.",
             "https://lame.sourceforge.io/", "Conversión incompleta - ¿seguro que quieres cancelar?",
             "Conversión cancelada.", "Conversión terminada en %s."}};
        std::vector<std::string> lines = byLanguage[lang >= 0 && lang < 3 ? lang : 0];
        std::string picked = PickCaption(caption, lang);
        if (!picked.empty()) lines = Split(picked, '/');
        std::string out;
        for (const std::string& l : lines)
            out += Trim(l) + "\r\n";
        return out;
    }
    if (art == "rtf") {
        std::string title = PickCaption(caption, 0);
        if (title.empty()) title = "Parlora Plus";
        if (ToLowerAscii(title).find("licence") != std::string::npos)
            return Rtf(title,
                       "You may use, copy, change and give away this demo course, alone or with the program, "
                       "at home or in a school, without asking and without paying.\\par\\par The pictures are "
                       "drawn by the course builder from a colour emoji font and simple shapes; the voices "
                       "come from a speech synthesiser. They are given as they are, with no promise that "
                       "they suit any purpose.");
        return Rtf(title,
                   "Welcome to the Parlora Plus demo course.\\par\\par To start: press Begin, type your first "
                   "name and press OK. On the welcome screen press the question mark, then close the help "
                   "to reach the main menu. Choose a topic on the round board; each topic has practice, "
                   "speaking, an easy game, a hard game and a worksheet.\\par\\par Your results are kept in "
                   "your own folder; Records on the start screen shows them. Language changes the language "
                   "you learn.");
    }
    if (art == "customstart")
        return "CustomStartBG.png\r\nstart|412,600,612,700\r\nclose|824,680,1004,750\r\n"
               "info|20,680,200,750|https://example.org/parlora/info?lang=[[trg]]\r\n";
    if (art == "customend") return "CustomEndBG.png\r\nend|412,600,612,700\r\n";
    if (art == "config")
        return "[Defaults]\r\nShowTitle=1\r\nNewUser=1\r\niPod=1\r\nWeb=https://example.org/parlora/"
               "?lang=[[trg]]&from=[[src]]\r\nHelpBase=help-packages\r\n";
    throw AppError("Unknown list art " + art);
}

} // namespace parlora::DemoTexts
