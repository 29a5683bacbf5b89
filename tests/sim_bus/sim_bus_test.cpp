// Runs under dbus-run-session: the service lives in this process on the private bus,
// dozadirctl runs as a child process against it.
#include <gtest/gtest.h>
#include <json/json.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QProcess>
#include <QProcessEnvironment>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sim/bus/sim_bus_service.h"
#include "sim/emulator.h"
#include "sim/sim_test_util.h"
#include "support/qt_wait.h"

namespace dz::sim {
namespace {

using ::dz::test::WaitUntil;
using test::Host;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "sim_bus_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Keyboard on its cable, mouse on its receiver only, mousepad unplugged, headset.
EmulatorConfig Desk() {
    EmulatorConfig c;
    c.keyboard = true;
    c.mouse_receiver = true;
    c.headset = true;
    return c;
}

struct Ctl {
    int code = -1;
    std::string out;
    std::string err;
};

// The real binary. The event loop keeps running meanwhile, so the service in this
// process answers the child's calls.
Ctl RunCtl(const QStringList& args,
           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    QProcessEnvironment e = env;
    e.remove(QStringLiteral("DOZADIR_SIMULATE"));
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(DOZADIRCTL_BIN), QStringList{QStringLiteral("sim")} + args);
    if (!p.waitForStarted(5000)) return {};
    const bool ended = WaitUntil([&] { return p.state() == QProcess::NotRunning; }, 20000);
    if (!ended) {
        p.kill();
        p.waitForFinished(2000);
        return {};
    }
    Ctl r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

QStringList Words(const std::vector<std::string>& v) {
    QStringList out;
    for (const auto& s : v) out << QString::fromStdString(s);
    return out;
}

std::string Joined(const std::vector<std::string>& v) {
    std::string s = "sim";
    for (const auto& w : v) s += " " + w;
    return s;
}

class SimBusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        Start(Desk());
    }
    void Start(const EmulatorConfig& config) {
        service.reset();
        emulator = std::make_unique<Emulator>(config);
        service = std::make_unique<SimBusService>(*emulator, QDBusConnection::sessionBus());
        ASSERT_TRUE(service->Register());
    }

    // A call from another connection, as another process makes it.
    QDBusMessage Call(const QString& method, const QVariantList& args) {
        QDBusConnection other =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("caller"));
        QDBusMessage m = QDBusMessage::createMethodCall(QString::fromLatin1(kSimBusName),
                                                        QString::fromLatin1(kSimObjectPath),
                                                        QString::fromLatin1(kSimInterface), method);
        m.setArguments(args);
        QDBusPendingCall pending = other.asyncCall(m, 5000);
        EXPECT_TRUE(WaitUntil([&] { return pending.isFinished(); }, 6000));
        return pending.reply();
    }

    std::unique_ptr<Emulator> emulator;
    std::unique_ptr<SimBusService> service;
};

TEST_F(SimBusTest, TheNameIsOwnedOnceAndFreedWithTheService) {
    Emulator second;
    QDBusConnection other =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second"));
    {
        SimBusService taken(second, other);
        EXPECT_FALSE(taken.Register());
        EXPECT_FALSE(taken.IsRegistered());
    }
    service.reset();
    SimBusService now_free(second, other);
    EXPECT_TRUE(now_free.Register());

    QDBusConnection nowhere = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere"));
    SimBusService no_bus(second, nowhere);
    EXPECT_FALSE(no_bus.Register());
}

