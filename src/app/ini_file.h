#pragma once
// A true INI file ("[SECTION]" lines, "KEY=value" lines), read and changed in place: lines
// it does not understand (comments, a file that is not INI at all) are kept as they are.
// Sections and keys compare without regard to case, as the system's profile strings do.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dz::app {

class IniFile {
  public:
    [[nodiscard]] static IniFile Parse(std::string_view text);

    // The value, trimmed, when the section has the key.
    [[nodiscard]] std::optional<std::string> Get(std::string_view section,
                                                 std::string_view key) const;
    // Sets a key (adding the section when missing). A value with a line break is refused.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    [[nodiscard]] std::string Text() const;

  private:
    // Line index range [begin, end) of a section's body; begin -1 when it is missing.
    [[nodiscard]] std::pair<int, int> SectionBody(std::string_view section) const;

    std::vector<std::string> lines_;
};

}  // namespace dz::app
