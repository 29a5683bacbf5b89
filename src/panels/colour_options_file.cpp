#include "panels/colour_options_file.h"

#include <cstdio>
#include <functional>

#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"

namespace dz::panels {
namespace {

constexpr std::string_view kRoot = "coloroptioninfo";
constexpr std::string_view kPresets = "palletDialogcoloroption";
constexpr std::string_view kPresetIndex = "palletDialogcoloroption_selectitem";
constexpr std::string_view kCollected = "palletDialogcollectcoloroption";
constexpr std::string_view kCollectedIndex = "palletDialogcollectcoloroption_selectitem";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The file as it is now, or an empty object when it is missing or holds no object.
Json::Value& Info(Json::Value& file) {
    return JsonMemberForWrite(file, kRoot);
}

bool Save(const std::filesystem::path& user, const std::function<void(Json::Value&)>& change) {
    (void)paths::EnsureFolder(user.parent_path());
    const JsonFileRead read = ReadJsonFileChecked(user);
    Json::Value file =
        read.Parsed() && read.value.isObject() ? read.value : Json::Value(Json::objectValue);
    change(file);
    // A damaged file is kept beside itself; one that cannot be read stays as it is.
    return TryReplaceUserJsonFile(user, file, read);
}

}  // namespace

std::filesystem::path UserColourOptionsFile() {
    return paths::ProductDataFolder() / std::string(kColourOptionsFileName);
}

std::filesystem::path DefaultColourOptionsFile() {
    return paths::DefaultDataFolder() / std::string(kColourOptionsFileName);
}

std::string ColourText(uint32_t argb) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", argb);
    return text;
}

std::optional<uint32_t> ParseColourText(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    while (i + 1 < text.size() && text[i] == '0' && HexDigit(text[i + 1]) >= 0) ++i;
    uint32_t value = 0;
    int digits = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        if (++digits > 8) return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(HexDigit(text[i]));
    }
    return value;
}

bool CollectedColour::Collected() const {
    return user_data == "1";
}

ColourOptions ReadColourOptions(const Json::Value& file) {
    ColourOptions options;
    const Json::Value& info = JsonMember(file, kRoot);
    if (const Json::Value& p = JsonMember(info, kPresetIndex); !p.isNull())
        options.preset_index = JsonAsInt(p);
    options.has_collected_index = !JsonMember(info, kCollectedIndex).isNull();
    const Json::Value& list = JsonMember(info, kCollected);
    for (size_t n = 0; n < options.collected.size(); ++n) {
        const Json::Value& entry = JsonElement(list, n);
        const Json::Value& colour = JsonMember(entry, "color");
        CollectedColour& c = options.collected[n];
        // A "color" that is no text, or a text of more than eight digits, is no colour.
        const std::optional<uint32_t> value =
            colour.isString() ? ParseColourText(colour.asString()) : std::nullopt;
        if (!value) continue;
        c.has_colour = true;
        c.colour = *value;
        c.user_data = JsonString(entry, "UserData");
    }
    return options;
}

Json::Value OpenColourOptions(const std::filesystem::path& user,
                              const std::filesystem::path& defaults) {
    const JsonFileRead read = ReadJsonFileChecked(user);
    // A document that is no object is none of this file's: as damaged as text.
    if (read.Parsed() && read.value.isObject()) return read.value;
    const Json::Value copy = ReadJsonFile(defaults);
    if (copy.isNull()) {
        log::DebugLineF("colour options: %s not readable either; the skin's colours stay",
                        defaults.c_str());
        return {};
    }
    if (read.state != JsonFileState::kUnreadable) {
        (void)paths::EnsureFolder(user.parent_path());
        (void)TryReplaceUserJsonFile(user, copy, read);
    }
    return copy;
}

bool SavePresetColours(const std::filesystem::path& user,
                       const std::array<std::optional<uint32_t>, kColourSwatches>& colours,
                       int preset_index) {
    return Save(user, [&](Json::Value& file) {
        Json::Value& info = Info(file);
        Json::Value& list = JsonMemberForWrite(info, kPresets);
        for (size_t n = 0; n < colours.size(); ++n) {
            if (!colours[n]) continue;
            JsonMemberForWrite(JsonElementForWrite(list, n), "color") = ColourText(*colours[n]);
        }
        JsonMemberForWrite(info, kPresetIndex) = preset_index;
    });
}

bool SaveCollectedColours(
    const std::filesystem::path& user,
    const std::array<std::optional<CollectedSwatch>, kColourSwatches>& swatches,
    int collected_index) {
    return Save(user, [&](Json::Value& file) {
        Json::Value& info = Info(file);
        Json::Value& list = JsonMemberForWrite(info, kCollected);
        for (size_t n = 0; n < swatches.size(); ++n) {
            if (!swatches[n]) continue;
            Json::Value& entry = JsonElementForWrite(list, n);
            JsonMemberForWrite(entry, "color") = ColourText(swatches[n]->colour);
            JsonMemberForWrite(entry, "UserData") = swatches[n]->user_data;
        }
        JsonMemberForWrite(info, kCollectedIndex) = collected_index;
    });
}

}  // namespace dz::panels
