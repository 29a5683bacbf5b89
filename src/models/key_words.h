#pragma once
// What an assignment is called on a page's button-information list: its parts in the
// words of the key name table and the function texts, joined with "+" when shown (a
// modifier and a key, several mouse buttons). An assignment that does nothing is
// "close_text".

#include <span>
#include <string>
#include <vector>

#include "models/key_codes.h"

namespace dz {

struct AssignmentWord {
    std::string text;
    bool identifier = true;  // a language text identifier; otherwise shown as it is
    friend bool operator==(const AssignmentWord&, const AssignmentWord&) = default;
};

// `macro_names`: the kind's macros in list order (a macro assignment shows its name).
[[nodiscard]] std::vector<AssignmentWord> AssignmentWords(KeyFunctionCode code,
                                                          std::span<const std::string> macro_names);

}  // namespace dz
