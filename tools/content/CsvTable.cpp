#include "tools/content/CsvTable.h"

#include "core/Errors.h"

namespace parlora {
namespace {

// The separator is the first comma or semicolon outside quotes on the first line that is not a
// note ("#...").
char GuessSeparator(const std::string& text, size_t from) {
    while (from < text.size() && text[from] == '#') {
        size_t end = text.find('\n', from);
        from = end == std::string::npos ? text.size() : end + 1;
    }
    bool quoted = false;
    for (size_t i = from; i < text.size() && (quoted || (text[i] != '\n' && text[i] != '\r')); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (!quoted && (text[i] == ',' || text[i] == ';')) return text[i];
    }
    return ',';
}

bool Blank(const CsvRow& row) {
    for (const std::string& c : row.cells)
        if (c.find_first_not_of(" \t") != std::string::npos) return false;
    return true;
}

} // namespace

CsvTable CsvTable::Parse(const std::string& text, const std::string& name) {
    CsvTable table;
    size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const char sep = GuessSeparator(text, i);
    int line = 1;
    CsvRow row{line, {std::string()}};
    auto fail = [&](const std::string& what) {
        throw ConfigError(name + " line " + std::to_string(line) + ", column " + std::to_string(row.cells.size()) +
                          ": " + what);
    };
    auto endRow = [&] {
        if (!Blank(row)) table.rows_.push_back(std::move(row));
        row = CsvRow{line, {std::string()}};
    };
    while (i < text.size()) {
        char c = text[i];
        if (c == '"' && row.cells.back().find_first_not_of(" \t") == std::string::npos) {
            // A quoted cell: runs to the quote that is not doubled, across line breaks.
            std::string& cell = row.cells.back();
            cell.clear();
            int opened = line;
            ++i;
            for (;;) {
                if (i >= text.size()) {
                    line = opened;
                    fail("a quote opened here is never closed");
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        cell += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
                if (text[i] == '\n' || text[i] == '\r') ++line;
                cell += text[i] == '\r' ? '\n' : text[i];
                ++i;
            }
            while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
                ++i;
            if (i < text.size() && text[i] != sep && text[i] != '\n' && text[i] != '\r')
                fail("text after a closing quote (a quote inside a cell is written twice: \"\")");
            continue;
        }
        if (c == sep) {
            row.cells.emplace_back();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++line;
            endRow();
        } else {
            row.cells.back() += c;
        }
        ++i;
    }
    endRow();
    return table;
}

} // namespace parlora
