#pragma once
// A device object and its selector entry (the item in the selector bar, whose timers pace
// the device's periodic work) and power indicator, as each sees the other. The device
// layer declares both sides; the entry and the indicator (panels) implement theirs, so the
// device objects depend on nothing above them.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace dz {

// Sent synchronously from an item to its window: wParam the device's kind index, lParam
// 1 linked or 0 link lost.
inline constexpr unsigned kMsgReceiverLinkChanged = 0x0D03;

// The light-frame timer of a selector entry, and its pace: every 5 ms while the picture
// moves, every 500 ms while it stands still (a still frame is sent again at that pace
// anyway) and through a receiver.
inline constexpr int kTimerLightFrame = 1000;
inline constexpr int kFrameIntervalMovingMs = 5;
inline constexpr int kFrameIntervalStillMs = 500;

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
    // Asks the device, away from the UI thread, whether it is reachable (through a
    // receiver: the link query, IsLinked); `done` runs later on the UI thread with the
    // answer, unless the device object is gone by then.
    virtual void CheckLink(std::function<void(bool linked)> done) = 0;

    [[nodiscard]] virtual bool ChannelOpen() const = 0;
    [[nodiscard]] virtual bool ReceiverMode() const = 0;  // "wireless"
    [[nodiscard]] virtual bool PowerFlag() const = 0;
    [[nodiscard]] virtual bool PreviewFlag() const = 0;
    // When the light-frame timer should call PushLightFrame next (one of the paces above).
    [[nodiscard]] virtual int FrameInterval() const = 0;
    // wParam of kMsgReceiverLinkChanged.
    [[nodiscard]] virtual int DeviceKindIndex() const = 0;
};

// What a device object asks of its selector entry.
class SelectorEntry {
  public:
    virtual ~SelectorEntry() = default;
    // (Re)starts the entry's control timer `id` with `ms` (1002: Resync).
    virtual void StartTimer(int id, int ms) = 0;
};

// What a device object shows on its power indicator.
class PowerDisplay {
  public:
    virtual ~PowerDisplay() = default;
    virtual void ShowLayout(bool show) = 0;
    // The power record read from the device (byte 0 battery percent, 1 charge state, ...).
    virtual void SetPowerStatus(const std::uint8_t* bytes, std::size_t length) = 0;
};

}  // namespace dz
