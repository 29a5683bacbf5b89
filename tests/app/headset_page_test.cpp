// The headset's page on its real skin, in the real main window (Qt's offscreen platform),
// with the emulated headset and a private sound server whose null sink and remapped source
// carry the headset's USB ids: the sound panels as a user works them, through the routing,
// down to the sound server (equaliser module, source volume and mute, monitoring loopback)
// and the profile; the custom equaliser list; the voice changer; and the state read back
// after the application starts again.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <cstring>

#include "app/app_setup.h"
#include "app/device_area.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "models/headset_device.h"
#include "panels/eq_response.h"
#include "panels/voice6533_control_ui.h"
#include "platform/audio/conf_lib.h"
#include "platform/hid/hid_backend.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "support/no_bus.h"
#include "support/qt_app.h"
#include "support/pulse_server.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz {
namespace {

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

constexpr const char* kProps = "'device.vendor.id=0c76 device.product.id=1630'";

std::vector<std::string> HeadsetModules() {
    return {
        std::string("load-module module-null-sink sink_name=hs_sink sink_properties=") + kProps,
        std::string("load-module module-remap-source master=hs_sink.monitor "
                    "source_name=hs_mic source_properties=") + kProps,
    };
}

// The modules of ours in a `pactl list short modules` listing.
int Ours(const std::string& modules) {
    int n = 0;
    for (const char* what : {"module-ladspa-sink", "module-loopback"})
        for (size_t at = modules.find(what); at != std::string::npos; at = modules.find(what, at + 1)) ++n;
    return n;
}

class HeadsetPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        ASSERT_TRUE(server_.Start(HeadsetModules())) << server_.Error();
        app::SetupResources(app::ProgramFolder());
    }
    void TearDown() override {
        Stop();
        (void)audio::ConfLibUnInit();
        ::unsetenv("DOZADIR_DATA_HOME");
    }
    void Start() {
        sim::EmulatorConfig config;
        config.headset = true;
        emulator_ = std::make_unique<sim::Emulator>(config);
        emulator_->SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ = std::make_unique<app::CMainWnd>(NoBus(), NoBus());
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(WaitUntil([&] { return Headset() != nullptr && Headset()->SyncsDone() > 0; },
                              15000))
            << "no first synchronisation";
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
        Headset()->RefreshPage();
        Settle();
    }
    void Stop() {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        if (emulator_) hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
    }
    CRezazodaDO6533Device* Headset() {
        const auto& list = wnd_->Devices().DevicesOfKind(kKindHeadset);
        return list.empty() ? nullptr : qobject_cast<CRezazodaDO6533Device*>(list.front());
    }
    template <class W = QWidget>
    W* Control(const QString& name) {
        W* w = Headset()->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QAbstractButton* Button(const QString& name) { return Control<QAbstractButton>(name); }
    QSlider* Slider(const QString& name) { return Control<QSlider>(name); }
    panels::CVoice6533ControlUI* Sound() {
        return Headset()->findChild<panels::CVoice6533ControlUI*>();
    }
    // The events of what the test did, then the sound worker's answers.
    void Settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        EXPECT_TRUE(WaitUntil([&] { return Headset() == nullptr || Headset()->SoundIdle(); }, 15000))
            << "the sound worker did not answer";
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    void Release(QSlider* s, int v) {
        s->setSliderDown(true);
        s->setValue(v);
        s->setSliderDown(false);
        Settle();
    }
    Json::Value Stages() {
        return ReadJsonFile(Headset()->ProfileData()->GetProfilePath())["Device"][0]["SystemSetStages"];
    }
    std::string Modules() const { return server_.Pactl("list short modules"); }
    // Runs `act` and answers the text of the message box it opens (closed at once).
    QString BoxOf(const std::function<void()>& act) {
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
        act();
        Settle();
        if (shown.isEmpty()) {
            poll->stop();
            poll->deleteLater();
        }
        return shown;
    }
    void SaveAs(const QString& name) {
        Control<QLineEdit>(QStringLiteral("custom_eq_name_edit"))->setText(name);
        Button(QStringLiteral("hs_EQ_btn_save"))->click();
        Settle();
    }
    int CustomCount() { return Control<QComboBox>(QStringLiteral("custom_eq_name_combo"))->count(); }

    test::TempFolder home_;
    test::PulseServer server_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<app::CMainWnd> wnd_;
};

