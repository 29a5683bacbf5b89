// The shell's windows on the real skins with Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/about_wnd.h"
#include "app/app_messages.h"
#include "app/app_setup.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "hid/fake_backend.h"
#include "platform/hid/hid_backend.h"
#include "platform/ipc/registered_messages.h"
#include "platform/log/debug_log.h"
#include "sim/report_descriptors.h"
#include "support/no_bus.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "ui/caption_drag.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"
#include "ui/resource_map.h"

namespace dz::app {
namespace {

using test::WaitUntil;

QApplication& App() {
    return test::TestApplication();
}

using test::NoBus;

CMsgWnd* OpenBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<CMsgWnd*>(w); box && box->isVisible() && box->IsModalRunning())
            return box;
    return nullptr;
}

// Runs `act` on the message box once it is up; the box is then ended by `act`.
void WhenBoxOpens(std::function<void(CMsgWnd&)> act) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (CMsgWnd* box = OpenBox()) {
            poll->stop();
            poll->deleteLater();
            act(*box);
        }
    });
    poll->start(5);
}

void ClickControl(ui::WindowBase& w, const char* name) {
    auto* b = qobject_cast<QAbstractButton*>(w.FindControl(QString::fromLatin1(name)));
    ASSERT_NE(b, nullptr) << name;
    b->click();
}

class ShellUiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        SetupResources(ProgramFolder());
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
        // Workers (the device watch) log too, on their own threads.
        old_ = log::SetSink([this](std::string_view l) {
            std::lock_guard lock(lines_mutex_);
            lines_.emplace_back(l);
        });
    }
    void TearDown() override { log::SetSink(old_); }
    bool Logged(const std::string& text) const { return Count(text) > 0; }
    size_t Count(const std::string& text) const {
        std::lock_guard lock(lines_mutex_);
        size_t n = 0;
        for (const auto& l : lines_)
            if (l.find(text) != std::string::npos) ++n;
        return n;
    }
    void ClearLog() {
        std::lock_guard lock(lines_mutex_);
        lines_.clear();
    }
    mutable std::mutex lines_mutex_;
    std::vector<std::string> lines_;
    log::Sink old_;
};

TEST_F(ShellUiTest, MessageBoxModesButtonsAndResults) {
    struct C {
        int mode;
        const char* press;
        bool confirm_visible, cancel_visible;
        int result;
    };
    const std::vector<C> cases = {
        {0, "confirm_btn", true, false, 1}, {0, "closebtn", true, false, 0},
        {1, "confirm_btn", true, true, 1},  {1, "cancel_btn", true, true, 0},
        {1, "closebtn", true, true, 0},     {7, "cancel_btn", true, true, 0},
    };
    for (const C& c : cases) {
        bool confirm = false, cancel = false;
        WhenBoxOpens([&](CMsgWnd& box) {
            confirm = ui::IsVisible(box.FindControl("confirm_btn"));
            cancel = ui::IsVisible(box.FindControl("cancel_btn"));
            ClickControl(box, c.press);
        });
        const int r = ShowMessageBox(nullptr, {}, QStringLiteral("literal"), 96, false, c.mode);
        EXPECT_EQ(r, c.result) << "mode " << c.mode << " " << c.press;
        EXPECT_EQ(confirm, c.confirm_visible) << c.mode;
        EXPECT_EQ(cancel, c.cancel_visible) << c.mode;
    }
}

