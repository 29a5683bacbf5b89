#include "platform/audio/pulse_connection.h"

namespace dz::audio {

void SignalSuccess(pa_context*, int success, void* data) {
    auto* r = static_cast<Result*>(data);
    r->success = success != 0;
    pa_threaded_mainloop_signal(r->loop, 0);
}

void SignalIndex(pa_context*, uint32_t index, void* data) {
    auto* r = static_cast<Result*>(data);
    r->index = index;
    r->success = index != PA_INVALID_INDEX;
    pa_threaded_mainloop_signal(r->loop, 0);
}

bool PulseConnection::Connect() {
    Disconnect();
    loop_ = pa_threaded_mainloop_new();
    if (loop_ == nullptr) return false;
    pa_threaded_mainloop_lock(loop_);
    if (pa_threaded_mainloop_start(loop_) < 0) {
        pa_threaded_mainloop_unlock(loop_);
        return false;
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Dozadir Keyboard");
    pa_context_set_state_callback(
        context_,
        [](pa_context*, void* loop) {
            pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
        },
        loop_);
    bool ready = false;
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        for (;;) {
            const pa_context_state_t s = pa_context_get_state(context_);
            if (s == PA_CONTEXT_READY) {
                ready = true;
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(s)) break;
            pa_threaded_mainloop_wait(loop_);
        }
    }
    if (ready && source_removed_) {
        pa_context_set_subscribe_callback(
            context_,
            [](pa_context* c, pa_subscription_event_type_t type, uint32_t index, void* self) {
                const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
                const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
                if (facility == PA_SUBSCRIPTION_EVENT_SOURCE &&
                    kind == PA_SUBSCRIPTION_EVENT_REMOVE)
                    static_cast<PulseConnection*>(self)->source_removed_(c, index);
            },
            this);
        if (pa_operation* op =
                pa_context_subscribe(context_, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr))
            pa_operation_unref(op);
    }
    pa_threaded_mainloop_unlock(loop_);
    if (!ready) Disconnect();
    return ready;
}

void PulseConnection::Disconnect() {
    if (loop_ == nullptr) return;
    pa_threaded_mainloop_lock(loop_);
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
}

bool PulseConnection::Ready() {
    if (loop_ == nullptr) return false;
    pa_threaded_mainloop_lock(loop_);
    const bool ready = context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY;
    pa_threaded_mainloop_unlock(loop_);
    return ready;
}

uint32_t PulseConnection::LoadModule(const std::string& module, const std::string& args) {
    Result r{loop_};
    if (!Run([&](pa_context* c) {
            return pa_context_load_module(c, module.c_str(), args.c_str(), &SignalIndex, &r);
        }))
        return PA_INVALID_INDEX;
    return r.index;
}

void PulseConnection::UnloadModule(uint32_t index) {
    if (index == PA_INVALID_INDEX) return;
    Result r{loop_};
    (void)Run(
        [&](pa_context* c) { return pa_context_unload_module(c, index, &SignalSuccess, &r); });
}

std::vector<PulseConnection::Module> PulseConnection::Modules() {
    std::vector<Module> modules;
    Result r{loop_};
    r.each = [&](const void* p) {
        const auto* m = static_cast<const pa_module_info*>(p);
        modules.push_back({m->index, m->name != nullptr ? m->name : "",
                           m->argument != nullptr ? m->argument : ""});
    };
    (void)Run([&](pa_context* c) {
        return pa_context_get_module_info_list(c, &EachInfo<pa_module_info>, &r);
    });
    return modules;
}

namespace {

struct Defaults {
    std::string sink;
    std::string source;
};

Defaults ReadDefaults(PulseConnection& server) {
    Defaults d;
    Result r{server.Loop()};
    r.each = [&](const void* p) {
        const auto* i = static_cast<const pa_server_info*>(p);
        if (i->default_sink_name != nullptr) d.sink = i->default_sink_name;
        if (i->default_source_name != nullptr) d.source = i->default_source_name;
    };
    (void)server.Run([&](pa_context* c) {
        return pa_context_get_server_info(
            c,
            [](pa_context*, const pa_server_info* i, void* data) {
                auto* res = static_cast<Result*>(data);
                if (i != nullptr) res->each(i);
                res->success = i != nullptr;
                pa_threaded_mainloop_signal(res->loop, 0);
            },
            &r);
    });
    return d;
}

}  // namespace

uint32_t PulseConnection::SinkIndex(const std::string& name) {
    uint32_t index = PA_INVALID_INDEX;
    Result r{loop_};
    r.each = [&](const void* p) { index = static_cast<const pa_sink_info*>(p)->index; };
    (void)Run([&](pa_context* c) {
        return pa_context_get_sink_info_by_name(c, name.c_str(), &EachInfo<pa_sink_info>, &r);
    });
    return index;
}

uint32_t PulseConnection::SourceIndex(const std::string& name) {
    uint32_t index = PA_INVALID_INDEX;
    Result r{loop_};
    r.each = [&](const void* p) { index = static_cast<const pa_source_info*>(p)->index; };
    (void)Run([&](pa_context* c) {
        return pa_context_get_source_info_by_name(c, name.c_str(), &EachInfo<pa_source_info>, &r);
    });
    return index;
}

std::string PulseConnection::DefaultSink() {
    return ReadDefaults(*this).sink;
}

std::string PulseConnection::DefaultSource() {
    return ReadDefaults(*this).source;
}

void PulseConnection::SetDefaultSink(const std::string& name) {
    Result r{loop_};
    (void)Run([&](pa_context* c) {
        return pa_context_set_default_sink(c, name.c_str(), &SignalSuccess, &r);
    });
}

void PulseConnection::SetDefaultSource(const std::string& name) {
    Result r{loop_};
    (void)Run([&](pa_context* c) {
        return pa_context_set_default_source(c, name.c_str(), &SignalSuccess, &r);
    });
}

void PulseConnection::SuspendSink(const std::string& name, bool suspend) {
    Result r{loop_};
    (void)Run([&](pa_context* c) {
        return pa_context_suspend_sink_by_name(c, name.c_str(), suspend ? 1 : 0, &SignalSuccess,
                                               &r);
    });
}

}  // namespace dz::audio
