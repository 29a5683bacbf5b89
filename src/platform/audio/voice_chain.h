#pragma once
// The headset microphone's voice changer in the sound server. While it is on, four modules
// of ours stand between the microphone and the programs that record it:
//
//   headset source --loopback--> kVoiceEffectSink (module-ladspa-sink, the program's own
//   dozadir_voice plugin with the voice as its control) --> kVoiceOutSink (a null sink)
//   --its monitor--> kVoiceSource (module-remap-source, "Headset microphone (voice
//   changer)")
//
// Switching it on moves the recording streams of programs from the headset source to
// kVoiceSource and makes kVoiceSource the default input when the headset's was; switching
// it off moves them back and unloads the four. The chain is found in the server by its
// names, so that one left by an earlier run is taken over, not doubled. When the headset's
// source leaves the server (unplugged), the chain is taken out at once.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/audio/pulse_connection.h"

namespace dz::audio {

inline constexpr const char* kVoiceSource = "dozadir_headset_voice";
inline constexpr const char* kVoiceEffectSink = "dozadir_voice_effect";
inline constexpr const char* kVoiceOutSink = "dozadir_voice_out";
inline constexpr int kFirstVoice = 1;
inline constexpr int kLastVoice = 4;

class VoiceChain {
  public:
    // `server` outlives the chain; the chain installs its unplug handler on it (before the
    // server connects).
    explicit VoiceChain(PulseConnection& server);

    // On with `voice` (1 to 4, others are 1) from `source`, the plugin at `plugin`; or off.
    // False when the server refused a module.
    bool Apply(const Endpoint& source, bool on, int voice, const std::string& plugin);
    // The voice of the chain in the server, nothing when there is none.
    std::optional<int> VoiceInServer();
    // Takes out whatever of the chain is in the server (the headset has gone).
    void Remove();

  private:
    struct Pieces {
        uint32_t out = PA_INVALID_INDEX;       // the null sink
        uint32_t effect = PA_INVALID_INDEX;    // the plugin's sink
        uint32_t source = PA_INVALID_INDEX;    // the remapped source
        uint32_t loopback = PA_INVALID_INDEX;  // microphone into the plugin
        int voice = 0;                         // the plugin's control
    };
    Pieces Find();
    void Unload(const Pieces& pieces);
    void MoveRecorders(const std::string& from, const std::string& to);

    PulseConnection& server_;
    // Read by the unplug handler on the server's thread: the headset source the chain
    // hangs on and the null sink whose unloading takes the rest with it.
    std::atomic<uint32_t> watched_source_{PA_INVALID_INDEX};
    std::atomic<uint32_t> out_module_{PA_INVALID_INDEX};
};

}  // namespace dz::audio
