#include "tools/content/Vocabulary.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "tools/content/CsvTable.h"
#include "tools/content/EmbeddedText.h"
#include "tools/content/PictureFit.h"

#include <cctype>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>

namespace parlora {
namespace {

namespace fs = std::filesystem;

const std::vector<TopicShape> kTopics = {
    {"CAT", 1, 9, "topic names"},
    {"FW", 1, 44, "first words"},
    {"FD", 1, 41, "food"},
    {"CO", 1, 12, "colours: the fixed colours, give their names"},
    {"USE", 1, 30, "phrases"},
    {"FG", 1, 18, "body parts: the fixed parts, give their names"},
    {"NU", 0, 20, "numbers 0 to 20"},
    {"T", 1, 36, "times: the fixed clock times, say them"},
    {"SH", 1, 49, "shopping"},
    {"CY", 1, 24, "countries: the fixed countries, give their names"},
    {"YES", 1, 4, "four ways to say yes, well done (target languages)"},
    {"NO", 1, 4, "four ways to say no, try again (target languages)"},
    {"UI", 0, 0, "spoken help (source languages)"},
    {"LANG", 0, 0, "a language's name in each language (optional)"},
};
const std::vector<std::string> kUiKeys = {"wdone", "help1", "help2", "help3", "gm",
                                          "ga",    "ge",    "WRDK",  "WRDN"};

// The rows a topic must have: its numbered items, or the spoken help's keys (LANG has none).
std::vector<std::string> KeysOf(const TopicShape& shape) {
    std::vector<std::string> keys;
    if (shape.last > 0)
        for (int n = shape.first; n <= shape.last; ++n)
            keys.push_back(std::to_string(n));
    else if (std::string(shape.topic) == "UI")
        keys = kUiKeys;
    return keys;
}

const TopicShape* Shape(const std::string& topic) {
    for (const TopicShape& t : kTopics)
        if (topic == t.topic) return &t;
    return nullptr;
}

std::string Where(const std::string& name, int line, int column) {
    return name + " line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
}

std::unique_ptr<Vocabulary>& Current() {
    static std::unique_ptr<Vocabulary> current;
    return current;
}

const Vocabulary& Demo() {
    static const Vocabulary v = Vocabulary::Parse(EmbeddedVocabularyText());
    return v;
}

// "de|target|Deutsch|flag h 000000 DD0000 FFCE00|7": code, roles, name, flag, number.
CourseLanguage ParseHeading(const std::string& cell, const std::string& where) {
    std::vector<std::string> f = Split(cell, '|');
    for (std::string& s : f)
        s = Trim(s);
    if (f.size() < 3 || f.size() > 5 || f[0].empty() || f[2].empty())
        throw ConfigError(where + "a language heading is CODE|ROLES|NAME|FLAG|NUMBER (flag and number "
                                  "optional), not \"" + cell + "\"");
    CourseLanguage l;
    l.code = f[0];
    for (const std::string& role : Split(ToLowerAscii(f[1]), ' ')) {
        if (role == "target")
            l.target = true;
        else if (role == "source")
            l.source = true;
        else if (role == "download")
            l.source = l.download = true;
        else if (!role.empty())
            throw ConfigError(where + "role \"" + role + "\": a language is a target, a source or a download");
    }
    if (!l.target && !l.source) throw ConfigError(where + "no role: give target, source or both");
    l.name = f[2];
    if (f.size() > 3) l.flag = f[3];
    if (f.size() > 4) {
        auto n = ParseInt(f[4]);
        if (!n || *n < 1 || *n > 199) throw ConfigError(where + "a language number is 1 to 199");
        l.number = int(*n);
    }
    return l;
}

} // namespace

const std::vector<TopicShape>& Vocabulary::Topics() {
    return kTopics;
}

Vocabulary Vocabulary::Parse(const std::string& text, const std::string& name, const std::string& folder) {
    Vocabulary v;
    v.name_ = name;
    CsvTable table = CsvTable::Parse(text, name);
    // Rows whose first cell starts with "#" are notes, before the header too.
    size_t first = 0;
    while (first < table.rows().size() && Trim(table.rows()[first].cells[0]).rfind('#', 0) == 0)
        ++first;
    if (first == table.rows().size()) throw ConfigError(name + " line 1, column 1: the sheet is empty");
    const CsvRow& head = table.rows()[first];
    if (head.cells.size() < 3 || !IEquals(Trim(head.cells[0]), "topic") || !IEquals(Trim(head.cells[1]), "item"))
        throw ConfigError(Where(name, head.line, 1) + "the first row is the header: topic, item, then a column "
                                                      "per language");

    // Columns: languages first, then the picture and recordings in any order.
    enum class Kind { Word, Picture, Recording, Note };
    struct Column {
        Kind kind = Kind::Note;
        int language = -1; // position in languages_
        std::string speaker;
    };
    std::vector<Column> columns(head.cells.size());
    std::set<int> numbers;
    for (size_t c = 2; c < head.cells.size(); ++c) {
        std::string cell = Trim(head.cells[c]);
        std::string where = Where(name, head.line, int(c + 1));
        std::vector<std::string> words = Split(cell, ' ');
        if (IEquals(cell, "picture")) {
            columns[c].kind = Kind::Picture;
        } else if (IStartsWith(cell, "recording")) {
            if (words.size() != 3 || (words[2] != "M" && words[2] != "F"))
                throw ConfigError(where + "a recording column is headed \"recording CODE M\" or \"recording CODE F\"");
            columns[c].kind = Kind::Recording;
            columns[c].speaker = words[2];
            for (size_t l = 0; l < v.languages_.size(); ++l)
                if (v.languages_[l].code == words[1]) columns[c].language = int(l);
            if (columns[c].language < 0) throw ConfigError(where + "no language column for \"" + words[1] + "\"");
        } else if (IEquals(cell, "note") || cell.empty()) {
            columns[c].kind = Kind::Note;
        } else {
            CourseLanguage l = ParseHeading(cell, where);
            l.place = {head.line, int(c + 1)};
            for (const CourseLanguage& other : v.languages_)
                if (other.code == l.code) throw ConfigError(where + "\"" + l.code + "\" has two columns");
            columns[c].kind = Kind::Word;
            columns[c].language = int(v.languages_.size());
            v.languages_.push_back(l);
        }
    }
    if (v.languages_.empty()) throw ConfigError(Where(name, head.line, 3) + "no language columns");
    // Numbers: as given, else the next free one in column order.
    for (CourseLanguage& l : v.languages_)
        if (l.number && !numbers.insert(l.number).second)
            throw ConfigError(Where(name, l.place.line, l.place.column) + "language number " +
                              std::to_string(l.number) + " is taken twice");
    int next = 1;
    for (CourseLanguage& l : v.languages_)
        if (!l.number) {
            while (numbers.count(next))
                ++next;
            numbers.insert(l.number = next);
        }
    // Indexes: the demo's caption languages keep theirs.
    std::set<int> indexes;
    const char* const demoCodes[] = {"en", "fr", "es"};
    for (CourseLanguage& l : v.languages_) {
        l.index = -1;
        for (int i = 0; i < 3; ++i)
            if (ToLowerAscii(l.code).rfind(demoCodes[i], 0) == 0 && indexes.insert(i).second) l.index = i;
    }
    int spare = 3;
    for (CourseLanguage& l : v.languages_)
        if (l.index < 0) indexes.insert(l.index = spare++);
    bool anyTarget = false, anySource = false;
    for (const CourseLanguage& l : v.languages_) {
        anyTarget = anyTarget || l.target;
        anySource = anySource || (l.source && !l.download);
    }
    if (!anyTarget || !anySource)
        throw ConfigError(Where(name, head.line, 3) + "a course needs a target language and an installed source");

    for (size_t r = first + 1; r < table.rows().size(); ++r) {
        const CsvRow& in = table.rows()[r];
        std::string topic = Trim(in.cells[0]);
        for (char& ch : topic)
            ch = char(std::toupper((unsigned char)ch));
        if (!topic.empty() && topic[0] == '#') continue;
        const TopicShape* shape = Shape(topic);
        if (!shape) throw ConfigError(Where(name, in.line, 1) + "unknown topic \"" + Trim(in.cells[0]) + "\"");
        std::string key = in.cells.size() > 1 ? Trim(in.cells[1]) : std::string();
        if (shape->last > 0) {
            auto n = ParseInt(key);
            if (!n)
                throw ConfigError(Where(name, in.line, 2) + "item \"" + key + "\" is not a number");
            if (*n < shape->first || *n > shape->last)
                throw ConfigError(Where(name, in.line, 2) + topic + " has items " + std::to_string(shape->first) +
                                  " to " + std::to_string(shape->last) + ": row " + key + " is one too many");
            key = std::to_string(*n);
        } else if (topic == "UI") {
            bool known = false;
            for (const std::string& k : kUiKeys)
                known = known || k == key;
            if (!known) throw ConfigError(Where(name, in.line, 2) + "no spoken help \"" + key + "\"");
        } else if (key.empty()) {
            throw ConfigError(Where(name, in.line, 2) + "no key");
        }
        if (in.cells.size() > head.cells.size())
            for (size_t c = head.cells.size(); c < in.cells.size(); ++c)
                if (!Trim(in.cells[c]).empty())
                    throw ConfigError(Where(name, in.line, int(c + 1)) + "a cell beyond the last heading");
        if (v.rows_.count({topic, key}))
            throw ConfigError(Where(name, in.line, 2) + topic + " " + key + " is there twice (first on line " +
                              std::to_string(v.rows_[{topic, key}].line) + ")");
        Row row;
        row.line = in.line;
        row.words.resize(v.languages_.size());
        for (size_t c = 2; c < head.cells.size() && c < in.cells.size(); ++c) {
            std::string cell = Trim(in.cells[c]);
            if (cell.empty()) continue;
            SheetPlace place{in.line, int(c + 1)};
            std::string where = Where(name, in.line, int(c + 1));
            switch (columns[c].kind) {
            case Kind::Word:
                row.words[size_t(columns[c].language)] = cell;
                break;
            case Kind::Picture:
            case Kind::Recording: {
                if (topic == "LANG" || topic == "CAT" || (columns[c].kind == Kind::Picture && shape->last == 0))
                    throw ConfigError(where + "a " + topic + " row has no picture or recording");
                std::string path = cell;
                if (!folder.empty()) {
                    fs::path p = fs::path(folder) / cell;
                    std::error_code ec;
                    if (!fs::is_regular_file(p, ec)) throw ConfigError(where + "can't find " + p.string());
                    path = p.string();
                    if (columns[c].kind == Kind::Picture) {
                        std::string kind = PictureFit::Sniff(path);
                        if (kind.empty())
                            throw ConfigError(where + cell + " is not a picture (PNG, JPEG or SVG)");
                    }
                }
                if (columns[c].kind == Kind::Picture)
                    row.picture = {path, place};
                else
                    row.recordings[{v.languages_[size_t(columns[c].language)].index, columns[c].speaker}] = {path,
                                                                                                          place};
                break;
            }
            case Kind::Note:
                break;
            }
        }
        v.rows_[{topic, key}] = row;
    }

    // Every item the screens show, in every language that needs it.
    int lastLine = table.rows().back().line;
    for (const TopicShape& shape : kTopics) {
        const std::vector<std::string> keys = KeysOf(shape);
        int missing = 0, lineOfLast = 0;
        std::string firstMissing;
        for (const std::string& key : keys) {
            auto it = v.rows_.find({shape.topic, key});
            if (it == v.rows_.end()) {
                if (!missing++) firstMissing = key;
                continue;
            }
            lineOfLast = std::max(lineOfLast, it->second.line);
            for (size_t l = 0; l < v.languages_.size(); ++l) {
                const CourseLanguage& lang = v.languages_[l];
                std::string t = shape.topic;
                bool needed = t == "YES" || t == "NO" ? lang.target : t == "UI" ? lang.source : true;
                if (needed && it->second.words[l].empty())
                    throw ConfigError(Where(name, it->second.line, lang.place.column) + "no " + lang.name +
                                      " word for " + t + " " + key);
            }
        }
        if (missing)
            throw ConfigError(Where(name, lineOfLast ? lineOfLast : lastLine, 2) + shape.topic + " has " +
                              std::to_string(keys.size() - size_t(missing)) + " of the " +
                              std::to_string(keys.size()) + " rows the screens need (" + shape.what +
                              "); the first missing is " + firstMissing);
    }
    return v;
}

const Vocabulary& Vocabulary::BuiltIn() {
    const std::unique_ptr<Vocabulary>& current = Current();
    return current ? *current : Demo();
}

void Vocabulary::Use(Vocabulary sheet) {
    Current() = std::make_unique<Vocabulary>(std::move(sheet));
}

int Vocabulary::Position(int index) const {
    for (size_t l = 0; l < languages_.size(); ++l)
        if (languages_[l].index == index) return int(l);
    return -1;
}

const Vocabulary::Row* Vocabulary::Find(const std::string& topic, const std::string& key) const {
    auto it = rows_.find({topic, key});
    return it == rows_.end() ? nullptr : &it->second;
}

std::string Vocabulary::Phrase(const std::string& topic, const std::string& key, int index) const {
    int at = Position(index);
    const Row* row = Find(topic, key);
    if (at >= 0) return row ? row->words[size_t(at)] : std::string();
    // The demo's words stand in for a caption language this course does not have.
    if (index >= 0 && index < 3 && this != &Demo()) return Demo().Phrase(topic, key, index);
    return {};
}

std::string Vocabulary::Word(const std::string& topic, int n, int index) const {
    // Spoken scores reuse the number words and go on in digits, which espeak reads aloud.
    if (topic == "SC") {
        std::string w = Phrase("NU", std::to_string(n), index);
        return w.empty() ? std::to_string(n) : w;
    }
    return Phrase(topic, std::to_string(n), index);
}

size_t Vocabulary::Count(const std::string& topic) const {
    size_t n = 0;
    for (const auto& [key, row] : rows_)
        if (key.first == topic) ++n;
    return n;
}

const CourseLanguage* Vocabulary::Language(int number) const {
    for (const CourseLanguage& l : languages_)
        if (l.number == number) return &l;
    return nullptr;
}

const CourseLanguage* Vocabulary::LanguageAt(int index) const {
    int at = Position(index);
    return at < 0 ? nullptr : &languages_[size_t(at)];
}

const SheetFile* Vocabulary::Picture(const std::string& topic, int n) const {
    const Row* row = Find(topic, std::to_string(n));
    return row && !row->picture.path.empty() ? &row->picture : nullptr;
}

const SheetFile* Vocabulary::Recording(const std::string& topic, const std::string& key, int index,
                                       const std::string& speaker) const {
    const Row* row = Find(topic == "SC" ? "NU" : topic, key);
    if (!row) return nullptr;
    auto it = row->recordings.find({index, speaker});
    return it == row->recordings.end() ? nullptr : &it->second;
}

std::string Vocabulary::Template(const Vocabulary& guide) {
    const CourseLanguage* from = nullptr;
    for (const CourseLanguage& l : guide.languages_)
        if (l.source && !from) from = &l;
    // The guide's column stays, to be kept as a source or deleted; the target's heading is a
    // pattern to overwrite.
    std::string out = "topic,item," +
                      CsvCell(from ? from->code + "|source|" + from->name + "|" + from->flag : "") + "," +
                      CsvCell("CODE|target|NAME|FLAG") +
                      ",picture,recording CODE M,recording CODE F,note\r\n";
    for (const TopicShape& shape : kTopics) {
        const std::vector<std::string> keys = KeysOf(shape);
        for (const std::string& key : keys) {
            std::string word = from ? guide.Phrase(shape.topic, key, from->index) : std::string();
            out += std::string(shape.topic) + "," + key + "," + CsvCell(word) + ",,,,," +
                   (key == keys.front() ? CsvCell(shape.what) : std::string()) + "\r\n";
        }
    }
    return out;
}

} // namespace parlora
