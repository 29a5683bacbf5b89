#include "models/macro_upload.h"

#include "macro/macro_store.h"
#include "models/macro_image.h"
#include "profile/json_file.h"
#include "profile/stored_names.h"

namespace dz {
namespace fs = std::filesystem;
namespace {

const char* const kMacroListFile = "macro.config";

const Json::Value& MacroInfoOf(const Json::Value& list) {
    return JsonMember(list, "MacroInfo");
}

}  // namespace

int CountMacros(const fs::path& folder) {
    return static_cast<int>(JsonSize(MacroInfoOf(ReadJsonFile(folder / kMacroListFile))));
}

std::optional<int> MacroListSize(const fs::path& folder) {
    const JsonFileRead read = ReadJsonFileChecked(folder / kMacroListFile);
    if (read.state == JsonFileState::kMissing) return 0;
    if (!read.Parsed() || !read.value.isObject()) return std::nullopt;
    return static_cast<int>(JsonSize(MacroInfoOf(read.value)));
}

size_t MacroUpload::EventCount() const {
    size_t n = 0;
    for (const auto& events : entries) n += events.size();
    return n;
}

size_t MacroUpload::ImageSize() const {
    std::vector<size_t> counts;
    counts.reserve(entries.size());
    for (const auto& events : entries) counts.push_back(events.size());
    return MacroImageSize(counts);
}

MacroUpload ReadMacroUpload(const fs::path& folder, std::span<const int> macros) {
    MacroUpload upload;
    const JsonFileRead read = ReadJsonFileChecked(folder / kMacroListFile);
    // No list is no macro; a list that cannot be used says nothing.
    if (read.state == JsonFileState::kMissing) {
        upload.list = MacroUpload::List::kNothing;
        return upload;
    }
    const Json::Value& list = read.value;
    if (!read.Parsed() || !list.isObject()) return upload;
    if (macros.empty()) {
        upload.list = MacroUpload::List::kNothing;
        return upload;
    }
    upload.list = MacroUpload::List::kRead;
    const Json::Value& info = MacroInfoOf(list);
    for (const int macro : macros) {
        std::vector<MacroEvent> events;
        if (macro >= 0) {
            const std::string guid =
                JsonString(JsonElement(info, static_cast<size_t>(macro)), "Guid");
            // The Guid comes from a file: it names a file in this folder or nothing.
            if (const auto file = FileInFolder(folder, guid, kMacroFileExtension))
                events = LoadEvents(*file);
        }
        upload.entries.push_back(std::move(events));
    }
    return upload;
}

MacroWriteOutcome WriteMacroUpload(CommandChannel& channel, const MacroUpload& upload,
                                   ReachableRule reachable) {
    MacroWriteOutcome out;
    // An unreachable device has no capacity to check against: nothing is read or written.
    if (!reachable(channel)) {
        out.transfer = {kCmdNoExchange, 0, "the device is not reachable"};
        return out;
    }
    if (const int r = channel.ReadInfo(out.info); r != kCmdOk) {
        out.transfer = {r, CMD_READ_INFO};
        out.answer = kMacrosNotWritten;
        return out;
    }
    out.info_read = true;
    out.capacity = size_t{out.info[kInfoMacroUnits]} * kMacroMemoryUnit;
    if (upload.list != MacroUpload::List::kRead) {
        out.transfer = {kCmdOk, 0,
                        upload.list == MacroUpload::List::kNothing
                            ? "no macro is in use"
                            : "the macro list cannot be read"};
        return out;
    }
    out.image_size = upload.ImageSize();
    if (const int shortage = MacroShortage(out.image_size, out.capacity); shortage > 0) {
        out.answer = shortage;
        out.transfer = {kCmdOk, 0, "the macros do not fit the macro memory"};
        return out;
    }
    // The capacity is below 64 KiB, so the image's 16-bit sizes hold.
    const std::vector<uint8_t> image = BuildMacroImage(upload.entries);
    if (!reachable(channel)) {
        out.transfer = {kCmdNoExchange, 0, "the device is not reachable"};
        out.answer = kMacrosNotWritten;
        return out;
    }
    out.transfer = InConfiguration(channel, [&]() -> DeviceTransfer {
        const int r = channel.WriteMacros(image);
        return {r, r == kCmdOk ? uint8_t{0} : uint8_t{CMD_WRITE_MACROS}};
    });
    if (!out.transfer.Ok()) out.answer = kMacrosNotWritten;
    return out;
}

}  // namespace dz
