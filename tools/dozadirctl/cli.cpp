#include "cli.h"

#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>

#include "audio_commands.h"
#include "commands.h"
#include "device/udev_rule.h"
#include "device_commands.h"
#include "platform/hid/hid_backend.h"
#include "sim/emulator.h"
#include "sim/simulate_option.h"
#include "sim_commands.h"
#include "store_commands.h"
#include "update_commands.h"

namespace dz::ctl {
namespace {

constexpr const char* kUsage =
    "Usage: dozadirctl [--simulate[=KINDS]] [--json] COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  list           every bound interface: slot, type, role, vid:pid, usage page and\n"
    "                 usage, firmware version, path\n"
    "  info [DEVICE]  read and print the information block of DEVICE (a slot number or\n"
    "                 keyboard, keyboard-rx, mouse, mouse-rx, mousepad, headset);\n"
    "                 without DEVICE, of every connected device\n"
    "  udev-rule      print the udev rule that gives your user access to the devices\n"
    "  update ...     ask the update server about newer firmware and program versions\n"
    "  sim ...        drive the emulator of a running simulated application (below)\n"
    "  help           this text\n"
    "\n"
    "Options:\n"
    "  --simulate[=KINDS]  run against the device emulator (also DOZADIR_SIMULATE=KINDS);\n"
    "                      KINDS is a comma list of: ";

constexpr const char* kUsageTail =
    "\n"
    "                      default: keyboard, mouse on cable and receiver, mousepad,\n"
    "                      headset\n"
    "  --json              machine-readable output\n"
    "  -h, --help          this text\n"
    "\n"
    "DOZADIR_DEBUG=1 prints the packet traces to standard error.\n"
    "Exit codes: 0 ok, 1 usage, 2 device error, 3 no device (sim: no simulated\n"
    "application), 4 no access to the devices, 5 refused (a taken or blank name, the last\n"
    "profile, a limit, an emulator action the device cannot do), 6 file error, 7 no update\n"
    "server answered.\n\n";

void PrintUsage(std::ostream& s) {
    s << kUsage << sim::SimulateKindWords() << kUsageTail << DeviceCommandUsage() << kStoreUsage
      << kSimUsage << kUpdateUsage << kAudioStyleUsage;
}

bool IsDeviceCommand(const std::vector<std::string>& words) {
    for (const DeviceCommand& c : DeviceCommands())
        if (words[0] == c.verb && words[1] == c.device) return true;
    return false;
}

// Keeps the emulator's transport registered beside hidraw while the command runs.
class EmulatorSession {
public:
    explicit EmulatorSession(const sim::EmulatorConfig& config)
        : emulator_(std::make_unique<sim::Emulator>(config)) {
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
    }
    ~EmulatorSession() { hid::BackendRegistry::Instance().Remove(emulator_->Backend().get()); }
    EmulatorSession(const EmulatorSession&) = delete;
    EmulatorSession& operator=(const EmulatorSession&) = delete;

private:
    std::unique_ptr<sim::Emulator> emulator_;
};

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool json = false;
    std::optional<sim::EmulatorConfig> simulate;
    std::vector<std::string> rest;

    if (const char* env = std::getenv("DOZADIR_SIMULATE"); env && *env && std::string(env) != "0") {
        const auto parsed = sim::ParseSimulateKinds(env);
        if (!parsed.ok) {
            err << "dozadirctl: DOZADIR_SIMULATE: " << parsed.error << "\n";
            return kExitUsage;
        }
        simulate = parsed.config;
    }
    for (const auto& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a == "-h" || a == "--help") {
            PrintUsage(out);
            return kExitOk;
        } else if (sim::IsSimulateOption(a)) {
            const auto parsed = sim::ParseSimulateOption(a);
            if (!parsed.ok) {
                err << "dozadirctl: " << parsed.error << "\n";
                return kExitUsage;
            }
            simulate = parsed.config;
        } else if (a == "--force" && !rest.empty() && rest[0] == "macro") {
            rest.push_back(a);
        } else if (!rest.empty() && rest[0] == "preview") {
            rest.push_back(a);  // the preview's own options and their values (dashes too)
        } else if (!rest.empty() && rest[0] == "audio-style") {
            rest.push_back(a);  // the style's options ("set 2 --red 9")
        } else if (!rest.empty() && rest[0] == "update" && a.rfind("--server", 0) == 0) {
            rest.push_back(a);
        } else if (a.size() > 1 && a[0] == '-' && rest.size() >= 2 && IsDeviceCommand(rest)) {
            rest.push_back(a);  // the device command's own options ("dpi mouse --stage 2")
        } else if (a.size() > 1 && a[0] == '-') {
            err << "dozadirctl: unknown option " << a << "\n";
            PrintUsage(err);
            return kExitUsage;
        } else {
            rest.push_back(a);
        }
    }
    if (rest.empty()) {
        PrintUsage(err);
        return kExitUsage;
    }
    const std::string& command = rest[0];
    if (command == "help") {
        PrintUsage(out);
        return kExitOk;
    }
    if (command == "udev-rule") {
        out << UdevRuleText();
        return kExitOk;
    }

    if (command == "sim") {
        Context sim_ctx{out, err, json};
        return SimCommand(sim_ctx, std::vector<std::string>(rest.begin() + 1, rest.end()));
    }
    if (command == "audio-style") {
        Context audio_ctx{out, err, json};
        return AudioStyleCommand(audio_ctx, std::vector<std::string>(rest.begin() + 1, rest.end()));
    }
    if (command == "profile" || command == "macro") {
        Context store_ctx{out, err, json};
        const std::vector<std::string> sub(rest.begin() + 1, rest.end());
        return command == "profile" ? ProfileCommand(store_ctx, sub) : MacroCommand(store_ctx, sub);
    }

    std::optional<EmulatorSession> session;
    if (simulate) session.emplace(*simulate);
    Context ctx{out, err, json};
    if (command == "list" && rest.size() == 1) return ListCommand(ctx);
    if (command == "update")
        return UpdateCommand(ctx, std::vector<std::string>(rest.begin() + 1, rest.end()));
    if (command == "info" && rest.size() <= 2) {
        return InfoCommand(ctx, rest.size() == 2 ? std::optional(rest[1]) : std::nullopt);
    }
    for (const DeviceCommand& c : DeviceCommands()) {
        if (rest.size() >= 2 && command == c.verb && rest[1] == c.device)
            return c.run(ctx, std::vector<std::string>(rest.begin() + 2, rest.end()));
    }
    err << "dozadirctl: unknown command or wrong arguments: " << command << "\n";
    PrintUsage(err);
    return kExitUsage;
}

}  // namespace dz::ctl
