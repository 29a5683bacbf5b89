#pragma once
// The keyboard's device object on its real page skin, offscreen, as the main window builds
// it (tables' values, then BindPage), with the emulator behind its channel, the user data
// folder in a temporary folder and stand-ins for the panels that do not exist yet: they
// take what the device object hands them through its faces, so tests see it.

#include <gtest/gtest.h>

#include <QApplication>
#include <functional>
#include <string>
#include <vector>

#include "device/command_path.h"
#include "device/device_page.h"
#include "device/device_table.h"
#include "device/emulated_device.h"
#include "models/keyboard_device.h"
#include "models/model_device.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "support/temp_folder.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"
#include "ui/resource_map.h"
#include "ui/widgets/register_widgets.h"
#include "ui/window_base.h"
#include "support/qt_app.h"

namespace dz::test {

struct StandInLighting : QWidget, LightingPanel {
    using QWidget::QWidget;
    void AttachDevice(int type) override { device_type = type; }
    void SetEffectList(const std::vector<std::string>& n, const std::vector<bool>& v) override {
        names = n;
        visible = v;
    }
    void SetAreaList(const std::vector<std::string>& n) override { areas = n; }
    void SetCustomEffectList(const std::vector<std::string>& n) override { custom = n; }
    void ShowLightRecord(const LightRecord& r) override { shown = r; }
    [[nodiscard]] int SelectedCustomGroup() const override { return group; }
    void ShowCustomGroup(int g) override { shown_group = g; }
    int shown_group = -1;
    int device_type = -1;
    std::vector<std::string> names;
    std::vector<bool> visible;
    std::vector<std::string> areas;
    std::vector<std::string> custom;
    LightRecord shown{};
    int group = -1;
};

struct StandInKeys : QWidget, KeyAssignmentPanel {
    using QWidget::QWidget;
    void AttachDevice(int type) override { device_type = type; }
    void SetMacroNames(const std::vector<std::string>& n) override { macros = n; }
    void ShowKey(int k, int32_t c, int32_t d) override {
        key = k;
        current = c;
        default_code = d;
    }
    int device_type = -1;
    std::vector<std::string> macros;
    int key = -1;
    int32_t current = 0, default_code = 0;
};

struct StandInMacros : QWidget, MacroEditor {
    using QWidget::QWidget;
    void AttachFolder(const std::filesystem::path& f) override { folder = f; }
    std::filesystem::path folder;
};

// The profile bar's part the device object uses: the selected profile.
struct StandInProfileBar : QWidget, ProfileBar {
    using QWidget::QWidget;
    [[nodiscard]] std::string GetCurrentUUID() const override { return uuid; }
    std::string uuid = "u0";
};

struct StandInPower : QWidget, PowerDisplay {
    using QWidget::QWidget;
    void ShowLayout(bool) override {}
    void SetPowerStatus(const std::uint8_t* bytes, std::size_t length) override {
        record.assign(bytes, bytes + length);
    }
    std::vector<uint8_t> record;
};

class PageWindow : public ui::WindowBase {
  public:
    PageWindow() : ui::WindowBase(QStringLiteral("NO_SKIN"), QStringLiteral("TEST_WND")) {}
    std::vector<std::pair<unsigned, qintptr>> messages;
    // Builds the named page classes itself before the stand-ins are asked (a test of the
    // real panels builds their skins here).
    std::function<QWidget*(const QString& cls, QWidget* parent)> create;

