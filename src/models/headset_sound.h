#pragma once
// The headset's sound settings as the sound panels and dozadirctl change them: the values
// of "SystemSetStages", the current band gains and the custom equalisers' names, kept with
// the profile data and applied through HeadsetAudio. The headset object adds what its panels
// show; dozadirctl calls the same operations with the values from its command line. Qt-free.

#include <functional>
#include <string>
#include <vector>

#include "models/headset_audio.h"
#include "profile/device_profiledata.h"

namespace dz {

inline constexpr int kMaxCustomEqs = 20;

// The library calls of one operation, run wherever the caller makes its library calls (the
// headset object's sound worker, dozadirctl's own thread); 0 success. Captures values only.
using SoundWork = std::function<int(HeadsetAudio&)>;

class HeadsetSound {
  public:
    HeadsetSound() = default;

    // Takes the values, gains and names of `profile` (a list longer than 20 keeps its first
    // 20; a chosen custom equaliser beyond the list becomes 0).
    void Load(CDo6533Profiledata& profile);

    // Each operation below comes in two forms: ...Work changes the values (and the profile
    // data) at once and answers the library work that applies them, empty when the
    // operation does nothing; the plain form runs that work at once (dozadirctl).

    // Preset 1 to 12: the equaliser on with its gains, stored as the preset's; 13: the custom
    // equaliser (ApplyCustom follows with the chosen one). Any other value does nothing;
    // false then.
    bool ApplyPreset(HeadsetAudio& audio, CDo6533Profiledata& profile, int preset);
    SoundWork PresetWork(CDo6533Profiledata& profile, int preset);
    SoundWork CustomWork(CDo6533Profiledata& profile, int k);
    // `switched` answers whether the equaliser became the custom one for it.
    SoundWork BandWork(int band, int gain, bool* switched = nullptr);
    SoundWork VoiceEnabledWork(CDo6533Profiledata& profile, bool on);
    SoundWork VoiceWork(CDo6533Profiledata& profile, int n);
    SoundWork DeleteWork(CDo6533Profiledata& profile, int k);
    // The levels and switches are stored only once the library took them: the work first,
    // then Store... when it answered 0.
    [[nodiscard]] static SoundWork LevelWork(bool monitor, int level);
    void StoreLevel(CDo6533Profiledata& profile, bool monitor, int level);
    [[nodiscard]] static SoundWork SwitchWork(bool monitor, bool on);
    void StoreSwitch(CDo6533Profiledata& profile, bool monitor, bool on);
    // Everything the values say written again: the microphone's and monitoring's levels and
    // switches, and the equaliser's gains (a sound server that started again has none).
    [[nodiscard]] SoundWork ReapplyWork() const;
    // Custom equaliser k: its stored gains, the equaliser on. False when there is no such one.
    bool ApplyCustom(HeadsetAudio& audio, CDo6533Profiledata& profile, int k);
    // Band i to `gain`; answers whether the equaliser switched to 13 for it (no custom one
    // chosen then). Neither the values nor the profile are stored: the bands are a draft
    // until saved as a custom equaliser.
    bool SetBand(HeadsetAudio& audio, int band, int gain);
    // The microphone's (or monitoring's) level 0..100 and switch; false, and nothing stored,
    // when the library did not take it.
    bool SetLevel(HeadsetAudio& audio, CDo6533Profiledata& profile, bool monitor, int level);
    bool SetSwitch(HeadsetAudio& audio, CDo6533Profiledata& profile, bool monitor, bool on);
    // The voice changer: on or off (stored whatever the library answers), and voice 1..4.
    void SetVoiceEnabled(HeadsetAudio& audio, CDo6533Profiledata& profile, bool on);
    bool SelectVoice(HeadsetAudio& audio, CDo6533Profiledata& profile, int n);

    // The custom list: `gains` saved under a new name (0 the name is in use, -1 the list is
    // full or the name empty, 1 saved), over custom equaliser k, or k deleted (the gains
    // after it move up with their names).
    int AddCustom(CDo6533Profiledata& profile, const std::string& name, const EqGains& gains);
    bool OverwriteCustom(CDo6533Profiledata& profile, int k, const EqGains& gains);
    bool DeleteCustom(HeadsetAudio& audio, CDo6533Profiledata& profile, int k);
    // The index of a custom equaliser by name, ignoring case; -1 when none.
    [[nodiscard]] int FindCustom(const std::string& name) const;

    [[nodiscard]] HeadsetSystemValues& Values() { return values_; }
    [[nodiscard]] const HeadsetSystemValues& Values() const { return values_; }
    [[nodiscard]] const EqGains& Gains() const { return gains_; }
    [[nodiscard]] const std::vector<std::string>& Names() const { return names_; }
    [[nodiscard]] static EqGains StoredGains(CDo6533Profiledata& profile, bool custom, int index);

  private:
    void StoreValues(CDo6533Profiledata& profile) const { profile.SetSystemSetStages(values_); }

    HeadsetSystemValues values_{0, 1, 1, 0, 1, 0, 0, 0};
    EqGains gains_{};
    std::vector<std::string> names_;
};

}  // namespace dz
