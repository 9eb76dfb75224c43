#pragma once
// The award certificate: the medal of the level reached, the score, the student's name and the
// pair of languages, inside a frame, on one page.
#include "printing/PageTemplate.h"

#include <string>

namespace parlora {

class TForm_Main;
class TPrintCanvas;
class TPrintService;

class TForm_Certificate : public TPageTemplate {
  public:
    static constexpr int kDesignWidth = 1177, kDesignHeight = 1519;
    static constexpr const char* kJobTitle = "Parlora! Certificate";

    // level 1..3 = bronze, silver, gold; below 1: "Insufficient score for award!".
    TForm_Certificate(TForm_Main& main, int level, int score, const std::string& studentName);

    bool Print(TPrintService& service);
    // The whole page; the layout is fitted already.
    void PrintPage(TPrintCanvas& canvas);

  private:
    TForm_Main& main_;
    std::string name_;
};

} // namespace parlora
