#pragma once
// Problems with the user's own files that the user must hear of: a file left as it is
// because it could not be read, and a damaged file replaced after its content was kept
// beside it. The file layer only reports; the front end (the window's message box, the
// command line's standard error) implements the sink. Each file and problem is told once
// per run, however often it is met again (every save of a profile meets it).

#include <filesystem>
#include <string>

namespace dz {

enum class FileProblem {
    kLeftAsItIs,      // could not be read (or its damaged content not kept): not written
    kReplacedBroken,  // did not parse; replaced, the old content kept as `kept`
};

struct FileProblemReport {
    std::filesystem::path file;
    FileProblem problem = FileProblem::kLeftAsItIs;
    std::string reason;          // kLeftAsItIs: what went wrong ("Permission denied", ...)
    std::filesystem::path kept;  // kReplacedBroken: where the old content is
};

class FileProblemSink {
  public:
    virtual ~FileProblemSink() = default;
    // Called on the thread that met the problem.
    virtual void OnFileProblem(const FileProblemReport& report) = 0;
};

// The process-wide sink; null (the start) leaves only the debug line. The sink must outlive
// its registration. Returns the sink it replaces.
FileProblemSink* SetFileProblemSink(FileProblemSink* sink);

// Writes a debug line and, the first time this file meets this problem in the run, tells the
// sink.
void ReportFileProblem(const FileProblemReport& report);

// Forgets what was told, so that the next report of any file reaches the sink again (tests).
void ForgetReportedFileProblems();

}  // namespace dz
