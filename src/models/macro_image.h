#pragma once
// The macro image: the byte image of a list of macros (or of shooting patterns) that the
// keyboard and the mouse keep in their macro memory. Little-endian: magic 0x55AA, the total
// size, the number of entries m, 10 reserved bytes, m offsets of the entries from the
// start of the image, then per entry its event count, 2 reserved bytes and its events in
// the device form (MacroEventCode). Total size = 16 + 6 × m + 4 × (sum of events).
//
// And the numbering the devices use for macros: a key's macro number is the macro's
// position in "macro.config"; the device numbers the macros it is given 0, 1, 2 ... in
// the order the keys first use them, which is also the order of the image's entries.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "macro/macro_event.h"
#include "models/key_codes.h"

namespace dz {

inline constexpr uint16_t kMacroImageMagic = 0x55AA;
inline constexpr size_t kMacroImageHeaderSize = 16;

// The size of an image whose entries hold these numbers of events.
[[nodiscard]] size_t MacroImageSize(std::span<const size_t> event_counts);
// The image of `entries`, each entry's events in their order. Sizes beyond 16 bits do not
// fit the header: callers check the capacity (MacroShortage) first, which no device's
// memory lets past.
[[nodiscard]] std::vector<uint8_t> BuildMacroImage(std::span<const std::vector<MacroEvent>> entries);
// 0 when an image of `size` bytes fits `capacity` bytes, else the shortage the user is
// told of: (size − capacity) / 4 + 1, in events.
[[nodiscard]] int MacroShortage(size_t size, size_t capacity);

// Whether `code` plays a macro (types 0x70 and 0x71; the first parameter is the macro).
[[nodiscard]] constexpr bool IsMacroCode(KeyFunctionCode code) {
    return code.type == kKeyTypeMacro || code.type == kKeyTypeMacroRepeat;
}

// The macros in use, in the device's numbering: the distinct macro numbers below
// `macro_count` of `codes`, in the order they first appear.
[[nodiscard]] std::vector<int> MacrosInUse(std::span<const KeyFunctionCode> codes, int macro_count);

// The code a key sends to the device: a macro code whose number is below `macro_count` is
// renumbered to its place in `in_use` (appended when new: `in_use` grows as the keys are
// walked in order); a macro code at or beyond the count becomes `default_code`; any other
// code is sent as it is.
[[nodiscard]] KeyFunctionCode DeviceKeyCode(KeyFunctionCode code, KeyFunctionCode default_code,
                                            int macro_count, std::vector<int>& in_use);

}  // namespace dz
