#pragma once
// CRezazodaDO6533Device: the device object of the USB headset and its page. Its lighting is
// the mousepad's over 13 LEDs (CRezazodaLitDevice), painted on the headset from the host by
// LED output reports; its power state is read with CMD_READ_POWER.

#include <atomic>
#include <memory>

#include "models/lit_device.h"

namespace dz {

// The page's window message after a power read: byte 4 of the power bytes.
inline constexpr int kMsgHeadsetPower = 0x0D01;

class CRezazodaDO6533Device : public CRezazodaLitDevice {
    Q_OBJECT
  public:
    explicit CRezazodaDO6533Device(QWidget* parent = nullptr);
    ~CRezazodaDO6533Device() override;

    void ReadPowerStatus() override;
    // The light buttons, then, while the host paints the LEDs, the LED array to the
    // headset as its twelve LED reports (never a CMD_LIGHT_FRAME).
    void PushLightFrame() override;
    // The LED reports of the LED array now, on the device worker; a set still on its way
    // makes this one be left out. 1 when it went to the worker.
    int StreamLeds();

    [[nodiscard]] int LedSetsSent() const { return led_sets_sent_; }
    [[nodiscard]] int LedSetsDropped() const { return led_sets_dropped_; }
    [[nodiscard]] int PowerReadsDone() const { return power_reads_done_; }

  protected:
    const char* LightContainerName() const override { return "do6533_device_key_light"; }
    [[nodiscard]] bool FirstSyncExchanges() const override { return false; }
    [[nodiscard]] bool StreamsLightFrames() const override { return false; }

  private:
    // Shared with the worker task that sends the reports (outlives the object's task).
    std::shared_ptr<std::atomic<bool>> leds_in_flight_ =
        std::make_shared<std::atomic<bool>>(false);
    int led_sets_sent_ = 0;
    int led_sets_dropped_ = 0;
    int power_reads_done_ = 0;
};

}  // namespace dz
