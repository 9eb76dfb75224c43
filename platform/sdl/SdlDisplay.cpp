#include "platform/sdl/SdlDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace parlora {

namespace {

// A short sine with soft edges, so the beep does not click.
std::shared_ptr<const std::vector<int16_t>> makeBeepTone() {
    const int rate = 44100, frames = rate * 80 / 1000, edge = rate * 5 / 1000;
    auto tone = std::make_shared<std::vector<int16_t>>(size_t(frames));
    for (int i = 0; i < frames; ++i) {
        double envelope = std::min({1.0, double(i) / edge, double(frames - 1 - i) / edge});
        (*tone)[size_t(i)] = int16_t(9000.0 * envelope * std::sin(2.0 * M_PI * 880.0 * i / rate));
    }
    return tone;
}

// Whether the scaler's xRGB pixels can go straight into a surface of this format.
bool TakesScaledPixels(Uint32 sdlFormat) {
    return sdlFormat == SDL_PIXELFORMAT_RGB888 || sdlFormat == SDL_PIXELFORMAT_ARGB8888;
}

bool realVideoDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

} // namespace

SdlDisplay::SdlDisplay(IAudioOut& audio) : audio_(audio) {
    const char* present = std::getenv("PARLORA_PRESENT");
    wantRenderer_ = present && std::strcmp(present, "renderer") == 0;
    scaler_.setFilter(ScaleFilterFromEnvironment());
}

SdlDisplay::~SdlDisplay() {
    closeWindow();
    for (auto*& c : cursors_) {
        if (c) SDL_FreeCursor(c);
        c = nullptr;
    }
}

bool SdlDisplay::initVideo() {
    if (videoAvailable_) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Parlora: no display: %s\n", SDL_GetError());
        return false;
    }
    videoAvailable_ = true;
    return true;
}

DisplayMode SdlDisplay::desktopMode() const {
    DisplayMode mode{0, 0, 0};
    if (!videoAvailable_) return mode;
    const int index = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
    SDL_DisplayMode dm{};
    if (SDL_GetDesktopDisplayMode(index, &dm) != 0) return mode;
    mode.width = dm.w;
    mode.height = dm.h;
    mode.bitsPerPixel = int(SDL_BITSPERPIXEL(dm.format));
    // Packed 24-bit formats report 24; "unknown" reports 0 although such screens are true colour.
    if (mode.bitsPerPixel == 0) mode.bitsPerPixel = 32;
    return mode;
}

bool SdlDisplay::createRenderer() {
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) return false;
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, textureW_,
                                 textureH_);
    return texture_ != nullptr;
}

bool SdlDisplay::attachSurface() {
    // Without this hint SDL would make the window surface out of an accelerated renderer, which
    // loads the whole OpenGL stack for a picture we copy anyway.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    surface_ = SDL_GetWindowSurface(window_);
    return surface_ != nullptr;
}

bool SdlDisplay::openWindow(const std::string& caption, WindowMode mode) {
    if (!videoAvailable_) return false;
    closeWindow();
    mode_ = mode;
    textureW_ = ContentWidth;
    textureH_ = ContentHeight;
    hasFrame_ = false;
    switch (mode) {
    case WindowMode::MaximisedCentred:
        // Restored, it is exactly the content's size, centred; maximised or resized, the content is
        // scaled to fill it (FrameScaler). High density: the picture takes the drawable's pixels.
        window_ = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   ContentWidth, ContentHeight,
                                   SDL_WINDOW_RESIZABLE | SDL_WINDOW_MAXIMIZED | SDL_WINDOW_ALLOW_HIGHDPI);
        break;
    case WindowMode::BorderlessAtOrigin:
        window_ = SDL_CreateWindow(caption.c_str(), 0, 0, ContentWidth, ContentHeight,
                                   SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALLOW_HIGHDPI);
        break;
    case WindowMode::ForcedMode: {
        SDL_DisplayMode want{};
        want.w = ContentWidth;
        want.h = ContentHeight;
        SDL_DisplayMode closest{};
        if (!SDL_GetClosestDisplayMode(0, &want, &closest) || closest.w != ContentWidth ||
            closest.h != ContentHeight)
            return false;
        window_ = SDL_CreateWindow(caption.c_str(), 0, 0, ContentWidth, ContentHeight,
                                   SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
        if (!window_) return false;
        if (SDL_SetWindowDisplayMode(window_, &closest) != 0 ||
            SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) != 0) {
            closeWindow();
            return false;
        }
        SDL_ShowWindow(window_);
        break;
    }
    }
    if (!window_) {
        std::fprintf(stderr, "Parlora: cannot make the window: %s\n", SDL_GetError());
        return false;
    }
    if ((wantRenderer_ || !attachSurface()) && !createRenderer()) {
        std::fprintf(stderr, "Parlora: cannot draw in the window: %s\n", SDL_GetError());
        closeWindow();
        return false;
    }
    updateOrigin();
    redraw(); // black until the first frame
    SDL_StartTextInput();
    return true;
}

