#include "sim/model_tables.h"

namespace dz::sim {
namespace {

constexpr KeyCode Key(uint8_t usage) {
    return {0x20, 0x00, usage};
}
constexpr KeyCode Modifier(uint8_t bit) {
    return {0x20, bit, 0x00};
}

// The largest table a key map transfer carries (170 × 3 = 510 bytes).
constexpr int kKeyboardSlots = 170;
// Slots follow the keyboard's scan matrix, not the page's position order: position p
// sits in slot (p * 3) mod 170, which leaves 44 slots unused.
constexpr int kKeyboardSlotStride = 3;

std::vector<KeyCode> BuildKeyboardPositions() {
    std::vector<KeyCode> p;
    p.push_back(Key(0x29));                                       // 0 Esc
    for (uint8_t u = 0x3A; u <= 0x45; ++u) p.push_back(Key(u));   // 1..12 F1..F12
    p.push_back(Key(0x46));                                       // 13 Print Scr
    p.push_back(Key(0x47));                                       // 14 Scroll Lock
    p.push_back(Key(0x48));                                       // 15 Pause
    p.push_back({0xA0, 0x1B, 0x00});                              // 16 GM
    p.push_back({0xA0, 0x24, 0x00});                              // 17
    for (int i = 0; i < 3; ++i) p.push_back({0x20, 0x00, 0x00});  // 18..20
    p.push_back(Key(0x35));                                       // 21 `
    for (uint8_t u = 0x1E; u <= 0x27; ++u) p.push_back(Key(u));   // 22..31 1..9, 0
    for (uint8_t u : {0x2D, 0x2E, 0x2A, 0x49, 0x4A, 0x4B, 0x53, 0x54, 0x55, 0x56, 0x2B})
        p.push_back(Key(u));  // 32..42 - = BackSpace Insert Home PgUp NumLock / * - Tab
    for (uint8_t u : {0x14, 0x1A, 0x08, 0x15, 0x17, 0x1C, 0x18, 0x0C, 0x12, 0x13})
        p.push_back(Key(u));  // 43..52 Q..P
    for (uint8_t u : {0x2F, 0x30, 0x31, 0x4C, 0x4D, 0x4E, 0x5F, 0x60, 0x61, 0x32, 0x39})
        p.push_back(Key(u));  // 53..63 [ ] \ Delete End PgDn Num7 Num8 Num9 K42 Caps
    for (uint8_t u : {0x04, 0x16, 0x07, 0x09, 0x0A, 0x0B, 0x0D, 0x0E, 0x0F})
        p.push_back(Key(u));  // 64..72 A..L
    for (uint8_t u : {0x33, 0x34, 0x28, 0x5C, 0x5D, 0x5E, 0x8A, 0x8B, 0x90, 0x91, 0x88})
        p.push_back(Key(u));      // 73..83 ; ' Enter Num4 Num5 Num6 K132 K131 K151 K150 K133
    p.push_back(Modifier(0x02));  // 84 LShift
    for (uint8_t u : {0x1D, 0x1B, 0x06, 0x19, 0x05, 0x11, 0x10, 0x36, 0x37, 0x38})
        p.push_back(Key(u));      // 85..94 Z..M , . /
    p.push_back(Modifier(0x20));  // 95 RShift
    for (uint8_t u : {0x52, 0x59, 0x5A, 0x5B, 0x87, 0x89, 0x64, 0x85})
        p.push_back(Key(u));          // 96..103 Up Num1 Num2 Num3 K56 K14 K45 K107
    p.push_back({0x20, 0x00, 0x00});  // 104
    p.push_back(Modifier(0x01));      // 105 LCtrl
    p.push_back(Modifier(0x08));      // 106 LWin
    p.push_back(Modifier(0x04));      // 107 LAlt
    p.push_back(Key(0x2C));           // 108 Space
    p.push_back(Modifier(0x40));      // 109 RAlt
    p.push_back({0xA0, 0x01, 0x00});  // 110 Fn
    p.push_back(Key(0x65));           // 111 App
    p.push_back(Modifier(0x10));      // 112 RCtrl
    for (uint8_t u : {0x50, 0x51, 0x4F, 0x62, 0x63, 0x58, 0x57})
        p.push_back(Key(u));  // 113..119 Left Down Right Num0 Decimal NumEnter Num+
    for (uint8_t m = 1; m <= 5; ++m) p.push_back({0xD0, 0xA2, m});  // 120..124 M1..M5
    p.push_back(Modifier(0x80));                                    // 125 RWin
    return p;
}

const std::vector<Rgb> kProfileColours = {
    {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF},
    {0xFF, 0xFF, 0x00}, {0x00, 0xFF, 0xFF},
};

void PutLe16(std::array<uint8_t, 34>& info, size_t at, uint16_t v) {
    info[at] = static_cast<uint8_t>(v & 0xFF);
    info[at + 1] = static_cast<uint8_t>(v >> 8);
}

// Bytes 0..6 of every information block: firmware version, product id, profile
// count, key slots, macro memory in 128-byte units.
std::array<uint8_t, 34> InfoHeader(const ModelTable& t) {
    std::array<uint8_t, 34> info{};
    PutLe16(info, 0, t.cable_bcd);
    PutLe16(info, 2, t.cable_product_id);
    info[4] = static_cast<uint8_t>(t.profiles);
    info[kInfoKeySlots] = static_cast<uint8_t>(t.key_slots.size());
    info[kInfoMacroUnits] = static_cast<uint8_t>(t.macro_capacity / 128);
    return info;
}

ModelTable BuildKeyboard() {
    ModelTable t;
    t.kind = DeviceKind::kKeyboard;
    t.name = "keyboard";
    t.vendor_id = 0x320F;
    t.cable_product_id = 0x505B;
    t.cable_bcd = 0x0112;
    t.receiver_product_id = 0x5001;
    t.receiver_bcd = 0x0105;
    t.has_battery = true;
    t.has_notifications = true;

    t.key_slots.assign(kKeyboardSlots, KeyCode{0, 0, 0});
    t.led_map.assign(kKeyboardSlots, kNoLed);
    const auto& positions = KeyboardPositionCodes();
    for (int p = 0; p < static_cast<int>(positions.size()); ++p) {
        const int slot = KeyboardSlotOfPosition(p);
        t.key_slots[slot] = positions[p];
        t.led_map[slot] = static_cast<uint8_t>(p);  // the page numbers its lights by position
    }
    t.key_colour_pages = 5;
    t.macro_capacity = 32 * 128;
    t.light_frame_size = 126 * 3;

    // 26-byte blocks every 25 bytes: a block's last byte is the next block's first.
    t.profiles = 5;
    t.settings_stride = 25;
    t.settings_page = 26;
    t.settings_size = 25 * 4 + 26;
    t.settings_seeds = {
        // Effect, brightness, 4 - speed, direction, multicolour: as the default profile has them.
        {1, {0x01, 0x04, 0x02, 0x01, 0x01}},
        {18, {0x00, 0x00, 0x00, 0x00, 0x03}},  // LED mode, WFlag, Key6Flag, WinFlag, polling
    };
    t.colour_offset = 6;
    t.profile_colours = kProfileColours;
    t.power = {85, 0, 0, 0, 1, 0};
    t.info = InfoHeader(t);
    return t;
}

// Slider position of a DPI figure on the mouse's scale.
uint16_t DpiPosition(int dpi, int step, int lowest, bool two_slope) {
    if (two_slope && dpi > step * 48 + lowest)
        return static_cast<uint16_t>(48 + (dpi - (step * 48 + lowest)) / 200);
    return static_cast<uint16_t>((dpi - lowest) / step);
}

ModelTable BuildMouse(MouseSensor sensor) {
    ModelTable t;
    t.kind = DeviceKind::kMouse;
    t.name = "mouse";
    t.vendor_id = 0x320F;
    t.cable_product_id = 0x221C;
    t.cable_bcd = 0x0120;
    t.receiver_product_id = 0x221D;
    t.receiver_bcd = 0x0108;
    t.has_battery = true;
    t.has_notifications = true;

    // Slot order of the mouse's switches: back sits before forward.
    const auto& b = MouseButtonCodes();
    t.key_slots = {b[0], b[1], b[2], b[4], b[3], b[5], b[6], b[7], b[8], b[9], b[10]};
    t.key_slots.resize(16, KeyCode{0, 0, 0});
    t.macro_capacity = 16 * 128;
    t.shoot_capacity = 4096;
    t.light_frame_size = 15 * 3;

    const bool two_slope = sensor == MouseSensor::k3325;
    const uint16_t sensor_id = two_slope ? 0x3325 : 0x3389;
    const int step = two_slope ? 100 : 50;
    const int lowest = 100;
    const uint16_t highest = two_slope ? 74 : 319;

    t.profiles = 5;
    t.settings_stride = 128;
    t.settings_page = 128;
    t.settings_size = 128 * 5;
    std::vector<uint8_t> stages;
    const int dpis[5] = {400, 800, 1600, 3200, 6500};
    const Rgb stage_colours[5] = {{0xFF, 0x00, 0x00},
                                  {0x00, 0xFF, 0x00},
                                  {0x00, 0x00, 0xFF},
                                  {0xFF, 0xFF, 0x00},
                                  {0xFF, 0x00, 0xFF}};
    for (int i = 0; i < 5; ++i) {
        const uint16_t pos = DpiPosition(dpis[i], step, lowest, two_slope);
        const uint8_t lo = static_cast<uint8_t>(pos & 0xFF), hi = static_cast<uint8_t>(pos >> 8);
        stages.insert(stages.end(), {1, 0, lo, hi, lo, hi});
        stages.insert(stages.end(), stage_colours[i].begin(), stage_colours[i].end());
    }
    t.settings_seeds = {
        {1, {0x01, 0x03, 0x02, 0x00, 0x01}},  // mode, brightness, 4 - speed, direction, multi
        {11, {0x03, 0x01, 0x00}},             // report rate, current DPI stage
        {14, stages},
        {59, {0x01, 0x80, 0x07, 0x38, 0x04, 0x00, 0x00}},  // 1920 x 1080, no line correction
    };
    t.colour_offset = 6;
    t.profile_colours = kProfileColours;
    t.dpi_stage_offset = 12;
    t.dpi_stages = 5;
    t.power = {72, 0, 0, 0, 1, 0};
    t.info = InfoHeader(t);
    PutLe16(t.info, kInfoSensor, sensor_id);
    t.info[kInfoDpiStep] = static_cast<uint8_t>(step);
    PutLe16(t.info, kInfoDpiMaxPos, highest);
    PutLe16(t.info, kInfoDpiMin, static_cast<uint16_t>(lowest));
    return t;
}

// The mousepad and the headset share the 21-byte lighting page, one every 64 bytes.
void PutLightingPage(ModelTable& t, int profiles, uint8_t mode) {
    t.profiles = profiles;
    t.settings_stride = 64;
    t.settings_page = 21;
    t.settings_size = 64 * static_cast<size_t>(profiles);
    t.settings_seeds = {
        {1, {mode, 0x04, 0x02, 0x01, 0x01}},  // mode, brightness, 4 - speed, byte 4, multi
        // bytes the host keeps and sends back as read
        {9, {0x0A, 0x00, 0x03, 0x00, 0x00, 0x10, 0x20, 0x00, 0x00, 0x00, 0x00, 0x01}},
    };
    t.colour_offset = 6;
    t.profile_colours = kProfileColours;
}

ModelTable BuildMousepad() {
    ModelTable t;
    t.kind = DeviceKind::kMousepad;
    t.name = "mousepad";
    t.vendor_id = 0x320F;
    t.cable_product_id = 0x1004;
    t.cable_bcd = 0x0103;
    t.has_notifications = true;
    t.light_frame_size = 15 * 3;
    PutLightingPage(t, 3, 0x02);
    t.power = {100, 2, 0, 0, 1, 0};
    t.info = InfoHeader(t);
    return t;
}

ModelTable BuildHeadset() {
    ModelTable t;
    t.kind = DeviceKind::kHeadset;
    t.name = "headset";
    t.vendor_id = 0x0C76;
    t.cable_product_id = 0x1630;
    t.cable_bcd = 0x0100;
    t.headset_leds = 13;
    PutLightingPage(t, 1, 0x03);
    t.power = {100, 2, 0, 0, 1, 0};
    t.info = InfoHeader(t);
    return t;
}

}  // namespace

const std::vector<KeyCode>& KeyboardPositionCodes() {
    static const std::vector<KeyCode> codes = BuildKeyboardPositions();
    return codes;
}

int KeyboardSlotOfPosition(int position) {
    return (position * kKeyboardSlotStride) % kKeyboardSlots;
}

const std::vector<KeyCode>& MouseButtonCodes() {
    static const std::vector<KeyCode> codes = {
        {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
        {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
        {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02},
    };
    return codes;
}

const ModelTable& ModelTableFor(DeviceKind kind, MouseSensor sensor) {
    static const ModelTable keyboard = BuildKeyboard();
    static const ModelTable mouse = BuildMouse(MouseSensor::kStandard);
    static const ModelTable mouse_3325 = BuildMouse(MouseSensor::k3325);
    static const ModelTable mousepad = BuildMousepad();
    static const ModelTable headset = BuildHeadset();
    switch (kind) {
        case DeviceKind::kKeyboard:
            return keyboard;
        case DeviceKind::kMouse:
            return sensor == MouseSensor::k3325 ? mouse_3325 : mouse;
        case DeviceKind::kMousepad:
            return mousepad;
        case DeviceKind::kHeadset:
            return headset;
    }
    return keyboard;
}

const char* KindName(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::kKeyboard:
            return "keyboard";
        case DeviceKind::kMouse:
            return "mouse";
        case DeviceKind::kMousepad:
            return "mousepad";
        case DeviceKind::kHeadset:
            return "headset";
    }
    return "?";
}

const char* LinkName(Link link) {
    return link == Link::kCable ? "cable" : "receiver";
}

const char* FaultName(FaultKind kind) {
    switch (kind) {
        case FaultKind::kStatusFF:
            return "status 0xFF";
        case FaultKind::kStatusFE:
            return "status 0xFE";
        case FaultKind::kNoAnswer:
            return "no answer";
        case FaultKind::kWrongCode:
            return "wrong command code";
        case FaultKind::kDisconnect:
            return "disconnect";
        case FaultKind::kLateAnswer:
            return "late answer";
        case FaultKind::kDoubleAnswer:
            return "double answer";
    }
    return "?";
}

}  // namespace dz::sim
