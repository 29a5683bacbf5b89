#pragma once
// Reading tones off recorded sound: the amplitude of one frequency (Goertzel's recurrence,
// one multiply-add a sample), and the strongest frequency of a range, searched coarsely and
// then finely around the best.
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace dz::test {

// The amplitude of `hz` in `count` samples of `x` from `from` (a sine of amplitude A gives A).
inline double ToneLevel(const std::vector<float>& x, size_t from, size_t count, double hz,
                        double rate) {
    const double c = 2 * std::cos(2 * std::numbers::pi * hz / rate);
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < from + count; ++i) {
        const double s = static_cast<double>(x[i]) + c * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return 2 * std::sqrt(std::fmax(power, 0.0)) / static_cast<double>(count);
}

// The share of the stretch's power that lies between `low` and `high` Hz (0 to 1), summed
// over the stretch's own frequency lines (1 / its length apart).
inline double PowerShare(const std::vector<float>& x, size_t from, size_t count, double rate,
                         double low, double high) {
    double total = 0;
    for (size_t i = from; i < from + count; ++i) total += static_cast<double>(x[i]) * x[i];
    total /= static_cast<double>(count);
    if (total <= 0) return 0;
    const double line = rate / static_cast<double>(count);
    double band = 0;
    for (double hz = std::ceil(low / line) * line; hz <= high; hz += line) {
        const double a = ToneLevel(x, from, count, hz, rate);
        band += a * a / 2;
    }
    return band / total;
}

// The strongest frequency between `low` and `high` Hz, to a quarter of a hertz.
inline double StrongestTone(const std::vector<float>& x, size_t from, size_t count, double rate,
                            double low, double high) {
    const auto best_of = [&](double a, double b, double step) {
        double best = -1, best_hz = a;
        for (double hz = a; hz <= b; hz += step) {
            const double l = ToneLevel(x, from, count, hz, rate);
            if (l > best) best = l, best_hz = hz;
        }
        return best_hz;
    };
    const double coarse = best_of(low, high, 4);
    return best_of(std::fmax(low, coarse - 4), std::fmin(high, coarse + 4), 0.25);
}

}  // namespace dz::test