TEST_F(HeadsetPageTest, APresetLoadsTheEqualiserWithItsGainsAndABandMovedSwitchesToCustom) {
    Start();
    EXPECT_TRUE(Sound()->LastMessage().empty()) << Sound()->LastMessage();
    EXPECT_FALSE(Control(QStringLiteral("6533_availability_label"))->isVisibleTo(Sound()));
    // The default profile: preset 5.
    EXPECT_TRUE(Button(QStringLiteral("6533_eq_option_5"))->isChecked());
    EXPECT_FALSE(Control(QStringLiteral("custom_eq_option_layout"))->isEnabled());

    Button(QStringLiteral("6533_eq_option_3"))->click();
    Settle();
    for (int n = 1; n <= 13; ++n)
        EXPECT_EQ(Button(QStringLiteral("6533_eq_option_%1").arg(n))->isChecked(), n == 3) << n;
    EXPECT_EQ(Slider(QStringLiteral("6533_eq_hz_slider_0"))->value(), 10);
    std::string modules = Modules();
    EXPECT_NE(modules.find("label=dozadir_octave_eq control=10,4,0,-3,-4,-3,-2,-1,0,0"),
              std::string::npos)
        << modules;
    EXPECT_NE(modules.find("dozadir.eq.gains=10,4,0,-3,-4,-3,-2,-1,0,0"), std::string::npos) << modules;
    EXPECT_EQ(Stages()["EqType"].asInt(), 3);
    // The curve follows: +10 dB around 31 Hz.
    EXPECT_NEAR(panels::EqResponseDb(Sound()->CurveGains(), 31.25), 10, 1.5);

    // Moving band 2 (125 Hz) while preset 3 is shown: preset 13, no custom equaliser chosen.
    Release(Slider(QStringLiteral("6533_eq_hz_slider_2")), 7);
    EXPECT_TRUE(Button(QStringLiteral("6533_eq_option_13"))->isChecked());
    EXPECT_FALSE(Button(QStringLiteral("6533_eq_option_3"))->isChecked());
    EXPECT_EQ(Control<QComboBox>(QStringLiteral("custom_eq_name_combo"))->currentIndex(), -1);
    EXPECT_TRUE(Control(QStringLiteral("custom_eq_option_layout"))->isEnabled());
    modules = Modules();
    EXPECT_NE(modules.find("dozadir.eq.gains=10,4,7,-3,-4,-3,-2,-1,0,0"), std::string::npos) << modules;
    EXPECT_EQ(modules.find("module-ladspa-sink"), modules.rfind("module-ladspa-sink"));
}

TEST_F(HeadsetPageTest, TheMicrophoneAndMonitoringReachTheSoundServerAndComeBackAfterARestart) {
    Start();
    Release(Slider(QStringLiteral("6533_MicIn_slider")), 40);
    EXPECT_NE(server_.Pactl("get-source-volume hs_mic").find("40%"), std::string::npos);
    EXPECT_EQ(Stages()["MicInValue"].asInt(), 40);
    ASSERT_TRUE(Button(QStringLiteral("6533_MicIn_option"))->isChecked()) << "the default: on";
    Button(QStringLiteral("6533_MicIn_option"))->click();
    Settle();
    EXPECT_NE(server_.Pactl("get-source-mute hs_mic").find("yes"), std::string::npos);
    EXPECT_EQ(Stages()["MicInSelect"].asInt(), 0);

    Release(Slider(QStringLiteral("6533_MicMoniter_slider")), 30);
    Button(QStringLiteral("6533_MicMoniter_option"))->click();
    Settle();
    const std::string modules = Modules();
    EXPECT_NE(modules.find("module-loopback"), std::string::npos) << modules;
    EXPECT_NE(server_.Pactl("list sink-inputs").find("30%"), std::string::npos);
    EXPECT_EQ(Stages()["MicMoniterSelect"].asInt(), 1);

    // Someone else changes the level in the server; the application starts again.
    (void)server_.Pactl("set-source-volume hs_mic 55%");
    Stop();
    Start();
    EXPECT_EQ(Slider(QStringLiteral("6533_MicIn_slider"))->value(), 55);
    EXPECT_FALSE(Button(QStringLiteral("6533_MicIn_option"))->isChecked());
    EXPECT_TRUE(Button(QStringLiteral("6533_MicMoniter_option"))->isChecked());
    EXPECT_EQ(Slider(QStringLiteral("6533_MicMoniter_slider"))->value(), 30);
    const std::string again = Modules();
    EXPECT_EQ(again.find("module-loopback"), again.rfind("module-loopback"))
        << "the loopback of before is taken over, not doubled";
}