TEST_F(ShellUiTest, MessageBoxTextsByIdentifierOrLiteralAndCentredOnScreen) {
    QString shown_id, shown_literal, title;
    QPoint centre_offset;
    WhenBoxOpens([&](CMsgWnd& box) {
        shown_id = ui::Text(box.FindControl("MessageText"));
        title = ui::Text(box.FindControl("MessageTitle"));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        centre_offset = box.geometry().center() - screen.center();
        box.Close(0);
    });
    (void)ShowMessageBox(nullptr, QStringLiteral("tips_text"), QStringLiteral("message_text_22"),
                         96, true, 1);
    WhenBoxOpens([&](CMsgWnd& box) {
        shown_literal = ui::Text(box.FindControl("MessageText"));
        box.Close(0);
    });
    (void)ShowMessageBox(nullptr, {}, QStringLiteral("message_text_22"), 96, false, 0);
    EXPECT_EQ(shown_id, ui::ResourceManager::Instance().Text("message_text_22"));
    EXPECT_NE(shown_id, QStringLiteral("message_text_22"));
    EXPECT_EQ(shown_literal, QStringLiteral("message_text_22"));
    EXPECT_EQ(title, QStringLiteral("Tips"));
    EXPECT_LE(std::abs(centre_offset.x()), 1);
    EXPECT_LE(std::abs(centre_offset.y()), 1);
}

TEST_F(ShellUiTest, MessageBoxCentredOnItsOwner) {
    QWidget owner;
    owner.setGeometry(100, 80, 700, 500);
    owner.show();
    ASSERT_TRUE(WaitUntil([&] { return owner.isVisible(); }));
    QPoint offset(999, 999);
    WhenBoxOpens([&](CMsgWnd& box) {
        offset = box.geometry().center() - owner.frameGeometry().center();
        box.Close(0);
    });
    (void)ShowMessageBox(&owner, {}, QStringLiteral("x"), 96, false, 0);
    EXPECT_LE(std::abs(offset.x()), 1);
    EXPECT_LE(std::abs(offset.y()), 1);
}

TEST_F(ShellUiTest, MessageBoxDpiRule) {
    struct C {
        int dpi;
        int expected;
        bool error_line;
    };
    for (C c : {C{96, 96, false}, C{100, 96, true}, C{144, 144, false}, C{0, 96, true}}) {
        ClearLog();
        int seen = -1;
        WhenBoxOpens([&](CMsgWnd& box) {
            seen = box.GetDPI();
            box.Close(0);
        });
        (void)ShowMessageBox(nullptr, {}, QStringLiteral("x"), c.dpi, false, 0);
        EXPECT_EQ(seen, c.expected) << c.dpi;
        EXPECT_EQ(Logged("MSG_WND DPI SET ERROR"), c.error_line) << c.dpi;
    }
}

// Records the system moves asked for; the window system is not asked.
class MoveRequests {
  public:
    MoveRequests() {
        old_ = ui::CaptionDrag::SetMoveStarter([this](QWindow* w) {
            windows.push_back(w);
            return true;
        });
    }
    ~MoveRequests() { ui::CaptionDrag::SetMoveStarter(old_); }
    std::vector<QWindow*> windows;

  private:
    ui::CaptionDrag::MoveStarter old_;
};

// A left press and release on a control; released outside it, so a button is not clicked.
void PressOn(QWidget* w) {
    ASSERT_NE(w, nullptr);
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(-40, -40));
}

TEST_F(ShellUiTest, MessageBoxMovesByItsCaptionOnly) {
    MoveRequests moves;
    QWindow* box_window = nullptr;
    size_t after_title = 0, after_others = 0;
    WhenBoxOpens([&](CMsgWnd& box) {
        box_window = box.windowHandle();
        PressOn(box.FindControl("MessageTitle"));
        after_title = moves.windows.size();
        PressOn(box.FindControl("closebtn"));
        PressOn(box.FindControl("MessageText"));
        PressOn(box.FindControl("confirm_btn"));
        after_others = moves.windows.size();
        box.Close(0);
    });
    (void)ShowMessageBox(nullptr, QStringLiteral("tips_text"), QStringLiteral("x"), 96, false, 1);
    ASSERT_EQ(after_title, 1u);
    EXPECT_EQ(moves.windows[0], box_window);
    EXPECT_EQ(after_others, 1u) << "buttons and the message keep their presses";
}

