// The headset's ten-band equaliser as a LADSPA plugin, loaded by the sound server's
// module-ladspa-sink. Ten peaking biquads in a chain, one per octave band (31.25 Hz to
// 16 kHz, one octave wide), so that a band set alone gives its centre frequency exactly its
// gain: filters in a chain multiply, where filters summed in parallel only share it out.
// Stereo, one chain per channel. run() allocates nothing and recomputes a band's
// coefficients only when its control changed.
#include <ladspa.h>

#include <array>
#include <cmath>
#include <new>

namespace {

constexpr unsigned long kUniqueId = 0x445A45;  // hosts here find the plugin by file and label
constexpr int kBands = 10;
constexpr int kChannels = 2;
constexpr float kLowestGain = -48.0f;
constexpr float kHighestGain = 24.0f;
constexpr double kFirstCentre = 31.25;
constexpr double kOctaves = 1.0;
// Added to each stage's input: a recursive filter fading into silence would otherwise sink
// into denormal numbers, which cost the CPU dozens of times more per operation. A constant
// this small (about -360 dB) is far below anything audible.
constexpr double kAntiDenormal = 1e-18;

enum Port : unsigned long {
    kFirstGain = 0,  // ten controls, band 1 first
    kInLeft = kBands,
    kInRight,
    kOutLeft,
    kOutRight,
    kPortCount,
};

struct Coefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

// The peaking filter of the well-known audio-EQ cookbook, bandwidth in octaves.
Coefficients Peaking(double centre, double gain_db, double rate) {
    const double w0 = 2 * M_PI * centre / rate;
    const double a = std::pow(10.0, gain_db / 40.0);
    const double sin_w0 = std::sin(w0);
    const double alpha = sin_w0 * std::sinh(std::log(2.0) / 2 * kOctaves * w0 / sin_w0);
    const double cos_w0 = std::cos(w0);
    const double a0 = 1 + alpha / a;
    Coefficients c;
    c.b0 = (1 + alpha * a) / a0;
    c.b1 = -2 * cos_w0 / a0;
    c.b2 = (1 - alpha * a) / a0;
    c.a1 = -2 * cos_w0 / a0;
    c.a2 = (1 - alpha / a) / a0;
    return c;
}

struct Equaliser {
    double rate = 48000;
    std::array<LADSPA_Data*, kPortCount> ports{};
    // The gains the coefficients were computed for; NaN: none yet.
    std::array<float, kBands> applied{};
    std::array<Coefficients, kBands> coefficients{};
    // Transposed direct form II state, two values per band and channel.
    std::array<std::array<std::array<double, 2>, kBands>, kChannels> state{};
    std::array<bool, kBands> active{};  // a band at 0 dB is left out of the chain
    std::array<int, kBands> chain{};    // the bands in use, in order
    int in_use = 0;
    std::array<double, kBands> centre{};

    void Reset() {
        for (auto& channel : state)
            for (auto& band : channel) band = {0, 0};
        applied.fill(NAN);
        active.fill(false);
        in_use = 0;
    }

    void Update() {
        for (int b = 0; b < kBands; ++b) {
            const LADSPA_Data* control = ports[kFirstGain + static_cast<unsigned long>(b)];
            float gain = control != nullptr ? *control : 0.0f;
            if (!std::isfinite(gain)) gain = 0;
            gain = std::fmin(std::fmax(gain, kLowestGain), kHighestGain);
            if (gain == applied[static_cast<size_t>(b)]) continue;
            applied[static_cast<size_t>(b)] = gain;
            coefficients[static_cast<size_t>(b)] = Peaking(centre[static_cast<size_t>(b)], gain, rate);
            const bool was_active = active[static_cast<size_t>(b)];
            active[static_cast<size_t>(b)] = gain != 0.0f;
            // A band coming back into the chain starts from rest, not from what it held then.
            if (!was_active)
                for (auto& channel : state) channel[static_cast<size_t>(b)] = {0, 0};
        }
        in_use = 0;
        for (int b = 0; b < kBands; ++b)
            if (active[static_cast<size_t>(b)]) chain[static_cast<size_t>(in_use++)] = b;
    }

