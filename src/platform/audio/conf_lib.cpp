#include "platform/audio/conf_lib.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/audio/pulse_connection.h"
#include "platform/audio/voice_chain.h"
#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"

namespace dz::audio {
namespace {

constexpr int kFailed = -1;
constexpr int kBands = 10;
constexpr int kLowestGain = -48;
constexpr int kHighestGain = 24;
constexpr const char* kPluginLabel = "dozadir_octave_eq";
constexpr const char* kGainsProperty = "dozadir.eq.gains";

bool IsHeadset(pa_proplist* props) {
    const char* vendor = pa_proplist_gets(props, "device.vendor.id");
    const char* product = pa_proplist_gets(props, "device.product.id");
    return vendor != nullptr && product != nullptr && strcasecmp(vendor, kHeadsetVendorId) == 0 &&
           strcasecmp(product, kHeadsetProductId) == 0;
}

std::string Text(const wchar_t* name) {
    std::string s;
    for (; name != nullptr && *name != 0; ++name) s.push_back(static_cast<char>(*name & 0x7F));
    return s;
}

// The program's own plugins, given to the server by their absolute paths; empty when the
// file is not there.
std::string Installed(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) ? file.string() : std::string();
}
std::string PluginFile() {
    return Installed(paths::EqualiserPluginFile());
}
std::string VoicePlugin() {
    return Installed(paths::VoicePluginFile());
}

bool PluginInstalled() {
    return !PluginFile().empty() && !VoicePlugin().empty();
}

class Library {
  public:
    Library() : voice_(server_) {}

    int Init() {
        std::lock_guard lock(mutex_);
        if (!EnsureServer()) {
            log::DebugLine("audio: no sound server");
            return kFailed;
        }
        return 0;
    }
    int UnInit() {
        std::lock_guard lock(mutex_);
        server_.Disconnect();
        return 0;
    }

    int CreateList() {
        std::lock_guard lock(mutex_);
        return ListEndpoints();
    }

  private:
    // The connection; a server connected anew (it went away and came back) has nothing of
    // ours, and the module index of before may be another's there.
    bool EnsureServer() {
        if (server_.Ready()) return true;
        eq_module_ = PA_INVALID_INDEX;
        return server_.Connect();
    }

    // Whether the headset's sink is still in the server.
    bool SinkThere(const std::string& name) { return server_.SinkIndex(name) != PA_INVALID_INDEX; }

    int ListEndpoints() {
        lists_[0].clear();
        lists_[1].clear();
        if (!EnsureServer()) return kFailed;
        Result sinks{server_.Loop()};
        sinks.each = [this](const void* p) {
            const auto* i = static_cast<const pa_sink_info*>(p);
            if (IsHeadset(i->proplist))
                lists_[0].push_back({i->name, i->channel_map.channels, i->sample_spec.rate});
        };
        Result sources{server_.Loop()};
        sources.each = [this](const void* p) {
            const auto* i = static_cast<const pa_source_info*>(p);
            if (i->monitor_of_sink == PA_INVALID_INDEX && IsHeadset(i->proplist))
                lists_[1].push_back({i->name, i->channel_map.channels, i->sample_spec.rate});
        };
        const bool ok = server_.Run([&](pa_context* c) {
            return pa_context_get_sink_info_list(c, &EachInfo<pa_sink_info>, &sinks);
        }) && server_.Run([&](pa_context* c) {
            return pa_context_get_source_info_list(c, &EachInfo<pa_source_info>, &sources);
        });
        if (!lists_[0].empty()) AdoptModules();
        if (!lists_[1].empty()) {
            AdoptVoice();
        } else if (ok) {
            // No microphone: a voice changer left without one (an earlier run's, the
            // headset unplugged meanwhile) is taken out.
            voice_.Remove();
        }
        return ok ? 0 : kFailed;
    }

  public:

    int Count(int list, uint32_t* count) {
        std::lock_guard lock(mutex_);
        if (count == nullptr || (list != 0 && list != 1)) return kFailed;
        *count = static_cast<uint32_t>(lists_[list].size());
        return 0;
    }

    int ById(int list, int index, AudioDeviceDescriptor* d) {
        std::lock_guard lock(mutex_);
        if (d == nullptr || (list != 0 && list != 1) || index < 0 ||
            static_cast<size_t>(index) >= lists_[list].size())
            return kFailed;
        d->words[0] = static_cast<uint32_t>(index);
        d->words[1] = list == 0 ? kTypeHeadsetOutput : kTypeHeadsetInput;
        d->words[2] = static_cast<uint32_t>(list);
        d->words[3] = kStatePresent;
        return 0;
    }

