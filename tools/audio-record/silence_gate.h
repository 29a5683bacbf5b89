#pragma once
// Which sample packets are worth sending. While nothing plays, the monitor gives packets of
// zeros: the window's bands shrink to a quarter with each of them and are all 0 after a
// few, and from then on a further zero packet changes nothing there. So after a run of
// kTrailing zero packets (enough to bring the loudest bands to 0 and hand the zeros to the
// keyboard) the rest of the silence is not sent, and the window is not woken 88 times a
// second for nothing; the first packet with sound goes out again at once.

#include <algorithm>

#include "pulse_capture.h"

namespace dz::audio_record {

class SilenceGate {
  public:
    // A band is at most a third of 4 x 8192 (the largest difference of two samples); each
    // zero packet divides it by 4 (to 0 after 7, the first zero packet still differs from
    // the sound before it), and the keyboard is handed the bands every third packet.
    static constexpr int kTrailing = 1 + 7 + 3 + 1;

    [[nodiscard]] bool Pass(const SamplePacket& packet) {
        const bool silent = std::all_of(packet.begin(), packet.end(), [](int32_t v) { return v == 0; });
        if (!silent) {
            quiet_ = 0;
            return true;
        }
        if (quiet_ >= kTrailing) return false;
        ++quiet_;
        return true;
    }

  private:
    int quiet_ = 0;
};

}  // namespace dz::audio_record
