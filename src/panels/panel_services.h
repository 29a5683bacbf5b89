#pragma once
// What the feature panels of a device page need from around them: the device object of the
// page they sit on, the application's message box and its colour dialog (both given by the
// application, so that the panels depend on nothing above them), and the message a macro
// write's answer gives the user.

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "device/device_page.h"

namespace dz::panels {

// The device object whose page holds `panel` (the page's root), or null.
[[nodiscard]] DevicePage* DeviceOfPanel(const QWidget* panel);

// Shows a message modally over `owner`'s window; 1 when the user confirmed, 0 otherwise.
// `button_mode` 0 confirm only, 1 confirm and cancel.
using PanelMessageBox =
    std::function<int(QWidget* owner, const QString& message, bool text_is_id, int button_mode)>;
// Without one a message is only written to the debug output and answers 0.
void SetPanelMessageBox(PanelMessageBox box);
int ShowPanelMessage(QWidget* owner, const QString& message, bool text_is_id, int button_mode = 0);

// Tells the user the answer of a macro write: -1 "message_text_7"; a positive shortage the
// text of "message_text_16" with the number; nothing for 0.
void ShowMacroWriteAnswer(QWidget* owner, int answer);

// Lets the user choose a colour, starting from `current`; nothing when cancelled or when
// the application has no colour dialog.
using ColourDialog = std::function<std::optional<QRgb>(QWidget* owner, QRgb current)>;
void SetColourDialog(ColourDialog dialog);
[[nodiscard]] bool HasColourDialog();
[[nodiscard]] std::optional<QRgb> ChooseColour(QWidget* owner, QRgb current);

}  // namespace dz::panels
