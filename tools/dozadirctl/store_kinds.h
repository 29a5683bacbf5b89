#pragma once
// What the profile and macro commands share: the KIND argument, picking a profile or macro
// by name or index, JSON output and the error line.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "commands.h"
#include "profile/file_report.h"

namespace dz::ctl {

struct StoreKind {
    std::string kind_name;  // "keyboard", "mouse", "MousePad", "HD"
    int device_type = 0;    // TYPE_*
    std::filesystem::path folder;
    std::filesystem::path default_data_file;
};

// keyboard, mouse, mousepad (MousePad), headset (HD); case is ignored.
[[nodiscard]] std::optional<StoreKind> ParseStoreKind(std::string_view word);
inline constexpr const char* kStoreKindWords = "keyboard, mouse, mousepad, headset";

// The item called `word` ignoring case, else the index `word` when it is a decimal number
// within the list; -1 when neither.
[[nodiscard]] int FindItem(const std::vector<std::string>& names, std::string_view word);

void PrintJson(std::ostream& out, const Json::Value& value);

// Writes "dozadirctl: WHAT: WHY" and returns `code`.
int Fail(Context& ctx, std::string_view what, std::string_view why, int code);

// While a profile or macro command runs, the problems met with the user's files (one left as
// it is, a damaged one replaced) are written to the error stream.
class FileReportsToStream : public FileProblemSink {
  public:
    explicit FileReportsToStream(std::ostream& err);
    ~FileReportsToStream() override;
    FileReportsToStream(const FileReportsToStream&) = delete;
    FileReportsToStream& operator=(const FileReportsToStream&) = delete;
    void OnFileProblem(const FileProblemReport& report) override;

  private:
    std::ostream& err_;
    FileProblemSink* previous_ = nullptr;
};

}  // namespace dz::ctl
