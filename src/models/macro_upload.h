#pragma once
// The macro upload of the keyboard and the mouse: the macros their keys play, read from the
// kind's "macro.config" and ".mac" files in the device's numbering, checked against the
// device's macro memory and written as one macro image between CMD_BEGIN and CMD_END.
//
// Split in two: reading the files (the UI thread, or dozadirctl) and the transfer (the
// device worker), which needs nothing but the channel and what was read.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "macro/macro_event.h"
#include "models/device_exchange.h"

namespace dz {

// Number of "MacroInfo" entries of "macro.config" in `folder`; 0 when it cannot be read.
[[nodiscard]] int CountMacros(const std::filesystem::path& folder);
// The same, but nothing when the list is there and cannot be used (unreadable, not JSON):
// rules that take keys off macros that no longer exist must not act on a damaged list.
[[nodiscard]] std::optional<int> MacroListSize(const std::filesystem::path& folder);

// What the files gave for the macros to upload.
struct MacroUpload {
    enum class List {
        kRead,        // the list was read; `entries` holds the macros asked for
        kUnreadable,  // "macro.config" is there but cannot be used: nothing is uploaded
        kNothing,     // no macro asked for, or no list: nothing is uploaded
    };
    List list = List::kUnreadable;
    // One entry per macro asked for, in the order asked (the device's numbering). A number
    // the list does not hold, a Guid that is not a plain file name, and a missing or
    // unreadable macro file give an entry without events.
    std::vector<std::vector<MacroEvent>> entries;

    [[nodiscard]] size_t EventCount() const;
    [[nodiscard]] size_t ImageSize() const;
};

// Reads the macros `macros` (numbers in "macro.config", usually DeviceMacroList) from
// `folder`.
[[nodiscard]] MacroUpload ReadMacroUpload(const std::filesystem::path& folder,
                                          std::span<const int> macros);

// Answers of the upload, as the callers show them.
inline constexpr int kMacrosWritten = 0;      // written, or nothing to write / no device
inline constexpr int kMacrosNotWritten = -1;  // the device did not take them
// A positive answer is the shortage in events: the image does not fit the macro memory.

struct MacroWriteOutcome {
    int answer = kMacrosWritten;
    DeviceTransfer transfer;  // the commands' results (kCmdOk when all succeeded)
    bool info_read = false;   // `info` holds the block read before the check
    DeviceInfoBlock info{};
    size_t capacity = 0;    // bytes of macro memory the block gives
    size_t image_size = 0;  // bytes of the image, when there was one to check
};

// The transfer: nothing while the device cannot be reached (answer 0). Otherwise the
// information block (its byte 6 × 128 is the capacity), then the image, unless the list was
// unusable or empty (answer 0) or the image does not fit (answer: the shortage, nothing
// written). The device is asked again whether it can be reached before the image goes
// (answer −1 when it cannot). A failed command answers −1.
[[nodiscard]] MacroWriteOutcome WriteMacroUpload(CommandChannel& channel, const MacroUpload& upload,
                                                 ReachableRule reachable);

}  // namespace dz