TEST_F(HeadsetPageTest, TheSoundServerGoesAwayAndComesBackWhileThePageIsOpen) {
    Start();
    Button(QStringLiteral("6533_eq_option_3"))->click();
    Release(Slider(QStringLiteral("6533_MicIn_slider")), 40);
    QWidget* line = Control(QStringLiteral("6533_availability_label"));
    ASSERT_FALSE(line->isVisibleTo(Sound()));

    server_.Stop();
    // A level while it is away: refused, the slider goes back, the line says why.
    Release(Slider(QStringLiteral("6533_MicIn_slider")), 70);
    EXPECT_EQ(Headset()->SoundMissing(), audio::kMissingServer);
    EXPECT_TRUE(line->isVisibleTo(Sound()));
    EXPECT_EQ(ui::Text(line), ui::ResourceManager::Instance().Text(QString::fromLatin1(audio::kMissingServer)));
    EXPECT_EQ(Slider(QStringLiteral("6533_MicIn_slider"))->value(), 40);
    EXPECT_EQ(Stages()["MicInValue"].asInt(), 40);
    // The equaliser is stored meanwhile.
    Button(QStringLiteral("6533_eq_option_7"))->click();
    Settle();
    EXPECT_EQ(Stages()["EqType"].asInt(), 7);

    ASSERT_TRUE(server_.Start(HeadsetModules())) << server_.Error();
    // The page finds it again by itself and writes what the profile says.
    ASSERT_TRUE(WaitUntil([&] { return Headset()->SoundMissing().empty() && Headset()->SoundIdle(); }, 10000))
        << Headset()->SoundMissing();
    Settle();
    EXPECT_FALSE(line->isVisibleTo(Sound()));
    EXPECT_NE(server_.Pactl("get-source-volume hs_mic").find("40%"), std::string::npos);
    std::string modules = Modules();
    EXPECT_NE(modules.find("dozadir.eq.gains=14,10,4,0,-4,-3,-1,1,2,3"), std::string::npos) << modules;
    // And works again: one equaliser, with the new preset.
    Button(QStringLiteral("6533_eq_option_2"))->click();
    Settle();
    modules = Modules();
    EXPECT_NE(modules.find("dozadir.eq.gains=7,11,6,-3,-11,-1,6,13,6,13"), std::string::npos) << modules;
    EXPECT_EQ(modules.find("module-ladspa-sink"), modules.rfind("module-ladspa-sink")) << modules;
}

