#include "profile/file_report.h"

#include <mutex>
#include <set>
#include <utility>

#include "platform/log/debug_log.h"

namespace dz {
namespace {

struct Reports {
    std::mutex lock;
    FileProblemSink* sink = nullptr;
    std::set<std::pair<std::string, int>> told;
};

Reports& State() {
    static Reports reports;
    return reports;
}

}  // namespace

FileProblemSink* SetFileProblemSink(FileProblemSink* sink) {
    Reports& r = State();
    std::lock_guard lock(r.lock);
    return std::exchange(r.sink, sink);
}

void ReportFileProblem(const FileProblemReport& report) {
    if (report.problem == FileProblem::kLeftAsItIs) {
        log::DebugLineF("%s: left as it is: %s", report.file.c_str(), report.reason.c_str());
    } else {
        log::DebugLineF("%s: did not parse, replaced; old content kept as %s", report.file.c_str(),
                        report.kept.c_str());
    }
    FileProblemSink* sink = nullptr;
    {
        Reports& r = State();
        std::lock_guard lock(r.lock);
        const bool first =
            r.told
                .emplace(report.file.lexically_normal().string(), static_cast<int>(report.problem))
                .second;
        if (first) sink = r.sink;
    }
    // Outside the lock: a sink may show a window and report again from there.
    if (sink != nullptr) sink->OnFileProblem(report);
}

void ForgetReportedFileProblems() {
    Reports& r = State();
    std::lock_guard lock(r.lock);
    r.told.clear();
}

}  // namespace dz
