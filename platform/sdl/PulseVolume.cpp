#include "platform/sdl/PulseVolume.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace parlora {

PulseVolume::PulseVolume(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

PulseVolume::~PulseVolume() {
    close();
}

uint16_t PulseVolume::FromPulse(pa_volume_t v) {
    uint64_t scaled = (uint64_t(v) * 65535 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM;
    return uint16_t(std::min<uint64_t>(scaled, 65535));
}

pa_volume_t PulseVolume::ToPulse(uint16_t v) {
    return pa_volume_t((uint64_t(v) * PA_VOLUME_NORM + 32767) / 65535);
}

bool PulseVolume::open() {
    if (open_) return true;
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) return false;
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Parlora Plus");
    if (!context_) {
        close();
        return false;
    }
    pa_context_set_state_callback(context_, &PulseVolume::stateCallback, this);
    // Never start a server of our own: without one the other controls take over.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(loop_) < 0) {
        close();
        return false;
    }
    pa_threaded_mainloop_lock(loop_);
    pa_context_state_t state;
    while ((state = pa_context_get_state(context_)) != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state))
        pa_threaded_mainloop_wait(loop_);
    bool ready = state == PA_CONTEXT_READY;
    if (ready) {
        wait(pa_context_get_server_info(context_, &PulseVolume::serverInfoCallback, this));
        if (!sinkName_.empty())
            wait(pa_context_get_sink_info_by_name(context_, sinkName_.c_str(), &PulseVolume::sinkInfoCallback,
                                                  this));
        ready = known_;
    }
    if (ready) {
        pa_context_set_subscribe_callback(context_, &PulseVolume::subscribeCallback, this);
        wait(pa_context_subscribe(
            context_, pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
            &PulseVolume::successCallback, this));
        value_ = threadValue_;
    }
    pa_threaded_mainloop_unlock(loop_);
    if (!ready) {
        close();
        return false;
    }
    open_ = true;
    return true;
}

void PulseVolume::close() {
    lifetime_.reset(); // changes on their way are dropped
    if (loop_) pa_threaded_mainloop_stop(loop_);
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (loop_) {
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
    }
    open_ = false;
}

void PulseVolume::wait(pa_operation* op) {
    if (!op) return;
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING)
        pa_threaded_mainloop_wait(loop_);
    pa_operation_unref(op);
}

void PulseVolume::set(uint16_t value) {
    if (!open_) return;
    value_ = value;
    pa_threaded_mainloop_lock(loop_);
    pa_cvolume cv;
    pa_cvolume_set(&cv, channels_, ToPulse(value));
    // The notice comes back through the subscription, as for any other program's change.
    pa_operation* op = pa_context_set_sink_volume_by_name(context_, sinkName_.c_str(), &cv, nullptr, nullptr);
    if (op) pa_operation_unref(op);
    pa_threaded_mainloop_unlock(loop_);
}

void PulseVolume::stateCallback(pa_context*, void* self) {
    pa_threaded_mainloop_signal(static_cast<PulseVolume*>(self)->loop_, 0);
}

void PulseVolume::successCallback(pa_context*, int, void* self) {
    pa_threaded_mainloop_signal(static_cast<PulseVolume*>(self)->loop_, 0);
}

void PulseVolume::serverInfoCallback(pa_context*, const pa_server_info* info, void* self) {
    auto* me = static_cast<PulseVolume*>(self);
    if (info && info->default_sink_name) me->sinkName_ = info->default_sink_name;
    pa_threaded_mainloop_signal(me->loop_, 0);
}

void PulseVolume::sinkInfoCallback(pa_context*, const pa_sink_info* info, int eol, void* self) {
    auto* me = static_cast<PulseVolume*>(self);
    if (eol == 0 && info) {
        me->channels_ = info->volume.channels ? info->volume.channels : 2;
        uint16_t v = FromPulse(pa_cvolume_max(&info->volume));
        bool changed = me->known_ && v != me->threadValue_;
        me->threadValue_ = v;
        me->known_ = true;
        if (changed) {
            me->dispatcher_.postFromAnyThread(me->lifetime_.guard(), [me, v] {
                me->value_ = v;
                if (me->onChange_) me->onChange_(v);
            });
        }
    }
    pa_threaded_mainloop_signal(me->loop_, 0);
}

void PulseVolume::subscribeCallback(pa_context* c, pa_subscription_event_type_t t, uint32_t, void* self) {
    auto* me = static_cast<PulseVolume*>(self);
    unsigned facility = t & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    pa_operation* op = nullptr;
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        // The default output may have moved to another device: follow it.
        op = pa_context_get_server_info(
            c,
            [](pa_context* c2, const pa_server_info* info, void* s) {
                auto* m = static_cast<PulseVolume*>(s);
                if (info && info->default_sink_name && m->sinkName_ != info->default_sink_name) {
                    m->sinkName_ = info->default_sink_name;
                    pa_operation* o = pa_context_get_sink_info_by_name(c2, m->sinkName_.c_str(),
                                                                       &PulseVolume::sinkInfoCallback, m);
                    if (o) pa_operation_unref(o);
                }
            },
            me);
    } else if (facility == PA_SUBSCRIPTION_EVENT_SINK && !me->sinkName_.empty()) {
        op = pa_context_get_sink_info_by_name(c, me->sinkName_.c_str(), &PulseVolume::sinkInfoCallback, me);
    }
    if (op) pa_operation_unref(op);
}

std::string PulseVolume::FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return {};
    std::string all = path;
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(':', start);
        if (end == std::string::npos) end = all.size();
        std::string dir = all.substr(start, end - start);
        if (!dir.empty()) {
            std::string candidate = dir + "/" + program;
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = end + 1;
    }
    return {};
}

bool PulseVolume::StartControlProgram() {
    std::string program = FindOnPath("pavucontrol");
    if (program.empty()) return false;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    // Reaped in the background so it leaves no zombie; it outlives nothing of ours.
    std::thread([pid] {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }).detach();
    return true;
}

} // namespace parlora