TEST_F(SimBusTest, UnknownWordsAnswerAnErrorThatNamesTheKnownOnes) {
    const struct {
        const char* method;
        QVariantList args;
        const char* message;  // part of the error text
    } cases[] = {
        {"Plug", {"tablet", "cable"}, "unknown device kind \"tablet\" (known: keyboard, mouse"},
        {"Plug", {"mouse", "wifi"}, "unknown link \"wifi\" (known: cable, receiver)"},
        {"Unplug", {"keyboard-rx", "receiver"}, "unknown device kind \"keyboard-rx\""},
        {"SetLinked", {"", true}, "unknown device kind \"\""},
        {"Press", {"mouse", "scroll", 1}, "unknown press \"scroll\" (known: profile, dpi, raw)"},
        {"Press", {"mouse", "raw", 0x10000}, "raw usage 65536 is not a 16-bit value"},
        {"Press", {"mouse", "raw", -1}, "is not a 16-bit value"},
        {"Fault", {"mouse", "boom", 1}, "unknown fault \"boom\" (known: ff, fe, no-answer"},
        {"Fault", {"mouse", "ff", 0}, "packets count from 1"},
        {"Fault", {"mouse", "late-answer", 1}, "late-answer needs its delay in ms"},
        {"Fault", {"mouse", "ff", 1, 100}, "only late-answer takes a delay"},
        {"ClearFaults", {"MOUSE"}, "unknown device kind \"MOUSE\""},
        {"State", {"tablet"}, "unknown device kind"},
    };
    const std::string before = emulator->Describe();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        const QDBusMessage reply = Call(QString::fromLatin1(c.method), c.args);
        ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage);
        EXPECT_EQ(QDBusError(reply).type(), QDBusError::InvalidArgs);
        EXPECT_NE(reply.errorMessage().toStdString().find(c.message), std::string::npos)
            << reply.errorMessage().toStdString();
    }
    EXPECT_EQ(emulator->Describe(), before);
    EXPECT_EQ(emulator->Device(DeviceKind::kMouse).ArmedFaults(), 0u);
    // The service still answers after all of them.
    EXPECT_EQ(Call(QStringLiteral("Status"), {}).arguments().value(0).toString().toStdString(),
              before);
}

TEST_F(SimBusTest, ImpossibleActionsAnswerFalseAndChangeNothing) {
    const struct {
        const char* method;
        QVariantList args;
    } cases[] = {
        {"Plug", {"headset", "receiver"}},     {"Unplug", {"mousepad", "receiver"}},
        {"SetLinked", {"headset", false}},     {"Press", {"headset", "raw", 0x0401}},
        {"Press", {"keyboard", "profile", 5}}, {"Press", {"keyboard", "profile", -1}},
        {"Press", {"keyboard", "dpi", 1}},     {"Press", {"mouse", "dpi", 5}},
    };
    const std::string before = emulator->Describe();
    const int profile = emulator->Model(DeviceKind::kKeyboard).CurrentProfile();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + c.args.value(0).toString().toStdString());
        const QDBusMessage reply = Call(QString::fromLatin1(c.method), c.args);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        EXPECT_FALSE(reply.arguments().value(0).toBool());
    }
    EXPECT_EQ(emulator->Describe(), before);
    EXPECT_TRUE(emulator->Device(DeviceKind::kHeadset).Linked());
    EXPECT_EQ(emulator->Model(DeviceKind::kKeyboard).CurrentProfile(), profile);
}

TEST_F(SimBusTest, StateReportsTheDevice) {
    ASSERT_TRUE(emulator->PressProfile(DeviceKind::kMouse, 3));
    emulator->SetLinked(DeviceKind::kMouse, false);
    ASSERT_TRUE(emulator->ArmFault(DeviceKind::kMouse, FaultKind::kNoAnswer, 2));
    const QDBusMessage reply = Call(QStringLiteral("State"), {QStringLiteral("mouse")});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    const QVariantMap s = qdbus_cast<QVariantMap>(reply.arguments().value(0));
    EXPECT_TRUE(s.value("has_receiver").toBool());
    EXPECT_FALSE(s.value("cable").toBool());
    EXPECT_TRUE(s.value("receiver").toBool());
    EXPECT_FALSE(s.value("linked").toBool());
    EXPECT_EQ(s.value("profile").toInt(), 3);
    EXPECT_EQ(s.value("dpi_stage").toInt(), emulator->Model(DeviceKind::kMouse).CurrentDpiStage());
    EXPECT_EQ(s.value("armed_faults").toInt(), 1);

    const QVariantMap pad = qdbus_cast<QVariantMap>(
        Call(QStringLiteral("State"), {QStringLiteral("mousepad")}).arguments().value(0));
    EXPECT_FALSE(pad.value("has_receiver").toBool());
    EXPECT_FALSE(pad.value("cable").toBool());
    EXPECT_EQ(pad.value("dpi_stage").toInt(), -1);
}

