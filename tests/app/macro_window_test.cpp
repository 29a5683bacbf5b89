// Macro recording in the main window on a real X server (run under xvfb-run and
// dbus-run-session), with keys and buttons injected through XTest and the emulated keyboard
// in the process: what the hook reports becomes rows with the system's types, buttons and
// delays; the keys do not reach another program while the keyboard is grabbed, the lock
// keys keep their effect; the click on stop is not recorded; a delay typed into a cell is
// saved when the cell loses the focus; and a recorded macro that a key plays reaches the
// keyboard's macro memory.

#include <linux/input-event-codes.h>

#include <signal.h>

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTest>

#include <thread>

#include "app/app_setup.h"
#include "app/layout_rules.h"
#include "app/main_wnd.h"
#include "device/device_table.h"
#include "macro/macro_control_ui.h"
#include "models/key_codes.h"
#include "models/keyboard_device.h"
#include "models/macro_image.h"
#include "models/mouse_device.h"
#include "platform/hid/hid_backend.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "sim/model_tables.h"
#include "support/macro_files.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "support/x11_input.h"
#include "ui/control_ops.h"

#ifndef DZ_APP_BINARY
#error DZ_APP_BINARY must name the application
#endif

namespace dz::app {
namespace {

using sim::DeviceKind;
using sim::Link;
using test::WaitUntil;

constexpr int kKeyboardKind = 1;

class MacroWindowTest : public ::testing::Test {
  protected:
    // The device whose page records: the keyboard, or the mouse in MouseMacroWindowTest.
    virtual DeviceKind Kind() const { return DeviceKind::kKeyboard; }
    void SetUp() override {
        test::TestApplication();
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        ASSERT_TRUE(xtest_.Ok());
        qputenv("XDG_DATA_HOME", data_.path().c_str());
        SetupResources(ProgramFolder());
        emulator_ = std::make_unique<sim::Emulator>(sim::EmulatorConfig{});
        emulator_->SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ =
            std::make_unique<CMainWnd>(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
        wnd_->resize(kMainWindowWidth, kMainWindowHeight);
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(WaitUntil([&] { return wnd_->isVisible(); }));
        ASSERT_TRUE(emulator_->Plug(Kind(), Link::kCable));
        ASSERT_TRUE(WaitUntil([&] { return PageReady(); }, 15000));
        ASSERT_EQ(wnd_->Hook().Coverage(), input::InputCoverage::kDesktop);
        Click("macro_Op_tab");
        ASSERT_TRUE(WaitUntil([&] { return Find<QWidget>("macro_btn_starredio")->isVisible(); }));
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        EXPECT_TRUE(xtest_.KeyboardFree()) << "the window's end released the keyboard";
        if (emulator_) {
            size_t from_ui = 0;
            for (const sim::TrafficEntry& e : emulator_->Traffic().Entries())
                from_ui += e.direction == sim::Direction::kOut && e.writer == ui_thread_;
            EXPECT_EQ(from_ui, 0u) << "reports written on the UI thread";
        }
        hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
    }

    CRezazodaKeyboardDevice* Keyboard() {
        const auto& list = wnd_->Devices().DevicesOfKind(kKeyboardKind);
        return list.empty() ? nullptr : qobject_cast<CRezazodaKeyboardDevice*>(list.front());
    }
    CRezazodaMouseDevice* Mouse() {
        const auto& list = wnd_->Devices().DevicesOfKind(kKindMouse);
        return list.empty() ? nullptr : qobject_cast<CRezazodaMouseDevice*>(list.front());
    }
    CRezazodaModelDevice* Page() {
        if (Kind() == DeviceKind::kMouse) return Mouse();
        return Keyboard();
    }
    bool PageReady() {
        if (Kind() == DeviceKind::kMouse) return Mouse() != nullptr && Mouse()->SyncsDone() > 0;
        return Keyboard() != nullptr && Keyboard()->TablesRead();
    }
    CMacroControlUI* Editor() { return dynamic_cast<CMacroControlUI*>(Page()->Macros()); }
    template <class T>
    T* Find(const char* name) {
        return Page()->findChild<T*>(QString::fromLatin1(name));
    }
    // A click as the user makes it with the mouse (through the toolkit, not the hook).
    void Click(const char* name) {
        auto* button = Find<QAbstractButton>(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    // A real click on the screen, which the hook sees as well.
    void ScreenClick(QWidget* w) {
        const QPoint p = w->mapToGlobal(w->rect().center());
        xtest_.MoveTo(p.x(), p.y());
        xtest_.Click(1);
    }
    std::filesystem::path Folder() {
        return data_.path() / "Dozadir Keyboard" /
               (Kind() == DeviceKind::kMouse ? "mouse" : "keyboard");
    }
    std::filesystem::path FileOf(int index) { return Editor()->Store()->MacroFilePath(index); }
    // A new macro, selected, and recording started with the record button.
    void NewMacroAndRecord() {
        Click("macro_btn_name_add");
        ASSERT_GE(Editor()->GetSelectedMacroIndex(), 0);
        Click("macro_btn_starredio");
        ASSERT_EQ(wnd_->Hook().Mode(), input::kHookModeAppend);
        ASSERT_TRUE(wnd_->Hook().KeyboardHooked());
    }
    bool WaitRows(int n) {
        return WaitUntil([&] { return Editor()->Rows().Count() >= n; });
    }
    void StopByClickingStop() {
        ScreenClick(Find<QWidget>("macro_btn_stopredio"));
        ASSERT_TRUE(WaitUntil([&] { return !Editor()->Recording(); }));
        EXPECT_EQ(wnd_->Hook().Mode() == input::kHookModeAppend && wnd_->Hook().KeyboardHooked(),
                  false);
    }
    std::vector<uint8_t> MacroMemoryStart(size_t n) {
        const std::vector<uint8_t> memory = emulator_->Model(Kind()).MacroMemory();
        return {memory.begin(),
                memory.begin() + static_cast<ptrdiff_t>(std::min(n, memory.size()))};
    }

    test::TempFolder data_;
    test::XInjector xtest_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<CMainWnd> wnd_;
    const std::thread::id ui_thread_ = std::this_thread::get_id();
};

TEST_F(MacroWindowTest, KeysBecomeRowsAndAHeldKeyIsOneRow) {
    NewMacroAndRecord();
    xtest_.Tap(KEY_LEFTCTRL);
    xtest_.Key(KEY_A, true);
    QTest::qWait(1000);  // held for a second
    xtest_.Key(KEY_A, false);
    ASSERT_TRUE(WaitRows(4));
    StopByClickingStop();
    const std::vector<MacroEvent> saved = LoadEvents(FileOf(0));
    ASSERT_EQ(saved.size(), 4u) << "one row each, and no row for the click on stop";
    EXPECT_EQ(saved[0].type, 9);
    EXPECT_EQ(saved[0].button, 1);
    EXPECT_EQ(saved[0].action, "down");
    EXPECT_EQ(saved[1].action, "up");
    EXPECT_EQ(saved[2].type, 10);
    EXPECT_EQ(saved[2].button, 4);
    EXPECT_EQ(saved[2].action, "down");
    EXPECT_EQ(saved[3].action, "up");
    EXPECT_GE(ParseDelay(saved[2].delay), 900) << "the second A was held";
    EXPECT_TRUE(Find<QWidget>("macro_name_list")->isEnabled()) << "unlocked again";
}

TEST_F(MacroWindowTest, MeasuredAndConstantDelays) {
    NewMacroAndRecord();
    xtest_.Key(KEY_A, true);
    QTest::qWait(120);
    xtest_.Key(KEY_A, false);
    ASSERT_TRUE(WaitRows(2));
    StopByClickingStop();
    std::vector<MacroEvent> saved = LoadEvents(FileOf(0));
    ASSERT_EQ(saved.size(), 2u);
    // 120 ms as the UI thread saw the two events, give or take the machine's scheduling.
    EXPECT_GE(ParseDelay(saved[0].delay), 90);
    EXPECT_LE(ParseDelay(saved[0].delay), 300);
    EXPECT_EQ(saved[1].delay, "0") << "the last row waits for a next event";

    ui::SetSelected(Find<QWidget>("macro_check_time"), true);
    ui::SetText(Find<QWidget>("macro_fixed_time_edit"), QStringLiteral("30"));
    NewMacroAndRecord();
    xtest_.Tap(KEY_B);
    QTest::qWait(50);
    xtest_.Key(KEY_C, true);
    ASSERT_TRUE(WaitRows(3));
    EXPECT_EQ(Editor()->Rows().At(2).delay, "30");
    StopByClickingStop();
    xtest_.Key(KEY_C, false);
    saved = LoadEvents(FileOf(1));
    ASSERT_EQ(saved.size(), 3u);
    for (const MacroEvent& e : saved) EXPECT_EQ(e.delay, "30");
}

TEST_F(MacroWindowTest, TheKeysDoNotReachAnotherProgramButTheLockKeysKeepTheirEffect) {
    test::XWitness witness;
    ASSERT_TRUE(witness.Ok());
    xtest_.Tap(KEY_X);
    witness.Pump();
    ASSERT_EQ(witness.key_presses, 1);
    witness.Reset();
    const unsigned caps = witness.LockedModifiers() & LockMask;

    NewMacroAndRecord();
    xtest_.Tap(KEY_H);
    xtest_.Tap(KEY_I);
    xtest_.Tap(KEY_CAPSLOCK);
    ASSERT_TRUE(WaitRows(6));
    witness.Pump();
    EXPECT_EQ(witness.key_presses, 0);
    EXPECT_NE(witness.LockedModifiers() & LockMask, caps) << "Caps Lock still locks";
    EXPECT_EQ(Editor()->Rows().At(4).button, 0x39) << "and is recorded";
    EXPECT_FALSE(xtest_.KeyboardFree());

    StopByClickingStop();
    EXPECT_TRUE(xtest_.KeyboardFree());
    witness.Focus();
    xtest_.Tap(KEY_CAPSLOCK);
    xtest_.Tap(KEY_X);
    witness.Pump();
    EXPECT_EQ(witness.key_presses, 2);
}

TEST_F(MacroWindowTest, RecordingStopsAt4000Rows) {
    Click("macro_btn_name_add");
    const std::filesystem::path file = FileOf(0);
    ASSERT_TRUE(
        SaveEvents(file, "macro_1", Editor()->Store()->Macros()[0].guid, test::KeyEvents(3999)));
    Click("macro_btn_cancel");  // reloads the file
    ASSERT_EQ(Editor()->Rows().Count(), 3999);
    Click("macro_btn_starredio");
    xtest_.Tap(KEY_B);
    xtest_.Tap(KEY_C);
    ASSERT_TRUE(WaitRows(4000));
    QTest::qWait(50);
    EXPECT_EQ(Editor()->Rows().Count(), 4000);
    StopByClickingStop();
    EXPECT_EQ(LoadEvents(file).size(), 4000u);
    EXPECT_EQ(LoadEvents(file).back().button, 5) << "B's press was the last that fitted";
}

TEST_F(MacroWindowTest, ADelayLeftByTheFocusIsSavedAtOnce) {
    Click("macro_btn_name_add");
    const std::filesystem::path file = FileOf(0);
    ASSERT_TRUE(
        SaveEvents(file, "macro_1", Editor()->Store()->Macros()[0].guid, test::KeyEvents(3)));
    Click("macro_btn_cancel");
    auto* cell = Editor()->RowWidget(1)->findChild<QLineEdit*>(QStringLiteral("macro_delay"));
    ASSERT_NE(cell, nullptr);
    wnd_->activateWindow();
    QTest::mouseClick(cell, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return cell->hasFocus(); }));
    EXPECT_EQ(Find<QListWidget>("macro_action_list")->currentRow(), 1) << "its row is selected";
    cell->selectAll();
    QTest::keyClicks(cell, "250");
    EXPECT_EQ(LoadEvents(file)[1].delay, "300") << "not saved while typing";
    Find<QWidget>("macro_edit_macroname")->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(WaitUntil([&] { return LoadEvents(file)[1].delay == "250"; }));
}

TEST_F(MacroWindowTest, ARecordedMacroThatAKeyPlaysReachesTheKeyboard) {
    NewMacroAndRecord();
    xtest_.Tap(KEY_Q);
    xtest_.Tap(KEY_W);
    ASSERT_TRUE(WaitRows(4));
    // Key position 0 plays the new macro (as the key assignment panel gives it).
    Json::Value profile = ReadJsonFile(Keyboard()->ProfileFile());
    profile["Device"][0]["KeyList"][0]["Assignment"] = KeyCodeToProfileInt({kKeyTypeMacro, 0, 0});
    test::WriteJson(Keyboard()->ProfileFile(), profile);
    ASSERT_EQ(Keyboard()->LoadProfile(), 1u);
    emulator_->Traffic().Clear();
    StopByClickingStop();
    const std::vector<MacroEvent> saved = LoadEvents(FileOf(0));
    ASSERT_EQ(saved.size(), 4u);
    const std::vector<uint8_t> image = BuildMacroImage(std::vector<std::vector<MacroEvent>>{saved});
    ASSERT_TRUE(WaitUntil([&] { return MacroMemoryStart(image.size()) == image; }));
    size_t macro_writes = 0;
    for (const sim::TrafficEntry& e : emulator_->Traffic().Entries())
        macro_writes += e.direction == sim::Direction::kOut && e.bytes[3] == CMD_WRITE_MACROS;
    EXPECT_GT(macro_writes, 0u) << "in the traffic record";
    const auto slot =
        emulator_->Model(DeviceKind::kKeyboard).KeySlot(sim::KeyboardSlotOfPosition(0));
    ASSERT_TRUE(WaitUntil([&] {
        return emulator_->Model(DeviceKind::kKeyboard).KeySlot(sim::KeyboardSlotOfPosition(0))[0] ==
               kKeyTypeMacro;
    })) << int(slot[0]);
}

TEST_F(MacroWindowTest, TheWindowsEndSavesARecordingAndFreesTheKeyboard) {
    NewMacroAndRecord();
    xtest_.Tap(KEY_Z);
    ASSERT_TRUE(WaitRows(2));
    const std::filesystem::path file = FileOf(0);
    ASSERT_FALSE(xtest_.KeyboardFree());
    wnd_->OnExit();
    EXPECT_TRUE(xtest_.KeyboardFree());
    EXPECT_EQ(LoadEvents(file).size(), 2u);
}

// The application itself, recording when a session ends it with SIGTERM: the keyboard is
// free again and what was recorded is in the macro file. The application is driven with
// real clicks at the places its controls have in this test's own window of the same size.
TEST_F(MacroWindowTest, TheApplicationEndedBySigtermWhileRecordingFreesTheKeyboard) {
    std::vector<QPoint> clicks;
    for (const char* name : {"macro_Op_tab", "macro_btn_name_add", "macro_btn_starredio"}) {
        auto* w = Find<QWidget>(name);
        ASSERT_NE(w, nullptr) << name;
        clicks.push_back(w->mapTo(wnd_.get(), w->rect().center()));
    }
    const QSize size = wnd_->size();
    wnd_->OnExit();
    wnd_.reset();

    test::TempFolder home;
    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DOZADIR_DEBUG", "1");
    env.insert("XDG_DATA_HOME", QString::fromStdString(home.path().string()));
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(DZ_APP_BINARY, {"--simulate=keyboard"});
    ASSERT_TRUE(app.waitForStarted(5000));
    const struct Ender {
        QProcess& p;
        ~Ender() {
            if (p.state() != QProcess::NotRunning) {
                p.kill();
                p.waitForFinished(5000);
            }
        }
    } ender{app};
    const auto xdo = [](const QStringList& args) {
        QProcess p;
        p.start("xdotool", args);
        p.waitForFinished(5000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    };
    QString id;
    ASSERT_TRUE(WaitUntil(
        [&] {
            id = xdo({"search", "--onlyvisible", "--name", "^Dozadir Keyboard$"})
                     .section('\n', 0, 0);
            return !id.isEmpty();
        },
        15000));
    QPoint origin;
    QSize shown;
    const auto geometry = [&] {
        for (const QString& kv : xdo({"getwindowgeometry", "--shell", id}).split('\n')) {
            if (kv.startsWith("X=")) origin.setX(kv.mid(2).toInt());
            if (kv.startsWith("Y=")) origin.setY(kv.mid(2).toInt());
            if (kv.startsWith("WIDTH=")) shown.setWidth(kv.mid(6).toInt());
            if (kv.startsWith("HEIGHT=")) shown.setHeight(kv.mid(7).toInt());
        }
        return shown == size;
    };
    // Shown first at its own size, then laid out for the monitor as this test's window was.
    ASSERT_TRUE(WaitUntil(geometry, 10000)) << shown.width() << "x" << shown.height();
    const std::filesystem::path folder = home.path() / "Dozadir Keyboard" / "keyboard";
    // The page takes clicks once the keyboard is read: until then the tab is tried again.
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const QPoint& p : clicks) {
                xtest_.MoveTo(origin.x() + p.x(), origin.y() + p.y());
                xtest_.Click(1);
                QTest::qWait(300);
            }
            return !xtest_.KeyboardFree();
        },
        20000))
        << "recording started in the application";
    xtest_.Tap(KEY_Q);
    QTest::qWait(300);
    ASSERT_EQ(::kill(static_cast<pid_t>(app.processId()), SIGTERM), 0);
    EXPECT_TRUE(WaitUntil([&] { return xtest_.KeyboardFree(); }, 2000));
    ASSERT_TRUE(app.waitForFinished(15000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    // One of the macros the clicks made holds Q's press and release.
    bool recorded = false;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".mac") {
            const std::vector<MacroEvent> events = LoadEvents(entry.path());
            recorded |= events.size() == 2 && events[0].button == 0x14 && events[0].type == 10;
        }
    EXPECT_TRUE(recorded) << "the recording was saved on the way out";
}

class MouseMacroWindowTest : public MacroWindowTest {
  protected:
    DeviceKind Kind() const override { return DeviceKind::kMouse; }
};

// The mouse page has the same editor: keys and a click elsewhere on the screen become its
// rows, and stopping writes the mouse's macro memory.
TEST_F(MouseMacroWindowTest, TheMousePageRecordsAndTheMouseGetsTheMacro) {
    NewMacroAndRecord();
    xtest_.Tap(KEY_Q);
    ASSERT_TRUE(WaitRows(2));
    const QPoint outside = wnd_->geometry().bottomRight() + QPoint(40, 40);
    xtest_.MoveTo(outside.x(), outside.y());
    xtest_.Click(3);
    ASSERT_TRUE(WaitRows(4));
    // Button 2 plays the new macro.
    Json::Value profile = ReadJsonFile(Mouse()->ProfileFile());
    profile["Device"][0]["KeyList"][2]["Assignment"] = KeyCodeToProfileInt({kKeyTypeMacro, 0, 0});
    test::WriteJson(Mouse()->ProfileFile(), profile);
    ASSERT_EQ(Mouse()->LoadProfile(), 1u);
    StopByClickingStop();
    const std::vector<MacroEvent> saved = LoadEvents(FileOf(0));
    ASSERT_EQ(saved.size(), 4u) << "Q, the right click, and no row for the click on stop";
    EXPECT_EQ(saved[0].type, 10);
    EXPECT_EQ(saved[0].button, 0x14);
    EXPECT_EQ(saved[2].type, 1);
    EXPECT_EQ(saved[2].button, 2);
    EXPECT_EQ(saved[2].action, "down");
    EXPECT_EQ(saved[3].action, "up");
    const std::vector<uint8_t> image = BuildMacroImage(std::vector<std::vector<MacroEvent>>{saved});
    EXPECT_TRUE(WaitUntil([&] { return MacroMemoryStart(image.size()) == image; }, 5000));
}

}  // namespace
}  // namespace dz::app