    int Property(AudioDeviceDescriptor d, const wchar_t* wide, void** value, void** param,
                 int write) {
        std::lock_guard lock(mutex_);
        if (value == nullptr || *value == nullptr) return kFailed;
        const uint32_t list = d.words[2];
        if (list > 1 || d.words[0] >= lists_[list].size()) return kFailed;
        const Endpoint& e = lists_[list][d.words[0]];
        const std::string name = Text(wide);
        auto* buffer = static_cast<uint8_t*>(*value);
        int param_int = 0;
        if (param != nullptr && *param != nullptr) std::memcpy(&param_int, *param, sizeof param_int);
        if (write == 1) {
            int as_int = 0;
            float as_float = 0;
            std::memcpy(&as_int, buffer, sizeof as_int);
            std::memcpy(&as_float, buffer, sizeof as_float);
            return Write(list, e, name, as_int, as_float) ? 0 : kFailed;
        }
        const std::optional<std::string> text = Read(list, e, name);
        if (!text) return kFailed;
        std::memset(buffer, 0, kPropertyBufferSize);
        std::memcpy(buffer, text->data(), std::min(text->size(), kPropertyBufferSize - 1));
        return 0;
    }

    std::string Missing() {
        std::lock_guard lock(mutex_);
        if (!EnsureServer()) return kMissingServer;
        // A headset that went (or has come back) is looked for again; it is there once both
        // its sink and its source are (the server adds them one after the other).
        if (lists_[0].empty() || lists_[1].empty() || !SinkThere(lists_[0][0].name))
            (void)ListEndpoints();
        if (lists_[0].empty() || lists_[1].empty()) return kMissingHeadset;
        if (!PluginInstalled()) return kMissingPlugin;
        return {};
    }

  private:
    using Key = std::pair<std::string, std::string>;  // endpoint, property

    // ---- Reading -------------------------------------------------------------------------
    std::optional<std::string> Read(uint32_t list, const Endpoint& e, const std::string& name) {
        char text[64];
        if (name == "GetSupportFeature") return "131072,0,0,0,0,0,0";  // 0x20000: voice changer
        if (list == 1) {
            if (name == "VolumeScalarControl" || name == "VolumeControl" || name == "MuteControl") {
                const auto source = SourceState(e.name);
                if (!source) return std::nullopt;
                if (name == "MuteControl") return source->mute ? "1" : "0";
                const double fraction = static_cast<double>(source->volume) / PA_VOLUME_NORM;
                if (name == "VolumeScalarControl") {
                    std::snprintf(text, sizeof text, "%f", fraction);
                } else {
                    std::snprintf(text, sizeof text, "%.2f", pa_sw_volume_to_dB(source->volume));
                }
                return std::string(text);
            }
            if (name == "GetMaxVol" || name == "GetAAMaxVol") return "0.00";
            if (name == "GetMinVol" || name == "GetAAMinVol") return "-96.00";
            if (name == "GetVolStep" || name == "GetAAVolStep") return "0.50";
            if (name == "AAVolumeScalarControl" || name == "AAVolumeControl" ||
                name == "AAMuteControl") {
                const auto loop = MonitorState();
                if (name == "AAMuteControl")
                    return loop ? (loop->mute ? "1" : "0") : Stored(e, name).value_or("1");
                const pa_volume_t v = loop ? loop->volume : StoredVolume(e);
                if (name == "AAVolumeScalarControl")
                    std::snprintf(text, sizeof text, "%f", static_cast<double>(v) / PA_VOLUME_NORM);
                else
                    std::snprintf(text, sizeof text, "%.2f", pa_sw_volume_to_dB(v));
                return std::string(text);
            }
        }
        return Stored(e, name);
    }

    std::optional<std::string> Stored(const Endpoint& e, const std::string& name) const {
        const auto it = stored_.find({e.name, name});
        if (it == stored_.end()) return std::nullopt;
        return it->second;
    }
    pa_volume_t StoredVolume(const Endpoint& e) const {
        const auto v = Stored(e, "AAVolumeScalarControl");
        return v ? static_cast<pa_volume_t>(std::atof(v->c_str()) * PA_VOLUME_NORM) : PA_VOLUME_NORM;
    }

