#include "sim_commands.h"

#include <algorithm>
#include <iterator>
#include <ostream>

#include "cli.h"

#ifdef DOZADIR_CTL_SIM_BUS
#include <json/json.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>

#include "sim/bus/sim_bus_names.h"
#include "sim/control_words.h"
#endif

namespace dz::ctl {

const char* const kSimUsage =
    "Emulator of a running \"dozadir-keyboard --simulate\" (KIND: keyboard, mouse, mousepad,\n"
    "headset; LINK: cable, receiver; numbers in decimal or 0x hex):\n"
    "  sim status                  what is plugged and linked (--json: state per kind)\n"
    "  sim plug KIND [LINK]        plug the cable (default) or the receiver\n"
    "  sim unplug KIND [LINK]      unplug one path; without LINK every path of KIND\n"
    "  sim cable KIND              move the device onto its cable: plug it, unplug the\n"
    "                              receiver\n"
    "  sim receiver KIND           move a keyboard or mouse onto its receiver\n"
    "  sim link KIND on|off        the RF link between the receiver and the device\n"
    "  sim press KIND profile N    the profile button, N from 0 as the device counts\n"
    "  sim press KIND dpi N        the DPI button of the mouse, stage N from 0\n"
    "  sim press KIND raw USAGE    any notification usage, e.g. 0x0401\n"
    "  sim fault KIND FAULT AT     a fault at the kind's command packet AT (1 = the next);\n"
    "                              FAULT: ff, fe, no-answer, wrong-code, disconnect,\n"
    "                              double-answer, link-lost (the receiver loses the\n"
    "                              device at that packet)\n"
    "  sim fault KIND late-answer AT MS\n"
    "                              the answer to packet AT comes MS milliseconds late\n"
    "  sim fault KIND clear        drop the armed faults\n";

#ifndef DOZADIR_CTL_SIM_BUS

int SimCommand(Context& ctx, const std::vector<std::string>&) {
    ctx.err << "dozadirctl: sim: this dozadirctl was built without D-Bus support\n";
    return kExitUsage;
}

#else

namespace {

constexpr const char* kNoApplication =
    "dozadirctl: sim: no simulated application is running (start dozadir-keyboard --simulate)\n";
constexpr int kCallTimeoutMs = 5000;

struct Reply {
    int code = kExitOk;  // kExitOk when the call was answered
    QVariant value;
};

// One connection to the service for the whole command.
class SimClient {
  public:
    explicit SimClient(Context& ctx) : ctx_(ctx) {
        // QtDBus wants an application object; the binary has none, a test may.
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "dozadirctl";
            static char* argv[] = {name, nullptr};
            app_ = std::make_unique<QCoreApplication>(argc, argv);
        }
    }

    // False (message written, code set) when there is no bus or nobody serves the name.
    bool Connect() {
        bus_.emplace(QDBusConnection::sessionBus());
        if (!bus_->isConnected() || !bus_->interface()) return Fail(kExitNoDevice, kNoApplication);
        const QDBusReply<bool> there =
            bus_->interface()->isServiceRegistered(QString::fromLatin1(sim::kSimBusName));
        if (!there.isValid() || !there.value()) return Fail(kExitNoDevice, kNoApplication);
        return true;
    }

    Reply Call(const char* method, const QVariantList& args) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(sim::kSimBusName), QString::fromLatin1(sim::kSimObjectPath),
            QString::fromLatin1(sim::kSimInterface), QString::fromLatin1(method));
        call.setArguments(args);
        const QDBusMessage answer = bus_->call(call, QDBus::Block, kCallTimeoutMs);
        if (answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty())
            return {kExitOk, answer.arguments().front()};
        const QDBusError error(answer);
        const std::string text = error.message().toStdString();
        switch (error.type()) {
            case QDBusError::InvalidArgs:
                ctx_.err << "dozadirctl: sim: " << text << "\n";
                return {kExitUsage, {}};
            case QDBusError::ServiceUnknown:
            case QDBusError::Disconnected:
            case QDBusError::UnknownObject:
            case QDBusError::UnknownInterface:
            case QDBusError::UnknownMethod:
                // Gone since Connect, or another program holds the name.
                ctx_.err << kNoApplication;
                return {kExitNoDevice, {}};
            default:
                ctx_.err << "dozadirctl: sim: " << method << " failed: " << text << "\n";
                return {kExitDeviceError, {}};
        }
    }

    // A call answered with a bool; false is the emulator refusing, `what` says what.
    int Act(const char* method, const QVariantList& args, const std::string& what) {
        const Reply r = Call(method, args);
        if (r.code != kExitOk) return r.code;
        if (r.value.toBool()) return kExitOk;
        ctx_.err << "dozadirctl: sim: refused: " << what << "\n";
        return kExitRefused;
    }

    std::optional<QVariantMap> State(const std::string& kind) {
        Reply r = Call("State", {QString::fromStdString(kind)});
        if (r.code != kExitOk) {
            code_ = r.code;
            return std::nullopt;
        }
        return qdbus_cast<QVariantMap>(r.value);
    }

    [[nodiscard]] int Code() const { return code_; }

  private:
    bool Fail(int code, const char* text) {
        ctx_.err << text;
        code_ = code;
        return false;
    }

    Context& ctx_;
    std::unique_ptr<QCoreApplication> app_;
    std::optional<QDBusConnection> bus_;
    int code_ = kExitOk;
};

