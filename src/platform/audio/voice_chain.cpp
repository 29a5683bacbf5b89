#include "platform/audio/voice_chain.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace dz::audio {
namespace {

constexpr const char* kPluginLabel = "dozadir_voice";
constexpr const char* kLoopbackInput = "dozadir_voice_input";

bool Has(const std::string& args, const std::string& what) {
    // Arguments are separated by spaces: a whole word, not the start of a longer name.
    const size_t at = (" " + args + " ").find(" " + what + " ");
    return at != std::string::npos;
}

}  // namespace

VoiceChain::VoiceChain(PulseConnection& server) : server_(server) {
    server_.OnSourceRemoved([this](pa_context* c, uint32_t index) {
        if (index == PA_INVALID_INDEX || index != watched_source_.load()) return;
        watched_source_ = PA_INVALID_INDEX;
        const uint32_t out = out_module_.exchange(PA_INVALID_INDEX);
        // The plugin's sink and the remapped source go with the null sink they hang on; the
        // loopback has gone with the headset's source.
        if (out != PA_INVALID_INDEX)
            if (pa_operation* op = pa_context_unload_module(c, out, nullptr, nullptr))
                pa_operation_unref(op);
    });
}

VoiceChain::Pieces VoiceChain::Find() {
    Pieces p;
    for (const PulseConnection::Module& m : server_.Modules()) {
        if (m.name == "module-null-sink" &&
            Has(m.argument, std::string("sink_name=") + kVoiceOutSink)) {
            p.out = m.index;
        } else if (m.name == "module-ladspa-sink" &&
                   Has(m.argument, std::string("sink_name=") + kVoiceEffectSink)) {
            p.effect = m.index;
            const size_t c = m.argument.find(" control=");
            if (c != std::string::npos) p.voice = std::atoi(m.argument.c_str() + c + 9);
        } else if (m.name == "module-remap-source" &&
                   Has(m.argument, std::string("source_name=") + kVoiceSource)) {
            p.source = m.index;
        } else if (m.name == "module-loopback" &&
                   Has(m.argument, std::string("sink=") + kVoiceEffectSink)) {
            p.loopback = m.index;
        }
    }
    return p;
}

void VoiceChain::Unload(const Pieces& p) {
    for (const uint32_t m : {p.loopback, p.source, p.effect, p.out}) server_.UnloadModule(m);
}

std::optional<int> VoiceChain::VoiceInServer() {
    const Pieces p = Find();
    if (p.effect == PA_INVALID_INDEX || p.source == PA_INVALID_INDEX) return std::nullopt;
    return p.voice;
}

void VoiceChain::Remove() {
    watched_source_ = PA_INVALID_INDEX;
    out_module_ = PA_INVALID_INDEX;
    const Pieces p = Find();
    Unload(p);
}

// Programs' recording streams (not the modules' own, ours or the system's) from one source
// to the other.
void VoiceChain::MoveRecorders(const std::string& from, const std::string& to) {
    const uint32_t from_index = server_.SourceIndex(from);
    if (from_index == PA_INVALID_INDEX) return;
    std::vector<uint32_t> streams;
    Result r{server_.Loop()};
    r.each = [&](const void* p) {
        const auto* i = static_cast<const pa_source_output_info*>(p);
        if (i->source == from_index && i->owner_module == PA_INVALID_INDEX)
            streams.push_back(i->index);
    };
    (void)server_.Run([&](pa_context* c) {
        return pa_context_get_source_output_info_list(c, &EachInfo<pa_source_output_info>, &r);
    });
    for (const uint32_t s : streams) {
        Result m{server_.Loop()};
        (void)server_.Run([&](pa_context* c) {
            return pa_context_move_source_output_by_name(c, s, to.c_str(), &SignalSuccess, &m);
        });
    }
}

bool VoiceChain::Apply(const Endpoint& source, bool on, int voice, const std::string& plugin) {
    Pieces p = Find();
    if (!on) {
        watched_source_ = PA_INVALID_INDEX;
        out_module_ = PA_INVALID_INDEX;
        if (p.source != PA_INVALID_INDEX) {
            MoveRecorders(kVoiceSource, source.name);
            if (server_.DefaultSource() == kVoiceSource) server_.SetDefaultSource(source.name);
        }
        Unload(p);
        return true;
    }
    if (voice < kFirstVoice || voice > kLastVoice) voice = kFirstVoice;
    bool loaded = false;
    const std::string rate = " rate=" + std::to_string(source.rate) + " channels=1";
    if (p.out == PA_INVALID_INDEX) {
        // What is left of an earlier chain hung on a null sink that is no longer there.
        Unload(p);
        p = Pieces{};
        p.out = server_.LoadModule("module-null-sink",
                                   std::string("sink_name=") + kVoiceOutSink + rate +
                                       " sink_properties=\"device.description='Headset voice "
                                       "changer (internal)'\"");
        if (p.out == PA_INVALID_INDEX) return false;
        loaded = true;
    }
    out_module_ = p.out;
    if (p.effect == PA_INVALID_INDEX || p.voice != voice) {
        // The voice is the plugin's argument: the plugin's sink is loaded (again) with it,
        // and the loopback into it with it.
        server_.UnloadModule(p.loopback);
        server_.UnloadModule(p.effect);
        p.loopback = PA_INVALID_INDEX;
        p.effect = server_.LoadModule("module-ladspa-sink",
                                      std::string("sink_name=") + kVoiceEffectSink +
                                          " sink_master=" + kVoiceOutSink + rate + " plugin=\"" +
                                          plugin + "\" label=" + kPluginLabel +
                                          " control=" + std::to_string(voice));
        if (p.effect == PA_INVALID_INDEX) return false;
    }
    if (p.source == PA_INVALID_INDEX) {
        p.source = server_.LoadModule(
            "module-remap-source",
            std::string("source_name=") + kVoiceSource + " master=" + kVoiceOutSink +
                ".monitor channels=1 source_properties=\"device.description='Headset "
                "microphone (voice changer)'\"");
        if (p.source == PA_INVALID_INDEX) return false;
    }
    if (p.loopback == PA_INVALID_INDEX) {
        // Short latency: the voice is heard by the other side of a call.
        p.loopback = server_.LoadModule(
            "module-loopback", "source=" + source.name + " sink=" + kVoiceEffectSink +
                                   " source_dont_move=true sink_dont_move=true latency_msec=20"
                                   " source_output_properties=media.name=" +
                                   kLoopbackInput);
        if (p.loopback == PA_INVALID_INDEX) return false;
        loaded = true;
    }
    // An idle null sink works ahead in blocks of two seconds: the voice would come through
    // only once its first block has passed. Suspended and resumed, it starts again at the
    // short latency the chain asks for.
    if (loaded) {
        server_.SuspendSink(kVoiceOutSink, true);
        server_.SuspendSink(kVoiceOutSink, false);
    }
    watched_source_ = server_.SourceIndex(source.name);
    MoveRecorders(source.name, kVoiceSource);
    if (server_.DefaultSource() == source.name) server_.SetDefaultSource(kVoiceSource);
    return true;
}

}  // namespace dz::audio
