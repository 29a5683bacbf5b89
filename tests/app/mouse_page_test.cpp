// The mouse page on its real skin, in the real main window (Qt's offscreen platform), with the
// emulated mouse: the DPI rows, the current stage, the figures and the report rate as a user
// works them, through the notifications and the routing, down to the mouse's memory; and the
// desktop's own keyboard and mouse settings.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTimer>
#include <fstream>

#include "app/app_setup.h"
#include "app/device_area.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "device/device_table.h"
#include "models/mouse_device.h"
#include "models/mouse_shoot.h"
#include "panels/color_select_wnd.h"
#include "panels/shoot_control_ui.h"
#include "platform/hid/hid_backend.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "support/no_bus.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using sim::DeviceKind;
using sim::Link;
using test::WaitUntil;

QApplication& App() {
    return test::TestApplication();
}

using test::NoBus;

app::CMsgWnd* OpenBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<app::CMsgWnd*>(w);
            box && box->isVisible() && box->IsModalRunning())
            return box;
    return nullptr;
}

class MousePageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        app::SetupResources(app::ProgramFolder());
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        if (emulator_) hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
        ::unsetenv("DOZADIR_DATA_HOME");
    }
    void Start(sim::MouseSensor sensor = sim::MouseSensor::kStandard) {
        sim::EmulatorConfig config;
        config.mouse = true;
        config.mouse_sensor = sensor;
        emulator_ = std::make_unique<sim::Emulator>(config);
        emulator_->SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ = std::make_unique<app::CMainWnd>(NoBus(), NoBus());
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(
            WaitUntil([&] { return Mouse() != nullptr && Mouse()->SyncsDone() > 0; }, 15000))
            << "no first synchronisation";
        // The window took the saved language; the texts below are the English ones.
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
        Mouse()->RefreshPage();
        Settle();
        emulator_->Traffic().Clear();
    }
    CRezazodaMouseDevice* Mouse() {
        const auto& list = wnd_->Devices().DevicesOfKind(kKindMouse);
        return list.empty() ? nullptr : qobject_cast<CRezazodaMouseDevice*>(list.front());
    }
    template <class W = QWidget>
    W* Control(const QString& name) {
        W* w = Mouse()->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QAbstractButton* Button(const char* prefix, int n) {
        return Control<QAbstractButton>(QString::fromLatin1(prefix) + QString::number(n));
    }
    QSlider* Slider(int n) { return Control<QSlider>(QStringLiteral("DPI_slider_%1").arg(n)); }
    QLineEdit* Edit(int n) { return Control<QLineEdit>(QStringLiteral("DPI_edit_%1").arg(n)); }
    void Settle() {
        for (int i = 0; i < 3; ++i) {
            Mouse()->Worker().WaitIdle();
            QCoreApplication::processEvents();
        }
    }
    // A user typing into the edit and leaving it.
    void Type(int n, const QString& text) {
        QLineEdit* e = Edit(n);
        e->setText(text);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(e, &out);
        Settle();
    }
    // A slider let go at `q`.
    void Release(int n, int q) {
        QSlider* s = Slider(n);
        s->setSliderDown(true);
        s->setValue(q);
        s->setSliderDown(false);  // sliderReleased
        Settle();
    }
    Json::Value Section() {
        return ReadJsonFile(Mouse()->ProfileData()->GetProfilePath())["Device"][0];
    }
    std::vector<uint8_t> Page() { return emulator_->Model(DeviceKind::kMouse).ProfileSettings(0); }
    size_t SettingsWrites() {
        size_t n = 0;
        for (const auto& e : emulator_->Traffic().Entries())
            n += e.direction == sim::Direction::kOut && e.bytes.size() > 4 && e.bytes[0] == 4 &&
                 e.bytes[3] == CMD_WRITE_SETTINGS && e.bytes[5] == 0 && e.bytes[6] == 0;
        return n;
    }
    // Rewrites the profile file's mouse section and has the page take it again.
    void EditProfile(const std::function<void(Json::Value&)>& edit) {
        const fs::path path = Mouse()->ProfileData()->GetProfilePath();
        Json::Value file = ReadJsonFile(path);
        edit(file["Device"][0]);
        ASSERT_TRUE(TryWriteJsonFile(path, file));
        ASSERT_EQ(Mouse()->LoadProfile(), 1u);
        Mouse()->RefreshPage();
    }

    test::TempFolder home_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<app::CMainWnd> wnd_;
};