TEST_F(ShellUiTest, MissingSkinBuildsEmptyWithALineAndStillRuns) {
    ui::ResourceMap::Instance().Clear();
    int r = -1;
    WhenBoxOpens([](CMsgWnd& box) {
        EXPECT_EQ(box.Root(), nullptr);
        EXPECT_EQ(box.FindControl("confirm_btn"), nullptr);
        box.Close(0);
    });
    r = ShowMessageBox(nullptr, QStringLiteral("t"), QStringLiteral("m"), 96, false, 1);
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(Logged("XML_MSG")) << "the missing skin is named in the log";
}

TEST_F(ShellUiTest, MainWindowWithoutItsSkinBuildsEmptyAndStillWorks) {
    ui::ResourceMap::Instance().Clear();
    CMainWnd wnd(NoBus(), NoBus());
    EXPECT_FALSE(wnd.Create());
    EXPECT_TRUE(Logged("XML_MAIN"));
    EXPECT_EQ(wnd.FindControl("closebtn"), nullptr);
    wnd.show();
    ASSERT_TRUE(
        WaitUntil([&] { return wnd.isVisible() && wnd.Workers().Running(kSlotDeviceWatch); }));
    wnd.OnToggleLightStatus();  // the text control is absent: state still changes
    EXPECT_EQ(wnd.Core().LightControlState(), 0);
    wnd.OnTrayLeftClick();
    wnd.OnTrayLeftClick();
    wnd.OnMenuCommand("exit");
    EXPECT_TRUE(wnd.Exiting());
    // The device watch and the lighting synchronisation (the audio daemon needs a bus).
    EXPECT_EQ(wnd.LastStopReport().joined, 2u);
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
}

class MainWndTest : public ShellUiTest {
  protected:
    void SetUp() override {
        ShellUiTest::SetUp();
        wnd_ = std::make_unique<CMainWnd>(NoBus(), NoBus());
        ASSERT_TRUE(wnd_->Create());
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
        ui::ResourceManager::Instance().ReloadText();
        wnd_->show();
        // Initialisation hides the window; the device watch's first pass shows it again.
        ASSERT_TRUE(WaitUntil([&] { return wnd_->Workers().Running(kSlotDeviceWatch); }));
        ASSERT_TRUE(WaitUntil([&] { return wnd_->isVisible(); }));
        // And the layout pass has run: it sets the DPI value the tests then change.
        ASSERT_TRUE(WaitUntil([&] { return !wnd_->IsTimerActive(nullptr, kTimerDpiLayout.id); }));
    }
    void TearDown() override {
        wnd_.reset();
        ShellUiTest::TearDown();
    }
    std::unique_ptr<CMainWnd> wnd_;
};

TEST_F(MainWndTest, ShowsNoDeviceAndCloseHidesToTheTray) {
    EXPECT_TRUE(ui::IsVisible(wnd_->FindControl("No_device_Link")));
    EXPECT_EQ(wnd_->windowTitle(), QStringLiteral("Dozadir Keyboard"));
    ClickControl(*wnd_, "closebtn");
    EXPECT_FALSE(wnd_->isVisible());
    EXPECT_FALSE(wnd_->Exiting());
    wnd_->OnTrayLeftClick();
    EXPECT_TRUE(wnd_->isVisible());
    wnd_->OnTrayLeftClick();
    EXPECT_FALSE(wnd_->isVisible());
    wnd_->OnTrayLeftClick();
    wnd_->close();  // the window's own close also only hides
    EXPECT_FALSE(wnd_->isVisible());
    EXPECT_FALSE(wnd_->Exiting());
}

TEST_F(MainWndTest, LightStatusClickTogglesStateAndText) {
    QWidget* button = wnd_->FindControl("control_light_status");
    ClickControl(*wnd_, "control_light_status");
    EXPECT_EQ(wnd_->Core().LightControlState(), 0);
    EXPECT_EQ(ui::Text(button), ui::ResourceManager::Instance().Text("light_control_off_text"));
    EXPECT_NE(ui::Text(button), QStringLiteral("light_control_off_text")) << "a text, not its id";
    ClickControl(*wnd_, "control_light_status");
    EXPECT_EQ(wnd_->Core().LightControlState(), 1);
    EXPECT_EQ(ui::Text(button), ui::ResourceManager::Instance().Text("light_control_on_text"));
}

