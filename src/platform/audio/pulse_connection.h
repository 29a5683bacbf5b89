#pragma once
// One connection to the sound server (libpulse's threaded main loop), and the few requests
// the headset's sound objects make of it: run an operation and wait for its end, load and
// unload modules, list them, read and set the defaults. Not for the UI thread: every call
// waits on the server.

#include <pulse/pulseaudio.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dz::audio {

// A headset endpoint: its sink or source in the server.
struct Endpoint {
    std::string name;
    uint32_t channels = 2;
    uint32_t rate = 48000;
};

// What an operation's callback hands back to the waiting caller.
struct Result {
    explicit Result(pa_threaded_mainloop* l) : loop(l) {}
    pa_threaded_mainloop* loop = nullptr;
    bool success = false;
    uint32_t index = PA_INVALID_INDEX;
    std::function<void(const void*)> each;
};

void SignalSuccess(pa_context*, int success, void* data);
void SignalIndex(pa_context*, uint32_t index, void* data);

// The callback of a list request: `each` for every entry, then the end signalled.
template <class Info>
void EachInfo(pa_context*, const Info* info, int eol, void* data) {
    auto* r = static_cast<Result*>(data);
    if (eol != 0 || info == nullptr) {
        r->success = eol > 0;
        pa_threaded_mainloop_signal(r->loop, 0);
        return;
    }
    r->each(info);
}

class PulseConnection {
  public:
    PulseConnection() = default;
    ~PulseConnection() { Disconnect(); }
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    bool Connect();
    void Disconnect();
    [[nodiscard]] bool Ready();

    // Runs `start(context)` (which answers an operation) and waits for it to end; false
    // when it could not start or the connection broke meanwhile.
    template <class Start>
    bool Run(Start start) {
        if (loop_ == nullptr) return false;
        pa_threaded_mainloop_lock(loop_);
        pa_operation* op = context_ != nullptr ? start(context_) : nullptr;
        bool ok = op != nullptr;
        while (op != nullptr && pa_operation_get_state(op) == PA_OPERATION_RUNNING) {
            if (pa_context_get_state(context_) != PA_CONTEXT_READY) {
                pa_operation_cancel(op);
                ok = false;
                break;
            }
            pa_threaded_mainloop_wait(loop_);
        }
        if (op != nullptr) pa_operation_unref(op);
        pa_threaded_mainloop_unlock(loop_);
        return ok;
    }
    [[nodiscard]] pa_threaded_mainloop* Loop() const { return loop_; }

    // The new module's index, PA_INVALID_INDEX when the server refused it.
    uint32_t LoadModule(const std::string& module, const std::string& args);
    void UnloadModule(uint32_t index);
    struct Module {
        uint32_t index = PA_INVALID_INDEX;
        std::string name;
        std::string argument;
    };
    std::vector<Module> Modules();

    // A sink's or source's index by its name, PA_INVALID_INDEX when it is not there.
    uint32_t SinkIndex(const std::string& name);
    uint32_t SourceIndex(const std::string& name);

    std::string DefaultSink();
    std::string DefaultSource();
    void SetDefaultSink(const std::string& name);
    void SetDefaultSource(const std::string& name);
    void SuspendSink(const std::string& name, bool suspend);

    // Called on the server's loop thread, under its lock, when a source leaves the server:
    // it must not wait on the server (it may start operations and let them go). Set before
    // Connect.
    using SourceRemoved = std::function<void(pa_context*, uint32_t source_index)>;
    void OnSourceRemoved(SourceRemoved handler) { source_removed_ = std::move(handler); }

  private:
    SourceRemoved source_removed_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
};

}  // namespace dz::audio
