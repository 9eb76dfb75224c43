#pragma once
// The main window: one SDL window showing the 1024 x 768 frame 1:1 at the content origin with black
// around it. The course composes every frame on the CPU, so by default the changed areas are copied
// straight into the window's own surface (shared memory on X11): no OpenGL stack is loaded. The
// renderer path (a streaming texture) is kept for PARLORA_PRESENT=renderer.
#include "platform/Platform.h"
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

  private:
    bool createRenderer();
    bool attachSurface();
    void copyToSurface(const Rect& r);
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
    std::array<SDL_Cursor*, 3> cursors_{};
    std::shared_ptr<const std::vector<int16_t>> beepTone_;
};

} // namespace parlora
