#pragma once
// The firmware of one emulated device: its memory areas and the command protocol
// over them. The same mechanism serves every kind; ModelTable says what differs.
// Thread-safe: every call takes the model's lock, and accessors return copies.
// It knows nothing of nodes or receivers (sim_device.h puts it behind them).

#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "sim/model_tables.h"
#include "sim/sim_types.h"
#include "sim/wire.h"

namespace dz::sim {

class FirmwareModel {
  public:
    explicit FirmwareModel(const ModelTable& table);

    [[nodiscard]] const ModelTable& Table() const { return table_; }

    // Answers one 64-byte command packet (report id first) that reached the device
    // over `via`. A bad checksum, an unknown or unsupported command and an access
    // outside an area answer status 0xFF and change nothing.
    [[nodiscard]] Packet HandleCommand(std::span<const uint8_t> packet, Link via);
    // Takes one 17-byte headset LED output report; false when it is not one.
    bool HandleLedReport(std::span<const uint8_t> report);

    // Changes made on the device itself (a button press), as the firmware applies
    // them. False when the value is out of range for this model.
    bool SetCurrentProfile(int profile);
    bool SetDpiStage(int stage);  // of the current profile (mouse)
    bool WriteSettingsBytes(size_t offset, std::span<const uint8_t> bytes);
    bool SetKeySlot(int slot, const KeyCode& code);
    void SetPowerBytes(std::span<const uint8_t> bytes);  // from byte 0
    // Another information block from now on (a firmware that reports other tables); the
    // areas keep their sizes.
    void SetInfoBlock(const std::array<uint8_t, 34>& info);
    void SetCharging(bool charging);

    // State, for tests and for people watching.
    [[nodiscard]] std::array<uint8_t, 34> InfoBlock() const;
    [[nodiscard]] std::vector<uint8_t> SettingsArea() const;
    [[nodiscard]] std::vector<uint8_t> ProfileSettings(int profile) const;  // one page
    [[nodiscard]] int CurrentProfile() const;
    [[nodiscard]] int CurrentDpiStage() const;          // -1 without DPI stages
    [[nodiscard]] std::vector<uint8_t> KeyMap() const;  // 3 bytes per slot
    [[nodiscard]] KeyCode KeySlot(int slot) const;
    [[nodiscard]] std::vector<uint8_t> LedMap() const;
    [[nodiscard]] std::vector<uint8_t> KeyColourPage(int page) const;
    [[nodiscard]] std::vector<uint8_t> MacroMemory() const;
    [[nodiscard]] std::vector<uint8_t> ShootImage() const;
    [[nodiscard]] std::vector<uint8_t> PowerBytes() const;
    [[nodiscard]] std::vector<uint8_t> LastLightFrame() const;  // empty before the first
    [[nodiscard]] uint64_t LightFramesCompleted() const;
    [[nodiscard]] uint64_t HostLightingRequests() const;
    [[nodiscard]] bool HostLighting() const;  // set once CMD_HOST_LIGHTING arrived
    [[nodiscard]] uint64_t BeginCount() const;
    [[nodiscard]] uint64_t EndCount() const;
    [[nodiscard]] bool InConfiguration() const;  // between BEGIN and END
    // Colours of the headset's LEDs as the last LED reports for `target` (0x22 or
    // 0x44) painted them; empty for another target or kind.
    [[nodiscard]] std::vector<Rgb> HeadsetLeds(uint8_t target) const;
    [[nodiscard]] uint64_t LedReportsAccepted() const;

  private:
    uint8_t ReadArea(const std::vector<uint8_t>& area, const Packet& req, Packet& out) const;
    static uint8_t WriteArea(std::vector<uint8_t>& area, size_t base, const Packet& req);
    uint8_t Execute(const Packet& req, Link via, Packet& out);
    uint8_t WriteSettings(const Packet& req);
    uint8_t LightFrame(const Packet& req);
    bool ValidProfile(int p) const { return p >= 0 && p < table_.profiles; }
    size_t DpiStageAt(int profile) const;

    const ModelTable& table_;
    mutable std::mutex mutex_;
    std::array<uint8_t, 34> info_{};
    std::vector<uint8_t> settings_;
    std::vector<uint8_t> keymap_;
    std::vector<uint8_t> key_colours_;
    std::vector<uint8_t> macros_;
    std::vector<uint8_t> shoot_;
    std::vector<uint8_t> power_;
    std::vector<uint8_t> frame_;       // being assembled
    std::vector<uint8_t> last_frame_;  // the last complete frame
    uint64_t frames_ = 0;
    uint64_t host_lighting_requests_ = 0;
    bool host_lighting_ = false;
    uint64_t begins_ = 0;
    uint64_t ends_ = 0;
    bool in_config_ = false;
    std::array<std::vector<Rgb>, 2> headset_leds_;
    uint64_t led_reports_ = 0;
};

}  // namespace dz::sim
