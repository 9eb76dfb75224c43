#pragma once
// The choice of the two speakers: a thumbnail per actor on each side (men left, women right), a
// big picture of the chosen one, and the master volume slider.
#include "display/DIBAnimList.h"
#include "media/KaMixer.h"
#include "shell/DIBScreen.h"
#include "shell/ScreenRoute.h"

#include <array>
#include <memory>
#include <string>

namespace parlora {

class TDIBImage;

class TForm_Actor : public TDIBScreen {
  public:
    static constexpr int kMaxPairs = 8;
    static constexpr int kSliderLeft = 427, kSliderRange = 150;

    TForm_Actor(TForm_Main& main, const TScreenParams& params);
    ~TForm_Actor() override;

    void Start() override;
    // side 0 = male (left), 1 = female (right); thumbnails are 1-based.
    void ThumbClick(int side, int number);
    void DIBBS_ExitClick();

    // Where thumbnail `number` of `pairs` lies: one row of up to four, else two rows.
    static Rect ThumbRect(int side, int pairs, int number);

    int pairs() const { return n_; }
    int selected(int side) const { return side_[size_t(side)].selected; }
    int shown(int side) const { return side_[size_t(side)].shown; }
    TDIBImage& thumb(int side, int number) const { return *side_[size_t(side)].thumbs[size_t(number - 1)]; }
    TDIBImage& bigPicture(int side, int number) const { return *side_[size_t(side)].big[size_t(number - 1)]; }
    TDIBImage& slider() const { return *slider_; }
    TDIBAnimList& anims() { return *anims_; }

  private:
    struct Side {
        std::array<TDIBImage*, kMaxPairs> thumbs{};
        std::array<TDIBImage*, 2> big{};
        TDIBImage* hilite = nullptr;
        int selected = 1;
        int shown = 1;
        Rect target;
    };
    std::string ActorPicture(int side, int actor, const char* kind) const;
    const std::vector<std::string>& Actors(int side) const;
    void LayOut();
    void Select(int side, int number);
    void SliderMouseMove(int x);
    void SliderMouseUp();
    void MixerControlChange();

    int n_ = 0;
    std::array<Side, 2> side_;
    TDIBImage* slider_ = nullptr;
    bool dragging_ = false;
    int pressX_ = 0;
    std::unique_ptr<TDIBAnimList> anims_;
    std::unique_ptr<TKaMixer> mixer_;
};

} // namespace parlora
