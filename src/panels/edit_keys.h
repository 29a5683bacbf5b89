#pragma once
// Enter and Escape in the edits of a panel. Enter takes the text as leaving the edit does
// (the edit's window is told "killfocus", so the routing stores it) and keeps the focus;
// Escape puts back the text the edit had when it took the focus or when Enter last took it.

class QLineEdit;

namespace dz::panels {

// `commit_by_notification` false: Enter only ends the edit (the panel takes the text itself,
// from the edit's editingFinished signal).
void InstallEditKeys(QLineEdit* edit, bool commit_by_notification = true);

}  // namespace dz::panels
