// Entry of dozadir-keyboard: fonts, single instance, registered messages, resources, the
// main window and its message loop; shut-down in reverse order.
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "app/app_messages.h"
#include "app/app_setup.h"
#include "app/autostart.h"
#include "app/file_problem_box.h"
#include "app/layout_rules.h"
#include "app/main_wnd.h"
#include "platform/hid/hid_backend.h"
#include "platform/input/signal_release.h"
#include "platform/ipc/single_instance.h"
#include "platform/ipc/window_endpoint.h"
#include "platform/log/debug_log.h"
#include "sim/bus/sim_bus_service.h"
#include "sim/emulator.h"
#include "sim/simulate_option.h"
#include "ui/resource_map.h"

namespace {

int g_signal_pipe[2] = {-1, -1};

void OnTerminate(int) {
    // The keyboard grab of a recording ends now, not after the shut-down.
    dz::input::ReleaseInputGrabsFromSignal();
    const char b = 1;
    (void)!::write(g_signal_pipe[1], &b, 1);
}

QString Str(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A second start: ask the first to show itself. Its window may still be coming up, so wait
// up to a second for its name.
void SignalFirstInstance(const QDBusConnection& bus) {
    const QString wnd = Str(dz::app::kMainWindowName);
    QDeadlineTimer deadline(1000);
    while (!dz::ipc::WindowExists(bus, wnd) && !deadline.hasExpired()) QThread::msleep(20);
    if (!dz::ipc::PostToWindow(bus, wnd, Str(dz::app::kAppShowMsgName), 0, 1))
        dz::log::DebugLine("second instance: the first one could not be told to show itself");
}

}  // namespace

int main(int argc, char** argv) {
    // The emulator's devices are chosen on the command line (or DOZADIR_SIMULATE); the device
    // layer takes the configuration once it is there.
    std::optional<dz::sim::EmulatorConfig> simulate;
    std::vector<char*> qt_args{argv[0]};
    bool start_hidden = false;  // started with the session: stay in the tray
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == dz::app::kStartHiddenOption) {
            start_hidden = true;
        } else if (dz::sim::IsSimulateOption(argv[i])) {
            const dz::sim::SimulateParse p = dz::sim::ParseSimulateOption(argv[i]);
            if (!p.ok) {
                std::fprintf(stderr, "dozadir-keyboard: %s\n", p.error.c_str());
                return 2;
            }
            simulate = p.config;
        } else {
            qt_args.push_back(argv[i]);
        }
    }
    if (!simulate) {
        const QByteArray env = qgetenv("DOZADIR_SIMULATE");
        if (!env.isEmpty() && env != "0") {
            const dz::sim::SimulateParse p = dz::sim::ParseSimulateKinds(env.toStdString());
            if (p.ok) simulate = p.config;
        }
    }
    int qt_argc = static_cast<int>(qt_args.size());
    qt_args.push_back(nullptr);

    QApplication app(qt_argc, qt_args.data());
    QApplication::setApplicationName(Str(dz::app::kAppTitle));
    // Ties the windows to the desktop file (taskbar icon and name).
    QGuiApplication::setDesktopFileName(QString::fromLatin1(dz::app::kAppId));
    QApplication::setQuitOnLastWindowClosed(false);  // closing hides to the tray
    // The emulator's transport is listed beside hidraw for as long as the program runs.
    std::unique_ptr<dz::sim::Emulator> emulator;
    if (simulate) {
        dz::log::DebugLine("simulated devices requested");
        emulator = std::make_unique<dz::sim::Emulator>(*simulate);
        dz::hid::BackendRegistry::Instance().Add(emulator->Backend());
    }

    // 1. Fonts, in table order.
    const QString folder = dz::app::ProgramFolder();
    dz::log::DebugLineF("program folder %s", qUtf8Printable(folder));
    std::vector<std::unique_ptr<dz::app::FontHolder>> fonts;
    for (const char* f : dz::app::kFontFiles) {
        fonts.push_back(std::make_unique<dz::app::FontHolder>(folder));
        (void)fonts.back()->Load(QString::fromLatin1(f));
    }
    auto release_fonts = [&fonts] {
        while (!fonts.empty()) fonts.pop_back();  // reverse order
    };

    // 4. The application message.
    const dz::app::AppMessages& msgs = dz::app::RegisterAppMessages();
    dz::log::DebugLineF("软件标示：%u", msgs.app_show);

    // 5. Single instance.
    QDBusConnection session = QDBusConnection::sessionBus();
    auto instance = std::make_unique<dz::ipc::SingleInstance>(Str(dz::app::kAppTitle), session);
    if (instance->Acquire() == dz::ipc::InstanceRole::kSecond) {
        if (session.isConnected()) SignalFirstInstance(session);
        release_fonts();
        return 0;
    }

    // The emulator takes its controls over the bus (dozadirctl sim ...).
    std::unique_ptr<dz::sim::SimBusService> sim_service;
    if (emulator) {
        sim_service = std::make_unique<dz::sim::SimBusService>(*emulator, session);
        if (!sim_service->Register()) dz::log::DebugLine("emulator not controllable over the bus");
    }

    // The user's files: reports shown in the message box, leftovers of interrupted saves gone.
    dz::app::SetUpUserFiles();

    // 7. Resources and control classes.
    dz::app::SetupResources(folder);

    // 9. The main window: 800 x 572, centred; its initialisation hides it until the device
    // watch has made its first pass.
    auto wnd = std::make_unique<dz::app::CMainWnd>(session, QDBusConnection::systemBus());
    if (!wnd->Core().OpenBus()) dz::log::DebugLine("main window not reachable over the bus");
    wnd->SetStartHidden(start_hidden);
    wnd->resize(dz::app::kMainWindowWidth, dz::app::kMainWindowHeight);
    wnd->Create();
    if (QScreen* s = QGuiApplication::primaryScreen())
        wnd->move(s->availableGeometry().center() - wnd->rect().center());
    wnd->show();

    // A session ending (SIGTERM, SIGINT) leaves the way "exit" does: workers joined.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signal_pipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&wnd] {
            char b;
            (void)!::read(g_signal_pipe[0], &b, 1);
            if (wnd && !wnd->Exiting()) wnd->OnExit();
        });
        struct sigaction sa {};
        sa.sa_handler = OnTerminate;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGTERM, &sa, nullptr);
        sigaction(SIGINT, &sa, nullptr);
    }

    // 10. The message loop.
    QApplication::exec();

    // Shut-down in reverse order.
    wnd.reset();
    sim_service.reset();
    if (emulator) dz::hid::BackendRegistry::Instance().Remove(emulator->Backend().get());
    emulator.reset();
    dz::ui::ResourceMap::Instance().Clear();
    instance.reset();
    release_fonts();
    return 0;
}
