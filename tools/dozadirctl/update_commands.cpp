#include "update_commands.h"

#include <json/json.h>

#include <atomic>
#include <iomanip>
#include <ostream>

#include "cli.h"
#include "device/device_table.h"
#include "device/interface_scan.h"
#include "update/http_client.h"
#include "update/update_check.h"
#include "update/update_query.h"

namespace dz::ctl {

const char* const kUpdateUsage =
    "Update check (the settings window's, against the update server):\n"
    "  update [--server URL]  ask the server about each connected device's firmware and\n"
    "                         this program; URL is the server's base address, the part\n"
    "                         before \"updates\" (default: DOZADIR_UPDATE_SERVER, the\n"
    "                         settings file's \"update_server\", or the built-in one).\n"
    "                         Exit code 7 when no query was answered.\n\n";

namespace {

// The firmware version of each item of the window's device selector, in its order: the
// mouse and the keyboard (their pages always exist), then the mousepad and the headset
// when present. A device on its cable counts before the same device on its receiver.
std::vector<int> FirmwareInSelectorOrder(const ScanPass& pass) {
    auto version_of = [&pass](std::initializer_list<uint16_t> types) -> std::optional<int> {
        for (uint16_t type : types)
            for (const BoundInterface& b : pass.bound)
                if (b.record.role == ROLE_COMMAND && b.record.type == type) return b.version;
        return std::nullopt;
    };
    std::vector<int> firmware;
    firmware.push_back(version_of({TYPE_MOUSE, TYPE_MOUSE_RX}).value_or(0));
    firmware.push_back(version_of({TYPE_KEYBOARD, TYPE_KEYBOARD_RX}).value_or(0));
    for (uint16_t type : {TYPE_MOUSEPAD, TYPE_HEADSET})
        if (auto v = version_of({type})) firmware.push_back(*v);
    return firmware;
}

const char* StatusWord(int status) {
    switch (status) {
        case 1:
        case 2:
            return "update available";
        case 7:
            return "up to date";
        default:
            return "not checked";
    }
}

}  // namespace

int UpdateCommand(Context& ctx, const std::vector<std::string>& args) {
    std::string server = update::UpdateServerAddress();
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--server" && i + 1 < args.size()) {
            server = args[++i];
        } else if (args[i].rfind("--server=", 0) == 0) {
            server = args[i].substr(9);
        } else {
            ctx.err << "dozadirctl: update: unexpected \"" << args[i] << "\"\n" << kUpdateUsage;
            return kExitUsage;
        }
    }
    if (server.empty()) {
        ctx.err << "dozadirctl: update: the server address is empty\n";
        return kExitUsage;
    }
    DeviceSlotList slots;
    const ScanPass pass = BindPresentInterfaces(slots);
    const std::vector<update::UpdateItem> items =
        update::ItemsToCheck(update::BuildUpdateItems(FirmwareInSelectorOrder(pass)));
    update::HttpClient client;
    const std::atomic<bool> stop{false};
    const update::CheckRun run{server, update::LastCheckFile(), {}};
    const update::CheckResult result = update::RunUpdateCheck(items, client, run, stop);

    if (ctx.json) {
        Json::Value out;
        out["server"] = server;
        out["windowStatus"] = result.window_status;
        out["failures"] = result.failures;
        out["items"] = Json::Value(Json::arrayValue);
        for (const update::UpdateRow& row : result.rows) {
            Json::Value e;
            e["name"] = row.name;
            e["current"] = row.current_text;
            e["offered"] = row.offered_text;
            e["status"] = row.status;
            e["statusText"] = StatusWord(row.status);
            e["path"] = row.path;
            if (row.failed) e["error"] = row.error;
            out["items"].append(e);
        }
        Json::StreamWriterBuilder b;
        b["indentation"] = "  ";
        ctx.out << Json::writeString(b, out) << "\n";
    } else {
        ctx.out << std::left << std::setw(32) << "ITEM" << std::setw(10) << "CURRENT"
                << std::setw(10) << "OFFERED"
                << "STATUS\n";
        for (const update::UpdateRow& row : result.rows) {
            ctx.out << std::left << std::setw(32) << row.name << std::setw(10) << row.current_text
                    << std::setw(10) << (row.offered_text.empty() ? "-" : row.offered_text)
                    << StatusWord(row.status);
            if (row.failed) ctx.out << " (not answered: " << row.error << ")";
            ctx.out << "\n";
        }
    }
    if (result.window_status == update::kWindowNoServer) {
        ctx.err << "dozadirctl: update: the update server at " << server << " did not answer\n";
        return kExitNoServer;
    }
    return kExitOk;
}

}  // namespace dz::ctl
