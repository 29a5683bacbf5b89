#pragma once
// One Emulator on the session bus, so that a person or a test in another process can
// plug, unplug and press while the application runs with --simulate.
//
// Kinds, links and faults travel as the words of sim/control_words.h. An unknown word
// or an impossible value answers the D-Bus error org.freedesktop.DBus.Error.InvalidArgs
// with a message that names the accepted words; an action the emulator refuses (the
// receiver of a headset, a profile it does not have) answers false.

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <optional>

#include "sim/bus/sim_bus_names.h"
#include "sim/emulator.h"

namespace dz::sim {

class SimBusService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.dozadir.Keyboard.Simulator")

  public:
    // `emulator` must outlive the service.
    SimBusService(Emulator& emulator, QDBusConnection bus, QObject* parent = nullptr);
    ~SimBusService() override;
    SimBusService(const SimBusService&) = delete;
    SimBusService& operator=(const SimBusService&) = delete;

    // Claims kSimBusName and exports the object. False (with one log line) when the bus
    // is not connected or another process owns the name.
    [[nodiscard]] bool Register();
    [[nodiscard]] bool IsRegistered() const { return registered_; }

    // D-Bus methods. Calls run on the thread of this object; the emulator's controls
    // are thread-safe, so the host's threads keep talking to the devices meanwhile.
  public slots:
    Q_SCRIPTABLE bool Plug(const QString& kind, const QString& link);
    Q_SCRIPTABLE bool Unplug(const QString& kind, const QString& link);
    // The RF link between a receiver and its device; false for a kind without one.
    Q_SCRIPTABLE bool SetLinked(const QString& kind, bool linked);
    // what: "profile" (value from 0), "dpi" (a stage from 0, mouse) or "raw" (a 16-bit
    // notification usage such as 0x0401).
    Q_SCRIPTABLE bool Press(const QString& kind, const QString& what, int value);
    // A fault at the kind's command packet `at_packet` (1 = the next one). A
    // "late-answer" takes its delay in ms (from 1) in the four-argument form; the other
    // faults take none.
    Q_SCRIPTABLE bool Fault(const QString& kind, const QString& fault, int at_packet);
    Q_SCRIPTABLE bool Fault(const QString& kind, const QString& fault, int at_packet, int delay_ms);
    Q_SCRIPTABLE bool ClearFaults(const QString& kind);
    // "has_receiver", "cable", "receiver", "linked" (bool), "profile", "dpi_stage" (int,
    // -1 without DPI stages), "armed_faults" (int).
    Q_SCRIPTABLE QVariantMap State(const QString& kind);
    // Emulator::Describe: one line per device.
    Q_SCRIPTABLE QString Status();

  private:
    std::optional<DeviceKind> Kind(const QString& word);
    std::optional<Link> LinkOf(const QString& word);
    void Reject(const QString& text);

    Emulator& emulator_;
    QDBusConnection bus_;
    bool registered_ = false;
};

}  // namespace dz::sim
