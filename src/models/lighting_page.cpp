#include "models/lighting_page.h"

#include <algorithm>

#include "platform/log/debug_log.h"

namespace dz {
namespace {

constexpr uint8_t kSpeedTop = 4;

uint16_t PageOffset(int profile) {
    return static_cast<uint16_t>(std::clamp(profile, 0, 255) * kLightingPageStride);
}

}  // namespace

void FillLightingPage(LightingPageBytes& working, const LightInfoRecord& light) {
    working[kLpMode] = light.mode;
    working[kLpBrightness] = light.brightness;
    working[kLpSpeed] = light.speed;
    working[kLpMulticolour] = light.multicolor;
    working[kLpRed] = light.red;
    working[kLpGreen] = light.green;
    working[kLpBlue] = light.blue;
}

LightingPageBytes EncodeLightingPage(const LightingPageBytes& working,
                                     std::span<const EffectListEntry> modes) {
    LightingPageBytes wire = working;
    int index = working[kLpMode];
    if (index >= kLightingPageModes) index = 0;
    if (static_cast<size_t>(index) >= modes.size()) index = 0;
    wire[kLpMode] = modes.empty() ? uint8_t{0} : static_cast<uint8_t>(modes[index].code);
    wire[kLpSpeed] = static_cast<uint8_t>(kSpeedTop - std::min(working[kLpSpeed], kSpeedTop));
    return wire;
}

LightingPageBytes DecodeLightingPage(std::span<const uint8_t> read, int profile,
                                     std::span<const EffectListEntry> modes) {
    LightingPageBytes working{};
    std::copy_n(read.begin(), std::min(read.size(), working.size()), working.begin());
    working[kLpProfile] = static_cast<uint8_t>(profile);
    if (const auto index = EffectIndexOfCode(modes, working[kLpMode]))
        working[kLpMode] = static_cast<uint8_t>(*index);
    // The byte is one's complement of the speed on 0..4; a damaged byte wraps as on the pad.
    working[kLpSpeed] = static_cast<uint8_t>(kSpeedTop - working[kLpSpeed]);
    return working;
}

LightingPageRead ReadLightingPage(CommandChannel& channel, int profile) {
    LightingPageRead r;
    r.profile = profile;
    if (!channel.IsOpen()) return r;
    r.profile_result = kCmdOk;
    r.page_result = channel.ReadSettings(PageOffset(profile), r.bytes);
    if (r.page_result != kCmdOk) r.bytes.fill(0);
    return r;
}

LightingPageRead ReadCurrentLightingPage(CommandChannel& channel, int held) {
    LightingPageRead r;
    r.profile = held;
    if (!channel.IsOpen()) return r;
    std::array<uint8_t, 1> current{};
    r.profile_result = channel.ReadSettings(0, current);
    if (r.profile_result == kCmdOk) r.profile = current[0];
    r.bytes[0] = current[0];
    std::array<uint8_t, kLightingPageReadSize> page{};
    r.page_result = channel.ReadSettings(PageOffset(r.profile), page);
    // A failed read leaves the buffer as it was.
    if (r.page_result == kCmdOk) r.bytes = page;
    return r;
}

DeviceTransfer WriteLightingPage(CommandChannel& channel, int profile,
                                 const LightingPageBytes& wire) {
    DeviceTransfer t{kCmdOk, 0};
    auto note = [&t](int result, uint8_t command) {
        if (t.Ok() && result != kCmdOk) t = {result, command};
    };
    // The device takes the page whatever BEGIN answered; a closed channel sends no BEGIN
    // and the write itself then exchanges nothing.
    if (channel.IsOpen()) note(channel.Begin(), CMD_BEGIN);
    note(channel.WriteSettings(PageOffset(profile), wire), CMD_WRITE_SETTINGS);
    note(channel.End(), CMD_END);
    if (!t.Ok())
        log::DebugLineF("lighting page %d: %s (%d) at command 0x%02X", profile,
                        CommandResultText(t.result), t.result, t.failed_command);
    return t;
}

}  // namespace dz
