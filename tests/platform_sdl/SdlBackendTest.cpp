// The SDL backend on SDL's dummy drivers: input translation, and a window, a frame and a sound
// whose end comes back through the dispatcher.
#include "platform/Dispatcher.h"
#include "platform/sdl/SdlInput.h"
#include "platform/sdl/SdlPlatform.h"
#include "tests/platform_sdl/SdlEvents.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace parlora;

TEST(SdlInput, KeyNamesAndClicks) {
    EXPECT_EQ(SdlKeyName(SDLK_RETURN), "Return");
    EXPECT_EQ(SdlKeyName(SDLK_KP_ENTER), "Return");
    EXPECT_EQ(SdlKeyName(SDLK_BACKSPACE), "BackSpace");
    EXPECT_EQ(SdlKeyName(SDLK_ESCAPE), "Escape");
    EXPECT_EQ(SdlKeyName(SDLK_DELETE), "Delete");
    EXPECT_EQ(SdlKeyName(SDLK_HOME), "Home");
    EXPECT_EQ(SdlKeyName(SDLK_a), "a");
    EXPECT_EQ(SdlKeyName(SDLK_z), "z");
    EXPECT_EQ(SdlKeyName(SDLK_7), "7");

    EXPECT_EQ(ClicksFromSdl(1), 1);
    EXPECT_EQ(ClicksFromSdl(2), 2);
    EXPECT_EQ(ClicksFromSdl(3), 1);
    EXPECT_EQ(ClicksFromSdl(4), 2);
}

TEST(SdlInput, MouseIsPlacedInTheContent) {
    ContentOrigin origin{448, 156, 1.0f};
    std::vector<InputEvent> out;
    SDL_Event e = test::LeftPress(460, 200, 2);
    ASSERT_TRUE(TranslateSdlInput(e, origin, out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(out[0].isLeftDown());
    EXPECT_EQ(out[0].x, 12);
    EXPECT_EQ(out[0].y, 44);
    EXPECT_EQ(out[0].clicks, 2);

    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = 8; // a side button: not ours
    EXPECT_TRUE(TranslateSdlInput(e, origin, out));
    EXPECT_EQ(out.size(), 1u);

    e = SDL_Event{};
    e.type = SDL_TEXTINPUT;
    std::snprintf(e.text.text, sizeof e.text.text, "%s", "\xC3\xA9");
    TranslateSdlInput(e, origin, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].kind, InputEvent::Kind::Text);
    EXPECT_EQ(out[1].text, "\xC3\xA9");

    e = SDL_Event{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    TranslateSdlInput(e, origin, out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[2].kind, InputEvent::Kind::CloseRequest);
}

TEST(SdlPlatform, DummyDriversWindowFrameAndSoundEnd) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SdlPlatform platform;
    Dispatcher dispatcher(platform.clock(), &platform);
    platform.attach(dispatcher);

    DisplayMode mode = platform.display().desktopMode();
    EXPECT_GT(mode.width, 0);
    EXPECT_GT(mode.bitsPerPixel, 8);
    ASSERT_TRUE(platform.display().openWindow("Parlora Plus!", WindowMode::BorderlessAtOrigin));
    Surface frame(1024, 768, 0xFF336699u);
    platform.display().present(frame, {});
    platform.display().present(frame, {{10, 10, 100, 50}, {2000, 0, 5, 5}}); // off-frame rect is clipped
    platform.display().setCursor(CursorKind::Hourglass);
    platform.display().setCursor(CursorKind::Arrow);

    EXPECT_TRUE(platform.audioOut().deviceOpen());
    VoiceRequest tone;
    tone.samples = std::make_shared<const std::vector<int16_t>>(4410, int16_t(1000)); // 100 ms
    tone.sampleRate = 44100;
    tone.channels = 1;
    bool ended = false, stoppedEnded = false;
    VoiceId id = platform.audioOut().play(tone, [&] { ended = true; });
    VoiceId stopped = platform.audioOut().play(tone, [&] { stoppedEnded = true; });
    EXPECT_TRUE(platform.audioOut().isPlaying(id));
    platform.audioOut().stop(stopped);
    EXPECT_FALSE(platform.audioOut().isPlaying(stopped));

    const uint64_t start = platform.clock().nowMs();
    while (!ended && platform.clock().nowMs() - start < 2000)
        dispatcher.runOnce(true);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(stoppedEnded);
    EXPECT_FALSE(platform.audioOut().isPlaying(id));
    // Not long before its real length (the device may run a buffer or two ahead of the clock).
    EXPECT_GE(platform.clock().nowMs() - start, 60u);

    // A wake from another thread ends a wait without a timer.
    std::vector<InputEvent> events;
    platform.wake();
    const uint64_t before = platform.clock().nowMs();
    platform.waitEvents(1000, events);
    EXPECT_LT(platform.clock().nowMs() - before, 500u);

    platform.display().closeWindow();
    EXPECT_FALSE(platform.display().windowOpen());
}