TEST_F(MainWndTest, NoDeviceOkHidesAndUnroutedNamesDoNothing) {
    ClickControl(*wnd_, "skinbtn");      // routed to a later window: no effect yet, no crash
    ClickControl(*wnd_, "gamemodebtn");  // looked up, never acted on
    EXPECT_TRUE(wnd_->isVisible());
    ClickControl(*wnd_, "nodevice_ok_btn");
    EXPECT_FALSE(wnd_->isVisible());
}

TEST_F(MainWndTest, AboutWindowVersionLineAndOnlyOne) {
    QString line;
    QWidget* first = nullptr;
    QWidget* during_second = nullptr;
    QTimer::singleShot(0, [&] {
        WaitUntil(
            [&] { return wnd_->AboutWindow() != nullptr && wnd_->AboutWindow()->isVisible(); });
        first = wnd_->AboutWindow();
        auto* about = qobject_cast<CAboutWnd*>(first);
        line = ui::Text(about->FindControl("software_ver_label"));
        wnd_->OnMenuCommand("about_menu");  // a second one while open: nothing
        during_second = wnd_->AboutWindow();
        about->Close(0);
    });
    wnd_->OnMenuCommand("about_menu");
    EXPECT_EQ(line, ui::ResourceManager::Instance().Text("software_rev_text") + "V1.0.0.0");
    EXPECT_EQ(during_second, first);
    EXPECT_EQ(wnd_->AboutWindow(), nullptr);
}

TEST_F(MainWndTest, CaptionMovesTheWindowAndItsButtonsAreDrawnIconsWithTips) {
    MoveRequests moves;
    PressOn(wnd_->FindControl("caption_title"));
    ASSERT_EQ(moves.windows.size(), 1u);
    EXPECT_EQ(moves.windows[0], wnd_->windowHandle());
    for (const char* name : {"gamemodebtn", "cloudbtn", "smarteyesbtn", "skinbtn", "setbtn",
                             "minbtn", "maxbtn", "restorebtn", "closebtn"}) {
        auto* b = qobject_cast<QAbstractButton*>(wnd_->FindControl(name));
        ASSERT_NE(b, nullptr) << name;
        PressOn(b);
        EXPECT_TRUE(b->text().isEmpty()) << name << " shows a letter";
        EXPECT_FALSE(b->icon().isNull()) << name;
        const QString tip =
            ui::ResourceManager::Instance().Text(QString::fromLatin1(name) + "_tip_text");
        EXPECT_EQ(b->toolTip(), tip) << name;
        EXPECT_NE(tip, QString::fromLatin1(name) + "_tip_text") << name << ": no text for its tip";
    }
    EXPECT_EQ(moves.windows.size(), 1u) << "caption buttons keep their presses";
    EXPECT_TRUE(wnd_->isVisible());
}

