#pragma once
// The main window: one SDL window showing the 1024 x 768 frame as large as it fits, centred, with
// black bars around it; in a window of exactly the frame's size it is shown 1:1. The course composes
// every frame on the CPU, so by default the changed areas are copied (or scaled, only they) straight
// into the window's own surface (shared memory on X11): no OpenGL stack is loaded. The renderer path
// (a streaming texture) is kept for PARLORA_PRESENT=renderer. PARLORA_SCALE=whole scales by whole
// numbers only (sharp pixels); smooth scaling is the default.
#include "platform/Platform.h"
#include "platform/sdl/FrameScaler.h"
#include "platform/sdl/SdlInput.h"

#include <SDL.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace parlora {

class SdlDisplay : public IDisplay {
  public:
    static constexpr int ContentWidth = 1024;
    static constexpr int ContentHeight = 768;

    explicit SdlDisplay(IAudioOut& audio);
    ~SdlDisplay() override;

    // Starts SDL's video subsystem; false when there is no display to use.
    bool initVideo();
    bool videoAvailable() const { return videoAvailable_; }

    DisplayMode desktopMode() const override;
    bool openWindow(const std::string& caption, WindowMode mode) override;
    void closeWindow() override;
    bool windowOpen() const override { return window_ != nullptr; }
    void present(const Surface& frame, const std::vector<Rect>& dirty) override;
    void setCursor(CursorKind kind) override;
    void beep() override;
    void showNativeMessage(const std::string& title, const std::string& text, bool error) override;

    // Window-system events that concern the picture (exposed, resized); true when handled.
    bool handleWindowEvent(const SDL_Event& e);
    const ContentOrigin& origin() const { return origin_; }
    // The content's top-left on the screen, for those who report where our screen is.
    void contentScreenPosition(int& x, int& y) const;
    SDL_Window* window() const { return window_; }

    // True while frames go through SDL's renderer rather than the window surface.
    bool usesRenderer() const { return renderer_ != nullptr; }
    // Where the frame lies on the window's pixels.
    const FrameScaler& scaler() const { return scaler_; }

  private:
    bool createRenderer();
    bool attachSurface();
    void copyToSurface(const Rect& r);
    // Scales the output rectangle `out` of the frame's place into the window surface.
    void scaleToSurface(const Rect& out);
    void updateOrigin();
    void redraw();

    IAudioOut& audio_;
    bool videoAvailable_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    // The window's surface, valid until the window's size changes; `last_` is the frame it shows,
    // so a resized or exposed window is drawn again without asking the course.
    SDL_Surface* surface_ = nullptr;
    Surface last_;
    bool wantRenderer_ = false;
    int textureW_ = ContentWidth, textureH_ = ContentHeight;
    bool hasFrame_ = false;
    WindowMode mode_ = WindowMode::MaximisedCentred;
    ContentOrigin origin_;
    FrameScaler scaler_;
    // Scaled pixels on their way to a window surface of another format.
    std::vector<uint32_t> scratch_;
    std::array<SDL_Cursor*, 3> cursors_{};
    std::shared_ptr<const std::vector<int16_t>> beepTone_;
};

} // namespace parlora
