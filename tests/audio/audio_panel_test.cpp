// The audio controls of the keyboard page's lighting panel and the audio style window, in
// the real main window (Qt's offscreen platform) on the real skins with the emulated
// keyboard: each action made as a user makes it goes through the routing to the main
// window's audio handlers, which change the keyboard's AudioLightInfo record.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QApplication>
#include <QDBusConnection>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>

#include "app/app_setup.h"
#include "app/main_wnd.h"
#include "models/keyboard_device.h"
#include "panels/light_control_ui.h"
#include "panels/music_wnd.h"
#include "platform/hid/hid_backend.h"
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

using panels::CLightControlUI;
using panels::CMusicWnd;
using test::WaitUntil;

QApplication& App() {
    return test::TestApplication();
}

using test::NoBus;

class AudioPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        ::setenv("DOZADIR_AUDIO_RECORD", "/bin/true", 1);
        app::SetupResources(app::ProgramFolder());
        sim::EmulatorConfig config;
        config.keyboard = true;
        emulator_ = std::make_unique<sim::Emulator>(config);
        emulator_->SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ = std::make_unique<app::CMainWnd>(NoBus(), NoBus());
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(WaitUntil(
            [&] {
                auto* k = qobject_cast<CRezazodaKeyboardDevice*>(Keyboard());
                return k != nullptr && k->TablesRead() && wnd_->CurrentDevicePage() == k;
            },
            10000));
        panel_ = nullptr;
        for (QWidget* w : Keyboard()->findChildren<QWidget*>())
            if (auto* p = qobject_cast<CLightControlUI*>(w)) panel_ = p;
        ASSERT_NE(panel_, nullptr);
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
        ::unsetenv("DOZADIR_DATA_HOME");
        ::unsetenv("DOZADIR_AUDIO_RECORD");
    }
    CRezazodaUSBDevice* Keyboard() {
        const auto& list = wnd_->Devices().DevicesOfKind(kKindKeyboard);
        return list.empty() ? nullptr : list.front();
    }
    template <class W = QWidget>
    W* On(const char* name) {
        W* w = Keyboard()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // The record as the keyboard keeps it.
    CLightControlUI::AudioLight Audio() {
        return CLightControlUI::AudioOfWords(Keyboard()->GetAudioLightInfo());
    }
    void SetAudio(const CLightControlUI::AudioLight& a) {
        const auto w = CLightControlUI::AudioWords(a);
        Keyboard()->SetAudioLightInfo(w[0], w[1], w[2]);
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(edit, &out);
    }
    // Runs `act` on the style window once it is open and modal; clicks
    // "music_setting_btn" and answers when the window has ended.
    void WithStyleWindow(const std::function<void(CMusicWnd&)>& act) {
        QTimer::singleShot(0, [&] {
            ASSERT_TRUE(WaitUntil([&] {
                auto* w = qobject_cast<CMusicWnd*>(wnd_->AudioStyleWindow());
                return w != nullptr && w->IsModalRunning();
            }));
            act(*qobject_cast<CMusicWnd*>(wnd_->AudioStyleWindow()));
        });
        ui::RaiseNotify(On("music_setting_btn"), QStringLiteral("click"));
    }

    test::TempFolder home_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<app::CMainWnd> wnd_;
    CLightControlUI* panel_ = nullptr;
};

TEST_F(AudioPanelTest, ThePageShowsTheProfilesAudioRecordAndAnEditStartsFromIt) {
    CLightControlUI::AudioLight a;
    a.mode = 3;
    a.edit = 1;
    a.foreground = {1, 2, 3};
    a.background = {40, 50, 60};
    SetAudio(a);
    // The panel forgets what it showed; the page shown again takes it from the profile.
    panel_->SetAudioLightInfo(CLightControlUI::AudioLight{});
    Keyboard()->RefreshPage();
    EXPECT_EQ(ui::Text(On("deng_audioedit_R")), QStringLiteral("1"));
    Type(On<QLineEdit>("deng_audioedit_B"), QStringLiteral("9"));
    EXPECT_EQ(Audio().mode, 3);
    EXPECT_EQ(Audio().foreground, (std::array<uint8_t, 3>{1, 2, 9}));
    EXPECT_EQ(Audio().background, (std::array<uint8_t, 3>{40, 50, 60}));
}