TEST_F(MousePageTest, TheLastEnabledStageCannotBeSwitchedOffAndEnablingFreesThemAll) {
    Start();
    // The default profile: all five on, stage 1 current.
    EXPECT_FALSE(Button("DPI_enable_check_", 1)->isEnabled()) << "the current stage's";
    for (int n : {0, 2, 3, 4}) {
        ASSERT_TRUE(Button("DPI_enable_check_", n)->isEnabled()) << n;
        Button("DPI_enable_check_", n)->click();
        Settle();
        EXPECT_FALSE(Button("DPI_enable_check_", n)->isChecked());
        EXPECT_FALSE(Control(QStringLiteral("DPI_layout_%1").arg(n))->isEnabled())
            << "the row goes off with its stage";
    }
    EXPECT_EQ(SettingsWrites(), 4u) << "each change wrote the page";
    for (int n : {0, 2, 3, 4})
        EXPECT_TRUE(Button("DPI_enable_check_", n)->isEnabled())
            << "a stage that is off can come back";
    EXPECT_FALSE(Button("DPI_enable_check_", 1)->isEnabled());
    EXPECT_EQ(Page()[14 + 9 * 2], 0);
    EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][3]["StageActive"].asInt(), 0);

    // A profile whose current stage is off: the one enabled stage left is locked.
    EditProfile([](Json::Value& s) {
        s["DPIStages"]["StageDPIs"][1]["StageActive"] = 0;
        s["DPIStages"]["StageDPIs"][4]["StageActive"] = 1;
    });
    EXPECT_FALSE(Button("DPI_enable_check_", 4)->isEnabled()) << "the last enabled stage";
    Button("DPI_enable_check_", 2)->click();
    Settle();
    for (int n : {0, 2, 3, 4}) EXPECT_TRUE(Button("DPI_enable_check_", n)->isEnabled()) << n;
    EXPECT_FALSE(Button("DPI_enable_check_", 1)->isEnabled()) << "still the current stage";
}

TEST_F(MousePageTest, TheCurrentStageIsMarkedAndWritten) {
    Start();
    Button("DPI_select_check_", 3)->click();
    Settle();
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(Button("DPI_select_check_", n)->isChecked(), n == 3) << n;
        EXPECT_EQ(Button("DPI_enable_check_", n)->isEnabled(), n != 3) << n;
        EXPECT_EQ(ui::ThumbImage(Slider(n)),
                  QString::fromLatin1(n == 3 ? kDpiCurrentThumb : kDpiOtherThumb))
            << n;
    }
    EXPECT_EQ(Page()[12], 3);
    EXPECT_EQ(Section()["DPIStages"]["StageActive"].asInt(), 3);
}

TEST_F(MousePageTest, FiguresAndPositionsOnTheOneSlopeScale) {
    Start();  // step 50 from 100 DPI
    Release(1, 10);
    EXPECT_EQ(Edit(1)->text(), "600");
    EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][1]["StageDPIX"].asInt(), 10);
    EXPECT_EQ(Page()[14 + 9 + 2], 10);
    Type(2, QStringLiteral("649"));
    EXPECT_EQ(Slider(2)->value(), 10);
    EXPECT_EQ(Edit(2)->text(), "600") << "the figure of the position taken";
    Type(2, QStringLiteral("99"));
    EXPECT_EQ(Slider(2)->value(), 0);
    EXPECT_EQ(Edit(2)->text(), "100");
    for (const char* text : {"", "abc", "-5"}) {
        Type(3, QString::fromLatin1(text));
        EXPECT_EQ(Slider(3)->value(), 0) << '"' << text << '"';
    }
    Type(3, QStringLiteral("99999999999"));
    EXPECT_EQ(Slider(3)->value(), 319) << "the highest position";
    // Dragging shows the figure and stores nothing.
    const int writes = static_cast<int>(SettingsWrites());
    Slider(4)->setSliderDown(true);
    Slider(4)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    Settle();
    EXPECT_EQ(Edit(4)->text(), QString::number(Slider(4)->value() * 50 + 100));
    EXPECT_EQ(static_cast<int>(SettingsWrites()), writes);
    EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][4]["StageDPIX"].asInt(), 126);
}

