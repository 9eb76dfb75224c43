#include "tools/content/Vocabulary.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "tools/content/EmbeddedText.h"

#include <vector>

namespace parlora {

Vocabulary Vocabulary::Parse(const std::string& text) {
    Vocabulary v;
    int lineNo = 0;
    for (const std::string& raw : Split(text, '\n')) {
        ++lineNo;
        std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = Split(line, '|');
        if (f.size() != 5)
            throw ConfigError("vocabulary.txt line " + std::to_string(lineNo) +
                              ": expected 5 fields: " + line);
        for (std::string& s : f)
            s = Trim(s);
        v.rows_[{f[0], f[1]}] = {f[2], f[3], f[4]};
    }
    return v;
}

const Vocabulary& Vocabulary::BuiltIn() {
    static const Vocabulary v = Parse(EmbeddedVocabularyText());
    return v;
}

std::string Vocabulary::Phrase(const std::string& topic, const std::string& key, int language) const {
    auto it = rows_.find({topic, key});
    if (it == rows_.end() || language < 0 || language > 2) return {};
    return it->second[size_t(language)];
}

std::string Vocabulary::Word(const std::string& topic, int n, int language) const {
    // Spoken scores reuse the number words and go on in digits, which espeak reads aloud.
    if (topic == "SC") {
        std::string w = Phrase("NU", std::to_string(n), language);
        return w.empty() ? std::to_string(n) : w;
    }
    return Phrase(topic, std::to_string(n), language);
}

size_t Vocabulary::Count(const std::string& topic) const {
    size_t n = 0;
    for (const auto& [key, words] : rows_)
        if (key.first == topic) ++n;
    return n;
}

} // namespace parlora
