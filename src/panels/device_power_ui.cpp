#include "panels/device_power_ui.h"

#include <QHBoxLayout>
#include <algorithm>
#include <array>

#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::panels {
namespace {

constexpr int kKindMouse = 2;
constexpr int kKindMousepad = 3;

struct PhoneIcon {
    const char* image;
    const char* tooltip;
};

PhoneIcon PhoneIconOf(std::uint8_t type) {
    switch (type) {
        case 1:
            return {"file='power/Phone_type_iphone.png'", "Phone_type_iphone"};
        case 2:
            return {"file='power/Phone_type_samsung.png'", "Phone_type_samsung"};
        case 3:
            return {"file='power/Phone_type_other.png'", "Phone_type_other"};
        default:
            return {"file='power/Phone_type_no_device.png'", "Phone_type_no_device"};
    }
}

}  // namespace

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent) : QWidget(parent) {
    // The skin's own layout nests into this one.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

QWidget* CMpDevicePowerUI::Sub(QPointer<QWidget>& cache, const char* name) const {
    if (cache.isNull()) cache = findChild<QWidget*>(QString::fromLatin1(name));
    return cache.data();
}

void CMpDevicePowerUI::SetKind(int kind, int subKind) {
    kind_ = kind;
    subKind_ = subKind;
}

void CMpDevicePowerUI::ShowLayout(bool show) {
    ui::SetVisible(Sub(layout_, "device_power_Layout"), show);
}

void CMpDevicePowerUI::SetPowerStatus(const std::uint8_t* bytes, std::size_t length) {
    QWidget* value = Sub(value_, "device_power_value");
    QWidget* logo = Sub(logo_, "device_wuxian_logo");
    QWidget* progress = Sub(progress_, "device_Power_progress");
    QWidget* status = Sub(status_, "device_power_status");
    QWidget* phone = Sub(phone_, "device_phone_type");
    if (!Sub(layout_, "device_power_Layout") || !value || !logo || !progress || !status || !phone) {
        return;
    }
    std::array<std::uint8_t, kRecordBytes> rec{};
    if (bytes != nullptr) std::copy_n(bytes, std::min(length, rec.size()), rec.begin());

    const int level = rec[0];
    ui::SetValue(progress, 100 - level);
    ui::SetText(value, QString::asprintf("%d%s", level, "%"));

    const bool wireless = rec[3] != 0;
    if (kind_ == kKindMouse) ui::SetVisible(logo, wireless);

    switch (rec[1]) {
        case 0:
            ui::SetVisible(progress, true);
            ui::SetBkImage(status, QStringLiteral("file='power/powered.png'"));
            break;
        case 1:
            ui::SetVisible(progress, !wireless);
            ui::SetBkImage(status, wireless ? QStringLiteral("file='power/wuxian_powering.png'")
                                            : QStringLiteral("file='power/powering.png'"));
            break;
        case 2:
            ui::SetVisible(progress, true);
            ui::SetBkImage(status, QStringLiteral("file='power/power.png'"));
            break;
        default:
            break;
    }

    if (kind_ == kKindMousepad) {
        const PhoneIcon icon = PhoneIconOf(rec[5]);
        ui::SetBkImage(phone, QString::fromLatin1(icon.image));
        ui::SetToolTip(phone, ui::ResourceManager::Instance().Text(
                                  QString::fromLatin1(icon.tooltip), phone->objectName()));
    }
}

}  // namespace dz::panels