    struct Level {
        pa_volume_t volume = 0;
        bool mute = false;
        uint32_t index = PA_INVALID_INDEX;
    };
    std::optional<Level> SourceState(const std::string& source) {
        Result r{server_.Loop()};
        std::optional<Level> out;
        r.each = [&](const void* p) {
            const auto* i = static_cast<const pa_source_info*>(p);
            out = Level{pa_cvolume_avg(&i->volume), i->mute != 0, i->index};
        };
        if (!server_.Run([&](pa_context* c) {
                return pa_context_get_source_info_by_name(c, source.c_str(),
                                                          &EachInfo<pa_source_info>, &r);
            }))
            return std::nullopt;
        return out;
    }
    // The monitoring loopback's stream into the headset sink, when it is there.
    std::optional<Level> MonitorState() {
        Result r{server_.Loop()};
        std::optional<Level> out;
        r.each = [&](const void* p) {
            const auto* i = static_cast<const pa_sink_input_info*>(p);
            const char* media = pa_proplist_gets(i->proplist, PA_PROP_MEDIA_NAME);
            if (media != nullptr && std::strcmp(media, kMonitorStream) == 0)
                out = Level{pa_cvolume_avg(&i->volume), i->mute != 0, i->index};
        };
        if (!server_.Run([&](pa_context* c) {
                return pa_context_get_sink_input_info_list(c, &EachInfo<pa_sink_input_info>, &r);
            }))
            return std::nullopt;
        return out;
    }

    // ---- Writing -------------------------------------------------------------------------
    bool Write(uint32_t list, const Endpoint& e, const std::string& name, int as_int,
               float as_float) {
        char text[64];
        if (list == 1 && (name == "VolumeScalarControl" || name == "MuteControl")) {
            pa_cvolume volume;
            const float level = std::clamp(as_float, 0.0f, 1.0f);
            pa_cvolume_set(&volume, e.channels, static_cast<pa_volume_t>(level * PA_VOLUME_NORM));
            Result r{server_.Loop()};
            const bool sent = server_.Run([&](pa_context* c) {
                return name == "MuteControl"
                           ? pa_context_set_source_mute_by_name(c, e.name.c_str(), as_int != 0,
                                                                &SignalSuccess, &r)
                           : pa_context_set_source_volume_by_name(c, e.name.c_str(), &volume,
                                                                  &SignalSuccess, &r);
            });
            return sent && r.success;
        }
        if (list == 1 && (name == "AAVolumeScalarControl" || name == "AAMuteControl")) {
            if (name == "AAVolumeScalarControl")
                std::snprintf(text, sizeof text, "%f", std::clamp(as_float, 0.0f, 1.0f));
            else
                std::snprintf(text, sizeof text, "%d", as_int != 0);
            stored_[{e.name, name}] = text;
            return ApplyMonitor(e);
        }
        if (list == 1 && (name == "Enable_MAGICVOICE" || name == "MagicVoice_Selection")) {
            std::snprintf(text, sizeof text, "%d",
                          name == "Enable_MAGICVOICE" ? static_cast<int>(as_int != 0)
                                                      : std::clamp(as_int, 0, kLastVoice - 1));
            stored_[{e.name, name}] = text;
            return ApplyVoice(e);
        }
        if (list == 0 && name == "Enable_EQ_GFX") {
            stored_[{e.name, name}] = as_int != 0 ? "1" : "0";
            return ApplyEqualiserOrDefer(e);
        }
        if (list == 0 && name.rfind("EQ_Slider", 0) == 0) {
            std::snprintf(text, sizeof text, "%d", std::clamp(as_int, kLowestGain, kHighestGain));
            // The same gain again changes nothing in the server.
            if (Stored(e, name) == std::optional<std::string>(text) && eq_module_ != PA_INVALID_INDEX)
                return true;
            stored_[{e.name, name}] = text;
            return ApplyEqualiserOrDefer(e);
        }
        std::snprintf(text, sizeof text, "%d", as_int);
        stored_[{e.name, name}] = text;
        return true;
    }

    // Inside a group the equaliser waits for the group's end: a preset is one reload.
    bool ApplyEqualiserOrDefer(const Endpoint& sink) {
        if (group_depth_ == 0) return ApplyEqualiser(sink);
        deferred_sink_ = sink;
        return true;
    }

  public:
    int BeginGroup() {
        std::lock_guard lock(mutex_);
        ++group_depth_;
        return 0;
    }
    int EndGroup() {
        std::lock_guard lock(mutex_);
        if (group_depth_ == 0) return kFailed;
        if (--group_depth_ > 0 || !deferred_sink_) return 0;
        const Endpoint sink = *deferred_sink_;
        deferred_sink_.reset();
        return ApplyEqualiser(sink) ? 0 : kFailed;
    }