// dozadirctl sim against the service: what each command does to the emulator.
TEST_F(SimBusTest, CommandsActOnTheEmulator) {
    using Check = std::function<void(Emulator&)>;
    using Setup = std::function<void(Emulator&)>;
    constexpr auto K = DeviceKind::kKeyboard, M = DeviceKind::kMouse, P = DeviceKind::kMousepad,
                   H = DeviceKind::kHeadset;
    constexpr auto C = Link::kCable, R = Link::kReceiver;
    const struct {
        std::vector<std::string> args;
        Setup setup;
        Check check;
    } cases[] = {
        {{"plug", "keyboard", "receiver"},
         {},
         [&](Emulator& e) { EXPECT_TRUE(e.Plugged(K, R) && e.Plugged(K, C)); }},
        {{"plug", "mousepad"}, {}, [&](Emulator& e) { EXPECT_TRUE(e.Plugged(P, C)); }},
        {{"plug", "mouse", "receiver"},
         {},  // already plugged: nothing to do
         [&](Emulator& e) { EXPECT_TRUE(e.Plugged(M, R) && !e.Plugged(M, C)); }},
        {{"unplug", "mouse"},
         [&](Emulator& e) { e.Plug(M, C); },
         [&](Emulator& e) { EXPECT_TRUE(!e.Plugged(M, C) && !e.Plugged(M, R)); }},
        {{"unplug", "mouse", "cable"},
         [&](Emulator& e) { e.Plug(M, C); },
         [&](Emulator& e) { EXPECT_TRUE(!e.Plugged(M, C) && e.Plugged(M, R)); }},
        {{"unplug", "headset"}, {}, [&](Emulator& e) { EXPECT_FALSE(e.Plugged(H, C)); }},
        {{"cable", "mouse"},
         {},
         [&](Emulator& e) { EXPECT_TRUE(e.Plugged(M, C) && !e.Plugged(M, R)); }},
        {{"receiver", "keyboard"},
         {},
         [&](Emulator& e) { EXPECT_TRUE(e.Plugged(K, R) && !e.Plugged(K, C)); }},
        {{"cable", "mousepad"}, {}, [&](Emulator& e) { EXPECT_TRUE(e.Plugged(P, C)); }},
        {{"link", "mouse", "off"}, {}, [&](Emulator& e) { EXPECT_FALSE(e.Device(M).Linked()); }},
        {{"link", "mouse", "on"},
         [&](Emulator& e) { e.SetLinked(M, false); },
         [&](Emulator& e) { EXPECT_TRUE(e.Device(M).Linked()); }},
        {{"press", "keyboard", "profile", "2"},
         {},
         [&](Emulator& e) { EXPECT_EQ(e.Model(K).CurrentProfile(), 2); }},
        {{"press", "mouse", "profile", "0x4"},
         {},
         [&](Emulator& e) { EXPECT_EQ(e.Model(M).CurrentProfile(), 4); }},
        {{"press", "mouse", "dpi", "3"},
         {},
         [&](Emulator& e) { EXPECT_EQ(e.Model(M).CurrentDpiStage(), 3); }},
        {{"fault", "mouse", "no-answer", "2"},
         {},
         [&](Emulator& e) { EXPECT_EQ(e.Device(M).ArmedFaults(), 1u); }},
        {{"fault", "mouse", "late-answer", "2", "1500"},
         {},
         [&](Emulator& e) { EXPECT_EQ(e.Device(M).ArmedFaults(), 1u); }},
        {{"fault", "mouse", "double-answer", "1"},
         {},
         [&](Emulator& e) { EXPECT_EQ(e.Device(M).ArmedFaults(), 1u); }},
        {{"fault", "mouse", "clear"},
         [&](Emulator& e) { e.ArmFault(M, FaultKind::kStatusFF, 1); },
         [&](Emulator& e) { EXPECT_EQ(e.Device(M).ArmedFaults(), 0u); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Joined(c.args));
        Start(Desk());
        if (c.setup) c.setup(*emulator);
        const Ctl r = RunCtl(Words(c.args));
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, "");
        c.check(*emulator);
    }
}