void SdlDisplay::closeWindow() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) {
        SDL_StopTextInput();
        SDL_DestroyWindow(window_);
    }
    texture_ = nullptr;
    renderer_ = nullptr;
    surface_ = nullptr; // the window owns it
    window_ = nullptr;
    hasFrame_ = false;
}

void SdlDisplay::updateOrigin() {
    if (!window_) return;
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    if (!renderer_) {
        ow = surface_ ? surface_->w : ww;
        oh = surface_ ? surface_->h : wh;
    } else if (SDL_GetRendererOutputSize(renderer_, &ow, &oh) != 0 || ow <= 0 || oh <= 0) {
        ow = ww;
        oh = wh;
    }
    origin_.scale = ww > 0 ? float(ow) / float(ww) : 1.0f;
    // The resizable window fits the frame into any size. The small-screen and forced windows keep
    // the frame 1:1 from their top-left when the screen is smaller, and are scaled only where their
    // pixels are denser than the frame's.
    scaler_.place(textureW_, textureH_, ow, oh, mode_ == WindowMode::MaximisedCentred);
    const Rect& t = scaler_.target();
    origin_.x = t.x;
    origin_.y = t.y;
    origin_.w = t.w;
    origin_.h = t.h;
    origin_.frameW = textureW_;
    origin_.frameH = textureH_;
    if (texture_) {
        const bool sharp =
            scaler_.filter() == ScaleFilter::WholeNumber && t.w % textureW_ == 0 && t.h % textureH_ == 0;
        SDL_SetTextureScaleMode(texture_, sharp ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    }
}

void SdlDisplay::contentScreenPosition(int& x, int& y) const {
    x = y = 0;
    if (!window_) return;
    SDL_GetWindowPosition(window_, &x, &y);
    x += int(float(origin_.x) / origin_.scale);
    y += int(float(origin_.y) / origin_.scale);
}

void SdlDisplay::copyToSurface(const Rect& r) {
    Rect c = r.intersect(last_.bounds());
    // The part of the frame that lands inside the window.
    c = c.intersect({-origin_.x, -origin_.y, surface_->w, surface_->h});
    if (c.empty()) return;
    auto* dst = static_cast<uint8_t*>(surface_->pixels) + size_t(c.y + origin_.y) * size_t(surface_->pitch) +
                size_t(c.x + origin_.x) * size_t(surface_->format->BytesPerPixel);
    SDL_ConvertPixels(c.w, c.h, SDL_PIXELFORMAT_ARGB8888, last_.row(c.y) + c.x, last_.strideBytes(),
                      surface_->format->format, dst, surface_->pitch);
}

void SdlDisplay::scaleToSurface(const Rect& out) {
    if (out.empty()) return;
    if (TakesScaledPixels(surface_->format->format)) {
        scaler_.scale(last_, out,
                      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface_->pixels) +
                                                  size_t(out.y) * size_t(surface_->pitch)) +
                          out.x,
                      surface_->pitch);
        return;
    }
    // Other formats (16-bit screens, BGR order) take the pixels through a scratch buffer.
    scratch_.resize(size_t(out.w) * size_t(out.h));
    scaler_.scale(last_, out, scratch_.data(), out.w * 4);
    auto* dst = static_cast<uint8_t*>(surface_->pixels) + size_t(out.y) * size_t(surface_->pitch) +
                size_t(out.x) * size_t(surface_->format->BytesPerPixel);
    SDL_ConvertPixels(out.w, out.h, SDL_PIXELFORMAT_ARGB8888, scratch_.data(), out.w * 4,
                      surface_->format->format, dst, surface_->pitch);
}

