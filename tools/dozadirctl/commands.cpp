#include "commands.h"

#include <json/json.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <iomanip>
#include <memory>
#include <ostream>
#include <sstream>

#include "cli.h"
#include "device/command_channel.h"
#include "device/device_table.h"
#include "device/interface_scan.h"
#include "device/udev_rule.h"

namespace dz::ctl {
namespace {

struct TypeWord {
    uint16_t type;
    const char* word;
};
constexpr std::array<TypeWord, 6> kTypeWords{{
    {TYPE_KEYBOARD, "keyboard"},
    {TYPE_KEYBOARD_RX, "keyboard-rx"},
    {TYPE_MOUSE, "mouse"},
    {TYPE_MOUSE_RX, "mouse-rx"},
    {TYPE_MOUSEPAD, "mousepad"},
    {TYPE_HEADSET, "headset"},
}};

const char* TypeName(uint16_t type) {
    for (const auto& t : kTypeWords)
        if (t.type == type) return t.word;
    return "unknown";
}

bool IsReceiverType(uint16_t type) { return type == TYPE_KEYBOARD_RX || type == TYPE_MOUSE_RX; }

std::string Hex4(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "%04x", v & 0xFFFF);
    return b;
}

std::string FirmwareText(uint16_t version) {
    char b[8];
    std::snprintf(b, sizeof b, "V%04x", version);
    return b;
}

void WriteJson(std::ostream& out, const Json::Value& v) {
    Json::StreamWriterBuilder b;
    b["indentation"] = "  ";
    out << Json::writeString(b, v) << "\n";
}

const char* OpenErrorText(hid::OpenError e) {
    switch (e) {
        case hid::OpenError::kAccessDenied: return "permission denied";
        case hid::OpenError::kBusy: return "in use by another program";
        case hid::OpenError::kNotFound: return "gone";
        default: return "cannot be opened";
    }
}

// Reports supported interfaces that could not be opened; names the udev rule when the
// cause is permissions. True when any was denied.
bool ReportUnopened(const ScanPass& pass, std::ostream& err) {
    bool denied = false;
    for (const auto& u : pass.unopened) {
        err << "dozadirctl: " << u.path << ": " << OpenErrorText(u.error) << "\n";
        denied = denied || u.error == hid::OpenError::kAccessDenied;
    }
    if (denied) {
        err << "dozadirctl: install the udev rule " << kUdevRuleName
            << " to give your user access to the devices:\n";
        std::istringstream commands(UdevRuleInstallCommands());
        for (std::string line; std::getline(commands, line);) err << "  " << line << "\n";
    }
    return denied;
}

int NothingBound(const ScanPass& pass, Context& ctx) {
    if (ReportUnopened(pass, ctx.err)) return kExitNoAccess;
    ctx.err << "dozadirctl: no supported device found (try --simulate)\n";
    return kExitNoDevice;
}

}  // namespace

int ListCommand(Context& ctx) {
    DeviceSlotList slots;
    ScanPass pass = BindPresentInterfaces(slots);
    std::sort(pass.bound.begin(), pass.bound.end(),
              [](const BoundInterface& a, const BoundInterface& b) { return a.slot < b.slot; });
    if (!pass.listed) {
        ctx.err << "dozadirctl: listing the HID interfaces failed\n";
        return kExitDeviceError;
    }
    if (pass.bound.empty()) return NothingBound(pass, ctx);
    ReportUnopened(pass, ctx.err);

    if (ctx.json) {
        Json::Value list(Json::arrayValue);
        for (const auto& b : pass.bound) {
            Json::Value e;
            e["slot"] = b.slot;
            e["path"] = b.record.path;
            e["type"] = TypeName(b.record.type);
            e["typeCode"] = b.record.type;
            e["role"] = b.record.role == ROLE_COMMAND ? "command" : "notify";
            e["vendorId"] = Hex4(b.record.vendor_id);
            e["productId"] = Hex4(b.record.product_id);
            e["usagePage"] = Hex4(b.record.usage_page);
            e["usage"] = Hex4(b.record.usage);
            e["firmware"] = FirmwareText(b.version);
            list.append(e);
        }
        WriteJson(ctx.out, list);
        return kExitOk;
    }
    ctx.out << std::left << std::setw(5) << "SLOT" << std::setw(12) << "TYPE" << std::setw(8)
            << "ROLE" << std::setw(10) << "VID:PID" << std::setw(11) << "USAGE" << std::setw(9)
            << "FIRMWARE"
            << "PATH\n";
    for (const auto& b : pass.bound) {
        ctx.out << std::left << std::setw(5) << b.slot << std::setw(12) << TypeName(b.record.type)
                << std::setw(8) << (b.record.role == ROLE_COMMAND ? "command" : "notify")
                << std::setw(10) << (Hex4(b.record.vendor_id) + ":" + Hex4(b.record.product_id))
                << std::setw(11) << (Hex4(b.record.usage_page) + "/" + Hex4(b.record.usage))
                << std::setw(9) << FirmwareText(b.version) << b.record.path << "\n";
    }
    return kExitOk;
}

