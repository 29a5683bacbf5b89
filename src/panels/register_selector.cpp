#include "panels/register_selector.h"

#include "panels/device_option_ui.h"
#include "panels/device_power_ui.h"
#include "ui/control_factory.h"

namespace dz::panels {
namespace {

template <class T>
void Register(const char* skinName, const char* className) {
    auto make = [](QWidget* parent) -> QWidget* { return new T(parent); };
    ui::ControlFactory& f = ui::ControlFactory::Instance();
    f.RegistControl(QString::fromLatin1(skinName), make);
    f.RegistControl(QString::fromLatin1(className), make);
}

}  // namespace

void RegisterSelectorControls() {
    Register<CDeviceOptionUI>(CDeviceOptionUI::kClassName, "CDeviceOptionUI");
    Register<CMpDevicePowerUI>(CMpDevicePowerUI::kClassName, "CMpDevicePowerUI");
}

}  // namespace dz::panels
