#pragma once
// The words of the demo course (tools/content/vocabulary.txt): topic|n|English|French|Spanish.
#include <array>
#include <map>
#include <string>
#include <utility>

namespace parlora {

class Vocabulary {
  public:
    // Throws ConfigError naming the line of a malformed row.
    static Vocabulary Parse(const std::string& text);
    static const Vocabulary& BuiltIn();

    // The word for topic item n in language 0 (English), 1 (French) or 2 (Spanish); numbers
    // above the NU words are spoken as digits. Empty when the vocabulary has no such item.
    std::string Word(const std::string& topic, int n, int language) const;
    // The same for keyed rows (UI|help1|...).
    std::string Phrase(const std::string& topic, const std::string& key, int language) const;
    size_t Count(const std::string& topic) const;

  private:
    std::map<std::pair<std::string, std::string>, std::array<std::string, 3>> rows_;
};

} // namespace parlora