  protected:
    QWidget* CreateControl(const QString& cls, QWidget* parent) override {
        if (create)
            if (QWidget* w = create(cls, parent)) return w;
        if (cls == QLatin1String("RezazodaKeyboardDevice"))
            return ui::ControlFactory::Instance().CreateControl(
                QStringLiteral("CRezazodaKeyboardDevice"), parent);
        if (cls == QLatin1String("LightSetControlUI")) return new StandInLighting(parent);
        if (cls == QLatin1String("KeySetControlUI")) return new StandInKeys(parent);
        if (cls == QLatin1String("MacroSetControlUI")) return new StandInMacros(parent);
        if (cls == QLatin1String("DeviceProfileUI")) return new StandInProfileBar(parent);
        return nullptr;
    }
    qintptr HandleMessage(unsigned msg, qintptr w, qintptr, bool& handled) override {
        messages.emplace_back(msg, w);
        handled = true;
        return 0;
    }
};

// The data of the host's packets of `command`, joined in order.
inline std::vector<uint8_t> DataOfWrites(const std::vector<sim::TrafficEntry>& sent,
                                         uint8_t command) {
    std::vector<uint8_t> data;
    for (const auto& e : sent) {
        if (e.bytes[3] != command) continue;
        data.insert(data.end(), e.bytes.begin() + 8, e.bytes.begin() + 8 + e.bytes[4]);
    }
    return data;
}

inline QApplication& App() {
    static QApplication* app = [] {
        QApplication* a = &test::TestApplication();
        (void)ui::ResourceMap::Instance().Load(QStringLiteral(DZ_DATA_DIR "/skin"));
        ui::ResourceManager::Instance().SetLanguageDir(QStringLiteral(DZ_DATA_DIR "/lang"));
        (void)ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en.lang"));
        ui::RegisterCustomWidgets();
        RegisterDeviceControls();
        return a;
    }();
    return *app;
}

class KeyboardPageTest : public EmulatedDeviceTest {
  protected:
    void SetUp() override {
        qputenv("DOZADIR_DATA_HOME", data_.path().c_str());
        qputenv("DOZADIR_PROGRAM_DATA", DZ_DATA_DIR);
        App();
        EmulatedDeviceTest::SetUp();
        // One profile, "u0", made from the default data as the profile list makes it.
        WriteProfileList(Folder(), {"profile1"}, ReadJsonFile(paths::DefaultDataFile("keyboard")));
        window_ = std::make_unique<PageWindow>();
        ConfigureWindow(*window_);
        window_->resize(900, 600);
        // As the main window builds the page: the skin, then the tables' values, then binding.
        auto* holder = new QWidget(window_.get());
        keyboard_ = qobject_cast<CRezazodaKeyboardDevice*>(
            window_->BuildSubtree(QStringLiteral("XML\\DeviceXml\\keyboarddevice.xml"), holder));
        ASSERT_NE(keyboard_, nullptr);
        const DevicePageRecord& page = kDevicePages[1];
        keyboard_->SetKindIndex(1);
        keyboard_->SetKindCode(0);
        keyboard_->SetKindName(QStringLiteral("keyboard"));
        keyboard_->SetKeyCount(page.key_count);
        keyboard_->SetLightCount(page.light_count);
        keyboard_->SetPowerFlag(page.power_flag != 0);
        keyboard_->SetPageSkin(QStringLiteral("XML\\DeviceXml\\keyboarddevice.xml"));
        keyboard_->SetLightFilePrefix(QStringLiteral("rodav_light"));
        keyboard_->SetInterfaceRecord(SupportedDeviceRow(0));
        keyboard_->BindPage();
        power_ = new StandInPower(window_.get());
        keyboard_->BindSelector(nullptr, power_);
        window_->show();
        emu_.Traffic().Clear();
    }
    void TearDown() override {
        window_.reset();
        EmulatedDeviceTest::TearDown();
    }

    // Before the page is built.
    virtual void ConfigureWindow(PageWindow& /*window*/) {}
    // Opens the channel on the keyboard's cable or receiver and runs the first read.
    void Connect(sim::Link link = sim::Link::kCable) {
        ASSERT_TRUE(emu_.Plug(sim::DeviceKind::kKeyboard, link));
        ASSERT_EQ(
            OpenCommandPath(keyboard_->Channel(), CommandPath(sim::DeviceKind::kKeyboard, link),
                            link == sim::Link::kReceiver),
            1);
        keyboard_->FirstSync();
        Settle();
        ASSERT_TRUE(keyboard_->TablesRead());
        emu_.Traffic().Clear();
    }
    // The worker's tasks done and their answers taken on this thread.
    void Settle() {
        for (int i = 0; i < 3; ++i) {
            keyboard_->Worker().WaitIdle();
            QCoreApplication::processEvents();
        }
    }

    sim::FirmwareModel& Model() { return emu_.Model(sim::DeviceKind::kKeyboard); }
    std::filesystem::path Folder() const { return data_.path() / "Dozadir Keyboard" / "keyboard"; }
    std::filesystem::path ProfileFile() const { return Folder() / "u0.Json"; }
    Json::Value Section() const { return ReadJsonFile(ProfileFile())["Device"][0]; }
    template <class T>
    T* Find(const char* name) const {
        return keyboard_->findChild<T*>(QString::fromLatin1(name));
    }
    template <class T>
    T* Panel() const {
        for (QWidget* w : keyboard_->findChildren<QWidget*>())
            if (auto* p = dynamic_cast<T*>(w)) return p;
        return nullptr;
    }

    TempFolder data_;
    std::unique_ptr<PageWindow> window_;
    CRezazodaKeyboardDevice* keyboard_ = nullptr;
    StandInPower* power_ = nullptr;
};

}  // namespace dz::test
