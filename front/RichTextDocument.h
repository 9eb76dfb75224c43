#pragma once
// Reads the licence and read-me documents, rich text files written by a word processor, into
// paragraphs of styled runs for TDIBRichText. Only what such documents need is kept: paragraphs
// and their alignment, bold, italic, font size, Windows-1252 and Unicode characters. Tables of
// fonts, colours and styles, pictures and other groups are passed over.
#include "core/Errors.h"
#include "display/DIBRichText.h"

#include <string>
#include <string_view>

namespace parlora {

// The rich text box's file error.
class RichTextError : public AppError {
    using AppError::AppError;
};

class TRichTextDocument {
  public:
    // Never throws: broken input gives whatever text could be read. Text that does not start
    // as rich text is taken as plain text, one paragraph a line.
    static TRichText Parse(std::string_view bytes);
    // RichTextError "Cannot open file \"<path>\". <reason>" when the file cannot be read.
    static TRichText LoadFromFile(const std::string& path);
};

} // namespace parlora
