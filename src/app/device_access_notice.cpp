#include "app/device_access_notice.h"

#include "device/udev_rule.h"
#include "platform/log/debug_log.h"
#include "ui/resource_manager.h"

namespace dz::app {

DeviceAccessNotice::DeviceAccessNotice(ShowBox show_box, QObject* parent)
    : QObject(parent), show_box_(std::move(show_box)) {}

void DeviceAccessNotice::Report(const std::string& path) {
    if (reported_.exchange(true)) return;
    log::DebugLineF("no access to %s: telling the user about the udev rule", path.c_str());
    QMetaObject::invokeMethod(
        this, [this] { show_box_(MessageText()); }, Qt::QueuedConnection);
}

QString DeviceAccessNotice::MessageText() {
    QString text = ui::ResourceManager::Instance().Text(QStringLiteral("message_text_27"));
    return text.replace(QStringLiteral("%s"), QString::fromStdString(UdevRuleInstallCommands()));
}

}  // namespace dz::app