void SdlDisplay::redraw() {
    if (!renderer_) {
        if (!window_ || !surface_) return;
        if (!hasFrame_) {
            SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
        } else {
            // Only the bars are filled: at 4K the picture itself is 25 MB, written once.
            const Uint32 black = SDL_MapRGB(surface_->format, 0, 0, 0);
            for (const Rect& b : scaler_.bars()) {
                SDL_Rect r{b.x, b.y, b.w, b.h};
                SDL_FillRect(surface_, &r, black);
            }
            if (scaler_.unscaled())
                copyToSurface(last_.bounds());
            else
                scaleToSurface(scaler_.target().intersect({0, 0, surface_->w, surface_->h}));
        }
        SDL_UpdateWindowSurface(window_);
        return;
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (hasFrame_ && texture_) {
        const Rect& t = scaler_.target();
        SDL_Rect dst{t.x, t.y, t.w, t.h};
        SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    }
    SDL_RenderPresent(renderer_);
}

void SdlDisplay::present(const Surface& frame, const std::vector<Rect>& dirty) {
    if (frame.empty()) return;
    if (!renderer_) {
        if (!surface_) return;
        // Until a whole frame has arrived (or when its size changes) every pixel is new.
        const bool newSize = !hasFrame_ || last_.width() != frame.width() || last_.height() != frame.height();
        if (newSize) {
            last_ = frame;
            textureW_ = frame.width();
            textureH_ = frame.height();
            hasFrame_ = true;
            updateOrigin();
            redraw();
            return;
        }
        if (dirty.empty()) {
            // A screen change: the bars and the placement stay, only the picture is drawn again. At
            // 4K the bars alone are 8 MB of black that is already there.
            last_ = frame;
            const Rect on = scaler_.target().intersect({0, 0, surface_->w, surface_->h});
            if (scaler_.unscaled())
                copyToSurface(last_.bounds());
            else
                scaleToSurface(on);
            if (!on.empty()) {
                SDL_Rect r{on.x, on.y, on.w, on.h};
                SDL_UpdateWindowSurfaceRects(window_, &r, 1);
            }
            return;
        }
        std::vector<SDL_Rect> rects;
        rects.reserve(dirty.size());
        for (const Rect& r : dirty) {
            Rect c = r.intersect(frame.bounds());
            if (c.empty()) continue;
            for (int y = c.y; y < c.bottom(); ++y)
                std::copy(frame.row(y) + c.x, frame.row(y) + c.right(), last_.row(y) + c.x);
        }
        // Scaled, each rectangle's reach on the output is drawn after the frame has all its changes,
        // since a scaled pixel blends its neighbours from other rectangles too.
        for (const Rect& r : dirty) {
            Rect c = r.intersect(frame.bounds());
            if (c.empty()) continue;
            Rect on = scaler_.mapDirty(c).intersect({0, 0, surface_->w, surface_->h});
            if (scaler_.unscaled())
                copyToSurface(c);
            else
                scaleToSurface(on);
            if (!on.empty()) rects.push_back({on.x, on.y, on.w, on.h});
        }
        if (!rects.empty()) SDL_UpdateWindowSurfaceRects(window_, rects.data(), int(rects.size()));
        return;
    }
    if (frame.width() != textureW_ || frame.height() != textureH_ || !texture_) {
        // Not the usual size: a texture to match, and every pixel is new.
        if (texture_) SDL_DestroyTexture(texture_);
        textureW_ = frame.width();
        textureH_ = frame.height();
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                     textureW_, textureH_);
        if (!texture_) return;
        hasFrame_ = false;
        updateOrigin();
    }
    auto upload = [&](const Rect& r) {
        Rect c = r.intersect(frame.bounds());
        if (c.empty()) return;
        SDL_Rect sr{c.x, c.y, c.w, c.h};
        SDL_UpdateTexture(texture_, &sr, frame.row(c.y) + c.x, frame.strideBytes());
    };
    // Until a whole frame has gone up the texture holds garbage, so the first one is copied whole.
    if (dirty.empty() || !hasFrame_) {
        upload(frame.bounds());
    } else {
        for (const Rect& r : dirty)
            upload(r);
    }
    hasFrame_ = true;
    redraw();
}

bool SdlDisplay::handleWindowEvent(const SDL_Event& e) {
    if (e.type == SDL_RENDER_TARGETS_RESET || e.type == SDL_RENDER_DEVICE_RESET) {
        // The texture's contents are lost; the next present must send a whole frame.
        hasFrame_ = false;
        redraw();
        return true;
    }
    if (e.type != SDL_WINDOWEVENT || !window_ || e.window.windowID != SDL_GetWindowID(window_)) return false;
    switch (e.window.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_DISPLAY_CHANGED: // another screen may have another density
        // A window surface lasts only as long as the window's size: take the new one.
        if (!renderer_ && window_ && !attachSurface()) {
            std::fprintf(stderr, "Parlora: cannot draw in the window: %s\n", SDL_GetError());
            return true;
        }
        updateOrigin();
        redraw();
        return true;
    case SDL_WINDOWEVENT_EXPOSED:
        redraw();
        return true;
    default:
        return false;
    }
}

void SdlDisplay::setCursor(CursorKind kind) {
    if (!videoAvailable_) return;
    const int index = int(kind);
    if (index < 0 || index >= int(cursors_.size())) return;
    if (!cursors_[size_t(index)]) {
        const SDL_SystemCursor id = kind == CursorKind::Hourglass ? SDL_SYSTEM_CURSOR_WAIT
                                    : kind == CursorKind::Hand    ? SDL_SYSTEM_CURSOR_HAND
                                                                  : SDL_SYSTEM_CURSOR_ARROW;
        cursors_[size_t(index)] = SDL_CreateSystemCursor(id);
    }
    if (cursors_[size_t(index)]) SDL_SetCursor(cursors_[size_t(index)]);
}

void SdlDisplay::beep() {
    if (!beepTone_) beepTone_ = makeBeepTone();
    VoiceRequest request;
    request.samples = beepTone_;
    request.sampleRate = 44100;
    request.channels = 1;
    request.label = "beep";
    audio_.play(request, {});
}

void SdlDisplay::showNativeMessage(const std::string& title, const std::string& text, bool error) {
    std::fprintf(stderr, "Parlora: %s\n", text.c_str());
    if (!videoAvailable_ || !realVideoDriver()) return;
    SDL_ShowSimpleMessageBox(error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION, title.c_str(),
                             text.c_str(), window_);
}

} // namespace parlora
