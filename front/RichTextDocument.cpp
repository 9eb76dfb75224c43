#include "front/RichTextDocument.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "core/TextCodec.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

namespace parlora {

namespace {

// Groups whose text is never shown.
constexpr std::string_view kSkippedDestinations[] = {"fonttbl",    "colortbl",
                                                     "stylesheet", "info",
                                                     "pict",       "header",
                                                     "headerl",    "headerr",
                                                     "headerf",    "footer",
                                                     "footerl",    "footerr",
                                                     "footerf",    "footnote",
                                                     "object",     "objdata",
                                                     "listtable",  "listoverridetable",
                                                     "rsidtbl",    "generator",
                                                     "themedata",  "colorschememapping",
                                                     "datastore",  "latentstyles",
                                                     "xmlnstbl",   "mmathPr",
                                                     "fldinst",    "filetbl",
                                                     "revtbl",     "pgdsctbl",
                                                     "shp",        "shpinst",
                                                     "nonshppict", "bkmkstart"};

// Control words that stand for one character, and that character in UTF-8.
constexpr std::pair<std::string_view, const char*> kSymbolWords[] = {
    {"tab", "\t"},
    {"emdash", "\xE2\x80\x94"},
    {"endash", "\xE2\x80\x93"},
    {"bullet", "\xE2\x80\xA2"},
    {"lquote", "\xE2\x80\x98"},
    {"rquote", "\xE2\x80\x99"},
    {"ldblquote", "\xE2\x80\x9C"},
    {"rdblquote", "\xE2\x80\x9D"},
};

const char* SymbolFor(std::string_view word) {
    for (const auto& [name, text] : kSymbolWords)
        if (name == word) return text;
    return nullptr;
}

struct CharState {
    bool bold = false, italic = false;
    int halfPoints = 24;
    TRichTextAlign align = TRichTextAlign::Left;
    bool skip = false;
    int ucSkip = 1;
};

class Parser {
  public:
    explicit Parser(std::string_view in) : in_(in) {}

    TRichText Run() {
        states_.push_back({});
        while (pos_ < in_.size()) {
            char c = in_[pos_++];
            switch (c) {
            case '{':
                // Deeper nesting than any document has is garbage: keep counting, stop copying.
                if (states_.size() < kMaxDepth)
                    states_.push_back(states_.back());
                else
                    ++overflow_;
                groupStart_ = true;
                continue;
            case '}':
                if (overflow_)
                    --overflow_;
                else if (states_.size() > 1)
                    states_.pop_back();
                break;
            case '\\':
                ControlWord();
                break;
            case '\r':
            case '\n':
                break;
            default:
                Char(uint8_t(c));
                break;
            }
            groupStart_ = false;
        }
        EndParagraph(false);
        return std::move(doc_);
    }

  private:
    static constexpr size_t kMaxDepth = 200;
    CharState& st() { return states_.back(); }

    void ControlWord() {
        bool atGroupStart = groupStart_;
        groupStart_ = false;
        if (pos_ >= in_.size()) return;
        char c = in_[pos_];
        if (!std::isalpha(uint8_t(c))) {
            ++pos_;
            Symbol(c);
            return;
        }
        size_t start = pos_;
        while (pos_ < in_.size() && std::isalpha(uint8_t(in_[pos_])) && pos_ - start < 32)
            ++pos_;
        std::string word(in_.substr(start, pos_ - start));
        bool hasParam = false, negative = false;
        long long param = 0;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() &&
            std::isdigit(uint8_t(in_[pos_ + 1]))) {
            negative = true;
            ++pos_;
        }
        size_t digits = 0;
        while (pos_ < in_.size() && std::isdigit(uint8_t(in_[pos_]))) {
            if (digits++ < 10) param = param * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        hasParam = digits > 0;
        if (negative) param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        Word(word, hasParam, int(std::clamp<long long>(param, -2147483647LL, 2147483647LL)), atGroupStart);
    }

    void Symbol(char c) {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            Char(uint8_t(c));
            break;
        case '~':
            Text("\xC2\xA0");
            break;
        case '_':
            Text("-");
            break;
        case '*':
            // "{\*\dest ...}": an optional destination; none of them holds shown text.
            st().skip = true;
            break;
        case '\'': {
            int hi = pos_ < in_.size() ? Hex(in_[pos_]) : -1;
            int lo = pos_ + 1 < in_.size() ? Hex(in_[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0) break;
            pos_ += 2;
            Char(uint8_t(hi * 16 + lo));
            break;
        }
        case '\r':
        case '\n':
            EndParagraph(true);
            break;
        default: // "\-" optional hyphen, "\|" and the like
            break;
        }
    }

    static int Hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        c = char(std::tolower(uint8_t(c)));
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    }