TEST_F(HeadsetPageTest, AHeadsetUnpluggedWithItsLoopbackAndEqualiserLeavesNothingOfOursBehind) {
    Start();
    Button(QStringLiteral("6533_eq_option_4"))->click();
    Release(Slider(QStringLiteral("6533_MicMoniter_slider")), 30);
    // Monitoring on (the library of this process may remember it from an earlier test).
    if (!Button(QStringLiteral("6533_MicMoniter_option"))->isChecked())
        Button(QStringLiteral("6533_MicMoniter_option"))->click();
    Settle();
    ASSERT_EQ(Ours(Modules()), 2) << Modules();

    // Unplugged: its HID side from the emulator, its sound side (sink and source) from the
    // server, as the server does when a USB headset goes.
    ASSERT_TRUE(emulator_->Unplug(sim::DeviceKind::kHeadset, sim::Link::kCable));
    std::string modules = Modules();
    for (const char* what : {"source_name=hs_mic", "sink_name=hs_sink"}) {
        const size_t at = modules.find(what);
        ASSERT_NE(at, std::string::npos) << modules;
        const size_t start = modules.rfind('\n', at) + 1;
        (void)server_.Pactl("unload-module " + modules.substr(start, modules.find('\t', start) - start));
    }
    // The page goes on: an action answers that the headset is not there.
    Button(QStringLiteral("6533_eq_option_5"))->click();
    Settle();
    EXPECT_EQ(Headset()->SoundMissing(), audio::kMissingHeadset);
    EXPECT_EQ(Ours(Modules()), 0) << "left in the server: " << Modules();
    EXPECT_EQ(server_.Pactl("list short sink-inputs"), "") << "no stream of ours";

    // Plugged in again: taken up again, the profile's equaliser and monitoring with it, once.
    for (std::string line : HeadsetModules()) {
        // Through the shell the property list keeps its quotes for the server.
        const size_t at = line.find(kProps);
        line.replace(at, std::strlen(kProps), std::string("\"") + kProps + "\"");
        (void)server_.Pactl(line);
    }
    ASSERT_TRUE(emulator_->Plug(sim::DeviceKind::kHeadset, sim::Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Headset()->SoundMissing().empty() && Headset()->SoundIdle(); }, 10000))
        << Headset()->SoundMissing();
    Settle();
    modules = Modules();
    EXPECT_EQ(Ours(modules), 2) << modules;
    EXPECT_NE(modules.find("dozadir.eq.gains=0,0,0,0,0,0,0,0,0,0"), std::string::npos) << modules;
}

TEST_F(HeadsetPageTest, TheCustomEqualiserList) {
    Start();
    Button(QStringLiteral("6533_eq_option_13"))->click();
    Settle();
    ASSERT_TRUE(Control(QStringLiteral("custom_eq_option_layout"))->isEnabled());
    // Three named ones with their own gains.
    for (int k = 0; k < 3; ++k) {
        Release(Slider(QStringLiteral("6533_eq_hz_slider_0")), k + 1);
        SaveAs(QStringLiteral("Eq %1").arg(k));
    }
    ASSERT_EQ(CustomCount(), 3);
    EXPECT_EQ(Control<QComboBox>(QStringLiteral("custom_eq_name_combo"))->currentIndex(), 2);
    EXPECT_TRUE(Control<QLineEdit>(QStringLiteral("custom_eq_name_edit"))->text().isEmpty());
    // The same name in other letters: the box, and nothing added.
    Control<QLineEdit>(QStringLiteral("custom_eq_name_edit"))->setText(QStringLiteral("eq 1"));
    EXPECT_EQ(BoxOf([&] { Button(QStringLiteral("hs_EQ_btn_save"))->click(); }),
              ui::ResourceManager::Instance().Text(QStringLiteral("message_text_5")));
    EXPECT_EQ(CustomCount(), 3);
    // An empty name overwrites the chosen one (2) with the sliders.
    Control<QLineEdit>(QStringLiteral("custom_eq_name_edit"))->clear();
    Release(Slider(QStringLiteral("6533_eq_hz_slider_9")), -6);
    Control<QComboBox>(QStringLiteral("custom_eq_name_combo"))->setCurrentIndex(2);
    Settle();
    Release(Slider(QStringLiteral("6533_eq_hz_slider_9")), -6);
    Button(QStringLiteral("hs_EQ_btn_save"))->click();
    Settle();
    EXPECT_EQ(CustomCount(), 3);
    const Json::Value section = ReadJsonFile(Headset()->ProfileData()->GetProfilePath())["Device"][0];
    EXPECT_EQ(section["CustomEQHzValueInfo"][2][9]["value"].asInt(), -6);
    // Deleting the first of three: the first remaining is chosen and shows its own gains.
    Control<QComboBox>(QStringLiteral("custom_eq_name_combo"))->setCurrentIndex(0);
    Settle();
    Button(QStringLiteral("hs_EQ_btn_delete"))->click();
    Settle();
    ASSERT_EQ(CustomCount(), 2);
    EXPECT_EQ(Control<QComboBox>(QStringLiteral("custom_eq_name_combo"))->currentIndex(), 0);
    EXPECT_EQ(Control<QComboBox>(QStringLiteral("custom_eq_name_combo"))->itemText(0), "Eq 1");
    EXPECT_EQ(Slider(QStringLiteral("6533_eq_hz_slider_0"))->value(), 2)
        << "Eq 1's own gains moved with its name";
    // Deleting the rest: preset 1 with its stored gains, the controls off, an empty list.
    for (int i = 0; i < 2; ++i) {
        Control<QComboBox>(QStringLiteral("custom_eq_name_combo"))->setCurrentIndex(0);
        Settle();
        Button(QStringLiteral("hs_EQ_btn_delete"))->click();
        Settle();
    }
    EXPECT_EQ(CustomCount(), 0);
    EXPECT_TRUE(Button(QStringLiteral("6533_eq_option_1"))->isChecked());
    EXPECT_EQ(Slider(QStringLiteral("6533_eq_hz_slider_0"))->value(), 7);
    EXPECT_FALSE(Control(QStringLiteral("custom_eq_option_layout"))->isEnabled());
    const Json::Value after = ReadJsonFile(Headset()->ProfileData()->GetProfilePath())["Device"][0];
    EXPECT_EQ(after["CustomEQNameInfo"].size(), 0u);
    EXPECT_EQ(after["SystemSetStages"]["EqType"].asInt(), 1);
}

