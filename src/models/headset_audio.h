#pragma once
// The headset's sound side over its audio configuration library: choosing the endpoints,
// the feature words, giving every property a value, reading the sound values back, and the
// property writes of the equaliser, microphone, monitoring and voice changer. Qt-free: the
// headset object and dozadirctl share it, and tests put any library behind it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profile/device_profiledata.h"

namespace dz {

inline constexpr int kEqBands = 10;
inline constexpr int kEqPresetCount = 12;
inline constexpr int kCustomEqType = 13;
using EqGains = std::array<int, kEqBands>;

// The built-in gains of presets 1 to 12 (index 0 is preset 1).
[[nodiscard]] const std::array<EqGains, kEqPresetCount>& EqPresets();

// Positions in HeadsetSystemValues ("SystemSetStages" of the headset's profile).
enum HeadsetValue : size_t {
    kMagicEnable = 0,
    kMagicType = 1,
    kEqType = 2,
    kCustomEqSelect = 3,
    kMicInSelect = 4,
    kMicInValue = 5,
    kMonitorSelect = 6,
    kMonitorValue = 7,
};

struct AudioDescriptor {
    uint32_t words[4] = {0, 0, 0, 0};
};

// The library's exports (0 success).
class AudioLibrary {
  public:
    virtual ~AudioLibrary() = default;
    virtual int ConfLibInit() = 0;
    virtual int CreateDeviceList() = 0;
    virtual int GetDeviceCount(int list, uint32_t* count) = 0;
    virtual int GetDeviceById(int list, int index, AudioDescriptor* d) = 0;
    virtual int PropertyControl(AudioDescriptor d, const wchar_t* name, void** value, void** param,
                                int write) = 0;
    // One line on what this system cannot apply (empty when everything is there).
    [[nodiscard]] virtual std::string Missing() { return {}; }
    // Writes between these two may be applied together at the end (0 success).
    virtual int BeginPropertyGroup() { return 0; }
    virtual int EndPropertyGroup() { return 0; }
};

class HeadsetAudio {
  public:
    explicit HeadsetAudio(AudioLibrary& library) : library_(library) {}

    // Endpoints, feature words, defaults and the read-back. The message texts to show
    // ("ConfLibInit called failed!", "UpdateAPOAvailable failed!") come back in order.
    std::vector<std::string> InitAudio(HeadsetSystemValues& values);
    void EnsureAudioDefaults();
    // A failed read leaves the value as it was.
    void ReadAudioState(HeadsetSystemValues& values);

    // Property writes (0 success).
    int WriteInt(bool output, const wchar_t* name, int value, const int* param = nullptr,
                 size_t param_bytes = 4);
    int WriteFloat(bool output, const wchar_t* name, float value, const int* param = nullptr);
    [[nodiscard]] std::optional<std::string> Read(bool output, const wchar_t* name,
                                                  const int* param = nullptr,
                                                  size_t param_bytes = 4);

    // The equaliser on with these ten gains, written as one group (0 success).
    int ApplyGains(const EqGains& gains);
    // Band i (0..9).
    int SetBand(int band, int gain);

    [[nodiscard]] bool HasOutput() const { return has_output_; }
    [[nodiscard]] const AudioDescriptor& Output() const { return output_; }
    [[nodiscard]] const AudioDescriptor& Input() const { return input_; }
    [[nodiscard]] const std::array<int, 3>& InputFeatures() const { return input_features_; }
    [[nodiscard]] const std::array<int, 3>& OutputFeatures() const { return output_features_; }

  private:
    bool ReadFeatures(bool output, std::array<int, 3>& words);

    AudioLibrary& library_;
    AudioDescriptor output_{};
    AudioDescriptor input_{};
    bool has_output_ = false;
    std::array<int, 3> input_features_{};
    std::array<int, 3> output_features_{};
    // The five property buffers, cleared before every use.
    alignas(4) std::array<uint8_t, 1024> write_value_{};
    alignas(4) std::array<uint8_t, 1024> write_param_{};
    alignas(4) std::array<uint8_t, 1024> read_value_{};
    alignas(4) std::array<uint8_t, 1024> read_param_{};
};

// The library over the sound server (platform/audio).
class SoundServerLibrary : public AudioLibrary {
  public:
    int ConfLibInit() override;
    int CreateDeviceList() override;
    int GetDeviceCount(int list, uint32_t* count) override;
    int GetDeviceById(int list, int index, AudioDescriptor* d) override;
    int PropertyControl(AudioDescriptor d, const wchar_t* name, void** value, void** param,
                        int write) override;
    [[nodiscard]] std::string Missing() override;
    int BeginPropertyGroup() override;
    int EndPropertyGroup() override;
};

}  // namespace dz