TEST_F(MainWndTest, ContentScalesWithTheDpiAndFitsTheLaidOutSizes) {
    QWidget* caption = wnd_->FindControl("caption");
    auto* close = qobject_cast<QAbstractButton*>(wnd_->FindControl("closebtn"));
    ASSERT_NE(close, nullptr);
    struct C {
        int dpi;
        QSize laid_out;
        int caption_h;
        QSize button, icon;
    };
    for (C c :
         {C{144, {1500, 960}, 60, {48, 42}, {27, 27}}, C{96, {1000, 640}, 40, {32, 28}, {18, 18}},
          C{144, {1500, 960}, 60, {48, 42}, {27, 27}}}) {
        ui::WindowBase::SetDPIForAll(c.dpi);
        EXPECT_EQ(caption->minimumHeight(), c.caption_h) << c.dpi;
        EXPECT_EQ(close->minimumSize(), c.button) << c.dpi;
        EXPECT_EQ(close->iconSize(), c.icon) << c.dpi;
        // The layout pass's size holds the whole content, pages included.
        const QSize need = wnd_->minimumSizeHint();
        EXPECT_LE(need.width(), c.laid_out.width()) << c.dpi;
        EXPECT_LE(need.height(), c.laid_out.height()) << c.dpi;
    }
    // The texts grew with the rest: the theme's sizes, the application's font and the fonts
    // of the skins (the keyboard picture's labels are 7 points).
    QWidget* picture = wnd_->FindControl("keyboarddevice")->findChild<QWidget*>("SelectPanel");
    ASSERT_NE(picture, nullptr);
    const qreal app_points = QApplication::font().pointSizeF();
    EXPECT_EQ(wnd_->FindControl("no_device_label")->font().pixelSize(), 27);  // 18px in the theme
    EXPECT_DOUBLE_EQ(wnd_->FindControl("caption_title")->font().pointSizeF(), app_points * 1.5);
    EXPECT_DOUBLE_EQ(picture->font().pointSizeF(), 10.5);
    // Also in what opens in windows of its own: a combo's list and the tray menu.
    auto* combo =
        wnd_->FindControl("keyboarddevice")->findChild<QComboBox*>("device_profile_combo");
    ASSERT_NE(combo, nullptr);
    EXPECT_DOUBLE_EQ(combo->view()->font().pointSizeF(), app_points * 1.5);
    wnd_->OnTrayRightClick();
    ASSERT_TRUE(WaitUntil([&] { return wnd_->TrayMenu() != nullptr; }));
    EXPECT_EQ(wnd_->TrayMenu()->font().pixelSize(), 20);  // 13px in the theme
    wnd_->TrayMenu()->close();
    ui::WindowBase::SetDPIForAll(96);
    EXPECT_DOUBLE_EQ(combo->view()->font().pointSizeF(), app_points);
    EXPECT_EQ(wnd_->FindControl("no_device_label")->font().pixelSize(), 18);
    EXPECT_DOUBLE_EQ(wnd_->FindControl("caption_title")->font().pointSizeF(), app_points);
    EXPECT_DOUBLE_EQ(picture->font().pointSizeF(), 7);
}

TEST_F(MainWndTest, AboutWindowTakesTheMainWindowsDpi) {
    wnd_->SetDPI(144);
    int dpi = 0;
    QSize size;
    QTimer::singleShot(0, [&] {
        WaitUntil(
            [&] { return wnd_->AboutWindow() != nullptr && wnd_->AboutWindow()->isVisible(); });
        auto* about = qobject_cast<CAboutWnd*>(wnd_->AboutWindow());
        dpi = about->GetDPI();
        size = about->size();
        MoveRequests moves;
        PressOn(about->FindControl("about_title"));
        EXPECT_EQ(moves.windows.size(), 1u) << "the about window moves by its caption";
        about->Close(0);
    });
    wnd_->OnMenuCommand("about_menu");
    EXPECT_EQ(dpi, 144);
    EXPECT_EQ(size, QSize(1200, 858));  // 800 x 572 at 1.5
    wnd_->SetDPI(96);
}

TEST_F(MainWndTest, TrayRightClickOpensOneMenuAtATime) {
    wnd_->OnTrayRightClick();
    ASSERT_TRUE(WaitUntil([&] { return wnd_->TrayMenu() != nullptr; }));
    QPointer<QMenu> first = wnd_->TrayMenu();
    EXPECT_NE(first->findChild<QAction*>("exit"), nullptr);
    wnd_->OnTrayRightClick();
    ASSERT_TRUE(WaitUntil([&] { return wnd_->TrayMenu() != first.data(); }));
    EXPECT_TRUE(first.isNull() || !first->isVisible());
    EXPECT_TRUE(wnd_->TrayMenu()->isVisible());
    wnd_->TrayMenu()->close();
}

