#pragma once
// The four named audio styles and their colours, kept in "AudioFile.json" in the user's
// folder (seeded from the default file under "DefaultData" when it is missing, not JSON or
// without "Device"). Qt-free.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include <json/value.h>

namespace dz::panels {

inline constexpr const char* kAudioFileName = "AudioFile.json";

struct AudioStyleRecord {
    int style = 0;  // 0..3; a file may hold another value, which selects no style
    std::array<std::string, 4> names;
    std::array<std::array<uint8_t, 3>, 4> colours{};  // red, green, blue of styles 0..3
    friend bool operator==(const AudioStyleRecord&, const AudioStyleRecord&) = default;
};

// The name a style takes when its name is left empty in the style window.
[[nodiscard]] const std::array<const char*, 4>& DefaultStyleNames();
// The style window's colour sliders run from 0 to this.
inline constexpr int kStyleColourMaximum = 9;

// The record of a "Device" object; style 0, empty names and black without its
// "AudioLightInfo". Values of the wrong type read as 0 or empty.
[[nodiscard]] AudioStyleRecord ReadAudioStyles(const Json::Value& device);
[[nodiscard]] Json::Value AudioStylesJson(const AudioStyleRecord& record);

// The colour block for the capture program: red, green, blue of the record's style (style 0's
// for an index outside 0..3) as the first three 32-bit values, green 0 sent as 1 (the
// capture side takes 0 as "no colour"), then zeros.
[[nodiscard]] std::array<uint8_t, 40> AudioColourBlock(const AudioStyleRecord& record);

class AudioStyleFile {
  public:
    AudioStyleFile(std::filesystem::path user_file, std::filesystem::path default_file);

    // Reads the user file, seeding it from the default file when it has no "Device"; the
    // record read becomes the current one.
    const AudioStyleRecord& Load();
    // The default file over the user file, and the record read from it.
    const AudioStyleRecord& RestoreDefaults();
    // `record` becomes current and is written into the user file's "Device"; the file's
    // other members survive.
    bool Save(const AudioStyleRecord& record);
    // The record as the "Device" object holds it now (the style window starts from it).
    [[nodiscard]] AudioStyleRecord ReadDevice() const { return ReadAudioStyles(device_); }

    [[nodiscard]] const AudioStyleRecord& Current() const { return current_; }
    void SetCurrent(const AudioStyleRecord& record) { current_ = record; }
    [[nodiscard]] const std::filesystem::path& UserFile() const { return user_file_; }

  private:
    void SeedFromDefault();
    void EnsureFolder() const;  // the user's folder is made when missing

    std::filesystem::path user_file_;
    std::filesystem::path default_file_;
    Json::Value device_;
    AudioStyleRecord current_;
};

}  // namespace dz::panels