int Usage(Context& ctx, const std::string& text) {
    ctx.err << "dozadirctl: sim: " << text << "\n" << kSimUsage;
    return kExitUsage;
}

// Decimal or 0x hex, the whole word, within int.
std::optional<int> ParseNumber(const std::string& word) {
    if (word.empty()) return std::nullopt;
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const char* start = word.c_str() + (hex ? 2 : 0);
    if (*start == '+' || *start == ' ' || (hex && *start == '-')) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(start, &end, hex ? 16 : 10);
    if (errno != 0 || end == start || *end != '\0' || v < INT_MIN || v > INT_MAX)
        return std::nullopt;
    return static_cast<int>(v);
}

std::string Possessive(const std::string& kind) {
    return "the " + kind + "'s ";
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

int Status(Context& ctx, SimClient& client) {
    if (!ctx.json) {
        const Reply r = client.Call("Status", {});
        if (r.code == kExitOk) ctx.out << r.value.toString().toStdString();
        return r.code;
    }
    Json::Value all(Json::arrayValue);
    for (sim::DeviceKind kind : {sim::DeviceKind::kKeyboard, sim::DeviceKind::kMouse,
                                 sim::DeviceKind::kMousepad, sim::DeviceKind::kHeadset}) {
        const std::string word = sim::KindName(kind);
        const std::optional<QVariantMap> state = client.State(word);
        if (!state) return client.Code();
        Json::Value e;
        e["kind"] = word;
        for (const char* key : {"has_receiver", "cable", "receiver", "linked"})
            e[key] = state->value(QString::fromLatin1(key)).toBool();
        for (const char* key : {"profile", "dpi_stage", "armed_faults"})
            e[key] = state->value(QString::fromLatin1(key)).toInt();
        all.append(e);
    }
    Json::StreamWriterBuilder b;
    b["indentation"] = "  ";
    ctx.out << Json::writeString(b, all) << "\n";
    return kExitOk;
}

// Every path of the kind, or the one named.
int UnplugPaths(SimClient& client, const std::string& kind, std::optional<sim::Link> only) {
    if (only) {
        const char* link = sim::LinkName(*only);
        return client.Act("Unplug", {Q(kind), QString::fromLatin1(link)},
                          "the " + kind + " has no " + link);
    }
    const std::optional<QVariantMap> state = client.State(kind);
    if (!state) return client.Code();
    int code = client.Act("Unplug", {Q(kind), QStringLiteral("cable")}, "the " + kind + "'s cable");
    if (code == kExitOk && state->value(QStringLiteral("has_receiver")).toBool())
        code = client.Act("Unplug", {Q(kind), QStringLiteral("receiver")},
                          "the " + kind + "'s receiver");
    return code;
}

// As a person moving the device: plug the new path first, then pull the other.
int MoveTo(SimClient& client, const std::string& kind, sim::Link to) {
    const std::optional<QVariantMap> state = client.State(kind);
    if (!state) return client.Code();
    const bool has_receiver = state->value(QStringLiteral("has_receiver")).toBool();
    if (to == sim::Link::kReceiver && !has_receiver) {
        return client.Act("Plug", {Q(kind), QStringLiteral("receiver")},
                          "the " + kind + " has no receiver");
    }
    const sim::Link from = to == sim::Link::kCable ? sim::Link::kReceiver : sim::Link::kCable;
    int code = client.Act("Plug", {Q(kind), QString::fromLatin1(sim::LinkName(to))},
                          Possessive(kind) + sim::LinkName(to));
    if (code == kExitOk && has_receiver)
        code = client.Act("Unplug", {Q(kind), QString::fromLatin1(sim::LinkName(from))},
                          Possessive(kind) + sim::LinkName(from));
    return code;
}

}  // namespace

