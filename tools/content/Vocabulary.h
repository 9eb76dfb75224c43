#pragma once
// The words of a course, read from its sheet (CSV): a header row naming the course's languages,
// then a row per item of each topic with the item's word in every language, and optionally a
// picture and recordings of it. The demo's own sheet is tools/content/vocabulary.txt.
//
// Languages are addressed by an index: 0, 1 and 2 are English, French and Spanish, the languages
// the demo's drawings carry captions for; every other language of a sheet gets 3, 4, ... A word
// the sheet lacks in one of the first three comes from the demo's sheet, so fixed concepts (the
// colours' English names) stay known whatever the course's languages.
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace parlora {

struct SheetPlace {
    int line = 0, column = 0;
};

struct CourseLanguage {
    std::string code; // espeak-ng voice, e.g. "de" or "en-us"
    std::string name; // as the language writes itself
    // "flag LAYERS" (the demo's flag drawings), "CY<n>" (a country's flag of the course), a
    // picture file, or empty (a plain card with the code).
    std::string flag;
    int number = 0; // targets\target<n>, sources\<n>source
    bool target = false, source = false;
    bool download = false; // a source offered as a help download, not installed
    int index = 0;
    SheetPlace place; // its heading
};

// A file the sheet names, with where it names it.
struct SheetFile {
    std::string path; // resolved against the sheet's folder
    SheetPlace place;
};

struct TopicShape {
    const char* topic;
    int first, last; // item numbers; 0, 0 for keyed rows
    const char* what; // for the template and messages
};

class Vocabulary {
  public:
    // `name` prefixes messages; `folder` is where files named in the sheet are looked for (empty:
    // files are not looked at). Throws ConfigError "NAME line L, column C: ..." on a bad sheet.
    static Vocabulary Parse(const std::string& text, const std::string& name = "vocabulary.txt",
                            const std::string& folder = "");
    // The course being made: the demo's sheet until Use() names another.
    static const Vocabulary& BuiltIn();
    static void Use(Vocabulary sheet);
    // The topics and item counts the screens need.
    static const std::vector<TopicShape>& Topics();
    // A sheet to fill: the header of `guide`'s languages, then every topic's rows with the guide's
    // first-source words, other word cells empty.
    static std::string Template(const Vocabulary& guide);

    // The word for topic item n in language `index`; spoken scores above 20 are digits. Empty
    // when there is no such item.
    std::string Word(const std::string& topic, int n, int index) const;
    // The same for keyed rows (UI|help1|...).
    std::string Phrase(const std::string& topic, const std::string& key, int index) const;
    size_t Count(const std::string& topic) const;

    const std::vector<CourseLanguage>& languages() const { return languages_; }
    // The language with this course number, or null.
    const CourseLanguage* Language(int number) const;
    const CourseLanguage* LanguageAt(int index) const;
    // The picture given for an item, or null.
    const SheetFile* Picture(const std::string& topic, int n) const;
    // The recording given for a word (topic, item key) in a language by speaker "M" or "F".
    const SheetFile* Recording(const std::string& topic, const std::string& key, int index,
                               const std::string& speaker) const;
    const std::string& name() const { return name_; }

  private:
    struct Row {
        int line = 0;
        std::vector<std::string> words; // by language, in sheet order
        SheetFile picture;
        std::map<std::pair<int, std::string>, SheetFile> recordings; // (index, speaker)
    };
    const Row* Find(const std::string& topic, const std::string& key) const;
    int Position(int index) const;

    std::string name_;
    std::vector<CourseLanguage> languages_;
    std::map<std::pair<std::string, std::string>, Row> rows_;
    bool fallback_ = true; // words missing in the first three languages come from the demo
};

} // namespace parlora
