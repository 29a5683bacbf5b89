#include "sim/firmware_model.h"

#include <algorithm>

#include "sim/report_descriptors.h"

namespace dz::sim {
namespace {

// Headset LED blocks: which colour channel and which run of LEDs each one paints.
struct LedBlock {
    uint8_t code;
    int channel;
    int first_led;
};
constexpr LedBlock kLedBlocks[] = {
    {0xAA, 0, 0}, {0xAD, 0, 7}, {0xAB, 1, 0}, {0xAE, 1, 7}, {0xAC, 2, 0}, {0xAF, 2, 7},
};
constexpr size_t kLedValues = 4;  // first colour value in an LED report
constexpr int kLedsPerBlock = 7;

int TargetIndex(uint8_t target) {
    if (target == 0x22) return 0;
    if (target == 0x44) return 1;
    return -1;
}

}  // namespace

FirmwareModel::FirmwareModel(const ModelTable& table) : table_(table), info_(table.info) {
    settings_.assign(table_.settings_size, 0);
    for (int p = 0; p < table_.profiles; ++p) {
        const size_t page = static_cast<size_t>(p) * table_.settings_stride;
        for (const auto& seed : table_.settings_seeds) {
            std::copy(seed.bytes.begin(), seed.bytes.end(),
                      settings_.begin() + static_cast<ptrdiff_t>(page + seed.offset));
        }
        if (!table_.profile_colours.empty()) {
            const Rgb& c =
                table_.profile_colours[static_cast<size_t>(p) % table_.profile_colours.size()];
            std::copy(c.begin(), c.end(),
                      settings_.begin() + static_cast<ptrdiff_t>(page + table_.colour_offset));
        }
    }
    settings_[0] = 0;  // starts on profile 0
    for (const auto& code : table_.key_slots)
        keymap_.insert(keymap_.end(), code.begin(), code.end());
    key_colours_.assign(static_cast<size_t>(table_.key_colour_pages) * kKeyColourPageSize, 0);
    macros_.assign(table_.macro_capacity, 0);
    shoot_.assign(table_.shoot_capacity, 0);
    power_.assign(table_.power.begin(), table_.power.end());
    frame_.assign(table_.light_frame_size, 0);
    for (auto& leds : headset_leds_) leds.assign(static_cast<size_t>(table_.headset_leds), Rgb{});
}

Packet FirmwareModel::HandleCommand(std::span<const uint8_t> packet, Link via) {
    const Packet req = wire::ToPacket(packet);
    std::lock_guard lock(mutex_);
    Packet out{};
    uint8_t status = kStatusErrorFF;
    if (packet.size() == kPacketSize && req[kOffReportId] == kCommandReportId &&
        wire::ChecksumValid(req)) {
        status = Execute(req, via, out);
    }
    // An error answer carries no data.
    if (status != kStatusOk) out = wire::ResponseTo(req, status);
    SealPacket(out);
    return out;
}

uint8_t FirmwareModel::Execute(const Packet& req, Link via, Packet& out) {
    out = wire::ResponseTo(req, kStatusOk);
    const PacketView v{req};
    if (v.Length() > kMaxPacketData) return kStatusErrorFF;
    switch (v.Command()) {
        case CMD_BEGIN:
            ++begins_;
            in_config_ = true;
            return kStatusOk;
        case CMD_END:
            ++ends_;
            in_config_ = false;
            return kStatusOk;
        case CMD_READ_INFO: {
            const std::vector<uint8_t> info(info_.begin(), info_.end());
            return ReadArea(info, req, out);
        }
        case CMD_READ_SETTINGS:
            return ReadArea(settings_, req, out);
        case CMD_WRITE_SETTINGS:
            return WriteSettings(req);
        case CMD_READ_KEYMAP:
            return ReadArea(keymap_, req, out);
        case CMD_WRITE_KEYMAP:
            return WriteArea(keymap_, 0, req);
        case CMD_READ_KEYCOLORS:
            return ReadArea(key_colours_, req, out);
        case CMD_WRITE_KEYCOLORS:
            return WriteArea(key_colours_, 0, req);
        case CMD_LIGHT_FRAME:
            return LightFrame(req);
        case CMD_WRITE_MACROS:
            return WriteArea(macros_, 0, req);
        case CMD_WRITE_SHOOT:
            return WriteArea(shoot_, 0, req);
        case CMD_READ_POWER: {
            std::vector<uint8_t> power = power_;
            power[kPowerWireless] = via == Link::kReceiver ? 1 : 0;
            return ReadArea(power, req, out);
        }
        case CMD_READ_LEDMAP:
            return ReadArea(table_.led_map, req, out);
        case CMD_HOST_LIGHTING:
            ++host_lighting_requests_;
            host_lighting_ = true;
            return kStatusOk;
        case CMD_LINK_QUERY:
            // Over its own cable a device is always reachable.
            out[kOffData] = kLinkedMarker;
            return kStatusOk;
        default:
            return kStatusErrorFF;
    }
}

uint8_t FirmwareModel::ReadArea(const std::vector<uint8_t>& area, const Packet& req,
                                Packet& out) const {
    const PacketView v{req};
    const size_t off = v.DataOffset(), len = v.Length();
    if (area.empty() || off + len > area.size()) return kStatusErrorFF;
    std::copy_n(area.begin() + static_cast<ptrdiff_t>(off), len, out.begin() + kOffData);
    return kStatusOk;
}

uint8_t FirmwareModel::WriteArea(std::vector<uint8_t>& area, size_t base, const Packet& req) {
    const PacketView v{req};
    const size_t off = base + v.DataOffset(), len = v.Length();
    if (area.empty() || off + len > area.size()) return kStatusErrorFF;
    std::copy_n(v.Data().begin(), len, area.begin() + static_cast<ptrdiff_t>(off));
    return kStatusOk;
}

uint8_t FirmwareModel::WriteSettings(const Packet& req) {
    // Byte 0 is the current profile: refuse to point it at a profile that does not exist.
    const PacketView v{req};
    if (v.DataOffset() == 0 && v.Length() > 0 && !ValidProfile(v.Data()[0])) return kStatusErrorFF;
    return WriteArea(settings_, 0, req);
}

uint8_t FirmwareModel::LightFrame(const Packet& req) {
    const PacketView v{req};
    const size_t off = v.DataOffset(), len = v.Length();
    if (frame_.empty() || off + len > frame_.size()) return kStatusErrorFF;
    if (off == 0) std::fill(frame_.begin(), frame_.end(), 0);
    std::copy_n(v.Data().begin(), len, frame_.begin() + static_cast<ptrdiff_t>(off));
    // The chunk that reaches the end of the frame completes it.
    if (off + len == frame_.size()) {
        last_frame_ = frame_;
        ++frames_;
    }
    return kStatusOk;
}

bool FirmwareModel::HandleLedReport(std::span<const uint8_t> report) {
    std::lock_guard lock(mutex_);
    if (table_.headset_leds == 0 || report.size() != kLedReportSize ||
        report[0] != kHeadsetLedReportId)
        return false;
    const int target = TargetIndex(report[1]);
    const auto block = std::find_if(std::begin(kLedBlocks), std::end(kLedBlocks),
                                    [&](const LedBlock& b) { return b.code == report[2]; });
    if (target < 0 || block == std::end(kLedBlocks)) return false;
    auto& leds = headset_leds_[static_cast<size_t>(target)];
    for (int i = 0; i < kLedsPerBlock; ++i) {
        const int led = block->first_led + i;
        if (led >= table_.headset_leds) break;
        leds[static_cast<size_t>(led)][static_cast<size_t>(block->channel)] =
            report[kLedValues + static_cast<size_t>(i)];
    }
    ++led_reports_;
    return true;
}

size_t FirmwareModel::DpiStageAt(int profile) const {
    return static_cast<size_t>(profile) * table_.settings_stride + table_.dpi_stage_offset;
}

bool FirmwareModel::SetCurrentProfile(int profile) {
    std::lock_guard lock(mutex_);
    if (!ValidProfile(profile)) return false;
    settings_[0] = static_cast<uint8_t>(profile);
    return true;
}

bool FirmwareModel::SetDpiStage(int stage) {
    std::lock_guard lock(mutex_);
    if (table_.dpi_stage_offset == 0 || stage < 0 || stage >= table_.dpi_stages) return false;
    settings_[DpiStageAt(settings_[0])] = static_cast<uint8_t>(stage);
    return true;
}

bool FirmwareModel::WriteSettingsBytes(size_t offset, std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    if (offset + bytes.size() > settings_.size()) return false;
    if (offset == 0 && !bytes.empty() && !ValidProfile(bytes[0])) return false;
    std::copy(bytes.begin(), bytes.end(), settings_.begin() + static_cast<ptrdiff_t>(offset));
    return true;
}

bool FirmwareModel::SetKeySlot(int slot, const KeyCode& code) {
    std::lock_guard lock(mutex_);
    if (slot < 0 || static_cast<size_t>(slot) * 3 + 3 > keymap_.size()) return false;
    std::copy(code.begin(), code.end(), keymap_.begin() + slot * 3);
    return true;
}

void FirmwareModel::SetPowerBytes(std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    std::copy_n(bytes.begin(), std::min(bytes.size(), power_.size()), power_.begin());
}

void FirmwareModel::SetCharging(bool charging) {
    std::lock_guard lock(mutex_);
    if (table_.has_battery) power_[kPowerCharge] = charging ? 1 : 0;
}

std::array<uint8_t, 34> FirmwareModel::InfoBlock() const {
    std::lock_guard lock(mutex_);
    return info_;
}

void FirmwareModel::SetInfoBlock(const std::array<uint8_t, 34>& info) {
    std::lock_guard lock(mutex_);
    info_ = info;
}

std::vector<uint8_t> FirmwareModel::SettingsArea() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

std::vector<uint8_t> FirmwareModel::ProfileSettings(int profile) const {
    std::lock_guard lock(mutex_);
    if (!ValidProfile(profile)) return {};
    const size_t start = static_cast<size_t>(profile) * table_.settings_stride;
    const size_t end = std::min(start + table_.settings_page, settings_.size());
    return {settings_.begin() + static_cast<ptrdiff_t>(start),
            settings_.begin() + static_cast<ptrdiff_t>(end)};
}

int FirmwareModel::CurrentProfile() const {
    std::lock_guard lock(mutex_);
    return settings_[0];
}

int FirmwareModel::CurrentDpiStage() const {
    std::lock_guard lock(mutex_);
    if (table_.dpi_stage_offset == 0) return -1;
    return settings_[DpiStageAt(settings_[0])];
}

std::vector<uint8_t> FirmwareModel::KeyMap() const {
    std::lock_guard lock(mutex_);
    return keymap_;
}

KeyCode FirmwareModel::KeySlot(int slot) const {
    std::lock_guard lock(mutex_);
    if (slot < 0 || static_cast<size_t>(slot) * 3 + 3 > keymap_.size()) return {};
    return {keymap_[slot * 3], keymap_[slot * 3 + 1], keymap_[slot * 3 + 2]};
}

std::vector<uint8_t> FirmwareModel::LedMap() const {
    return table_.led_map;
}

std::vector<uint8_t> FirmwareModel::KeyColourPage(int page) const {
    std::lock_guard lock(mutex_);
    if (page < 0 || page >= table_.key_colour_pages) return {};
    const auto start = key_colours_.begin() + static_cast<ptrdiff_t>(page) * kKeyColourPageSize;
    return {start, start + kKeyColourPageSize};
}

std::vector<uint8_t> FirmwareModel::MacroMemory() const {
    std::lock_guard lock(mutex_);
    return macros_;
}

std::vector<uint8_t> FirmwareModel::ShootImage() const {
    std::lock_guard lock(mutex_);
    return shoot_;
}

std::vector<uint8_t> FirmwareModel::PowerBytes() const {
    std::lock_guard lock(mutex_);
    return power_;
}

std::vector<uint8_t> FirmwareModel::LastLightFrame() const {
    std::lock_guard lock(mutex_);
    return last_frame_;
}

uint64_t FirmwareModel::LightFramesCompleted() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

uint64_t FirmwareModel::HostLightingRequests() const {
    std::lock_guard lock(mutex_);
    return host_lighting_requests_;
}

bool FirmwareModel::HostLighting() const {
    std::lock_guard lock(mutex_);
    return host_lighting_;
}

uint64_t FirmwareModel::BeginCount() const {
    std::lock_guard lock(mutex_);
    return begins_;
}

uint64_t FirmwareModel::EndCount() const {
    std::lock_guard lock(mutex_);
    return ends_;
}

bool FirmwareModel::InConfiguration() const {
    std::lock_guard lock(mutex_);
    return in_config_;
}

std::vector<Rgb> FirmwareModel::HeadsetLeds(uint8_t target) const {
    std::lock_guard lock(mutex_);
    const int index = TargetIndex(target);
    if (index < 0) return {};
    return headset_leds_[static_cast<size_t>(index)];
}

uint64_t FirmwareModel::LedReportsAccepted() const {
    std::lock_guard lock(mutex_);
    return led_reports_;
}

}  // namespace dz::sim
