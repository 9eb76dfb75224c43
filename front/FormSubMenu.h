#pragma once
// The topic menus: practice, speaking, easy game, hard game and the printed worksheet of one topic,
// with ticks and scores for what the student has done. All nine share one screen and differ only
// in their row of the topic table.
#include "printing/WorksheetPrinter.h"
#include "shell/DIBScreen.h"
#include "shell/ScreenRoute.h"

#include <array>
#include <functional>
#include <memory>

namespace parlora {

class TScreenFactory;

struct TTopicMenuRow {
    const char* className;
    int topic;
    int practiceCode, speakCode, easyCode, hardCode;
    int printActivity;
    const char* printScreen;
    const char* folder;     // under DataDir, holds the background and the three topic buttons
    const char* background; // file names in `folder`
    const char* practiceButton;
    const char* easyButton;
    const char* hardButton;
};

const std::array<TTopicMenuRow, 9>& TopicMenus();

class TForm_SubMenu : public TDIBScreen {
  public:
    TForm_SubMenu(TForm_Main& main, const TScreenParams& params, const TTopicMenuRow& row);

    // Ticks and score circles from the student's scores for topic t.
    void ShowTopicProgress(int t);
    const TTopicMenuRow& row() const { return row_; }
    bool printing() const { return printing_; }

    // Makes the printer the print button uses; tests put in their own.
    using PrinterMaker = std::function<std::unique_ptr<TWorksheetPrinter>()>;
    static PrinterMaker& Printer();

  private:
    void FormCreate();
    void Request(int code);
    void DIBButton_QuitClick();
    void DIBButton_HelpClick();
    void DIBBS_PrintClick();

    const TTopicMenuRow& row_;
    // The pictures every topic menu shares; the topic's own are in the screen's general list.
    TDIBVolatileImageList buttons_;
    bool printing_ = false;
};

// One class per topic, so each menu carries its own name.
template <int Topic> class TForm_TopicMenu : public TForm_SubMenu {
  public:
    TForm_TopicMenu(TForm_Main& main, const TScreenParams& params)
        : TForm_SubMenu(main, params, TopicMenus()[Topic]) {}
};

using TForm_WordsMenu = TForm_TopicMenu<0>;
using TForm_FoodMenu = TForm_TopicMenu<1>;
using TForm_ColoursMenu = TForm_TopicMenu<2>;
using TForm_PhrasesMenu = TForm_TopicMenu<3>;
using TForm_BodyMenu = TForm_TopicMenu<4>;
using TForm_NumbersMenu = TForm_TopicMenu<5>;
using TForm_TimeMenu = TForm_TopicMenu<6>;
using TForm_ShoppingMenu = TForm_TopicMenu<7>;
using TForm_CountriesMenu = TForm_TopicMenu<8>;

void RegisterTopicMenus(TScreenFactory& factory);

} // namespace parlora