TEST_F(AudioPanelTest, TheEditsClampTheirNumberAndClearTheMulticolourOfTheForeground) {
    CLightControlUI::AudioLight a;
    a.multicolour = true;
    a.edit = 1;
    a.foreground = {1, 2, 3};
    a.background = {4, 5, 6};
    SetAudio(a);
    Type(On<QLineEdit>("deng_audioedit_R"), QStringLiteral("300"));
    EXPECT_EQ(Audio().foreground[0], 255);
    EXPECT_FALSE(Audio().multicolour);
    EXPECT_EQ(ui::Text(On("deng_audioedit_R")), QStringLiteral("255"));
    Type(On<QLineEdit>("deng_audioedit_G"), QString());
    EXPECT_EQ(Audio().foreground[1], 0);
    EXPECT_EQ(Audio().background, (std::array<uint8_t, 3>{4, 5, 6}));
    // Saved in the keyboard's profile too.
    const Json::Value section = ReadJsonFile(Keyboard()->ProfileFile())["Device"][0];
    EXPECT_FALSE(section.isNull());
}

TEST_F(AudioPanelTest, PaletteKeepsTheMulticolourSwatchClearsItAndBackgroundOffClearsOnlyTheBackground) {
    CLightControlUI::AudioLight a;
    a.multicolour = true;
    a.edit = 1;
    a.foreground = {1, 2, 3};
    a.background = {4, 5, 6};
    SetAudio(a);
    QWidget* palette = On("deng_audioColor_Pallet");
    ui::SetSelectColor(palette, qRgba(10, 20, 30, 255), true);  // the user picks a colour
    EXPECT_EQ(Audio().foreground, (std::array<uint8_t, 3>{10, 20, 30}));
    EXPECT_TRUE(Audio().multicolour);
    qobject_cast<QAbstractButton*>(On("audiocolor_option_1"))->click();
    EXPECT_EQ(Audio().foreground, (std::array<uint8_t, 3>{255, 128, 0}));
    EXPECT_FALSE(Audio().multicolour);
    qobject_cast<QAbstractButton*>(On("Close_bkColor_btn"))->click();
    EXPECT_EQ(Audio().background, (std::array<uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(Audio().foreground, (std::array<uint8_t, 3>{255, 128, 0}));
}

TEST_F(AudioPanelTest, TheStyleWindowEditsNamesAndColoursAndSavesWhenAccepted) {
    int opened = 0;
    WithStyleWindow([&](CMusicWnd& w) {
        ++opened;
        // A second click while it is open opens nothing.
        ui::RaiseNotify(On("music_setting_btn"), QStringLiteral("click"));
        auto* name2 = w.findChild<QLineEdit*>(QStringLiteral("audio_edit_name2"));
        Type(name2, QString());
        EXPECT_EQ(name2->text(), QStringLiteral("第二组"));
        qobject_cast<QAbstractButton*>(w.FindControl(QStringLiteral("audio_select_tab4")))->click();
        auto* red = w.findChild<QSlider*>(QStringLiteral("audio_r_slider"));
        EXPECT_EQ(red->maximum(), 9);
        EXPECT_EQ(red->value(), 9) << "style 3's red of the shipped file";
        EXPECT_EQ(w.findChild<QSlider*>(QStringLiteral("audio_g_slider"))->value(), 6);
        red->setValue(2);
        qobject_cast<QAbstractButton*>(w.FindControl(QStringLiteral("okbtn")))->click();
    });
    ASSERT_TRUE(WaitUntil([&] { return wnd_->AudioStyleWindow() == nullptr; }));
    EXPECT_EQ(opened, 1);
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) windows += qobject_cast<CMusicWnd*>(w) != nullptr;
    EXPECT_LE(windows, 1);
    const panels::AudioStyleRecord& r = wnd_->Audio().Styles().Current();
    EXPECT_EQ(r.style, 3);
    EXPECT_EQ(r.names[1], "第二组");
    EXPECT_EQ(r.colours[3][0], 2);
    const Json::Value saved = ReadJsonFile(wnd_->Audio().Styles().UserFile());
    EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nStyleR3"].asInt(), 2);
    EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nAudioStyle"].asInt(), 3);
}

TEST_F(AudioPanelTest, WithNoStyleChosenASliderChangesStyleZeroAndClosingSavesNothing) {
    // A style index outside the four, as a file may hold.
    panels::AudioStyleRecord odd = wnd_->Audio().Styles().Current();
    odd.style = 9;
    ASSERT_TRUE(wnd_->Audio().Styles().Save(odd));
    const std::string before = test::ReadText(wnd_->Audio().Styles().UserFile());
    WithStyleWindow([&](CMusicWnd& w) {
        for (int i = 1; i <= 4; ++i)
            EXPECT_FALSE(ui::IsSelected(w.FindControl(QStringLiteral("audio_select_tab%1").arg(i))));
        w.findChild<QSlider*>(QStringLiteral("audio_b_slider"))->setValue(5);
        EXPECT_EQ(w.GetAudioStyleRecord().colours[0][2], 5);
        qobject_cast<QAbstractButton*>(w.FindControl(QStringLiteral("closebtn")))->click();
    });
    ASSERT_TRUE(WaitUntil([&] { return wnd_->AudioStyleWindow() == nullptr; }));
    EXPECT_EQ(test::ReadText(wnd_->Audio().Styles().UserFile()), before);
}

// The direct colour sliders belong to the host colour effect (30), the one effect that shows
// their colour: their group is on the keyboard page only while it is chosen. Moving one
// labels its value and leaves the keyboard's lighting and audio records as they were (the
// colour goes to the capture program, here absent, so nothing is sent).
TEST_F(AudioPanelTest, TheDirectColourSlidersShowWithTheHostColourEffectAndLabelTheirValue) {
    auto* modes = On<QComboBox>("light_combo_modeSelect");
    QWidget* group = On("light_host_colour_layout");
    ASSERT_TRUE(modes != nullptr && group != nullptr);
    for (const int mode : {1, 29, 30, 28, 30}) {
        modes->setCurrentIndex(mode);
        EXPECT_EQ(Keyboard()->GetLightRecord()[0], mode);
        EXPECT_EQ(group->isVisibleTo(panel_), mode == 30) << "mode " << mode;
    }
    const LightRecord light = Keyboard()->GetLightRecord();
    const auto audio = Keyboard()->GetAudioLightInfo();
    EXPECT_FALSE(wnd_->Audio().Link().WindowKnown());
    struct Case {
        const char* slider;
        const char* label;
        int value;
        const char* text;
    };
    for (const Case& c : {Case{"R_light_slider", "R_light_label", 200, "R 200"},
                          Case{"G_light_slider", "G_light_label", 255, "G 255"},
                          Case{"B_light_slider", "B_light_label", 7, "B 7"},
                          Case{"R_light_slider", "R_light_label", 0, "R 0"}}) {
        auto* slider = On<QSlider>(c.slider);
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->maximum(), 255) << c.slider;
        slider->setValue(c.value);
        EXPECT_EQ(On<QLabel>(c.label)->text(), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(Keyboard()->GetLightRecord(), light);
    EXPECT_EQ(Keyboard()->GetAudioLightInfo(), audio);
}

// With DOZADIR_SHOT_DIR set: pictures of the style window and of the keyboard page on its
// audio effect, in both languages, to look at.
TEST_F(AudioPanelTest, Pictures) {
    const QString shots = qEnvironmentVariable("DOZADIR_SHOT_DIR");
    if (shots.isEmpty()) GTEST_SKIP() << "DOZADIR_SHOT_DIR not set";
    for (const char* lang : {"lan_en", "lan_cn"}) {
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QString::fromLatin1(lang)));
        ui::ResourceManager::Instance().ReloadText();
        LightRecord r = Keyboard()->GetLightRecord();
        r[0] = 29;
        Keyboard()->SetLightRecord(r);
        Keyboard()->Lighting()->ShowLightRecord(r);
        QCoreApplication::processEvents();
        wnd_->grab().save(QStringLiteral("%1/keyboard_audio_%2.png").arg(shots, QLatin1String(lang)));
        r[0] = 30;
        Keyboard()->SetLightRecord(r);
        Keyboard()->Lighting()->ShowLightRecord(r);
        On<QSlider>("R_light_slider")->setValue(255);
        On<QSlider>("G_light_slider")->setValue(128);
        On<QSlider>("B_light_slider")->setValue(16);
        QCoreApplication::processEvents();
        wnd_->grab().save(
            QStringLiteral("%1/keyboard_host_colour_%2.png").arg(shots, QLatin1String(lang)));
        WithStyleWindow([&](CMusicWnd& w) {
            QCoreApplication::processEvents();
            w.grab().save(QStringLiteral("%1/music_wnd_%2.png").arg(shots, QLatin1String(lang)));
            w.Close(0);
        });
        ASSERT_TRUE(WaitUntil([&] { return wnd_->AudioStyleWindow() == nullptr; }));
    }
}

}  // namespace
}  // namespace dz
