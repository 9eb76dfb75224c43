#pragma once
// The master volume as the volume of PulseAudio's default output (sink). A subscription reports
// changes from any program; they reach the UI thread as posted messages.
#include "platform/Dispatcher.h"
#include "platform/Volume.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <functional>
#include <string>

namespace parlora {

class PulseVolume : public IVolume {
  public:
    explicit PulseVolume(Dispatcher& dispatcher);
    ~PulseVolume() override;
    PulseVolume(const PulseVolume&) = delete;
    PulseVolume& operator=(const PulseVolume&) = delete;

    // False, with nothing left running, when no server answers.
    bool open() override;
    bool isOpen() const override { return open_; }
    uint16_t get() const override { return value_; }
    void set(uint16_t value) override;
    void setOnChange(std::function<void(uint16_t)> onChange) override { onChange_ = std::move(onChange); }
    bool showControlProgram() override { return StartControlProgram(); }

    // Starts "pavucontrol" when it is on PATH; shared with the ALSA control.
    static bool StartControlProgram();
    static std::string FindOnPath(const std::string& program);
    // pa_volume_t <-> 0..65535, where 65535 is the sink's normal (100 %) volume.
    static uint16_t FromPulse(pa_volume_t v);
    static pa_volume_t ToPulse(uint16_t v);

  private:
    static void stateCallback(pa_context* c, void* self);
    static void serverInfoCallback(pa_context* c, const pa_server_info* info, void* self);
    static void sinkInfoCallback(pa_context* c, const pa_sink_info* info, int eol, void* self);
    static void subscribeCallback(pa_context* c, pa_subscription_event_type_t t, uint32_t index, void* self);
    static void successCallback(pa_context* c, int success, void* self);
    // Runs an operation to its end; the main loop must be locked.
    void wait(pa_operation* op);
    void close();

    Dispatcher& dispatcher_;
    Lifetime lifetime_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool open_ = false;
    uint16_t value_ = 0; // UI thread
    std::function<void(uint16_t)> onChange_;
    // Main-loop thread (or under its lock):
    std::string sinkName_;
    uint8_t channels_ = 2;
    bool known_ = false;
    uint16_t threadValue_ = 0;
};

} // namespace parlora
