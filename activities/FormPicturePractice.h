#pragma once
// What the body, time and countries practice screens share: one fixed topic, the written forms of
// the chosen item (learner's language, target language and, where the target has one, a second
// written form in its lozenge), choosing an item, Help, Quit and the visit record.
#include "engine/FormPractice.h"
#include "shell/ScreenRoute.h"

#include <string>
#include <vector>

namespace parlora {

class TForm_PicturePractice : public TForm_Practice {
  public:
    TForm_PicturePractice(TForm_Main& main, std::string className, const TPracticeTopic& topic);

    void Start() override;
    void QuizStop() override { DIBButton_QuitClick(); }

    void DIBButton_QuitClick();
    // A click on a button, hot spot or flag: shows the item when it is new, then says it.
    void ChooseItem(int n);
    // A click on the shown picture or a written form.
    void SayItemAgain();

    using TForm_Screen::PlayButton;
    using TForm_Screen::QuitButton;
    using TForm_Screen::RecordButton;
    using TForm_Screen::SeqButton;

    // Image list items and elements of the written forms, the source line's top-left at (x, y);
    // the target line lies under it and the lozenge with the second form under that.
    static std::vector<ImageItemSpec> TextItems();
    static std::vector<ElementSpec> TextElements(int x, int y);

    int currentItem() const { return current_; }
    bool lozengeShown() const { return lozenge_; }

  protected:
    // After Build(): the practice base, the lozenge check, and the handlers of the shared elements.
    void FinishBuild();

    // Shows item n as when chosen (current item, pictures, Record on, Play off) and says it.
    void PresentItem(int n);
    // Shows the written forms of item n; screens add their own pictures.
    virtual void ShowItem(int n);
    // Loads a picture of the item; a missing file leaves its element empty.
    void LoadItemPicture(const std::string& item, const std::string& path);
    // Screen extras at the start notice and just before leaving.
    virtual void StartExtras() {}
    virtual void BeforeQuit() {}

    int current_ = 0;
    bool lozenge_ = false;
};

} // namespace parlora
