#pragma once
// The window's side of the user's files: problems the file layer reports are shown in the
// message box, and what interrupted saves left behind is cleared away at the start.

#include <QString>

#include "profile/file_report.h"

namespace dz::app {

// Language text identifiers of the two reports.
inline constexpr const char* kFileLeftAsItIsText = "message_text_30";
inline constexpr const char* kFileReplacedBrokenText = "message_text_31";

// The report in the current language: which file, and what went wrong or where its old
// content is.
[[nodiscard]] QString FileProblemMessage(const FileProblemReport& report);

// Shows each report in a message box once the operation that met it has finished, one box at
// a time, on the UI thread (reports may come from any thread).
class FileProblemBox : public FileProblemSink {
  public:
    void OnFileProblem(const FileProblemReport& report) override;
};

// At the start, after the single-instance check: the message box becomes the sink of file
// reports, and the temporaries of interrupted saves are removed from the user data folders.
void SetUpUserFiles();

}  // namespace dz::app
