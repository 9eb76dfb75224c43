#include "media/KaMixer.h"

#include "core/Errors.h"

#include <gtest/gtest.h>

#include <vector>

using namespace parlora;

namespace {

class FakeVolume : public IVolume {
  public:
    bool open() override { return open_ = canOpen; }
    bool isOpen() const override { return open_; }
    uint16_t get() const override { return value; }
    void set(uint16_t v) override {
        value = v;
        if (onChange_) onChange_(v);
    }
    void setOnChange(std::function<void(uint16_t)> onChange) override { onChange_ = std::move(onChange); }
    bool showControlProgram() override { return hasProgram; }

    // Another program moved the volume.
    void external(uint16_t v) {
        value = v;
        if (onChange_) onChange_(v);
    }
    bool canOpen = true, open_ = false, hasProgram = false;
    uint16_t value = 1000;
    std::function<void(uint16_t)> onChange_;
};

TEST(KaMixer, OpenAnnouncesOnceAndReportsEveryChange) {
    FakeVolume vol;
    TKaMixer mixer(vol);
    std::vector<uint32_t> lines, controls;
    mixer.OnLineChange = [&](uint32_t id) { lines.push_back(id); };
    mixer.OnControlChange = [&](uint32_t id) { controls.push_back(id); };
    EXPECT_EQ(mixer.OpenMixer(), TKaMixer::VolumeControlId);
    EXPECT_EQ(mixer.OpenMixer(), TKaMixer::VolumeControlId);
    EXPECT_EQ(lines, std::vector<uint32_t>{TKaMixer::NoLine});
    EXPECT_EQ(controls.size(), 1u);
    mixer.SetVolume(32767);
    EXPECT_EQ(mixer.GetVolume(), 32767);
    vol.external(500);
    EXPECT_EQ(controls.size(), 3u);
    EXPECT_EQ(mixer.GetVolume(), 500);
}

TEST(KaMixer, SetBeforeOpenStillAnnouncesOnOpen) {
    FakeVolume vol;
    TKaMixer mixer(vol);
    int controls = 0;
    mixer.OnControlChange = [&](uint32_t) { ++controls; };
    mixer.SetVolume(10);
    EXPECT_EQ(controls, 1);
    mixer.OpenMixer();
    EXPECT_EQ(controls, 2);
}

TEST(KaMixer, NoVolumeControl) {
    FakeVolume vol;
    vol.canOpen = false;
    TKaMixer mixer(vol);
    EXPECT_THROW(mixer.OpenMixer(), MixException);
    EXPECT_THROW(mixer.SetVolume(1), MixException);
    EXPECT_FALSE(mixer.IsOpen());
}

TEST(KaMixer, NoticesAfterTheMixerIsGoneAreIgnored) {
    FakeVolume vol;
    int calls = 0;
    {
        TKaMixer mixer(vol);
        mixer.OnControlChange = [&](uint32_t) { ++calls; };
        mixer.OpenMixer();
    }
    vol.external(5);
    EXPECT_EQ(calls, 1);
}

TEST(KaMixer, ShowVolumeControl) {
    FakeVolume vol;
    TKaMixer mixer(vol);
    std::vector<std::string> messages;
    mixer.OnMessage = [&](const std::string& m) { messages.push_back(m); };
    EXPECT_FALSE(mixer.ShowVolumeControl(false));
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(mixer.ShowVolumeControl(true));
    EXPECT_EQ(messages, std::vector<std::string>{"Please use Recording Devices on Taskbar."});
    vol.hasProgram = true;
    EXPECT_TRUE(mixer.ShowVolumeControl(true));
    EXPECT_EQ(messages.size(), 1u);
}

} // namespace
