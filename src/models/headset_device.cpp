#include "models/headset_device.h"

#include "models/headset_leds.h"
#include "models/mouse_io.h"
#include "platform/log/debug_log.h"
#include "profile/device_profiledata.h"

namespace dz {

CRezazodaDO6533Device::CRezazodaDO6533Device(QWidget* parent)
    : CRezazodaLitDevice(std::make_unique<CDo6533Profiledata>(), HeadsetLightingTable(),
                         HeadsetLightingShared(), parent) {}

CRezazodaDO6533Device::~CRezazodaDO6533Device() = default;

void CRezazodaDO6533Device::ReadPowerStatus() {
    if (PowerReadPaused() || !Channel().IsOpen()) return;
    OnDevice(&ReadPowerBytes, [this](const PowerRead& read) {
        ++power_reads_done_;
        if (read.result != kCmdOk) return;
        if (PowerDisplay* power = Power()) power->SetPowerStatus(read.bytes.data(), read.bytes.size());
        // Message 0x0D01 (byte 4): the power indicator above is all the page shows of it.
        log::DebugLineF("headset power: message 0x%04X, %u", kMsgHeadsetPower, read.bytes[4]);
    });
}

void CRezazodaDO6533Device::PushLightFrame() {
    CRezazodaLitDevice::PushLightFrame();
    if (HostLighting()) (void)StreamLeds();
}

int CRezazodaDO6533Device::StreamLeds() {
    if (!Channel().IsOpen()) return 0;
    // The reports block in the kernel while the headset is busy: one set at a time, and a
    // frame that comes meanwhile is left out rather than queued.
    if (leds_in_flight_->exchange(true)) {
        ++led_sets_dropped_;
        return 0;
    }
    const HeadsetLedReports reports = BuildHeadsetLedReports(Leds());
    OnDevice(
        [reports, flag = leds_in_flight_](CommandChannel& channel) {
            const int sent = SendHeadsetLedReports(channel, reports);
            flag->store(false);
            return sent;
        },
        [this](int sent) {
            if (sent == 1) ++led_sets_sent_;
        });
    return 1;
}

}  // namespace dz
