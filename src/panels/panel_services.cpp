#include "panels/panel_services.h"

#include "platform/log/debug_log.h"
#include "ui/resource_manager.h"

namespace dz::panels {
namespace {

PanelMessageBox& MessageBoxFunction() {
    static PanelMessageBox box;
    return box;
}

ColourDialog& ColourDialogFunction() {
    static ColourDialog dialog;
    return dialog;
}

}  // namespace

DevicePage* DeviceOfPanel(const QWidget* panel) {
    for (QWidget* w = panel != nullptr ? panel->parentWidget() : nullptr; w != nullptr;
         w = w->parentWidget()) {
        if (auto* page = dynamic_cast<DevicePage*>(w)) return page;
    }
    return nullptr;
}

void SetPanelMessageBox(PanelMessageBox box) {
    MessageBoxFunction() = std::move(box);
}

int ShowPanelMessage(QWidget* owner, const QString& message, bool text_is_id, int button_mode) {
    if (const PanelMessageBox& box = MessageBoxFunction()) {
        return box(owner, message, text_is_id, button_mode);
    }
    log::DebugLineF("panel message (no message box): %s", qUtf8Printable(message));
    return 0;
}

void ShowMacroWriteAnswer(QWidget* owner, int answer) {
    if (answer == -1) {
        (void)ShowPanelMessage(owner, QStringLiteral("message_text_7"), true);
    } else if (answer > 0) {
        QString text = ui::ResourceManager::Instance().Text(QStringLiteral("message_text_16"));
        (void)ShowPanelMessage(owner, text.replace(QStringLiteral("%d"), QString::number(answer)),
                               false);
    }
}

void SetColourDialog(ColourDialog dialog) {
    ColourDialogFunction() = std::move(dialog);
}

bool HasColourDialog() {
    return static_cast<bool>(ColourDialogFunction());
}

std::optional<QRgb> ChooseColour(QWidget* owner, QRgb current) {
    if (const ColourDialog& dialog = ColourDialogFunction()) return dialog(owner, current);
    return std::nullopt;
}

}  // namespace dz::panels
