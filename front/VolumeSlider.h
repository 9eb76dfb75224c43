#pragma once
// The volume knob of the main menu and the language screen: dragging it along its track sets the
// system volume, and a change made elsewhere (the desktop's own mixer) moves it.
#include "media/KaMixer.h"
#include "platform/Input.h"

#include <cstdint>
#include <functional>
#include <string>

namespace parlora {

class IVolume;
class TDIBImage;

class TVolumeSlider {
  public:
    using Log = std::function<void(const std::string&)>;

    // The knob's left edge runs from trackMin (silent) to trackMax (full volume).
    TVolumeSlider(IVolume& volume, int trackMin, int trackMax);
    // Wires the knob's mouse; `released` runs when a drag ends (the screens answer with a sound).
    void Attach(TDIBImage& knob, Log log, std::function<void()> released);
    // Opens the system mixer; with placeKnob the knob moves to the volume at once. Without a
    // mixer the knob is hidden, since dragging it would do nothing.
    void Open(bool placeKnob);

    static int Left(uint16_t volume, int trackMin, int trackMax);
    static uint16_t Volume(int left, int trackMin, int trackMax);

  private:
    void Down(MouseButton b, int x);
    void Move(int x);
    void Up(MouseButton b);
    void PlaceKnob();

    TKaMixer mixer_;
    int min_, max_;
    TDIBImage* knob_ = nullptr;
    Log log_;
    std::function<void()> released_;
    bool sliding_ = false;
    int pressX_ = 0; // where on the knob the drag took hold
};

} // namespace parlora
