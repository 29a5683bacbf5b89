#pragma once
// The device commands of dozadirctl: a verb and a device word each ("sync keyboard",
// "apply mouse"), each model registering its rows in the one table. They run with the
// emulator in place when --simulate is given, and talk to the device through a session on
// its bound command interface.

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "commands.h"
#include "device/command_channel.h"
#include "device/interface_scan.h"
#include "models/device_exchange.h"
#include "models/panel_lists.h"

namespace Json {
class Value;
}

namespace dz::ctl {

struct DeviceCommand {
    const char* verb;    // "sync", "apply", ...
    const char* device;  // "keyboard", "mouse", "mouse-rx", ...
    // `args` are the words after the device word.
    int (*run)(Context& ctx, const std::vector<std::string>& args);
    const char* usage;  // lines for the help text, each ending in "\n"
};

// A model's command that runs on the cable (else the receiver) or on the receiver only,
// as a row's handler: "sync mouse" and "sync mouse-rx" are one function.
using PathCommand = int (*)(Context& ctx, const std::vector<std::string>& args, bool receiver);
template <PathCommand kRun, bool kReceiver>
int OnPath(Context& ctx, const std::vector<std::string>& args) {
    return kRun(ctx, args, kReceiver);
}

[[nodiscard]] std::span<const DeviceCommand> DeviceCommands();
// The rows' usage lines, for the help text.
[[nodiscard]] std::string DeviceCommandUsage();

// The command channel of one device, opened on its bound command interface for as long as
// the session lives.
// Output helpers of the device commands: bytes as "0a 1b ...", bytes as a JSON array, and
// how a transfer ended ("ok", "status 0xFE at WRITE_KEYMAP (-103)", ...).
// The built-in effects (or modes) of a device kind, by index, as "default_light.json" lists
// them.
[[nodiscard]] std::vector<EffectListEntry> BuiltInEffects(int kind_code);
[[nodiscard]] std::string HexBytes(std::span<const uint8_t> bytes);
[[nodiscard]] Json::Value ByteArray(std::span<const uint8_t> bytes);
[[nodiscard]] std::string TransferText(const DeviceTransfer& t);
[[nodiscard]] Json::Value TransferJson(const DeviceTransfer& t);

// A lighting record given to a kind's connected device and its selected profile, as the
// window gives it to a device that takes part in same mode (written, then saved): made by
// `RecordOf` from the profile's own record. Not connected: `connected` false, the open's
// exit code in `status`, and nothing read or changed.
using RecordOf = std::function<std::array<uint8_t, 14>(const std::array<uint8_t, 14>& own)>;
struct KindLightingWrite {
    bool connected = false;
    bool saved = false;
    std::string profile;
    std::array<uint8_t, 14> record{};
    DeviceTransfer written;
    int status = 0;
};

class DeviceSession {
  public:
    DeviceSession();
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Opens the first bound command interface whose device type is in `types` (in that
    // order of preference). False, with the message written and `status` set to the exit
    // code, when none is there or it cannot be opened; `what` names the device in messages.
    bool Open(Context& ctx, std::initializer_list<uint16_t> types, const char* what, int& status);

    [[nodiscard]] CommandChannel& Channel() { return *channel_; }
    [[nodiscard]] const BoundInterface& Bound() const { return bound_; }
    [[nodiscard]] bool ReceiverPath() const;

  private:
    std::unique_ptr<CommandChannel> channel_;
    BoundInterface bound_;
};

}  // namespace dz::ctl