TEST_F(SimBusTest, ArmedFaultHitsTheNamedPacket) {
    const Ctl r = RunCtl({"fault", "keyboard", "fe", "2"});
    ASSERT_EQ(r.code, 0) << r.err;
    Host host(emulator->Transport(), emulator->CommandNode(DeviceKind::kKeyboard));
    ASSERT_TRUE(host.Open());
    const auto first = host.Exchange(test::Cmd(0x01));
    const auto second = host.Exchange(test::Cmd(0x01));
    ASSERT_TRUE(first && second);
    EXPECT_EQ((*first)[7], 0);  // status byte
    EXPECT_EQ((*second)[7], 0xFE);
}

TEST_F(SimBusTest, ALateAnswerFromTheCommandLineComesAfterItsDelay) {
    const Ctl r = RunCtl({"fault", "keyboard", "late-answer", "1", "300"});
    ASSERT_EQ(r.code, 0) << r.err;
    Host host(emulator->Transport(), emulator->CommandNode(DeviceKind::kKeyboard));
    ASSERT_TRUE(host.Open());
    ASSERT_EQ(host.Write(test::Cmd(0x01)), hid::IoResult::kOk);
    EXPECT_FALSE(host.Read(100)) << "not yet";
    const auto answer = host.Read(5000);
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)[3], 0x01);
}

TEST_F(SimBusTest, RawPressReachesTheOpenConnection) {
    Host host(emulator->Transport(), emulator->CommandNode(DeviceKind::kMouse, Link::kReceiver));
    ASSERT_TRUE(host.Open());
    const Ctl r = RunCtl({"press", "mouse", "raw", "0x0401"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto report = host.Read(1000);
    ASSERT_TRUE(report);
    EXPECT_EQ(*report, (test::Bytes{3, 0x01, 0x04}));
}

TEST_F(SimBusTest, StatusPrintsTheEmulatorsDescription) {
    ASSERT_TRUE(emulator->PressProfile(DeviceKind::kKeyboard, 1));
    const Ctl text = RunCtl({"status"});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.out, emulator->Describe());

    const Ctl json = RunCtl({"--json", "status"});
    ASSERT_EQ(json.code, 0) << json.err;
    Json::Value all;
    std::istringstream in(json.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &all, nullptr)) << json.out;
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0]["kind"].asString(), "keyboard");
    EXPECT_TRUE(all[0]["cable"].asBool());
    EXPECT_EQ(all[0]["profile"].asInt(), 1);
    EXPECT_EQ(all[1]["kind"].asString(), "mouse");
    EXPECT_FALSE(all[1]["cable"].asBool());
    EXPECT_TRUE(all[1]["receiver"].asBool());
    EXPECT_TRUE(all[1]["has_receiver"].asBool());
    EXPECT_FALSE(all[2]["cable"].asBool());
    EXPECT_FALSE(all[3]["has_receiver"].asBool());
}