  private:
    std::vector<uint32_t> SinkInputsOn(const std::string& sink) {
        const uint32_t sink_index = server_.SinkIndex(sink);
        std::vector<uint32_t> inputs;
        if (sink_index == PA_INVALID_INDEX) return inputs;
        Result r{server_.Loop()};
        r.each = [&](const void* p) {
            const auto* i = static_cast<const pa_sink_input_info*>(p);
            const char* media = pa_proplist_gets(i->proplist, PA_PROP_MEDIA_NAME);
            const bool ours = media != nullptr && std::strcmp(media, kMonitorStream) == 0;
            // The equaliser's own stream into its master stays where it is.
            if (i->sink == sink_index && !ours && i->owner_module != eq_module_)
                inputs.push_back(i->index);
        };
        (void)server_.Run([&](pa_context* c) {
            return pa_context_get_sink_input_info_list(c, &EachInfo<pa_sink_input_info>, &r);
        });
        return inputs;
    }
    void MoveInputs(const std::vector<uint32_t>& inputs, const std::string& to) {
        for (const uint32_t i : inputs) {
            Result r{server_.Loop()};
            (void)server_.Run([&](pa_context* c) {
                return pa_context_move_sink_input_by_name(c, i, to.c_str(), &SignalSuccess, &r);
            });
        }
    }

    bool ApplyMonitor(const Endpoint& source) {
        if (lists_[0].empty()) return false;
        const bool muted = Stored(source, "AAMuteControl").value_or("1") != "0";
        std::optional<Level> loop = MonitorState();
        if (!loop && muted) return true;  // nothing to hear: no loopback until it is wanted
        if (!loop) {
            const std::string args = "source=" + source.name + " sink=" + lists_[0][0].name +
                                     " source_dont_move=true sink_dont_move=true"
                                     " sink_input_properties=media.name=" +
                                     kMonitorStream;
            if (server_.LoadModule("module-loopback", args) == PA_INVALID_INDEX) return false;
            loop = MonitorState();
            if (!loop) return false;
        }
        pa_cvolume volume;
        pa_cvolume_set(&volume, 2, StoredVolume(source));
        Result v{server_.Loop()}, m{server_.Loop()};
        const bool ok = server_.Run([&](pa_context* c) {
            return pa_context_set_sink_input_volume(c, loop->index, &volume, &SignalSuccess, &v);
        }) && server_.Run([&](pa_context* c) {
            return pa_context_set_sink_input_mute(c, loop->index, muted, &SignalSuccess, &m);
        });
        return ok && v.success && m.success;
    }

    int Gain(const Endpoint& sink, int band) const {
        const auto v = Stored(sink, "EQ_Slider" + std::to_string(band + 1));
        return v ? std::atoi(v->c_str()) : 0;
    }

    // The equaliser as the stored switch and bands say: loaded (again, with the bands) or not.
    // While it is on and the headset is the default output, the equaliser is, so that new
    // streams meant for the headset go through it too.
    bool ApplyEqualiser(const Endpoint& sink) {
        const bool on = Stored(sink, "Enable_EQ_GFX").value_or("0") == "1";
        if (!on) {
            if (eq_module_ == PA_INVALID_INDEX) return true;
            const bool was_default = server_.DefaultSink() == kEqualiserSink;
            MoveInputs(SinkInputsOn(kEqualiserSink), sink.name);
            server_.UnloadModule(eq_module_);
            eq_module_ = PA_INVALID_INDEX;
            if (was_default) server_.SetDefaultSink(sink.name);
            return true;
        }
        const std::string plugin = PluginFile();
        if (plugin.empty()) return true;  // stored: it applies once the plugin is there
        // The plugin's bands are chained peaking filters: each control is its band's gain.
        std::string gains;
        for (int b = 0; b < kBands; ++b) gains += (b > 0 ? "," : "") + std::to_string(Gain(sink, b));
        // The gains asked for travel with the sink, so that a later start takes them over.
        const std::string args = std::string("sink_name=") + kEqualiserSink +
                                 " sink_master=" + sink.name + " plugin=\"" + plugin + "\"" +
                                 " label=" + kPluginLabel + " control=" + gains +
                                 " sink_properties=" + kGainsProperty + "=" + gains;
        // The bands are the module's arguments: the module is loaded again under the same
        // name, and the streams it had come back to it.
        const std::string from = eq_module_ == PA_INVALID_INDEX ? sink.name : kEqualiserSink;
        const std::vector<uint32_t> inputs = SinkInputsOn(from);
        const std::string current_default = server_.DefaultSink();
        const bool make_default = current_default == sink.name || current_default == kEqualiserSink;
        server_.UnloadModule(eq_module_);
        eq_module_ = server_.LoadModule("module-ladspa-sink", args);
        if (eq_module_ == PA_INVALID_INDEX) {
            MoveInputs(inputs, sink.name);
            return false;
        }
        MoveInputs(inputs, kEqualiserSink);
        if (make_default) server_.SetDefaultSink(kEqualiserSink);
        return true;
    }

