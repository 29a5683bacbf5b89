#pragma once
// The headset's audio configuration library on Linux, over the sound server (PulseAudio, or
// PipeWire's pulse server). It answers the calls the headset object makes, with their
// results (0 success), and applies what this system can apply:
//   - the microphone level and mute: the headset source's volume and mute;
//   - monitoring: a loopback from the headset source to the headset sink, created on first
//     use ("AAVolumeScalarControl", "AAMuteControl");
//   - the equaliser: the ten bands (-48 to +24 dB) of the program's own LADSPA equaliser
//     (platform/audio/plugins: chained peaking filters at the octaves 31.25 Hz to 16 kHz)
//     loaded with module-ladspa-sink on the headset's sink; switching it on moves the
//     headset's streams onto it, switching it off moves them back;
//   - the voice changer ("Enable_MAGICVOICE", "MagicVoice_Selection" 0 to 3): the program's
//     own voice plugin between the headset's source and a source of ours that takes the
//     recording programs over (voice_chain.h).
// Every other property is stored, so that reading it answers what was written.
//
// Endpoints are the headset's own sink (list 0) and source (list 1), found by its USB ids
// in the server's device properties. A descriptor's words: 0 the endpoint's place in its
// list, 1 its type (1 the headset's output, 2 its input), 2 the list, 3 its state (1 there).
//
// Calls are serialised inside; they may wait on the server, so the window makes them on the
// headset's sound worker, never on the UI thread (dozadirctl and tests call them directly).

#include <cstdint>
#include <string>

namespace dz::audio {

struct AudioDeviceDescriptor {
    uint32_t words[4] = {0, 0, 0, 0};
};

inline constexpr int kOutputList = 0;
inline constexpr int kInputList = 1;
inline constexpr uint32_t kTypeHeadsetOutput = 1;
inline constexpr uint32_t kTypeHeadsetInput = 2;
inline constexpr uint32_t kStatePresent = 1;
inline constexpr size_t kPropertyBufferSize = 1024;
// The USB ids the endpoints are found by.
inline constexpr const char* kHeadsetVendorId = "0c76";
inline constexpr const char* kHeadsetProductId = "1630";
// The names our own objects carry in the server.
inline constexpr const char* kEqualiserSink = "dozadir_headset_eq";
inline constexpr const char* kMonitorStream = "dozadir_headset_monitor";

// 0 when the sound server answers (and the equaliser plugin is known or not: see
// EqualiserAvailable); non-zero otherwise.
int ConfLibInit();
int CreateDeviceList();
int GetDeviceCount(int list, uint32_t* count);
int GetDeviceById(int list, int index, AudioDeviceDescriptor* descriptor);
// `value` and `param` point to pointers to 1024-byte buffers (param may be null); `write`
// 1 writes the value in the first 4 bytes of the value buffer, 0 reads it as decimal text.
int PropertyControl(AudioDeviceDescriptor descriptor, const wchar_t* name, void** value,
                    void** param, int write);
// The equaliser's writes between these two are applied together at the end, as one reload
// of its module (a preset's ten bands). Groups nest; an end without a begin fails.
int BeginPropertyGroup();
int EndPropertyGroup();
// Present for the callers that look them up; they do nothing.
int RegisterCallbackFunction(void* callback);
int ShowAsioPanel();
int PlayTestSound();
int StopTestSound();
int CloseTestSound();
// Ends the connection (the program's end, tests); what was loaded into the server stays.
int ConfLibUnInit();

// What this system lacks for the sound panel's line, as a language text identifier (empty
// when all is there).
inline constexpr const char* kMissingServer = "hs_no_sound_server_text";
inline constexpr const char* kMissingPlugin = "hs_no_eq_plugin_text";
inline constexpr const char* kMissingHeadset = "hs_not_in_sound_server_text";
[[nodiscard]] std::string MissingFeatures();
// The English of those identifiers (dozadirctl, the debug output).
[[nodiscard]] const char* MissingText(const std::string& id);

}  // namespace dz::audio
