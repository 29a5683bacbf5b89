#include "ui/widgets/register_widgets.h"

#include "ui/control_factory.h"
#include "ui/widgets/audio_record.h"
#include "ui/widgets/chart_view.h"
#include "ui/widgets/circle_progress.h"
#include "ui/widgets/cloud_share_list_item.h"
#include "ui/widgets/color_palette.h"
#include "ui/widgets/combo_edit_container_element.h"
#include "ui/widgets/device_key_button.h"
#include "ui/widgets/hand_img_button.h"
#include "ui/widgets/hand_img_select_button.h"
#include "ui/widgets/redio_macro_button.h"
#include "ui/widgets/select_panel.h"
#include "ui/widgets/wnd_host.h"

namespace dz::ui {
namespace {

template <class T>
void Register(const char* skinName, const char* className) {
    auto make = [](QWidget* parent) -> QWidget* { return new T(parent); };
    ControlFactory& f = ControlFactory::Instance();
    if (skinName) f.RegistControl(QString::fromLatin1(skinName), make);
    f.RegistControl(QString::fromLatin1(className), make);
}

}  // namespace

void RegisterCustomWidgets() {
    Register<CircleProgress>("CircleProgress", "CCircleProgressUI");
    Register<ChartView>(nullptr, "CChartViewUI");
    Register<WndHost>("Wnd", "CWndUI");
    Register<SelectPanel>("SelectPanel", "CSelectPanelUI");
    Register<DeviceKeyButton>("DeviceKeyButton", "CDeviceKeyButtonUI");
    Register<CloudShareListItem>("CloudShareListItemUI", "CCloudShareListItemUI");
    Register<ComboEditContainerElement>("ComboEditContainerElement",
                                        "CComboEditContainerElementUI");
    Register<HandImgButton>("HandImgButton", "CHandImgButtonUI");
    Register<HandImgSelectButton>("HandImgSelectButton", "CHandImgSelectButtonUI");
    Register<RedioMacroButton>("RedioMacroButton", "CRedioMacroButtonUI");
    Register<AudioRecord>("AudioRecord", "CAudioRecordUI");
    Register<ColorPalette>("ColorPalette", "CColorPaletteUI");
}

}  // namespace dz::ui
