#pragma once
// What a device selector item drives on the device object whose page it selects: the
// periodic part of the device operation interface and the state its timers look at.
// The device object (CRezazodaUSBDevice) implements it; tests use a fake.

namespace dz::panels {

// Sent synchronously from an item to its window: wParam the device's kind index, lParam
// 1 linked or 0 link lost.
inline constexpr unsigned kMsgReceiverLinkChanged = 0x0D03;

class SelectorDevice {
  public:
    virtual ~SelectorDevice() = default;

    virtual void PushLightFrame() = 0;
    virtual void FirstSync() = 0;
    virtual void Resync() = 0;
    // The two spare operations of the interface, run after Resync by timers 1003, 1004.
    virtual void SpareOperation1() = 0;
    virtual void SpareOperation2() = 0;
    virtual void ReadPowerStatus() = 0;
    [[nodiscard]] virtual bool IsLinked() = 0;

    [[nodiscard]] virtual bool ChannelOpen() const = 0;
    [[nodiscard]] virtual bool ReceiverMode() const = 0;  // "wireless"
    [[nodiscard]] virtual bool PowerFlag() const = 0;
    [[nodiscard]] virtual bool PreviewFlag() const = 0;
    // wParam of kMsgReceiverLinkChanged.
    [[nodiscard]] virtual int DeviceKindIndex() const = 0;
};

}  // namespace dz::panels
