#pragma once
// A table as spreadsheet programs save it as CSV: UTF-8 with or without a byte-order mark, CRLF or
// LF line ends, commas (or the semicolons some locales use), and quoted cells that may hold the
// separator, doubled quotes and line breaks.
#include <string>
#include <vector>

namespace parlora {

struct CsvRow {
    int line = 0; // the line the row starts on, from 1
    std::vector<std::string> cells;
};

class CsvTable {
  public:
    // Throws ConfigError "NAME line L, column C: ..." for a quote left open or text after a
    // closing quote. Rows with no text at all are dropped.
    static CsvTable Parse(const std::string& text, const std::string& name);

    const std::vector<CsvRow>& rows() const { return rows_; }

  private:
    std::vector<CsvRow> rows_;
};

} // namespace parlora
