#include "panels/eq_response.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace dz::panels {
namespace {

constexpr double kRate = 48000;
constexpr double kQ = 1.414;  // one octave

// |H(e^jw)| in dB of the peaking biquad of `gain_db` at `f0`.
double PeakingDb(double gain_db, double f0, double hz) {
    if (gain_db == 0 || f0 >= kRate / 2) return 0;
    const double a = std::pow(10.0, gain_db / 40);
    const double w0 = 2 * std::numbers::pi * f0 / kRate;
    const double alpha = std::sin(w0) / (2 * kQ);
    const double b0 = 1 + alpha * a, b1 = -2 * std::cos(w0), b2 = 1 - alpha * a;
    const double a0 = 1 + alpha / a, a1 = -2 * std::cos(w0), a2 = 1 - alpha / a;
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * hz / kRate);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (b0 + b1 * z1 + b2 * z2) / (a0 + a1 * z1 + a2 * z2);
    return 20 * std::log10(std::abs(h));
}

}  // namespace

double EqResponseDb(const std::array<int, 10>& gains, double hz) {
    double db = 0;
    for (size_t b = 0; b < gains.size(); ++b) db += PeakingDb(gains[b], kEqBandHz[b], hz);
    return db;
}

}  // namespace dz::panels