namespace {

// Which bound command interfaces `device` names; empty with a message when none.
std::vector<BoundInterface> SelectDevices(const ScanPass& pass,
                                          const std::optional<std::string>& device,
                                          Context& ctx, int& status) {
    std::vector<BoundInterface> chosen;
    status = kExitOk;
    int slot = -1;
    uint16_t type = 0;
    if (device) {
        for (const auto& t : kTypeWords)
            if (*device == t.word) type = t.type;
        if (type == 0) {
            char* end = nullptr;
            const long n = std::strtol(device->c_str(), &end, 10);
            if (device->empty() || *end != '\0' || n < 0 || n >= long(kSupportedDeviceCount)) {
                ctx.err << "dozadirctl: unknown device \"" << *device
                        << "\": give a slot number (0-10) or one of keyboard, keyboard-rx, "
                           "mouse, mouse-rx, mousepad, headset\n";
                status = kExitUsage;
                return chosen;
            }
            slot = int(n);
        }
    }
    for (const auto& b : pass.bound) {
        if (b.record.role != ROLE_COMMAND) continue;
        if (slot >= 0 && b.slot != slot) continue;
        if (type != 0 && b.record.type != type) continue;
        chosen.push_back(b);
    }
    if (chosen.empty()) {
        if (slot >= 0 && pass.bound.size() > 0) {
            ctx.err << "dozadirctl: slot " << slot << " is not a bound command interface\n";
            status = kExitNoDevice;
        } else if (device && !pass.bound.empty()) {
            ctx.err << "dozadirctl: no " << *device << " is connected\n";
            status = kExitNoDevice;
        } else {
            status = NothingBound(pass, ctx);
        }
    }
    return chosen;
}

// Reads the information block over a channel opened on the bound path.
int ReadInfoBlock(const BoundInterface& b, std::array<uint8_t, kDeviceInfoSize>& info) {
    auto channel = std::make_unique<CommandChannel>();
    const bool receiver = IsReceiverType(b.record.type);
    HidInterface& hid = receiver ? channel->ReceiverInterface() : channel->CableInterface();
    if (hid.Open(b.record.path, true, true, true, false) != 1) return kCmdNoExchange;
    channel->SetMode(receiver ? kModeReceiver : kModeCable);
    channel->SetOpen(true);
    const int r = channel->ReadInfo(info);
    channel->SetOpen(false);
    hid.Close();
    return r;
}

}  // namespace

int InfoCommand(Context& ctx, const std::optional<std::string>& device) {
    DeviceSlotList slots;
    const ScanPass pass = BindPresentInterfaces(slots);
    int status = kExitOk;
    const auto chosen = SelectDevices(pass, device, ctx, status);
    if (chosen.empty()) return status;

    Json::Value list(Json::arrayValue);
    for (const auto& b : chosen) {
        std::array<uint8_t, kDeviceInfoSize> info{};
        const int r = ReadInfoBlock(b, info);
        Json::Value e;
        e["slot"] = b.slot;
        e["type"] = TypeName(b.record.type);
        e["path"] = b.record.path;
        e["result"] = r;
        if (r != kCmdOk) {
            ctx.err << "dozadirctl: slot " << b.slot << " (" << TypeName(b.record.type)
                    << "): reading the information block failed: " << CommandResultText(r)
                    << " (" << r << ")\n";
            status = kExitDeviceError;
            e["error"] = CommandResultText(r);
            list.append(e);
            continue;
        }
        Json::Value bytes(Json::arrayValue);
        std::ostringstream hex;
        for (size_t i = 0; i < info.size(); ++i) {
            bytes.append(info[i]);
            char h[4];
            std::snprintf(h, sizeof h, "%02x", info[i]);
            hex << (i ? " " : "") << h;
        }
        e["info"] = bytes;
        e["keySlots"] = info[5];
        e["macroBytes"] = info[6] * 128;
        list.append(e);
        if (!ctx.json) {
            ctx.out << "slot " << b.slot << " " << TypeName(b.record.type) << " " << b.record.path
                    << "\n  information block: " << hex.str() << "\n  key slots: "
                    << int(info[5]) << ", macro memory: " << info[6] * 128 << " bytes\n";
        }
    }
    if (ctx.json) WriteJson(ctx.out, list);
    return status;
}

}  // namespace dz::ctl
