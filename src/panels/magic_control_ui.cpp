#include "panels/magic_control_ui.h"

#include "ui/control_factory.h"
#include "ui/control_ops.h"

namespace dz::panels {

CMagicControlUI::CMagicControlUI(QWidget* parent) : QWidget(parent) {}

QWidget* CMagicControlUI::Find(const QString& name) const {
    return findChild<QWidget*>(name);
}

void CMagicControlUI::SetMagicSwitch(bool on) {
    if (QWidget* sw = Find(QStringLiteral("magic_enable_option"))) ui::SetSelected(sw, on);
    EnableMagicOptions(on);
}

void CMagicControlUI::EnableMagicOptions(bool enabled) {
    if (QWidget* layout = Find(QStringLiteral("magic_option_layout")))
        ui::SetEnabled(layout, enabled);
}

int CMagicControlUI::IsMagicSwitchOn() const {
    const QWidget* sw = Find(QStringLiteral("magic_enable_option"));
    return sw != nullptr && ui::IsSelected(sw) ? 1 : 0;
}

void CMagicControlUI::SelectMagicOption(int n) {
    for (int i = 1; i <= 4; ++i)
        if (QWidget* o = Find(QStringLiteral("magic_option_%1").arg(i))) ui::SetSelected(o, false);
    option_ = n >= 0 && n <= 4 ? n : 0;
    if (option_ >= 1)
        if (QWidget* o = Find(QStringLiteral("magic_option_%1").arg(option_))) ui::SetSelected(o, true);
}

void RegisterMagicControl() {
    auto make = [](QWidget* parent) -> QWidget* { return new CMagicControlUI(parent); };
    ui::ControlFactory& f = ui::ControlFactory::Instance();
    f.RegistControl(QString::fromLatin1(CMagicControlUI::kClassName), make);
    f.RegistControl(QStringLiteral("CMagicControlUI"), make);
}

}  // namespace dz::panels
