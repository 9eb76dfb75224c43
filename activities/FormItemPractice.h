#pragma once
// What the practice screens of one item at a time have in common: the shown item's picture and
// written forms, choosing an item, saying it again, help, and leaving with the visit recorded.
#include "engine/FormPractice.h"

#include <string>
#include <vector>

namespace parlora {

class TDIBImage;

// Where the item's picture and written forms lie.
struct TItemLayout {
    std::string pictureElement = "DIBI_Pic";
    Rect picture;
    Rect source; // empty: the screen shows no source form of its own
    Rect target;
    Rect lozenge; // the second written form lies inside it
    Rect tlit;
};

class TForm_ItemPractice : public TForm_Practice {
  public:
    TForm_ItemPractice(TForm_Main& main, std::string className, TPracticeTopic topic);

    void Start() override;
    void QuizStop() override { DIBButton_QuitClick(); }

    // A click on the item's button (or row): says it, and shows it when it is new.
    void ChooseItem(int n);
    void DIBButton_QuitClick();
    virtual void PictureClicked();
    virtual void TextClicked();

    int current() const { return current_; }
    bool chosen() const { return current_ > topic_.none; }
    bool secondForm() const { return secondForm_; }

  protected:
    // Image list items for the picture and written forms ("Picture" or the words' "Image",
    // "Source", "Target", "Lozenge", "TLIT").
    static std::vector<ImageItemSpec> ItemImages(const std::string& pictureItem = "Picture");
    // The elements showing them, hidden until an item is shown.
    static std::vector<ElementSpec> ItemElements(const TItemLayout& layout,
                                                 const std::string& pictureItem = "Picture");
    // Call after Build(): the practice base, the lozenge check and the clicks.
    void FinishBuild(const TItemLayout& layout);

    // Loads and shows the item's picture and written forms.
    virtual void ShowItem(int n);
    virtual std::string PicturePath(int n) const = 0;
    // The file number of an item (the first-words filter skips two).
    virtual int FileNumber(int n) const { return n; }
    // current := n, shown; Record on, Play off; said by the other actor than last time.
    void PresentItem(int n);

    int current_ = 0;
    bool secondForm_ = false;
    TDIBImage *picture_ = nullptr, *source_ = nullptr, *target_ = nullptr;
    TDIBImage *lozenge_ = nullptr, *tlit_ = nullptr;
};

} // namespace parlora