    void Word(const std::string& w, bool hasParam, int param, bool atGroupStart) {
        if (atGroupStart && std::find(std::begin(kSkippedDestinations), std::end(kSkippedDestinations), w) !=
                                std::end(kSkippedDestinations)) {
            st().skip = true;
            return;
        }
        if (w == "par" || w == "line" || w == "sect" || w == "page") {
            EndParagraph(true);
        } else if (w == "pard") {
            st().align = TRichTextAlign::Left;
        } else if (w == "plain") {
            st().bold = st().italic = false;
            st().halfPoints = 24;
        } else if (w == "b") {
            st().bold = !hasParam || param != 0;
        } else if (w == "i") {
            st().italic = !hasParam || param != 0;
        } else if (w == "fs") {
            if (hasParam && param > 0) st().halfPoints = std::min(param, 800);
        } else if (w == "ql" || w == "qj") {
            st().align = TRichTextAlign::Left;
        } else if (w == "qc") {
            st().align = TRichTextAlign::Centre;
        } else if (w == "qr") {
            st().align = TRichTextAlign::Right;
        } else if (const char* symbol = SymbolFor(w)) {
            Text(symbol);
        } else if (w == "uc") {
            if (hasParam) st().ucSkip = std::clamp(param, 0, 16);
        } else if (w == "u" && hasParam) {
            Unicode(param < 0 ? param + 65536 : param);
            SkipFallback(st().ucSkip);
        } else if (w == "bin" && hasParam) {
            // Binary data: jump over it.
            pos_ += size_t(std::clamp(param, 0, int(in_.size() - pos_)));
        }
    }

    // The characters written after \u for readers without Unicode.
    void SkipFallback(int count) {
        while (count > 0 && pos_ < in_.size()) {
            char c = in_[pos_];
            if (c == '{' || c == '}') return;
            if (c == '\\') {
                if (pos_ + 1 < in_.size() && in_[pos_ + 1] == '\'')
                    pos_ += std::min<size_t>(4, in_.size() - pos_);
                else
                    return; // a control word ends the fallback early
            } else if (c != '\r' && c != '\n') {
                ++pos_;
            } else {
                ++pos_;
                continue;
            }
            --count;
        }
    }

    void Unicode(int code) {
        if (code >= 0xD800 && code <= 0xDBFF) {
            highSurrogate_ = code;
            return;
        }
        if (code >= 0xDC00 && code <= 0xDFFF) {
            if (!highSurrogate_) return;
            code = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (code - 0xDC00);
        }
        highSurrogate_ = 0;
        if (code == 0 || code > 0x10FFFF) return;
        std::u16string u;
        if (code >= 0x10000) {
            u.push_back(char16_t(0xD800 + ((code - 0x10000) >> 10)));
            u.push_back(char16_t(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            u.push_back(char16_t(code));
        }
        Text(Utf16ToUtf8(u));
    }

    void Char(uint8_t byte) {
        if (byte < 0x20 && byte != '\t') return;
        if (byte < 0x80)
            Text(std::string(1, char(byte)));
        else
            Text(Cp1252ToUtf8(std::string(1, char(byte))));
    }

    void Text(const std::string& utf8) {
        const CharState& s = st();
        if (s.skip || overflow_) return;
        TRichTextRun style{"", s.bold, s.italic, (s.halfPoints + 1) / 2};
        current_.align = s.align;
        if (!current_.runs.empty()) {
            TRichTextRun& last = current_.runs.back();
            if (last.bold == style.bold && last.italic == style.italic && last.pointSize == style.pointSize) {
                last.text += utf8;
                return;
            }
        }
        style.text = utf8;
        current_.runs.push_back(std::move(style));
    }

    // `always`: a paragraph mark; otherwise only a paragraph with text is kept (end of input).
    void EndParagraph(bool always) {
        if (st().skip || overflow_) return;
        if (!always && current_.runs.empty()) return;
        if (current_.runs.empty()) {
            // An empty line keeps the size it was written in.
            current_.runs.push_back({"", st().bold, st().italic, (st().halfPoints + 1) / 2});
            current_.align = st().align;
        }
        doc_.paragraphs.push_back(std::move(current_));
        current_ = {};
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<CharState> states_;
    size_t overflow_ = 0;
    bool groupStart_ = false;
    int highSurrogate_ = 0;
    TRichTextParagraph current_;
    TRichText doc_;
};

TRichText ParsePlain(std::string_view bytes) {
    TRichText doc;
    std::string text = DecodeTextFile(bytes);
    std::string line;
    auto flush = [&] {
        doc.paragraphs.push_back({{{line, false, false, 12}}, TRichTextAlign::Left});
        line.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            flush();
        } else if (c == '\n') {
            flush();
        } else if (uint8_t(c) >= 0x20 || c == '\t') {
            line += c;
        }
    }
    if (!line.empty()) flush();
    return doc;
}

} // namespace

TRichText TRichTextDocument::Parse(std::string_view bytes) {
    size_t start = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") start = 3;
    while (start < bytes.size() && std::isspace(uint8_t(bytes[start])))
        ++start;
    if (bytes.substr(start, 5) != "{\\rtf") return ParsePlain(bytes);
    return Parser(bytes.substr(start)).Run();
}

TRichText TRichTextDocument::LoadFromFile(const std::string& path) {
    std::string real = PathResolver::Resolve(path);
    std::ifstream in(real, std::ios::binary);
    if (!in || PathResolver::IsDirectory(real)) {
        const char* reason = PathResolver::Exists(real) ? "Access is denied" : "No such file or directory";
        throw RichTextError(Format("Cannot open file \"%s\". %s", path.c_str(), reason));
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Parse(bytes);
}

} // namespace parlora