TEST_F(MousePageTest, FiguresAndPositionsOnTheTwoSlopeScale) {
    Start(sim::MouseSensor::k3325);  // step 100 from 100 DPI, 200 DPI a position above 48
    Release(0, 48);
    EXPECT_EQ(Edit(0)->text(), "4900");
    Release(0, 50);
    EXPECT_EQ(Edit(0)->text(), "5300");
    Type(1, QStringLiteral("5299"));
    EXPECT_EQ(Slider(1)->value(), 49);
    EXPECT_EQ(Edit(1)->text(), "5100");
    EXPECT_EQ(ui::MaxValue(Edit(1)), 10100) << "the highest position's figure";
}

TEST_F(MousePageTest, SelectingAStageTakesEverySliderAndGrowsTheProfileToFive) {
    Start();
    EditProfile([](Json::Value& s) {
        Json::Value& list = s["DPIStages"]["StageDPIs"];
        Json::Value three(Json::arrayValue);
        for (int i = 0; i < 3; ++i) three.append(list[i]);
        list = three;
    });
    EXPECT_FALSE(Control(QStringLiteral("DPI_layout_4"))->isEnabled()) << "a row without stage";
    EXPECT_EQ(Slider(4)->value(), 0);
    // Sliders stand elsewhere than the stages say (a drag not let go).
    ui::SetValue(Slider(0), 20);
    ui::SetValue(Slider(4), 77);
    Button("DPI_select_check_", 2)->click();
    Settle();
    const Json::Value stages = Section()["DPIStages"]["StageDPIs"];
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_EQ(stages[0]["StageDPIX"].asInt(), 20);
    EXPECT_EQ(stages[1]["StageDPIX"].asInt(), 14);
    EXPECT_EQ(stages[4]["StageDPIX"].asInt(), 77);
    EXPECT_EQ(stages[4]["StageActive"].asInt(), 0);
    EXPECT_EQ(Page()[14 + 36 + 2], 77);
    EXPECT_EQ(Edit(4)->text(), "3950");
}

TEST_F(MousePageTest, AReportRateTheOptionsDoNotHaveShowsTheFirst) {
    Start();
    EXPECT_TRUE(Button("polling_rate_option_", 3)->isChecked());
    EditProfile([](Json::Value& s) { s["ReportStages"]["StageActive"] = 7; });
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(Button("polling_rate_option_", n)->isChecked(), n == 0) << n;
    Button("polling_rate_option_", 2)->click();
    Settle();
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(Button("polling_rate_option_", n)->isChecked(), n == 2) << n;
    EXPECT_EQ(Section()["ReportStages"]["StageActive"].asInt(), 2);
    EXPECT_EQ(Page()[11], 2);
}

TEST_F(MousePageTest, TheButtonListNamesEachAssignment) {
    Start();
    auto* list = Control<QListWidget>(QStringLiteral("device_setkeyinfo_list"));
    ASSERT_EQ(list->count(), 11);
    EXPECT_EQ(list->item(0)->text(), "Left button");
    EXPECT_EQ(list->item(5)->text(), "DPI up");
    EditProfile([](Json::Value& s) {
        s["KeyList"][2]["Assignment"] = 0x200106;  // Ctrl + C
        s["KeyList"][3]["Assignment"] = 0;         // nothing
    });
    EXPECT_EQ(list->item(2)->text().count(QLatin1Char('+')), 1)
        << list->item(2)->text().toStdString();
    EXPECT_EQ(list->item(3)->text(), "Off");
}

