// The headset microphone's voice changer as a LADSPA plugin, loaded by the sound server's
// module-ladspa-sink between the microphone and the source programs record from. Mono. One
// control picks the voice:
//   1 deeper   pitch down five semitones
//   2 higher   pitch up five semitones
//   3 robot    ring modulation with a 50 Hz carrier
//   4 monster  pitch down an octave
// The pitch shifter is the classic delay-line one: two read taps half a window apart slide
// through a 40 ms window at the speed the ratio asks for, each faded in and out with a Hann
// curve so that a tap's jump back to the window's other end is silent. run() allocates
// nothing.
#include <ladspa.h>

#include <array>
#include <cmath>
#include <new>

namespace {

constexpr unsigned long kUniqueId = 0x445A56;
constexpr int kFirstVoice = 1;
constexpr int kLastVoice = 4;
constexpr double kWindowSeconds = 0.04;
constexpr double kRobotCarrierHz = 50.0;
// Holds two windows at 192 kHz; a power of two, so that wrapping is a mask.
constexpr unsigned kHistory = 1u << 15;

enum Port : unsigned long { kVoice = 0, kIn, kOut, kPortCount };

double PitchRatio(int voice) {
    switch (voice) {
        case 1:
            return std::pow(2.0, -5.0 / 12.0);
        case 2:
            return std::pow(2.0, 5.0 / 12.0);
        case 4:
            return 0.5;
        default:
            return 1.0;
    }
}

struct VoiceChanger {
    double rate = 48000;
    double window = 1920;  // samples
    std::array<LADSPA_Data*, kPortCount> ports{};
    std::array<float, kHistory> history{};
    unsigned written = 0;
    double phase = 0;    // of the first tap through the window, 0 to 1
    double carrier = 0;  // of the robot's carrier, 0 to 1
    int voice = 0;       // the voice the state belongs to; 0: none yet

    void Reset() {
        history.fill(0);
        written = 0;
        phase = 0;
        carrier = 0;
    }

    // The history `delay` samples back from the newest, between samples linearly.
    [[nodiscard]] double Back(double delay) const {
        const auto whole = static_cast<unsigned>(delay);
        const double part = delay - whole;
        const float a = history[(written - 1 - whole) & (kHistory - 1)];
        const float b = history[(written - 2 - whole) & (kHistory - 1)];
        return a + (b - a) * part;
    }

    void Run(unsigned long frames) {
        const LADSPA_Data* in = ports[kIn];
        LADSPA_Data* out = ports[kOut];
        if (in == nullptr || out == nullptr) return;
        const LADSPA_Data* control = ports[kVoice];
        int wanted = control != nullptr && std::isfinite(*control)
                         ? static_cast<int>(std::lround(*control))
                         : kFirstVoice;
        if (wanted < kFirstVoice || wanted > kLastVoice) wanted = kFirstVoice;
        if (wanted != voice) {
            Reset();
            voice = wanted;
        }
        if (voice == 3) {
            const double step = kRobotCarrierHz / rate;
            for (unsigned long i = 0; i < frames; ++i) {
                out[i] = static_cast<LADSPA_Data>(in[i] * std::sin(2 * M_PI * carrier));
                carrier += step;
                if (carrier >= 1) carrier -= 1;
            }
            return;
        }
        // The first tap's delay grows (a lower voice) or shrinks (a higher one) by 1 - ratio
        // samples per sample; the phase wraps when it crosses the window's end.
        const double slide = (1.0 - PitchRatio(voice)) / window;
        for (unsigned long i = 0; i < frames; ++i) {
            // Read before the write: in and out may be the same buffer.
            const float x = in[i];
            history[written & (kHistory - 1)] = std::isfinite(x) ? x : 0.0f;
            ++written;
            const double second = phase < 0.5 ? phase + 0.5 : phase - 0.5;
            const double fade = 0.5 - 0.5 * std::cos(2 * M_PI * phase);
            const double y = fade * Back(phase * window) + (1 - fade) * Back(second * window);
            out[i] = static_cast<LADSPA_Data>(std::fmax(-1.0, std::fmin(1.0, y)));
            phase += slide;
            if (phase >= 1) phase -= 1;
            if (phase < 0) phase += 1;
        }
    }
};

LADSPA_Handle Instantiate(const LADSPA_Descriptor*, unsigned long rate) {
    if (rate == 0 || rate > 192000) return nullptr;
    auto* v = new (std::nothrow) VoiceChanger;
    if (v == nullptr) return nullptr;
    v->rate = static_cast<double>(rate);
    v->window = kWindowSeconds * v->rate;
    return v;
}

void Connect(LADSPA_Handle h, unsigned long port, LADSPA_Data* where) {
    if (port < kPortCount) static_cast<VoiceChanger*>(h)->ports[port] = where;
}

void Activate(LADSPA_Handle h) {
    auto* v = static_cast<VoiceChanger*>(h);
    v->Reset();
    v->voice = 0;
}

void Run(LADSPA_Handle h, unsigned long frames) {
    static_cast<VoiceChanger*>(h)->Run(frames);
}

void Cleanup(LADSPA_Handle h) {
    delete static_cast<VoiceChanger*>(h);
}

constexpr const char* kPortNames[kPortCount] = {"Voice (1 to 4)", "Input", "Output"};
constexpr LADSPA_PortDescriptor kKinds[kPortCount] = {
    LADSPA_PORT_INPUT | LADSPA_PORT_CONTROL,
    LADSPA_PORT_INPUT | LADSPA_PORT_AUDIO,
    LADSPA_PORT_OUTPUT | LADSPA_PORT_AUDIO,
};
constexpr LADSPA_PortRangeHint kHints[kPortCount] = {
    {LADSPA_HINT_BOUNDED_BELOW | LADSPA_HINT_BOUNDED_ABOVE | LADSPA_HINT_INTEGER |
         LADSPA_HINT_DEFAULT_MINIMUM,
     kFirstVoice, kLastVoice},
    {0, 0, 0},
    {0, 0, 0},
};

LADSPA_Descriptor Describe() {
    LADSPA_Descriptor d{};
    d.UniqueID = kUniqueId;
    d.Label = "dozadir_voice";
    d.Properties = LADSPA_PROPERTY_HARD_RT_CAPABLE;
    d.Name = "Dozadir headset voice changer";
    d.Maker = "Dozadir Keyboard";
    d.Copyright = "None";
    d.PortCount = kPortCount;
    d.PortDescriptors = kKinds;
    d.PortNames = kPortNames;
    d.PortRangeHints = kHints;
    d.instantiate = Instantiate;
    d.connect_port = Connect;
    d.activate = Activate;
    d.run = Run;
    d.cleanup = Cleanup;
    return d;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const LADSPA_Descriptor* ladspa_descriptor(
    unsigned long index) {
    static const LADSPA_Descriptor descriptor = Describe();
    return index == 0 ? &descriptor : nullptr;
}
