#include "store_kinds.h"

#include <json/json.h>

#include "device/device_table.h"
#include "platform/paths/paths.h"
#include "profile/stored_names.h"

namespace dz::ctl {

std::optional<StoreKind> ParseStoreKind(std::string_view word) {
    struct Row {
        const char* word;
        const char* alias;
        const char* kind_name;
        int type;
    };
    static constexpr Row kRows[] = {
        {"keyboard", "keyboard", "keyboard", TYPE_KEYBOARD},
        {"mouse", "mouse", "mouse", TYPE_MOUSE},
        {"mousepad", "MousePad", "MousePad", TYPE_MOUSEPAD},
        {"headset", "HD", "HD", TYPE_HEADSET},
    };
    for (const Row& row : kRows) {
        if (SameNameIgnoringCase(word, row.word) || SameNameIgnoringCase(word, row.alias)) {
            return StoreKind{row.kind_name, row.type, paths::KindDataFolder(row.kind_name),
                             paths::DefaultDataFile(row.kind_name)};
        }
    }
    return std::nullopt;
}

int FindItem(const std::vector<std::string>& names, std::string_view word) {
    for (size_t i = 0; i < names.size(); ++i) {
        if (SameNameIgnoringCase(names[i], word)) return static_cast<int>(i);
    }
    if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != word.npos) {
        return -1;
    }
    const int index = std::stoi(std::string(word));
    return index < static_cast<int>(names.size()) ? index : -1;
}

void PrintJson(std::ostream& out, const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    out << Json::writeString(builder, value) << "\n";
}

int Fail(Context& ctx, std::string_view what, std::string_view why, int code) {
    ctx.err << "dozadirctl: " << what << ": " << why << "\n";
    return code;
}

FileReportsToStream::FileReportsToStream(std::ostream& err)
    : err_(err), previous_(SetFileProblemSink(this)) {}

FileReportsToStream::~FileReportsToStream() {
    (void)SetFileProblemSink(previous_);
}

void FileReportsToStream::OnFileProblem(const FileProblemReport& report) {
    if (report.problem == FileProblem::kLeftAsItIs) {
        err_ << "dozadirctl: " << report.file.string() << ": cannot be read (" << report.reason
             << "); left as it is\n";
    } else {
        err_ << "dozadirctl: " << report.file.string()
             << ": damaged; replaced, its old content is kept in " << report.kept.string() << "\n";
    }
}

}  // namespace dz::ctl