// The desktop's own settings: a stand-in for the settings program of the desktop named in
// XDG_CURRENT_DESKTOP records how it was started.
TEST_F(MousePageTest, TheDesktopsKeyboardAndMouseSettingsOpen) {
    Start();
    test::TempFolder bin;
    const fs::path record = bin / "started";
    {
        std::ofstream script(bin / "gnome-control-center");
        script << "#!/bin/sh\necho \"$@\" >> '" << record.string() << "'\n";
    }
    fs::permissions(bin / "gnome-control-center", fs::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    const QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP");
    qputenv("PATH", QByteArray(bin.path().c_str()) + ":" + path);
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    Button("windowdeviceset_", 1)->click();
    Button("windowdeviceset_", 0)->click();
    auto lines = [&] {
        std::ifstream f(record);
        std::vector<std::string> out;
        for (std::string l; std::getline(f, l);) out.push_back(l);
        return out;
    };
    ASSERT_TRUE(WaitUntil([&] { return lines().size() == 2; }, 5000));
    auto started = lines();
    std::sort(started.begin(), started.end());
    EXPECT_EQ(started, (std::vector<std::string>{"keyboard", "mouse"}));

    // A desktop with no known settings: the user is told.
    qputenv("XDG_CURRENT_DESKTOP", "SomethingElse");
    QString shown;
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [&shown, poll] {
        if (app::CMsgWnd* box = OpenBox()) {
            shown = ui::Text(box->FindControl(QStringLiteral("MessageText")));
            poll->stop();
            poll->deleteLater();
            box->Close(0);
        }
    });
    poll->start(5);
    Button("windowdeviceset_", 1)->click();
    EXPECT_TRUE(shown.contains(QStringLiteral("could not be opened"))) << shown.toStdString();
    qputenv("PATH", path);
    qputenv("XDG_CURRENT_DESKTOP", desktop);
}

// ---- The colour dialog of the DPI swatches -------------------------------------------------

TEST_F(MousePageTest, ASwatchOpensTheColourDialogAndTheChosenColourIsStoredAndWritten) {
    Start();
    QAbstractButton* swatch = Button("DPI_color_option_", 2);
    const QRgb before = ui::BkColor(swatch);
    const QRgb other = ui::BkColor(Button("DPI_color_option_", 3));
    bool seen = false;
    QTimer::singleShot(0, [&] {
        panels::CColorSelectWnd* dialog = panels::CColorSelectWnd::OpenDialog();
        ASSERT_NE(dialog, nullptr);
        seen = true;
        EXPECT_EQ(dialog->parentWidget(), wnd_.get()) << "owned by the main window";
        EXPECT_EQ(dialog->GetDPI(), wnd_->GetDPI());
        EXPECT_TRUE(dialog->isModal());
        EXPECT_EQ(ui::BkColor(dialog->findChild<QWidget*>(QStringLiteral("color_show_btn"))),
                  before)
            << "it starts from the swatch's colour";
        EXPECT_TRUE(dialog->findChild<QWidget*>(QStringLiteral("7color_layout"))->isHidden());
        Button("DPI_color_option_", 3)->click();  // a second swatch while it is open
        EXPECT_EQ(panels::CColorSelectWnd::OpenDialog(), dialog) << "no second dialog";
        dialog->findChild<QAbstractButton*>(QStringLiteral("color_option_10"))->click();
        dialog->findChild<QAbstractButton*>(QStringLiteral("okbtn"))->click();
        if (dialog->isVisible()) {
            ADD_FAILURE() << "OK left the dialog open";
            dialog->Close(0);
        }
    });
    swatch->click();
    Settle();
    ASSERT_TRUE(seen);
    EXPECT_EQ(ui::BkColor(swatch), 0xFFFF00FFu) << "the skin's preset 10";
    EXPECT_EQ(ui::BkColor(Button("DPI_color_option_", 3)), other);
    const Json::Value stage = Section()["DPIStages"]["StageDPIs"][2];
    EXPECT_EQ(stage["StageColorR"].asInt(), 255);
    EXPECT_EQ(stage["StageColorG"].asInt(), 0);
    EXPECT_EQ(stage["StageColorB"].asInt(), 255);
    const std::vector<uint8_t> page = Page();
    EXPECT_EQ((std::vector<int>{page[14 + 18 + 6], page[14 + 18 + 7], page[14 + 18 + 8]}),
              (std::vector<int>{255, 0, 255}))
        << "written to the mouse";
    EXPECT_EQ(SettingsWrites(), 1u);
    EXPECT_EQ(panels::CColorSelectWnd::OpenDialog(), nullptr);
}

TEST_F(MousePageTest, ClosingTheWindowClosesTheColourDialogAndNothingChanges) {
    Start();
    QAbstractButton* swatch = Button("DPI_color_option_", 1);
    const QRgb before = ui::BkColor(swatch);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        panels::CColorSelectWnd* dialog = panels::CColorSelectWnd::OpenDialog();
        ASSERT_NE(dialog, nullptr);
        seen = true;
        dialog->findChild<QAbstractButton*>(QStringLiteral("color_option_0"))->click();
        wnd_->FindControlAs<QAbstractButton>(QStringLiteral("closebtn"))->click();
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            dialog->Close(0);
        }
    });
    swatch->click();
    Settle();
    ASSERT_TRUE(seen);
    EXPECT_EQ(ui::BkColor(swatch), before);
    EXPECT_EQ(SettingsWrites(), 0u);
    EXPECT_EQ(panels::CColorSelectWnd::OpenDialog(), nullptr);
}