TEST_F(MainWndTest, GameMessageStartsTheFiveSecondRestore) {
    const uint32_t game_start = *ipc::FindRegisteredMessage("Game_Start");
    EXPECT_FALSE(wnd_->Core().GameRestoreTimer().isActive());
    ASSERT_TRUE(wnd_->PostMessage(game_start, 3, 2));  // wParam 3: nothing but the restore
    ASSERT_TRUE(WaitUntil([&] { return wnd_->Core().GameRestoreTimer().isActive(); }));
    EXPECT_EQ(wnd_->Core().GameRestoreTimer().interval(), 5000);
}

TEST_F(MainWndTest, TrayExitJoinsEveryWorkerAndEndsTheWindow) {
    ASSERT_TRUE(wnd_->Workers().Running(kSlotDeviceWatch));
    wnd_->OnMenuCommand("exit");
    EXPECT_TRUE(wnd_->Exiting());
    EXPECT_FALSE(wnd_->Workers().Running(kSlotDeviceWatch));
    EXPECT_FALSE(wnd_->Workers().Running(kSlotLightSync));
    // The device watch and the lighting synchronisation (the audio daemon needs a bus).
    EXPECT_EQ(wnd_->LastStopReport().joined, 2u);
    EXPECT_TRUE(wnd_->LastStopReport().late_slots.empty());
    EXPECT_FALSE(wnd_->isVisible());
    EXPECT_TRUE(Logged("退出测试"));
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
}

TEST_F(MainWndTest, PrivateMessagesFromAWorkerThread) {
    EXPECT_FALSE(ui::IsVisible(wnd_->FindControl("setting_progress")));
    std::thread worker([port = wnd_->Port()] { (void)port->Send(MSG_SHOW_SETTING_PROGRESS); });
    ASSERT_TRUE(WaitUntil([&] { return ui::IsVisible(wnd_->FindControl("setting_progress")); }));
    worker.join();
    // While the system sleeps the range is dropped.
    wnd_->Core().OnSuspend();
    ui::SetVisible(wnd_->FindControl("setting_progress"), false);
    (void)wnd_->SendMessage(MSG_SHOW_SETTING_PROGRESS);
    EXPECT_FALSE(ui::IsVisible(wnd_->FindControl("setting_progress")));
    wnd_->Core().OnResume();
}

TEST_F(ShellUiTest, DevicesThisUserMayNotOpenAreToldOnceWithTheRuleCommands) {
    // A keyboard and a mouse whose nodes refuse to open, as hidraw without the udev rule.
    auto refusing = std::make_shared<test::FakeBackend>();
    refusing->AddNode("kbd", 0x320F, 0x505B, 1, sim::VendorInterfaceDescriptor());
    refusing->AddNode("mouse", 0x320F, 0x221C, 1, sim::VendorInterfaceDescriptor());
    refusing->FailOpensWith(hid::OpenError::kAccessDenied);
    hid::BackendRegistry::Instance().Add(refusing);
    std::vector<QString> shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (CMsgWnd* box = OpenBox()) {
            shown.push_back(ui::Text(box->FindControl("MessageText")));
            box->Close(1);
        }
    });
    poll.start(5);
    {
        CMainWnd wnd(NoBus(), NoBus());
        ASSERT_TRUE(wnd.Create());
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
        wnd.show();
        // Command and notification interfaces of both devices: four reports.
        EXPECT_TRUE(WaitUntil([&] { return Count("permission denied") >= 4; }, 8000));
        EXPECT_TRUE(WaitUntil([&] { return !shown.empty(); }));
        // Time for a second box, were one queued for the later reports.
        (void)WaitUntil([] { return false; }, 200);
        wnd.OnExit();
        QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    }
    poll.stop();
    hid::BackendRegistry::Instance().Remove(refusing.get());
    ASSERT_EQ(shown.size(), 1u);
    const QString text = shown.front();
    EXPECT_TRUE(text.startsWith(QStringLiteral("A supported device is connected")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(
        "dozadirctl udev-rule | sudo tee /etc/udev/rules.d/70-dozadir.rules > /dev/null\n"
        "sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=hidraw")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("%s")));
}

}  // namespace
}  // namespace dz::app
