#pragma once
// A key function written as a word, for people who assign keys without the window
// (dozadirctl key): the words become the key assignment panel's choices, and the code is
// built by the same rules as the panel's pages (key_pages.h).
//
//   default                    the key's factory function
//   A, F1, Num 1, Volume Up    a row of the key name table, with or without its
//                              "keyboard_key_" prefix; case, blanks, "_" and "-" do not count
//   ctrl+A, shift+F1, alt+..., win+...   a key with one modifier (the keyboard page)
//   left, middle, right, forward, back   a mouse button
//   dpi-up, dpi-down, dpi-cycle          a DPI function (mouse only)
//   wheel-up:N, wheel-down:N             N wheel steps (1 to 127)
//   fire:INTERVAL:CLICKS                 rapid fire
//   gun:N                                gun key N (mouse only)
//   macro:NAME[:mode=M|:repeat=N]        a macro of the kind's list, played in mode M (0 to
//                                        3, default 0) or repeated N times
//   1A2B3C                               the raw code as six hexadecimal digits

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "models/key_codes.h"

namespace dz {

struct KeyFunctionWord {
    std::optional<KeyFunctionCode> code;
    std::string error;  // why there is no code
};

// `device_type` decides which pages are offered (KeyPageOffered); `macro_names` is the
// kind's macro list in order.
[[nodiscard]] KeyFunctionWord ParseKeyFunction(std::string_view word, int device_type,
                                               std::span<const std::string> macro_names,
                                               KeyFunctionCode current,
                                               KeyFunctionCode default_code);

}  // namespace dz
