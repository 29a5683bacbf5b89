#include "sim/bus/sim_bus_service.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusReply>
#include <utility>

#include "platform/log/debug_log.h"
#include "sim/control_words.h"

namespace dz::sim {
namespace {

QString Words(std::string_view list) {
    return QString::fromUtf8(list.data(), static_cast<qsizetype>(list.size()));
}

}  // namespace

SimBusService::SimBusService(Emulator& emulator, QDBusConnection bus, QObject* parent)
    : QObject(parent), emulator_(emulator), bus_(std::move(bus)) {}

SimBusService::~SimBusService() {
    if (!registered_) return;
    bus_.unregisterObject(QString::fromLatin1(kSimObjectPath));
    bus_.unregisterService(QString::fromLatin1(kSimBusName));
}

bool SimBusService::Register() {
    if (registered_) return true;
    const QString name = QString::fromLatin1(kSimBusName);
    if (!bus_.isConnected()) {
        log::DebugLine("Simulator: no session bus; the emulator cannot be driven from outside");
        return false;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus_.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                          QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        log::DebugLineF("Simulator: bus name %s is owned by another process", kSimBusName);
        return false;
    }
    if (!bus_.registerObject(QString::fromLatin1(kSimObjectPath), this,
                             QDBusConnection::ExportScriptableSlots)) {
        log::DebugLineF("Simulator: cannot export %s: %s", kSimObjectPath,
                        bus_.lastError().message().toUtf8().constData());
        bus_.unregisterService(name);
        return false;
    }
    registered_ = true;
    return true;
}

void SimBusService::Reject(const QString& text) {
    // Called directly (not over the bus) there is nobody to answer; false says it.
    if (calledFromDBus()) sendErrorReply(QDBusError::InvalidArgs, text);
}

std::optional<DeviceKind> SimBusService::Kind(const QString& word) {
    const std::optional<DeviceKind> kind = KindFromWord(word.toStdString());
    if (!kind)
        Reject(QStringLiteral("unknown device kind \"%1\" (known: %2)")
                   .arg(word, Words(KindWordList())));
    return kind;
}

std::optional<Link> SimBusService::LinkOf(const QString& word) {
    const std::optional<Link> link = LinkFromWord(word.toStdString());
    if (!link)
        Reject(QStringLiteral("unknown link \"%1\" (known: %2)").arg(word, Words(LinkWordList())));
    return link;
}

bool SimBusService::Plug(const QString& kind, const QString& link) {
    const auto k = Kind(kind);
    if (!k) return false;
    const auto l = LinkOf(link);
    return l && emulator_.Plug(*k, *l);
}

bool SimBusService::Unplug(const QString& kind, const QString& link) {
    const auto k = Kind(kind);
    if (!k) return false;
    const auto l = LinkOf(link);
    return l && emulator_.Unplug(*k, *l);
}

bool SimBusService::SetLinked(const QString& kind, bool linked) {
    const auto k = Kind(kind);
    if (!k || !emulator_.Device(*k).HasReceiver()) return false;
    emulator_.SetLinked(*k, linked);
    return true;
}

bool SimBusService::Press(const QString& kind, const QString& what, int value) {
    const auto k = Kind(kind);
    if (!k) return false;
    if (what == u"profile") return emulator_.PressProfile(*k, value);
    if (what == u"dpi") return emulator_.PressDpiStage(*k, value);
    if (what == u"raw") {
        if (value < 0 || value > 0xFFFF) {
            Reject(QStringLiteral("raw usage %1 is not a 16-bit value").arg(value));
            return false;
        }
        return emulator_.PressRaw(*k, static_cast<uint16_t>(value));
    }
    Reject(QStringLiteral("unknown press \"%1\" (known: profile, dpi, raw)").arg(what));
    return false;
}

bool SimBusService::Fault(const QString& kind, const QString& fault, int at_packet) {
    return Fault(kind, fault, at_packet, 0);
}

bool SimBusService::Fault(const QString& kind, const QString& fault, int at_packet, int delay_ms) {
    const auto k = Kind(kind);
    if (!k) return false;
    const std::optional<FaultKind> f = FaultFromWord(fault.toStdString());
    if (!f) {
        Reject(
            QStringLiteral("unknown fault \"%1\" (known: %2)").arg(fault, Words(FaultWordList())));
        return false;
    }
    if (at_packet < 1) {
        Reject(
            QStringLiteral("fault packet %1: packets count from 1 (the next one)").arg(at_packet));
        return false;
    }
    if (*f == FaultKind::kLateAnswer && delay_ms < 1) {
        Reject(QStringLiteral("late-answer needs its delay in ms, from 1"));
        return false;
    }
    if (*f != FaultKind::kLateAnswer && delay_ms != 0) {
        Reject(QStringLiteral("only late-answer takes a delay"));
        return false;
    }
    return emulator_.ArmFault(*k, *f, at_packet, std::chrono::milliseconds(delay_ms));
}

bool SimBusService::ClearFaults(const QString& kind) {
    const auto k = Kind(kind);
    if (!k) return false;
    emulator_.ClearFaults(*k);
    return true;
}

QVariantMap SimBusService::State(const QString& kind) {
    const auto k = Kind(kind);
    if (!k) return {};
    const SimDevice& device = emulator_.Device(*k);
    QVariantMap state;
    state.insert(QStringLiteral("has_receiver"), device.HasReceiver());
    state.insert(QStringLiteral("cable"), device.Plugged(Link::kCable));
    state.insert(QStringLiteral("receiver"), device.Plugged(Link::kReceiver));
    state.insert(QStringLiteral("linked"), device.Linked());
    state.insert(QStringLiteral("profile"), device.Model().CurrentProfile());
    state.insert(QStringLiteral("dpi_stage"), device.Model().CurrentDpiStage());
    state.insert(QStringLiteral("armed_faults"), static_cast<int>(device.ArmedFaults()));
    return state;
}

QString SimBusService::Status() {
    return QString::fromStdString(emulator_.Describe());
}

}  // namespace dz::sim