    // After a restart of the program: the equaliser it left in the server is taken over;
    // its bands are stored by the headset's profile and written again by it.
    void AdoptModules() {
        eq_module_ = PA_INVALID_INDEX;  // unless it is still there
        const Endpoint& sink = lists_[0][0];
        for (const PulseConnection::Module& m : server_.Modules()) {
            if (m.name != "module-ladspa-sink" ||
                m.argument.find("sink_name=" + std::string(kEqualiserSink)) == std::string::npos)
                continue;
            eq_module_ = m.index;
            stored_[{sink.name, "Enable_EQ_GFX"}] = "1";
            const std::string key = std::string(kGainsProperty) + "=";
            const size_t c = m.argument.find(key);
            if (c == std::string::npos) continue;
            std::string gains =
                m.argument.substr(c + key.size(), m.argument.find(' ', c) - c - key.size());
            for (int b = 0; b < kBands && !gains.empty(); ++b) {
                const size_t comma = gains.find(',');
                stored_[{sink.name, "EQ_Slider" + std::to_string(b + 1)}] =
                    std::to_string(std::atoi(gains.substr(0, comma).c_str()));
                gains = comma == std::string::npos ? "" : gains.substr(comma + 1);
            }
        }
    }

    // A voice changer an earlier run left in the server is on, with its voice.
    void AdoptVoice() {
        const std::optional<int> voice = voice_.VoiceInServer();
        if (!voice) return;
        const Endpoint& source = lists_[1][0];
        stored_[{source.name, "Enable_MAGICVOICE"}] = "1";
        stored_[{source.name, "MagicVoice_Selection"}] = std::to_string(*voice - kFirstVoice);
    }

    // The voice changer as the stored switch and selection say.
    bool ApplyVoice(const Endpoint& source) {
        const bool on = Stored(source, "Enable_MAGICVOICE").value_or("0") == "1";
        const int voice =
            std::atoi(Stored(source, "MagicVoice_Selection").value_or("0").c_str()) + kFirstVoice;
        const std::string plugin = VoicePlugin();
        if (on && plugin.empty()) return true;  // stored: it applies once the plugin is there
        return voice_.Apply(source, on, voice, plugin);
    }

    std::mutex mutex_;
    PulseConnection server_;
    VoiceChain voice_;
    std::vector<Endpoint> lists_[2];
    std::map<Key, std::string> stored_;
    uint32_t eq_module_ = PA_INVALID_INDEX;
    int group_depth_ = 0;
    std::optional<Endpoint> deferred_sink_;
};

Library& Lib() {
    static Library lib;
    return lib;
}

}  // namespace

int ConfLibInit() {
    return Lib().Init();
}
int CreateDeviceList() {
    return Lib().CreateList();
}
int GetDeviceCount(int list, uint32_t* count) {
    return Lib().Count(list, count);
}
int GetDeviceById(int list, int index, AudioDeviceDescriptor* descriptor) {
    return Lib().ById(list, index, descriptor);
}
int PropertyControl(AudioDeviceDescriptor descriptor, const wchar_t* name, void** value,
                    void** param, int write) {
    return Lib().Property(descriptor, name, value, param, write);
}
int RegisterCallbackFunction(void*) {
    return 0;
}
int ShowAsioPanel() {
    return 0;
}
int PlayTestSound() {
    return 0;
}
int StopTestSound() {
    return 0;
}
int CloseTestSound() {
    return 0;
}
int BeginPropertyGroup() {
    return Lib().BeginGroup();
}
int EndPropertyGroup() {
    return Lib().EndGroup();
}
int ConfLibUnInit() {
    return Lib().UnInit();
}
std::string MissingFeatures() {
    return Lib().Missing();
}

const char* MissingText(const std::string& id) {
    if (id == kMissingServer) return "no sound server: the headset's sound settings cannot be applied";
    if (id == kMissingPlugin)
        return "the sound plugins are not installed: the equaliser and voice changer are only "
               "stored";
    if (id == kMissingHeadset)
        return "the headset is not among the sound server's devices: its sound settings are only "
               "stored";
    return "";
}

}  // namespace dz::audio
