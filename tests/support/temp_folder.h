#pragma once
// A temporary folder for tests that write files, and small file helpers.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <json/value.h>

#include "profile/file_report.h"
#include "profile/json_file.h"

namespace dz::test {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dz-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteJson(const std::filesystem::path& path, const Json::Value& value) {
    WriteText(path, StyledJsonText(value));
}

// Every path below `folder`, relative to it.
inline std::set<std::string> TreeOf(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        names.insert(std::filesystem::relative(entry.path(), folder).string());
    }
    return names;
}

// Collects the reports of file problems while it lives; what earlier tests reported is
// forgotten, so that every report of this test reaches it.
class ReportCapture : public FileProblemSink {
  public:
    ReportCapture() : previous_(SetFileProblemSink(this)) { ForgetReportedFileProblems(); }
    ~ReportCapture() override { (void)SetFileProblemSink(previous_); }
    ReportCapture(const ReportCapture&) = delete;
    ReportCapture& operator=(const ReportCapture&) = delete;
    void OnFileProblem(const FileProblemReport& report) override { reports.push_back(report); }
    std::vector<FileProblemReport> reports;

  private:
    FileProblemSink* previous_;
};

// Parses a JSON literal written in a test.
inline Json::Value J(const std::string& text) {
    return ParseJsonText(text);
}

// A profile list in `folder` with these names (UUIDs u0, u1, ...) and a profile file for
// each: `defaults` with the two name keys, its device section marked with its index as
// "Marker".
inline void WriteProfileList(const std::filesystem::path& folder,
                             const std::vector<std::string>& names, const Json::Value& defaults,
                             int select = 0) {
    Json::Value list;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string uuid = "u" + std::to_string(i);
        list["profilelist"][static_cast<int>(i)]["profilename"] = names[i];
        list["profilelist"][static_cast<int>(i)]["profileUUID"] = uuid;
        Json::Value profile = defaults;
        profile["profilename"] = names[i];
        profile["profileUUID"] = uuid;
        profile["Device"][0]["Marker"] = static_cast<int>(i);
        WriteJson(folder / (uuid + ".Json"), profile);
    }
    list["profileselect"] = select;
    WriteJson(folder / "ProfileList.ini", list);
}

}  // namespace dz::test