int SimCommand(Context& ctx, const std::vector<std::string>& args) {
    if (args.empty()) return Usage(ctx, "give a command");
    const std::string& op = args[0];
    const size_t n = args.size();

    // Everything is checked here, before the bus: a wrong word is a usage error
    // whether or not an application is running.
    static constexpr const char* kCommands[] = {"status",   "plug", "unplug", "cable",
                                                "receiver", "link", "press",  "fault"};
    if (std::find(std::begin(kCommands), std::end(kCommands), op) == std::end(kCommands))
        return Usage(ctx, "unknown command \"" + op + "\"");
    std::string kind;
    if (op != "status") {
        if (n < 2) return Usage(ctx, op + ": give a device kind");
        kind = args[1];
        if (!sim::KindFromWord(kind))
            return Usage(ctx, "unknown device kind \"" + kind +
                                  "\" (known: " + std::string(sim::KindWordList()) + ")");
    }
    std::optional<sim::Link> link;
    bool linked = false;
    std::string press;
    int value = 0;
    std::optional<sim::FaultKind> fault;
    int delay_ms = 0;
    if (op == "status") {
        if (n != 1) return Usage(ctx, "status takes no arguments");
    } else if (op == "plug" || op == "unplug") {
        if (n > 3) return Usage(ctx, op + ": too many arguments");
        if (n == 3) {
            link = sim::LinkFromWord(args[2]);
            if (!link)
                return Usage(ctx, "unknown link \"" + args[2] +
                                      "\" (known: " + std::string(sim::LinkWordList()) + ")");
        }
    } else if (op == "cable" || op == "receiver") {
        if (n != 2) return Usage(ctx, op + " takes one device kind");
    } else if (op == "link") {
        if (n != 3 || (args[2] != "on" && args[2] != "off")) return Usage(ctx, "link KIND on|off");
        linked = args[2] == "on";
    } else if (op == "press") {
        if (n != 4 || (args[2] != "profile" && args[2] != "dpi" && args[2] != "raw"))
            return Usage(ctx, "press KIND profile N | dpi N | raw USAGE");
        press = args[2];
        const std::optional<int> v = ParseNumber(args[3]);
        if (!v) return Usage(ctx, "press: \"" + args[3] + "\" is not a number");
        if (press == "raw" && (*v < 0 || *v > 0xFFFF))
            return Usage(ctx, "press raw: \"" + args[3] + "\" is not a 16-bit usage");
        value = *v;
    } else {  // fault
        if (n == 3 && args[2] == "clear") {
            // fault stays empty: clear
        } else {
            if (n != 4 && n != 5)
                return Usage(ctx,
                             "fault KIND FAULT AT_PACKET | fault KIND late-answer AT_PACKET MS | "
                             "fault KIND clear");
            fault = sim::FaultFromWord(args[2]);
            if (!fault)
                return Usage(ctx, "unknown fault \"" + args[2] +
                                      "\" (known: " + std::string(sim::FaultWordList()) + ")");
            const std::optional<int> at = ParseNumber(args[3]);
            if (!at || *at < 1)
                return Usage(ctx, "fault: the packet \"" + args[3] +
                                      "\" must be a number from 1 (the next packet)");
            value = *at;
            const bool late = *fault == sim::FaultKind::kLateAnswer;
            if (late && n != 5) return Usage(ctx, "fault: late-answer needs its delay MS");
            if (!late && n == 5) return Usage(ctx, "fault: only late-answer takes a delay");
            if (late) {
                const std::optional<int> ms = ParseNumber(args[4]);
                if (!ms || *ms < 1)
                    return Usage(ctx, "fault: the delay \"" + args[4] +
                                          "\" must be a number of milliseconds from 1");
                delay_ms = *ms;
            }
        }
    }

    SimClient client(ctx);
    if (!client.Connect()) return client.Code();
    if (op == "status") return Status(ctx, client);
    if (op == "plug") {
        const char* l = sim::LinkName(link.value_or(sim::Link::kCable));
        return client.Act("Plug", {Q(kind), QString::fromLatin1(l)},
                          "the " + kind + " has no " + l);
    }
    if (op == "unplug") return UnplugPaths(client, kind, link);
    if (op == "cable") return MoveTo(client, kind, sim::Link::kCable);
    if (op == "receiver") return MoveTo(client, kind, sim::Link::kReceiver);
    if (op == "link")
        return client.Act("SetLinked", {Q(kind), linked}, "the " + kind + " has no receiver");
    if (op == "press") {
        const std::string why = press == "raw"   ? "the " + kind + " sends no notifications"
                                : press == "dpi" ? "the " + kind + " has no DPI stage " + args[3]
                                                 : "the " + kind + " has no profile " + args[3];
        return client.Act("Press", {Q(kind), Q(press), value}, why);
    }
    if (fault) {
        return client.Act("Fault",
                          {Q(kind), QString::fromLatin1(sim::FaultWord(*fault)), value, delay_ms},
                          "fault on the " + kind);
    }
    return client.Act("ClearFaults", {Q(kind)}, "clearing the " + kind + "'s faults");
}

#endif

}  // namespace dz::ctl