    void Run(unsigned long frames) {
        Update();
        for (int ch = 0; ch < kChannels; ++ch) {
            const LADSPA_Data* in = ports[ch == 0 ? kInLeft : kInRight];
            LADSPA_Data* out = ports[ch == 0 ? kOutLeft : kOutRight];
            if (in == nullptr || out == nullptr) continue;
            auto& bands = state[static_cast<size_t>(ch)];
            // Sample after sample through the bands in use: the next sample's first bands run
            // while this one's last are still being computed (band after band over a block
            // would wait on each filter's own feedback and take twice as long).
            for (unsigned long i = 0; i < frames; ++i) {
                double x = in[i];
                for (int k = 0; k < in_use; ++k) {
                    const Coefficients& c = coefficients[static_cast<size_t>(chain[static_cast<size_t>(k)])];
                    auto& st = bands[static_cast<size_t>(chain[static_cast<size_t>(k)])];
                    x += kAntiDenormal;
                    const double y = c.b0 * x + st[0];
                    st[0] = c.b1 * x - c.a1 * y + st[1];
                    st[1] = c.b2 * x - c.a2 * y;
                    x = y;
                }
                out[i] = static_cast<LADSPA_Data>(x);
            }
        }
    }
};

LADSPA_Handle Instantiate(const LADSPA_Descriptor*, unsigned long rate) {
    auto* e = new (std::nothrow) Equaliser;
    if (e == nullptr) return nullptr;
    e->rate = static_cast<double>(rate);
    for (int b = 0; b < kBands; ++b) {
        double hz = kFirstCentre * std::pow(2.0, b);
        // A centre at or past the Nyquist frequency has no filter: keep it just below.
        hz = std::fmin(hz, 0.45 * e->rate);
        e->centre[static_cast<size_t>(b)] = hz;
    }
    e->Reset();
    return e;
}

void Connect(LADSPA_Handle h, unsigned long port, LADSPA_Data* where) {
    if (port < kPortCount) static_cast<Equaliser*>(h)->ports[port] = where;
}

void Activate(LADSPA_Handle h) {
    static_cast<Equaliser*>(h)->Reset();
}

void Run(LADSPA_Handle h, unsigned long frames) {
    static_cast<Equaliser*>(h)->Run(frames);
}

void Cleanup(LADSPA_Handle h) {
    delete static_cast<Equaliser*>(h);
}

constexpr const char* kPortNames[kPortCount] = {
    "31 Hz gain (dB)", "62 Hz gain (dB)", "125 Hz gain (dB)", "250 Hz gain (dB)",
    "500 Hz gain (dB)", "1 kHz gain (dB)", "2 kHz gain (dB)", "4 kHz gain (dB)",
    "8 kHz gain (dB)", "16 kHz gain (dB)", "Input L", "Input R", "Output L", "Output R",
};

struct Description {
    std::array<LADSPA_PortDescriptor, kPortCount> kinds{};
    std::array<LADSPA_PortRangeHint, kPortCount> hints{};
    LADSPA_Descriptor descriptor{};

    Description() {
        for (unsigned long p = 0; p < kPortCount; ++p) {
            if (p < kInLeft) {
                kinds[p] = LADSPA_PORT_INPUT | LADSPA_PORT_CONTROL;
                hints[p] = {LADSPA_HINT_BOUNDED_BELOW | LADSPA_HINT_BOUNDED_ABOVE |
                                LADSPA_HINT_DEFAULT_0,
                            kLowestGain, kHighestGain};
            } else {
                kinds[p] = (p < kOutLeft ? LADSPA_PORT_INPUT : LADSPA_PORT_OUTPUT) |
                           LADSPA_PORT_AUDIO;
                hints[p] = {0, 0, 0};
            }
        }
        descriptor.UniqueID = kUniqueId;
        descriptor.Label = "dozadir_octave_eq";
        descriptor.Properties = LADSPA_PROPERTY_HARD_RT_CAPABLE;
        descriptor.Name = "Dozadir headset ten-band octave equaliser";
        descriptor.Maker = "Dozadir Keyboard";
        descriptor.Copyright = "None";
        descriptor.PortCount = kPortCount;
        descriptor.PortDescriptors = kinds.data();
        descriptor.PortNames = kPortNames;
        descriptor.PortRangeHints = hints.data();
        descriptor.instantiate = Instantiate;
        descriptor.connect_port = Connect;
        descriptor.activate = Activate;
        descriptor.run = Run;
        descriptor.cleanup = Cleanup;
    }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LADSPA_Descriptor* ladspa_descriptor(
    unsigned long index) {
    static const Description description;
    return index == 0 ? &description.descriptor : nullptr;
}
