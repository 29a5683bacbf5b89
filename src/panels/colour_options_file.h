#pragma once
// The colour dialog's file "color_option_info.config": the colours of the preset swatches
// and of the swatches the user collects, and which of each was selected last. It lives in
// the user's product folder; a read-only copy lies in DefaultData. Every member sits in the
// object "coloroptioninfo"; a colour is the text of its eight upper-case hexadecimal
// digits, alpha first ("FF0080C0"). Qt-free.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <json/value.h>

namespace dz::panels {

inline constexpr int kColourSwatches = 20;
inline constexpr std::string_view kColourOptionsFileName = "color_option_info.config";

// The user's file and the default copy.
[[nodiscard]] std::filesystem::path UserColourOptionsFile();
[[nodiscard]] std::filesystem::path DefaultColourOptionsFile();

// "FF0080C0" for 0xFF0080C0.
[[nodiscard]] std::string ColourText(uint32_t argb);
// The value of the text's leading hexadecimal digits (0 when there are none), after any
// leading white space. Nothing when there are more than eight digits after leading zeros:
// such a text is no colour at all.
[[nodiscard]] std::optional<uint32_t> ParseColourText(std::string_view text);

// A collected swatch as the file keeps it.
struct CollectedColour {
    bool has_colour = false;  // the entry has a "color" text that is a colour
    uint32_t colour = 0;
    std::string user_data;  // "1": the swatch holds a collected colour
    [[nodiscard]] bool Collected() const;
};

// What the dialog takes from the file when it opens.
struct ColourOptions {
    std::optional<int> preset_index;   // "palletDialogcoloroption_selectitem"
    bool has_collected_index = false;  // "palletDialogcollectcoloroption_selectitem" is there
    std::array<CollectedColour, kColourSwatches> collected{};
};
[[nodiscard]] ColourOptions ReadColourOptions(const Json::Value& file);

// The tree the dialog opens with: the user's file, or, when that is missing, damaged or no
// object, the default copy, which then replaces it (a damaged file is kept beside itself
// first; one that cannot be read is left alone). Null when neither can be read.
[[nodiscard]] Json::Value OpenColourOptions(const std::filesystem::path& user,
                                            const std::filesystem::path& defaults);

// Rewrites one list of the user's file, keeping everything else it holds. A swatch without
// a value (not in the skin) keeps its entry. False when the file is not written.
[[nodiscard]] bool SavePresetColours(
    const std::filesystem::path& user,
    const std::array<std::optional<uint32_t>, kColourSwatches>& colours, int preset_index);
struct CollectedSwatch {
    uint32_t colour = 0;
    std::string user_data;
};
[[nodiscard]] bool SaveCollectedColours(
    const std::filesystem::path& user,
    const std::array<std::optional<CollectedSwatch>, kColourSwatches>& swatches,
    int collected_index);

}  // namespace dz::panels
