#include "platform/audio/eq_calibration.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <vector>

namespace dz::audio {
namespace {

// The plugin interface (its ABI is fixed by the LADSPA standard).
struct PortRangeHint {
    int hint;
    float lower;
    float upper;
};
struct Descriptor {
    unsigned long id;
    const char* label;
    int properties;
    const char* name;
    const char* maker;
    const char* copyright;
    unsigned long port_count;
    const int* port_descriptors;
    const char* const* port_names;
    const PortRangeHint* port_hints;
    void* implementation;
    void* (*instantiate)(const Descriptor*, unsigned long rate);
    void (*connect_port)(void*, unsigned long port, float* data);
    void (*activate)(void*);
    void (*run)(void*, unsigned long count);
    void (*run_adding)(void*, unsigned long count);
    void (*set_run_adding_gain)(void*, float gain);
    void (*deactivate)(void*);
    void (*cleanup)(void*);
};
using DescriptorFunction = const Descriptor* (*)(unsigned long index);

constexpr int kPortInput = 0x1, kPortOutput = 0x2, kPortControl = 0x4, kPortAudio = 0x8;
constexpr std::array<double, 10> kCentres = {31.25, 62.5, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
constexpr double kLowest = -48, kHighest = 24;
constexpr int kRounds = 24;
constexpr double kClose = 0.05;  // dB
constexpr double kReach = 12;    // dB

}  // namespace

std::string FindPlugin(const std::string& file) {
    std::vector<std::string> dirs;
    if (const char* path = std::getenv("LADSPA_PATH")) {
        std::string all = path;
        size_t from = 0;
        for (;;) {
            const size_t colon = all.find(':', from);
            dirs.push_back(all.substr(from, colon - from));
            if (colon == std::string::npos) break;
            from = colon + 1;
        }
    }
    for (const char* d : {"/usr/lib/ladspa", "/usr/local/lib/ladspa", "/usr/lib64/ladspa",
                          "/usr/lib/x86_64-linux-gnu/ladspa"})
        dirs.emplace_back(d);
    std::error_code ec;
    for (const std::string& d : dirs) {
        const std::filesystem::path p = std::filesystem::path(d) / file;
        if (!d.empty() && std::filesystem::exists(p, ec)) return p.string();
    }
    return {};
}

EqCalibration::~EqCalibration() {
    if (library_ != nullptr) ::dlclose(library_);
}

bool EqCalibration::Load(const std::string& path) {
    if (descriptor_ != nullptr) return true;
    if (path.empty()) return false;
    library_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) return false;
    auto list = reinterpret_cast<DescriptorFunction>(::dlsym(library_, "ladspa_descriptor"));
    for (unsigned long i = 0; list != nullptr; ++i) {
        const Descriptor* d = list(i);
        if (d == nullptr) break;
        if (d->label != nullptr && std::strcmp(d->label, "Eq10") == 0 && d->port_count == 12) {
            descriptor_ = d;
            return true;
        }
    }
    ::dlclose(library_);
    library_ = nullptr;
    return false;
}

std::optional<double> EqCalibration::ResponseDb(const std::array<double, 10>& controls, double hz,
                                                unsigned rate) {
    const auto* d = static_cast<const Descriptor*>(descriptor_);
    if (d == nullptr || rate == 0) return std::nullopt;
    void* h = d->instantiate(d, rate);
    if (h == nullptr) return std::nullopt;
    std::array<float, 10> values{};
    // Long enough for the lowest band to settle (some eight of its time constants); the last
    // third is measured.
    const size_t n = static_cast<size_t>(rate * 0.12);
    std::vector<float> in(n), out(n);
    for (size_t i = 0; i < n; ++i)
        in[i] = static_cast<float>(0.25 * std::sin(2 * std::numbers::pi * hz * i / rate));
    size_t control = 0;
    for (unsigned long p = 0; p < d->port_count; ++p) {
        const int kind = d->port_descriptors[p];
        if ((kind & kPortControl) != 0 && (kind & kPortInput) != 0 && control < values.size()) {
            values[control] = static_cast<float>(controls[control]);
            d->connect_port(h, p, &values[control]);
            ++control;
        } else if ((kind & kPortAudio) != 0) {
            d->connect_port(h, p, (kind & kPortOutput) != 0 ? out.data() : in.data());
        }
    }
    if (d->activate != nullptr) d->activate(h);
    d->run(h, n);
    if (d->deactivate != nullptr) d->deactivate(h);
    d->cleanup(h);
    double si = 0, so = 0;
    for (size_t i = n * 2 / 3; i < n; ++i) {
        si += double(in[i]) * in[i];
        so += double(out[i]) * out[i];
    }
    if (si <= 0 || so <= 0) return std::nullopt;
    return 10 * std::log10(so / si);
}

std::array<double, 10> EqCalibration::Controls(const std::array<int, 10>& wanted, unsigned rate) {
    const auto known = found_.find({wanted, rate});
    if (known != found_.end()) return known->second;
    const std::array<double, 10> c = Search(wanted, rate);
    if (descriptor_ != nullptr) found_[{wanted, rate}] = c;
    return c;
}

std::array<double, 10> EqCalibration::Search(const std::array<int, 10>& wanted, unsigned rate) {
    std::array<double, 10> c{};
    for (size_t b = 0; b < c.size(); ++b) c[b] = wanted[b];
    if (descriptor_ == nullptr) return c;
    // Bands above what the rate carries cannot be measured; they keep the wanted gain.
    std::array<bool, 10> usable{};
    for (size_t b = 0; b < c.size(); ++b) usable[b] = kCentres[b] < rate * 0.45;
    const std::array<double, 10> flat{};
    std::array<double, 10> base{};
    for (size_t b = 0; b < c.size(); ++b)
        base[b] = usable[b] ? ResponseDb(flat, kCentres[b], rate).value_or(0) : 0;
    // Each round moves every control by its band's error, never further than 12 dB from the
    // gain asked for (a curve of many bands would otherwise be met at its centres with
    // controls that swing between the extremes and ring in between); the best round is kept.
    std::array<double, 10> best = c;
    double best_error = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        double worst = 0;
        std::array<double, 10> error{};
        for (size_t b = 0; b < c.size(); ++b) {
            if (!usable[b]) continue;
            const std::optional<double> r = ResponseDb(c, kCentres[b], rate);
            if (!r) return best;
            error[b] = wanted[b] - (*r - base[b]);
            worst = std::max(worst, std::abs(error[b]));
        }
        if (worst < best_error) {
            best_error = worst;
            best = c;
        }
        if (worst < kClose) break;
        for (size_t b = 0; b < c.size(); ++b)
            if (usable[b])
                c[b] = std::clamp(c[b] + error[b], std::max(kLowest, wanted[b] - kReach),
                                  std::min(kHighest, wanted[b] + kReach));
    }
    c = best;
    return c;
}

}  // namespace dz::audio