TEST_F(HeadsetPageTest, TwentyCustomEqualisersAreTheMost) {
    Start();
    Button(QStringLiteral("6533_eq_option_13"))->click();
    Settle();
    for (int k = 0; k < 21; ++k) SaveAs(QStringLiteral("n%1").arg(k));
    EXPECT_EQ(CustomCount(), 20);
    EXPECT_EQ(Control<QComboBox>(QStringLiteral("custom_eq_name_combo"))->findText("n20"), -1);
}

TEST_F(HeadsetPageTest, TheVoiceChanger) {
    Start();
    QAbstractButton* sw = Button(QStringLiteral("magic_enable_option"));
    if (!sw->isChecked()) {
        sw->click();
        Settle();
    }
    EXPECT_TRUE(Control(QStringLiteral("magic_option_layout"))->isEnabled());
    Button(QStringLiteral("magic_option_3"))->click();
    Settle();
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(Button(QStringLiteral("magic_option_%1").arg(n))->isChecked(), n == 3) << n;
    EXPECT_EQ(Stages()["MagicType"].asInt(), 3);
    // DOZADIR_SHOT_DIR: a picture of the page on its voice changer tab, to be looked at.
    if (const QString shots = qEnvironmentVariable("DOZADIR_SHOT_DIR"); !shots.isEmpty()) {
        Button(QStringLiteral("magic_Op_tab"))->click();
        Settle();
        EXPECT_TRUE(wnd_->grab().save(shots + QStringLiteral("/headset_voice_changer.png")));
    }
    // Applied in the server: the voice plugin with voice 3 between the microphone and the
    // source programs record.
    std::string modules = Modules();
    EXPECT_NE(modules.find("label=dozadir_voice control=3"), std::string::npos) << modules;
    EXPECT_NE(modules.find("source=hs_mic sink=dozadir_voice_effect"), std::string::npos) << modules;
    sw->click();
    Settle();
    EXPECT_FALSE(Control(QStringLiteral("magic_option_layout"))->isEnabled());
    EXPECT_EQ(Stages()["MagicEnable"].asInt(), 0);
    modules = Modules();
    EXPECT_EQ(modules.find("dozadir_voice"), std::string::npos) << "off: the chain is gone: " << modules;
}

}  // namespace
}  // namespace dz