// ---- The shooting-pattern panel --------------------------------------------------------------

TEST_F(MousePageTest, TheShootingPanelSavesBulletsAndTheMouseGetsThemByteForByte) {
    Start();
    Control<QAbstractButton>(QStringLiteral("macro_Op_tab"))->click();
    Settle();
    auto* panel = Mouse()->findChild<panels::CShootControlUI*>();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(Mouse()->Shooting(), panel);
    // The macro page shows the macro editor first; its option row switches to the patterns.
    auto* editor = Control<QWidget>(QStringLiteral("MacroControlItem"));
    auto* choice = Control<QWidget>(QStringLiteral("mouse_macro_view_layout"));
    EXPECT_TRUE(choice->isVisibleTo(Mouse()));
    EXPECT_TRUE(editor->isVisibleTo(Mouse()));
    EXPECT_FALSE(panel->isVisibleTo(Mouse()));
    Button("mouse_macro_view_option_", 1)->click();
    Settle();
    EXPECT_TRUE(panel->isVisibleTo(Mouse()));
    EXPECT_FALSE(editor->isVisibleTo(Mouse()));
    Control<QAbstractButton>(QStringLiteral("deng_Op_tab"))->click();
    Settle();
    EXPECT_FALSE(choice->isVisibleTo(Mouse())) << "the choice belongs to the macro page";
    Control<QAbstractButton>(QStringLiteral("macro_Op_tab"))->click();
    Settle();
    EXPECT_TRUE(choice->isVisibleTo(Mouse()));
    EXPECT_TRUE(panel->isVisibleTo(Mouse())) << "the page keeps the view last chosen";
    const fs::path folder = paths::KindDataFolder("mouse");
    for (int gun = 0; gun < 4; ++gun)
        EXPECT_EQ(test::ReadText(folder / ShootFileName(gun)),
                  test::ReadText(paths::DefaultDataFolder() / ShootFileName(gun)))
            << "a new user's patterns are the default copies";

    Button("shoot_gun_op_", 1)->click();
    Button("bullet_op_", 4)->click();
    Settle();
    EXPECT_EQ(panel->CurrentGun(), 1);
    EXPECT_EQ(panel->CurrentBullet(), 4);
    EXPECT_EQ(Control<QLabel>(QStringLiteral("bullet_select_index"))->text(), "5");
    const fs::path file = folder / ShootFileName(1);
    const std::string before = test::ReadText(file);
    const ShootBullet shown = BulletOf(ReadJsonFile(file), 4);
    Control<QAbstractButton>(QStringLiteral("bullet_y_check"))->click();
    Settle();
    EXPECT_EQ(test::ReadText(file), before) << "a direction alone is not saved";
    auto* x = Control<QLineEdit>(QStringLiteral("bullet_x_eidt"));
    x->setText(QStringLiteral("300"));  // what a file may hold, beyond what can be typed
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(x, &out);
    Settle();
    ShootBullet want = shown;
    want.up = !shown.up;
    want.x = 300;
    EXPECT_EQ(BulletOf(ReadJsonFile(file), 4), want) << "saved when the edit lost the focus";

    Control<QAbstractButton>(QStringLiteral("shootdate_save_btn"))->click();
    ASSERT_TRUE(WaitUntil([&] { return panel->StateText() == "shoot_sent_text"; }, 5000));
    const std::vector<uint8_t> image = BuildShootImage(folder);
    const std::vector<uint8_t> memory = emulator_->Model(DeviceKind::kMouse).ShootImage();
    ASSERT_GE(memory.size(), image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin()));
    const size_t entry = memory[16 + 2] | memory[16 + 3] << 8;  // gun 1
    EXPECT_EQ(memory[entry + 4 + 4 * (6 * 4 + 2) + 3], 44) << "300 reaches the mouse as 44";
}

}  // namespace
}  // namespace dz