// Exit codes and messages of what goes wrong; the emulator stays as it was.
TEST_F(SimBusTest, ErrorsGiveTheirExitCodes) {
    const struct {
        std::vector<std::string> args;
        int code;
        const char* message;
    } cases[] = {
        {{"receiver", "headset"}, 5, "refused: the headset has no receiver"},
        {{"plug", "headset", "receiver"}, 5, "refused: the headset has no receiver"},
        {{"unplug", "mousepad", "receiver"}, 5, "refused: the mousepad has no receiver"},
        {{"link", "mousepad", "off"}, 5, "refused: the mousepad has no receiver"},
        {{"press", "headset", "raw", "0x0401"}, 5, "refused: the headset sends no notifications"},
        {{"press", "keyboard", "profile", "5"}, 5, "refused: the keyboard has no profile 5"},
        {{"press", "keyboard", "dpi", "1"}, 5, "refused: the keyboard has no DPI stage 1"},
        {{}, 1, "give a command"},
        {{"dance"}, 1, "unknown command \"dance\""},
        {{"status", "now"}, 1, "takes no arguments"},
        {{"plug"}, 1, "give a device kind"},
        {{"plug", "tablet"}, 1, "unknown device kind \"tablet\""},
        {{"plug", "keyboard-rx"}, 1, "unknown device kind"},
        {{"plug", "mouse", "wifi"}, 1, "unknown link \"wifi\""},
        {{"plug", "mouse", "cable", "now"}, 1, "too many arguments"},
        {{"cable", "mouse", "receiver"}, 1, "takes one device kind"},
        {{"link", "mouse", "maybe"}, 1, "link KIND on|off"},
        {{"press", "mouse", "dpi"}, 1, "press KIND profile N"},
        {{"press", "mouse", "tilt", "1"}, 1, "press KIND profile N"},
        {{"press", "mouse", "dpi", "three"}, 1, "is not a number"},
        {{"press", "mouse", "dpi", "0x"}, 1, "is not a number"},
        {{"press", "mouse", "dpi", "99999999999"}, 1, "is not a number"},
        {{"press", "mouse", "raw", "0x10000"}, 1, "is not a 16-bit usage"},
        {{"fault", "mouse", "boom", "1"}, 1, "unknown fault \"boom\""},
        {{"fault", "mouse", "ff", "0"}, 1, "must be a number from 1"},
        {{"fault", "mouse", "ff"}, 1, "fault KIND FAULT AT_PACKET"},
        {{"fault", "mouse", "late-answer", "1"}, 1, "late-answer needs its delay MS"},
        {{"fault", "mouse", "late-answer", "1", "0"}, 1, "milliseconds from 1"},
        {{"fault", "mouse", "ff", "1", "100"}, 1, "only late-answer takes a delay"},
    };
    const std::string before = emulator->Describe();
    for (const auto& c : cases) {
        SCOPED_TRACE(Joined(c.args));
        const Ctl r = RunCtl(Words(c.args));
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(emulator->Describe(), before);
    EXPECT_EQ(emulator->Model(DeviceKind::kKeyboard).CurrentProfile(), 0);
}

TEST_F(SimBusTest, WithoutServiceOrBusTheCommandSaysNoApplicationRuns) {
    constexpr const char* kMessage =
        "dozadirctl: sim: no simulated application is running (start dozadir-keyboard "
        "--simulate)\n";
    service.reset();
    QProcessEnvironment no_bus = QProcessEnvironment::systemEnvironment();
    no_bus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                  QStringLiteral("unix:path=/nonexistent/bus"));
    for (const auto& env : {QProcessEnvironment::systemEnvironment(), no_bus}) {
        for (const QStringList& args :
             {QStringList{"status"}, QStringList{"plug", "mouse"}, QStringList{"cable", "mouse"}}) {
            SCOPED_TRACE(args.join(' ').toStdString());
            const Ctl r = RunCtl(args, env);
            EXPECT_EQ(r.code, 3);
            EXPECT_EQ(r.err, kMessage);
        }
    }
    // A wrong word is a usage error before the bus is asked.
    EXPECT_EQ(RunCtl({"plug", "tablet"}, no_bus).code, 1);
}

}  // namespace
}  // namespace dz::sim
