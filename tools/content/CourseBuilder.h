#pragma once
// A course home made from a sheet: the sheet read and checked, the course made beside OUT and
// renamed into place only when every file was made, so OUT is never half-built.
#include "tools/content/DemoGenerator.h"
#include "tools/content/Vocabulary.h"

#include <ostream>
#include <string>

namespace parlora {

class CourseBuilder {
  public:
    // Throws ConfigError naming the sheet's line and column for a bad sheet; returns the report
    // of the making (failures name the line and column of the file that failed).
    static DemoReport Build(const std::string& sheetPath, const std::string& outDir, int jobs, std::ostream& log);
    // Reads and checks a sheet and the files it names.
    static Vocabulary Read(const std::string& sheetPath);
    // Writes a sheet to fill, with the demo's English words as a guide.
    static void WriteTemplate(const std::string& path);
};

} // namespace parlora
