// The mouse's device object on a page built in code, offscreen, with the emulator behind its
// channel: the opening read and what the page shows of it, the re-read, the notifications,
// and every write byte for byte in the emulator's traffic, with the profile's macros.
#include "models/mouse_device.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <fstream>

#include "device/colour_request.h"
#include "device/command_path.h"
#include "device/emulated_device.h"
#include "macro/macro_event.h"
#include "models/mouse_lighting.h"
#include "models/mouse_shoot.h"
#include "platform/paths/paths.h"
#include "profile/device_profiledata.h"
#include "profile/json_file.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/widgets/device_key_button.h"
#include "ui/widgets/select_panel.h"
#include "ui/window_base.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::FaultKind;
using sim::Link;
namespace fs = std::filesystem;

QApplication& App() {
    static int argc = 1;
    static char name[] = "mouse_device_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class PageWindow : public ui::WindowBase {
  public:
    PageWindow() : ui::WindowBase(QStringLiteral("NO_SKIN"), QStringLiteral("TEST_WND")) {}
};

class FakePower : public QWidget, public PowerDisplay {
  public:
    using QWidget::QWidget;
    void ShowLayout(bool) override {}
    void SetPowerStatus(const std::uint8_t* bytes, std::size_t length) override {
        status.assign(bytes, bytes + length);
    }
    std::vector<uint8_t> status;
};

constexpr int kMouseRow = 4;  // the mouse's command row of the supported-device table
constexpr const char* kProfile = "2024_01_01_00_00_00_000";

struct Pkt {
    uint8_t command;
    uint8_t length;
    uint16_t offset;
    friend bool operator==(const Pkt&, const Pkt&) = default;
};
std::ostream& operator<<(std::ostream& o, const Pkt& p) {
    return o << "{0x" << std::hex << int(p.command) << std::dec << ", " << int(p.length) << " @"
             << p.offset << "}";
}

class MouseDeviceTest : public test::EmulatedDeviceTest {
  protected:
    void SetUp() override {
        App();
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        EmulatedDeviceTest::SetUp();
        window_ = std::make_unique<PageWindow>();
        window_->resize(900, 700);
    }
    void TearDown() override {
        window_.reset();
        EmulatedDeviceTest::TearDown();
        ::unsetenv("DOZADIR_DATA_HOME");
    }

    // The mouse page: its picture, preview, DPI rows, report-rate options and key list.
    CRezazodaMouseDevice* MakeMouse() {
        auto* d = new CRezazodaMouseDevice(window_.get());
        d->setObjectName(QStringLiteral("mousedevice"));
        auto* pic = new ui::SelectPanel(d);
        pic->setObjectName(QStringLiteral("SelectPanel"));
        for (int i = 0; i < kMouseButtons; ++i) Button(pic, QStringLiteral("key_%1").arg(i), {});
        for (int i = 0; i < kMouseLeds; ++i)
            Button(pic, QStringLiteral("light_%1").arg(i), QStringLiteral("light_%1").arg(i));
        auto* preview = new ui::SelectPanel(d);
        preview->setObjectName(QStringLiteral("mouse_light_preview"));
        for (int i = 0; i < kMouseLeds; ++i)
            Button(preview, QStringLiteral("light_0_%1").arg(i), {});
        for (int n = 0; n < kDpiRows; ++n) {
            auto* check = new QCheckBox(d);
            check->setObjectName(QStringLiteral("DPI_enable_check_%1").arg(n));
            auto* row = new QWidget(d);
            row->setObjectName(QStringLiteral("DPI_layout_%1").arg(n));
            auto* select = new QRadioButton(row);
            select->setAutoExclusive(false);
            select->setObjectName(QStringLiteral("DPI_select_check_%1").arg(n));
            auto* slider = new QSlider(Qt::Horizontal, row);
            slider->setObjectName(QStringLiteral("DPI_slider_%1").arg(n));
            auto* edit = new QLineEdit(row);
            edit->setObjectName(QStringLiteral("DPI_edit_%1").arg(n));
            (new QWidget(row))->setObjectName(QStringLiteral("DPI_color_option_%1").arg(n));
        }
        for (int n = 0; n < kReportRateOptions; ++n) {
            auto* option = new QRadioButton(d);
            option->setAutoExclusive(false);
            option->setObjectName(QStringLiteral("polling_rate_option_%1").arg(n));
        }
        (new QListWidget(d))->setObjectName(QStringLiteral("device_setkeyinfo_list"));
        (new QWidget(d))->setObjectName(QStringLiteral("device_tishi_info"));
        for (const char* name :
             {"pointer_speed_slider", "scroll_speed_slider", "double_click_slider"})
            (new QSlider(Qt::Horizontal, d))->setObjectName(QString::fromLatin1(name));
        for (const char* name : {"pointer_precision_check", "scrolls_page_check"})
            (new QCheckBox(d))->setObjectName(QString::fromLatin1(name));
        for (int n = 0; n < 2; ++n) {
            auto* slider = new QSlider(Qt::Horizontal, d);
            slider->setObjectName(QStringLiteral("rodav_DPI_slider_%1").arg(n));
            slider->setRange(0, 10000);
            (new QLineEdit(d))->setObjectName(QStringLiteral("rodav_DPI_edit_%1").arg(n));
        }
        for (auto [name, pages] :
             {std::pair{"device_function_switch", 4}, std::pair{"device_key_function_switch", 3}}) {
            auto* stack = new QStackedWidget(d);
            stack->setObjectName(QString::fromLatin1(name));
            for (int i = 0; i < pages; ++i) stack->addWidget(new QWidget(stack));
        }
        d->SetKindIndex(0);
        d->SetKindCode(1);
        d->SetKindName(QStringLiteral("mouse"));
        d->SetLightFilePrefix(QStringLiteral("rodav_light"));
        d->SetKeyCount(kMouseButtons);
        d->SetLightCount(kMouseLeds);
        d->SetPageSkin(QStringLiteral("XML\\DeviceXml\\mousedevice.xml"));
        d->SetInterfaceRecord(SupportedDeviceRow(kMouseRow));
        d->BindPage();
        d->SetProfileName(QString::fromLatin1(kProfile));
        power_ = new FakePower(d);
        d->BindSelector(nullptr, power_);
        window_->show();
        return d;
    }
    static ui::DeviceKeyButton* Button(QWidget* panel, const QString& name, const QString& data) {
        auto* b = new ui::DeviceKeyButton(panel);
        b->setObjectName(name);
        if (!data.isEmpty()) ui::SetUserData(b, data);
        return b;
    }
    template <class W>
    W* Control(CRezazodaMouseDevice* d, const QString& name) {
        return d->findChild<W*>(name);
    }
    void Open(CRezazodaMouseDevice* d, Link link) {
        ASSERT_TRUE(emu_.Plug(DeviceKind::kMouse, link));
        ASSERT_EQ(OpenCommandPath(d->Channel(), CommandPath(DeviceKind::kMouse, link),
                                  link == Link::kReceiver),
                  1);
    }
    // FirstSync, and what it started, done.
    void Sync(CRezazodaMouseDevice* d) {
        const int before = d->SyncsDone();
        d->FirstSync();
        ASSERT_TRUE(test::WaitUntil([&] { return d->SyncsDone() > before; }, 15000));
    }
    void Settle(CRezazodaMouseDevice* d) {
        d->Worker().WaitIdle();
        QCoreApplication::processEvents();
    }
    // The commands sent, without the light frames: those follow the lighting thread's
    // steps on their own stream, between any two commands.
    std::vector<Pkt> Packets(Link link = Link::kCable) const {
        std::vector<Pkt> out;
        for (const auto& e : Sent(Node(DeviceKind::kMouse, link)))
            if (e.bytes[3] != CMD_LIGHT_FRAME)
                out.push_back({e.bytes[3], e.bytes[4], uint16_t(e.bytes[5] | (e.bytes[6] << 8))});
        return out;
    }
    // The data bytes of every packet of `command`, in order.
    std::vector<uint8_t> DataOf(uint8_t command, Link link = Link::kCable) const {
        std::vector<uint8_t> out;
        for (const auto& e : Sent(Node(DeviceKind::kMouse, link)))
            if (e.bytes[3] == command)
                out.insert(out.end(), e.bytes.begin() + 8, e.bytes.begin() + 8 + e.bytes[4]);
        return out;
    }
    fs::path Folder() const { return paths::KindDataFolder("mouse"); }
    fs::path ProfilePath() const { return Folder() / (std::string(kProfile) + ".Json"); }
    std::string ProfileText() const {
        std::ifstream f(ProfilePath());
        return {std::istreambuf_iterator<char>(f), {}};
    }
    // "macro.config" with `events` events in each macro file.
    void WriteMacros(const std::vector<size_t>& events) {
        (void)paths::EnsureFolder(Folder());
        Json::Value list(Json::objectValue);
        for (size_t i = 0; i < events.size(); ++i) {
            const std::string guid = "macro" + std::to_string(i);
            Json::Value e;
            e["MacroName"] = "m" + std::to_string(i);
            e["Guid"] = guid;
            list["MacroInfo"].append(e);
            std::vector<MacroEvent> ev;
            for (size_t k = 0; k < events[i]; ++k)
                ev.push_back({10, static_cast<int>(k % 200), k % 2 == 0 ? "down" : "up", "5"});
            ASSERT_TRUE(SaveEvents(Folder() / (guid + ".mac"), "m", guid, ev));
        }
        ASSERT_TRUE(TryWriteJsonFile(Folder() / "macro.config", list));
    }
    CMouseProfiledata* Profile(CRezazodaMouseDevice* d) {
        return dynamic_cast<CMouseProfiledata*>(d->ProfileData());
    }
    // Binds button `button` of the loaded profile to `code` and keeps it in the file.
    void Bind(CRezazodaMouseDevice* d, int button, KeyFunctionCode code) {
        std::vector<KeyAssignmentEntry> keys = d->Keys();
        keys[static_cast<size_t>(button)].current = code;
        d->ProfileData()->SetKeyList(keys);
        d->SaveProfile();
        ASSERT_EQ(d->LoadProfile(), 1u);
    }

    test::TempFolder home_;
    std::unique_ptr<PageWindow> window_;
    FakePower* power_ = nullptr;
};

// ---- Opening ---------------------------------------------------------------------------

TEST_F(MouseDeviceTest, TheOpeningReadsTheTablesAndShowsTheProfile) {
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    emu_.Traffic().Clear();
    Sync(d);
    EXPECT_EQ(Packets(),
              (std::vector<Pkt>{{0x01, 0, 0}, {0x03, 34, 0}, {0x07, 48, 0}, {0x02, 0, 0}}));
    EXPECT_EQ(d->Slots(), (ButtonSlotMap{0, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(d->Scale(), (DpiScale{0x3389, 50, 319, 100}));
    EXPECT_TRUE(d->LightingThreadRunning());
    auto* slider = Control<QSlider>(d, "DPI_slider_1");
    EXPECT_EQ(slider->maximum(), 319);
    EXPECT_EQ(ui::MaxValue(Control<QLineEdit>(d, "DPI_edit_1")), 16050)
        << "the top position's figure";
    // The default profile: stage 1 at position 14 is current, report rate 3.
    EXPECT_EQ(slider->value(), 14);
    EXPECT_EQ(Control<QLineEdit>(d, "DPI_edit_1")->text(), "800");
    EXPECT_TRUE(Control<QRadioButton>(d, "DPI_select_check_1")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(d, "DPI_enable_check_1")->isEnabled());
    EXPECT_TRUE(Control<QRadioButton>(d, "polling_rate_option_3")->isChecked());
    EXPECT_EQ(Control<QListWidget>(d, "device_setkeyinfo_list")->count(), kMouseButtons);
    EXPECT_TRUE(fs::exists(ProfilePath())) << "the profile file was made from the defaults";
}

TEST_F(MouseDeviceTest, ThroughAReceiverThatLostTheMouseOnlyTheLinkIsAsked) {
    auto* d = MakeMouse();
    Open(d, Link::kReceiver);
    emu_.SetLinked(DeviceKind::kMouse, false);
    emu_.Traffic().Clear();
    Sync(d);
    EXPECT_EQ(Packets(Link::kReceiver), (std::vector<Pkt>{{0xAA, 0, 0}}));
    EXPECT_EQ(d->Slots(), NoButtonSlots());
    EXPECT_FALSE(d->LightingThreadRunning());
    EXPECT_EQ(Control<QSlider>(d, "DPI_slider_2")->value(), 30) << "the page shows the profile";
}

TEST_F(MouseDeviceTest, InformationBlocksThatGiveNoScaleKeepOneThePageCanShow) {
    struct Case {
        uint8_t step;
        uint16_t highest;
        DpiScale kept;
    };
    for (const Case& c : std::vector<Case>{{0, 319, kFallbackDpiScale},
                                           {50, 0, kFallbackDpiScale},
                                           {50, 65535, DpiScale{0x3389, 50, 65535, 100}}}) {
        SCOPED_TRACE(std::to_string(c.step) + " / " + std::to_string(c.highest));
        auto* d = MakeMouse();
        auto info = emu_.Model(DeviceKind::kMouse).InfoBlock();
        info[kMouseInfoDpiStep] = c.step;
        info[kMouseInfoHighest] = static_cast<uint8_t>(c.highest & 0xFF);
        info[kMouseInfoHighest + 1] = static_cast<uint8_t>(c.highest >> 8);
        emu_.Model(DeviceKind::kMouse).SetInfoBlock(info);
        Open(d, Link::kCable);
        Sync(d);
        EXPECT_EQ(d->Scale(), c.kept);
        EXPECT_EQ(Control<QSlider>(d, "DPI_slider_4")->maximum(), c.kept.highest);
        EXPECT_EQ(Control<QLineEdit>(d, "DPI_edit_4")->text(), QString::number(c.kept.Figure(126)));
        EXPECT_EQ(Control<QSlider>(d, "DPI_slider_4")->value(), 126) << "no stage was cut";
        delete d;
    }
}

// ---- Re-reading and notifications ----------------------------------------------------------

TEST_F(MouseDeviceTest, AReReadTakesTheLightingAndStageOfTheMousesProfile) {
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    auto& model = emu_.Model(DeviceKind::kMouse);
    ASSERT_TRUE(model.SetCurrentProfile(3));
    const std::vector<uint8_t> light{5, 2, 1, 0, 0, 10, 20, 30};  // mode code 5, 4 - speed 1
    ASSERT_TRUE(model.WriteSettingsBytes(3 * 128 + 1, light));
    const uint8_t stage = 4;
    ASSERT_TRUE(model.WriteSettingsBytes(3 * 128 + 12, std::span(&stage, 1)));
    const uint8_t direction_before = d->ProfileData()->CurrentLightInfo().direction;
    emu_.Traffic().Clear();
    d->Resync();
    ASSERT_TRUE(test::WaitUntil([&] { return d->ResyncsDone() == 1; }, 5000));
    EXPECT_EQ(Packets(), (std::vector<Pkt>{{0x05, 1, 0}, {0x05, 56, 384}, {0x05, 15, 440}}));
    EXPECT_EQ(d->ReportedProfile(), 3);
    const LightInfoRecord l = d->ProfileData()->CurrentLightInfo();
    EXPECT_EQ(l.mode, 5);
    EXPECT_EQ(l.brightness, 2);
    EXPECT_EQ(l.speed, 3);
    EXPECT_EQ(l.direction, direction_before) << "the page carries no direction";
    EXPECT_EQ((std::array{l.red, l.green, l.blue}), (std::array<uint8_t, 3>{10, 20, 30}));
    EXPECT_EQ(d->Stages().current, 4);
    EXPECT_TRUE(Control<QRadioButton>(d, "DPI_select_check_4")->isChecked());
    const Json::Value saved = ReadJsonFile(ProfilePath());
    EXPECT_EQ(saved["Device"][0]["DPIStages"]["StageActive"].asInt(), 4) << "saved";
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["SelectItem"].asInt(), 5);
}

TEST_F(MouseDeviceTest, AReReadThatFailsLeavesTheProfileAsItWas) {
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    ASSERT_TRUE(emu_.Model(DeviceKind::kMouse).SetCurrentProfile(2));
    // The profile as a re-read that works leaves it (the switch's page adopted, a profile
    // list change of an earlier test taken up), before the ones that fail.
    const int clean = d->ResyncsDone();
    d->Resync();
    ASSERT_TRUE(test::WaitUntil([&] { return d->ResyncsDone() > clean; }, 5000));
    Settle(d);
    const std::string before = ProfileText();
    for (int k = 1; k <= 3; ++k) {
        for (FaultKind fault :
             {FaultKind::kStatusFF, FaultKind::kStatusFE, FaultKind::kDisconnect}) {
            SCOPED_TRACE(std::string(sim::FaultName(fault)) + " at packet " + std::to_string(k));
            ASSERT_TRUE(emu_.ArmFault(DeviceKind::kMouse, fault, k));
            const int done = d->ResyncsDone();
            d->Resync();
            ASSERT_TRUE(test::WaitUntil([&] { return d->ResyncsDone() > done; }, 5000));
            EXPECT_EQ(ProfileText(), before);
            EXPECT_EQ(d->Stages().current, 1);
            emu_.ClearFaults(DeviceKind::kMouse);
            if (fault == FaultKind::kDisconnect) {
                CloseCommandPaths(d->Channel());
                Open(d, Link::kCable);
            }
        }
    }
}

TEST_F(MouseDeviceTest, NotificationsOfTheMousesProfileAndStage) {
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    d->OpenListener(0, NotifyPath(DeviceKind::kMouse));
    ASSERT_TRUE(d->ListenerOpen(0));
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kMouse, 0x1123));
    ASSERT_TRUE(test::WaitUntil([&] { return d->ReportedProfile() == 3; }, 3000));
    EXPECT_EQ(d->Stages().current, 2);
    EXPECT_TRUE(Control<QRadioButton>(d, "DPI_select_check_2")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(d, "DPI_select_check_1")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(d, "DPI_enable_check_2")->isEnabled());

    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kMouse, 0x1004));
    ASSERT_TRUE(test::WaitUntil([&] { return d->ReportedProfile() == 4; }, 3000));
    EXPECT_EQ(d->Stages().current, 2) << "0x10 carries no stage";

    // With the channel closed the mouse's profile changes go unheard. Notifications are
    // handled in order: once the profile-list mark of the one after it is seen, the one in
    // between has been passed by.
    CloseCommandPaths(d->Channel());
    ProfileListChangedFlag().store(false);
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kMouse, 0x1131));
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kMouse, kUsageProfileListChanged));
    ASSERT_TRUE(test::WaitUntil([&] { return ProfileListChangedFlag().load(); }, 3000));
    ProfileListChangedFlag().store(false);
    EXPECT_EQ(d->ReportedProfile(), 4);
    EXPECT_EQ(d->Stages().current, 2);
    d->StopListener(0);
}

TEST_F(MouseDeviceTest, APressOverTheCableRestartsTheReactivePreview) {
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    LightInfoRecord l = d->ProfileData()->CurrentLightInfo();
    l.mode = kMouseReactive;
    l.brightness = 5;
    l.multicolor = 0;
    d->ProfileData()->WriteLightInfo(l);
    (void)d->ApplyLighting();
    d->OpenListener(0, NotifyPath(DeviceKind::kMouse));
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kMouse, 0x0403));
    EXPECT_TRUE(test::WaitUntil([&] { return d->Leds().Get(7).alpha > 200; }, 3000))
        << "every LED from full";
    EXPECT_TRUE(test::WaitUntil([&] { return d->Leds().Get(7).alpha == 0; }, 5000))
        << "and fading out again";
    d->StopListener(0);
}

// ---- Writes ------------------------------------------------------------------------------

TEST_F(MouseDeviceTest, ASettingsPageWithoutStagesAndWithAUserLightEffect) {
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    Json::Value root = d->ProfileData()->ProfileRoot();
    root["DPIStages"]["StageDPIs"] = Json::Value(Json::arrayValue);
    Json::Value file = ReadJsonFile(ProfilePath());
    file["Device"][0] = root;
    ASSERT_TRUE(TryWriteJsonFile(ProfilePath(), file));
    ASSERT_EQ(d->LoadProfile(), 1u);
    EXPECT_TRUE(d->Stages().stages.empty()) << "the stages of the profile read before are not kept";
    LightInfoRecord l = d->ProfileData()->CurrentLightInfo();
    l.mode = 10;  // a user light effect
    d->ProfileData()->WriteLightInfo(l);
    emu_.Traffic().Clear();
    ASSERT_EQ(d->WriteSystemSettings(0, 0, 1, 2560, 1440), 1u);
    Settle(d);
    EXPECT_EQ(Packets(),
              (std::vector<Pkt>{{0x01, 0, 0}, {0x06, 56, 0}, {0x06, 10, 56}, {0x02, 0, 0}}));
    const std::vector<uint8_t> page = DataOf(0x06);
    ASSERT_EQ(page.size(), 66u);
    EXPECT_EQ(page[1], 0) << "mode 10 goes as standard mode 0's code";
    for (size_t i = 14; i < 59; ++i) ASSERT_EQ(page[i], 0) << "stage byte " << i;
    EXPECT_EQ(page[59], 1);
    EXPECT_EQ(page[60] | page[61] << 8, 2560);
    EXPECT_EQ(page[62] | page[63] << 8, 1440);
    EXPECT_EQ(page[64], 0) << "the default profile selects the correction that is off";
    EXPECT_TRUE(d->LastSettingsWrite().Ok());
}

TEST_F(MouseDeviceTest, TheButtonMapRenumbersMacrosAndLeavesAbsentButtonsOut) {
    WriteMacros({2, 3, 4, 5, 6});                                                   // five macros
    ASSERT_TRUE(emu_.Model(DeviceKind::kMouse).SetKeySlot(9, {0x20, 0x00, 0x04}));  // no button 9
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    ASSERT_EQ(d->Slots()[9], kNoButtonSlot);
    Bind(d, 3, {0x70, 3, 1});  // forward: macro 3
    Bind(d, 4, {0x71, 3, 9});  // back: macro 3 again, repeated
    Bind(d, 9, {0x70, 1, 0});  // the absent button: neither written nor collected
    Bind(d, 6, {0x70, 5, 0});  // macro 5 of 5: its default goes out
    Bind(d, 7, {0x70, 0, 2});
    EXPECT_EQ(d->GetMacroList(), (std::vector<int>{3, 0}));
    emu_.Traffic().Clear();
    ASSERT_EQ(d->WriteCurrentKeyMap(0), 1u);
    Settle(d);
    EXPECT_EQ(Packets(),
              (std::vector<Pkt>{{0x03, 34, 0}, {0x01, 0, 0}, {0x09, 48, 0}, {0x02, 0, 0}}));
    const std::vector<uint8_t> map = DataOf(0x09);
    ASSERT_EQ(map.size(), 48u);
    auto slot = [&](int s) {
        return std::vector<uint8_t>(map.begin() + 3 * s, map.begin() + 3 * s + 3);
    };
    EXPECT_EQ(slot(4), (std::vector<uint8_t>{0x70, 0, 1})) << "forward sits in slot 4";
    EXPECT_EQ(slot(3), (std::vector<uint8_t>{0x71, 0, 9})) << "one macro, one number";
    EXPECT_EQ(slot(6), (std::vector<uint8_t>{0x13, 0x02, 0x00})) << "the default of button 6";
    EXPECT_EQ(slot(7), (std::vector<uint8_t>{0x70, 1, 2}));
    EXPECT_EQ(slot(9), (std::vector<uint8_t>{0x20, 0x00, 0x04})) << "the slot keeps what it had";
    EXPECT_EQ(d->Keys()[3].current, (KeyFunctionCode{0x70, 3, 1})) << "the profile keeps 3";
    EXPECT_EQ(emu_.Model(DeviceKind::kMouse).KeySlot(3), (sim::KeyCode{0x71, 0, 9}));
}

TEST_F(MouseDeviceTest, AButtonMapForAnotherProfileIsRefusedBetweenBeginAndEnd) {
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    emu_.Traffic().Clear();
    EXPECT_EQ(d->WriteCurrentKeyMap(1), 1u);
    ASSERT_TRUE(test::WaitUntil([&] { return d->KeyMapWritesDone() == 1; }, 5000));
    EXPECT_EQ(Packets(), (std::vector<Pkt>{{0x03, 34, 0}, {0x01, 0, 0}, {0x02, 0, 0}}));
    EXPECT_EQ(d->LastKeyMapWrite().result, kCmdBadPage);
}

TEST_F(MouseDeviceTest, MacrosUpToTheMemoryAreWrittenAndBeyondItTheShortageIsAnswered) {
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    // 2048 bytes of macro memory; an image is 16 + 6 per macro + 4 per event.
    struct Case {
        std::vector<size_t> events;
        int answer;
    };
    for (const Case& c : std::vector<Case>{{{250, 255}, 0},  // 2048: exactly full
                                           {{507}, 1},       // 2050: 2 bytes over
                                           {{250, 256}, 2},  // 2052: 4 bytes over
                                           {{}, 0}}) {       // no macro in use
        SCOPED_TRACE(c.events.size());
        WriteMacros(c.events.empty() ? std::vector<size_t>{3} : c.events);
        std::vector<int> list;
        for (size_t i = 0; i < c.events.size(); ++i) list.push_back(static_cast<int>(i));
        const auto memory_before = emu_.Model(DeviceKind::kMouse).MacroMemory();
        emu_.Traffic().Clear();
        std::optional<int> answer;
        d->WriteMacros(list, [&](int a) { answer = a; });
        ASSERT_TRUE(test::WaitUntil([&] { return answer.has_value(); }, 5000));
        EXPECT_EQ(*answer, c.answer);
        const size_t writes = CountCommand(Sent(), 0x15);
        if (c.answer == 0 && !c.events.empty()) {
            EXPECT_EQ(writes, (2048u + 55) / 56);
            const auto memory = emu_.Model(DeviceKind::kMouse).MacroMemory();
            EXPECT_EQ(memory[0] | memory[1] << 8, 0x55AA);
            EXPECT_EQ(memory[2] | memory[3] << 8, 2048);
        } else {
            EXPECT_EQ(writes, 0u);
            EXPECT_EQ(emu_.Model(DeviceKind::kMouse).MacroMemory(), memory_before)
                << "the mouse keeps its macros";
        }
    }
}

TEST_F(MouseDeviceTest, CheckingTheMacroKeysGivesButtonsOfRemovedMacrosTheirDefault) {
    WriteMacros({1, 1, 1, 1, 1});
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    Bind(d, 2, {0x70, 5, 0});  // beyond the five
    Bind(d, 3, {0x70, 4, 0});
    d->CheckMacroKeys();
    EXPECT_EQ(d->Keys()[2].current, d->Keys()[2].default_code);
    EXPECT_EQ(d->Keys()[3].current, (KeyFunctionCode{0x70, 4, 0}));
    const Json::Value saved = ReadJsonFile(ProfilePath());
    EXPECT_EQ(saved["Device"][0]["KeyList"][2]["Assignment"].asInt(),
              KeyCodeToProfileInt(d->Keys()[2].default_code))
        << "stored in the profile";
    EXPECT_EQ(Control<QListWidget>(d, "device_setkeyinfo_list")->item(3)->text(), "m4");
}

TEST_F(MouseDeviceTest, ShootingPatternsAndPower) {
    (void)paths::EnsureFolder(Folder());
    std::vector<MacroEvent> bullet{{1, 1, "down", "10"}, {1, 1, "up", "0"},   {4, 3, "down", "5"},
                                   {5, 7, "up", "20"},   {4, 0, "down", "0"}, {5, 0, "up", "0"}};
    ASSERT_TRUE(SaveEvents(Folder() / "ShootData_1.Shoot", "", "", bullet));
    auto* d = MakeMouse();
    Open(d, Link::kReceiver);
    Sync(d);
    emu_.Traffic().Clear();
    d->UploadShootPatterns();
    d->ReadPowerStatus();
    Settle(d);
    const size_t size = 16 + 6 * 4 + 4 * 6;
    EXPECT_EQ(Packets(Link::kReceiver), (std::vector<Pkt>{{0xAA, 0, 0},
                                                          {0x01, 0, 0},
                                                          {0x17, 56, 0},
                                                          {0x17, uint8_t(size - 56), 56},
                                                          {0x02, 0, 0},
                                                          {0xAA, 0, 0},
                                                          {0x1A, 6, 0}}))
        << "56-byte chunks through the receiver too";
    const auto image = emu_.Model(DeviceKind::kMouse).ShootImage();
    EXPECT_EQ(image[2] | image[3] << 8, static_cast<int>(size));
    EXPECT_EQ(image[4], 4) << "four entries, three of them empty";
    ASSERT_EQ(power_->status.size(), 6u);
    EXPECT_EQ(power_->status[0], 72);
    EXPECT_EQ(power_->status[3], 1) << "through the receiver";
}

// The image of the default patterns, built here from the files as the mouse's documentation
// gives it: header, four offsets, then per gun its event count and its events (delay low and
// high byte, type with bit 7 for "down", the distance's low byte).
std::vector<uint8_t> ExpectedDefaultImage() {
    std::vector<std::vector<uint8_t>> entries;
    for (int gun = 0; gun < 4; ++gun) {
        const Json::Value file = ReadJsonFile(paths::DefaultDataFolder() /
                                              ("ShootData_" + std::to_string(gun) + ".Shoot"));
        std::vector<uint8_t> entry;
        for (const Json::Value& e : file["Events"]) {
            const int delay = e["Delay"].asInt();
            entry.push_back(uint8_t(delay & 0xFF));
            entry.push_back(uint8_t(delay >> 8));
            entry.push_back(
                uint8_t(e["Type"].asInt() | (e["Action"].asString() == "down" ? 0x80 : 0)));
            entry.push_back(uint8_t(e["Button"].asInt() & 0xFF));
        }
        entries.push_back(entry);
    }
    std::vector<uint8_t> image{0xAA, 0x55, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    size_t at = 16 + 2 * 4;
    for (const auto& entry : entries) {
        image.push_back(uint8_t(at & 0xFF));
        image.push_back(uint8_t(at >> 8));
        at += 4 + entry.size();
    }
    for (const auto& entry : entries) {
        const size_t count = entry.size() / 4;
        image.insert(image.end(), {uint8_t(count & 0xFF), uint8_t(count >> 8), 0, 0});
        image.insert(image.end(), entry.begin(), entry.end());
    }
    image[2] = uint8_t(image.size() & 0xFF);
    image[3] = uint8_t(image.size() >> 8);
    return image;
}

TEST_F(MouseDeviceTest, TheDefaultPatternsReachTheMouseByteForByte) {
    (void)paths::EnsureFolder(Folder());
    EXPECT_EQ(EnsureShootFiles({Folder(), paths::DefaultDataFolder()}),
              (std::vector<int>{0, 1, 2, 3}))
        << "a new user's folder takes the four default copies";
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    emu_.Traffic().Clear();
    std::vector<bool> answers;
    d->UploadShootPatterns([&](bool sent) { answers.push_back(sent); });
    ASSERT_TRUE(test::WaitUntil([&] { return !answers.empty(); }, 3000));
    EXPECT_EQ(answers, std::vector<bool>{true});
    const std::vector<uint8_t> want = ExpectedDefaultImage();
    ASSERT_EQ(want.size(), 16u + 6 * 4 + 4 * 4 * 180);
    EXPECT_EQ(DataOf(0x17), want) << "the traffic carries the four defaults' image";
    std::vector<Pkt> packets{{0x01, 0, 0}};
    for (size_t at = 0; at < want.size(); at += 56)
        packets.push_back({0x17, uint8_t(std::min<size_t>(56, want.size() - at)), uint16_t(at)});
    packets.push_back({0x02, 0, 0});
    EXPECT_EQ(Packets(), packets);
    const auto memory = emu_.Model(DeviceKind::kMouse).ShootImage();
    EXPECT_TRUE(std::equal(want.begin(), want.end(), memory.begin())) << "and the mouse keeps it";

    // Without the mouse nothing is sent and the panel hears so at once.
    CloseCommandPaths(d->Channel());
    answers.clear();
    d->UploadShootPatterns([&](bool sent) { answers.push_back(sent); });
    EXPECT_EQ(answers, std::vector<bool>{false});
}

TEST_F(MouseDeviceTest, AStageColourComesFromTheColourDialogOneAtATime) {
    struct Call {
        uint32_t colour;
        bool show_seven_colour;
    };
    std::vector<Call> calls;
    ColourAnswer next{1, 0xFF123456, false};
    CRezazodaMouseDevice* d = nullptr;
    SetColourDialog([&](QWidget* from, const ColourRequest& r) {
        calls.push_back({r.colour, r.show_seven_colour});
        EXPECT_EQ(from, Control<QWidget>(d, "DPI_color_option_2")) << "opened from the swatch";
        d->Mouse()->OnDpiColourDialog(3);  // a click while the dialog runs is ignored
        return next;
    });
    d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    QWidget* swatch = Control<QWidget>(d, "DPI_color_option_2");
    const QRgb before = ui::BkColor(swatch);
    emu_.Traffic().Clear();
    d->Mouse()->OnDpiColourDialog(2);
    Settle(d);
    ASSERT_EQ(calls.size(), 1u) << "one dialog at a time";
    EXPECT_EQ(calls[0].colour, before) << "the dialog starts from the swatch's colour";
    EXPECT_FALSE(calls[0].show_seven_colour);
    EXPECT_EQ(ui::BkColor(swatch), 0xFF123456u);
    const DpiStageRecord s = d->Stages().stages[2];
    EXPECT_EQ((std::array<int, 3>{s.red, s.green, s.blue}), (std::array<int, 3>{0x12, 0x34, 0x56}));
    EXPECT_EQ(ReadJsonFile(ProfilePath())["Device"][0]["DPIStages"]["StageDPIs"][2]["StageColorG"]
                  .asInt(),
              0x34)
        << "stored in the profile";
    const auto page = emu_.Model(DeviceKind::kMouse).ProfileSettings(0);
    EXPECT_EQ(
        (std::array<int, 3>{page[14 + 9 * 2 + 6], page[14 + 9 * 2 + 7], page[14 + 9 * 2 + 8]}),
        (std::array<int, 3>{0x12, 0x34, 0x56}))
        << "and written to the mouse";

    // Closed without OK, or not opened at all: nothing changes, nothing is written.
    for (const ColourAnswer& answer :
         {ColourAnswer{0, 0xFF00FF00, false}, ColourAnswer{-1, 0, false}}) {
        next = answer;
        emu_.Traffic().Clear();
        d->Mouse()->OnDpiColourDialog(2);
        Settle(d);
        EXPECT_EQ(ui::BkColor(swatch), 0xFF123456u) << answer.result;
        EXPECT_TRUE(Packets().empty()) << answer.result;
    }
    SetColourDialog({});
    next = {1, 0xFF0000FF, false};
    d->Mouse()->OnDpiColourDialog(2);
    EXPECT_EQ(ui::BkColor(swatch), 0xFF123456u) << "without a dialog the swatch keeps its colour";
}

TEST_F(MouseDeviceTest, RestoringTheDefaultsRewritesTheProfileFromTheDefaultData) {
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    Bind(d, 0, {0x20, 0, 4});
    Control<QAbstractButton>(d, "DPI_select_check_3")->click();  // through the face, as routed
    d->Mouse()->OnDpiSelect(3);
    ASSERT_EQ(d->Stages().current, 3);
    d->RestoreDefaults();
    EXPECT_EQ(d->Stages().current, 1);
    EXPECT_EQ(d->Keys()[0].current, d->Keys()[0].default_code);
    EXPECT_TRUE(Control<QRadioButton>(d, "DPI_select_check_1")->isChecked()) << "the page shows it";
    const Json::Value defaults = ReadJsonFile(paths::DefaultDataFile("mouse"))["Device"][0];
    const Json::Value saved = ReadJsonFile(ProfilePath())["Device"][0];
    EXPECT_EQ(saved["KeyList"], defaults["KeyList"]);
    EXPECT_EQ(saved["DPIStages"], defaults["DPIStages"]);

    // Without default data the profile is not given up for nothing.
    Bind(d, 0, {0x20, 0, 5});
    const std::string before = ProfileText();
    test::TempFolder empty;
    const std::string program = std::getenv("DOZADIR_PROGRAM_DATA");
    ::setenv("DOZADIR_PROGRAM_DATA", empty.path().c_str(), 1);
    d->RestoreDefaults();
    ::setenv("DOZADIR_PROGRAM_DATA", program.c_str(), 1);
    EXPECT_EQ(ProfileText(), before);
    EXPECT_EQ(d->Keys()[0].current, (KeyFunctionCode{0x20, 0, 5}));
}

TEST_F(MouseDeviceTest, AUserLightEffectPlaysTheStepsOfItsOwnEntry) {
    // Two user effects; the second (mode 11) is a static red.
    (void)paths::EnsureFolder(Folder());
    Json::Value list;
    list["LightInfo"][0] = Json::Value(Json::arrayValue);  // the keyboard's
    for (int k = 0; k < 2; ++k) {
        list["LightInfo"][1][k]["LightName"] = "fx" + std::to_string(k);
        list["LightInfo"][1][k]["Guid"] = "fx" + std::to_string(k);
        Json::Value effect;
        effect["LEDEffectList"][0]["LEDREGMode"] = 1;
        effect["LEDEffectList"][0]["LEDBrightness"] = 5;
        effect["LEDEffectList"][0]["red"] = k == 1 ? 255 : 0;
        effect["LEDEffectList"][0]["blue"] = k == 0 ? 255 : 0;
        effect["LEDEffectList"][0]["Time"] = 100000;
        ASSERT_TRUE(TryWriteJsonFile(Folder() / ("fx" + std::to_string(k) + ".light"), effect));
    }
    ASSERT_TRUE(TryWriteJsonFile(Folder() / "rodav_light.config", list));
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    EXPECT_EQ(d->Lists().custom_effects, (std::vector<std::string>{"fx0", "fx1"}));
    LightInfoRecord l = d->ProfileData()->CurrentLightInfo();
    l.mode = 11;
    d->ProfileData()->WriteLightInfo(l);
    (void)d->ApplyLighting();
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            return d->Leds().Get(6) == lighting::LedRecord{255, 0, 0, 255};
        },
        3000))
        << "user effect 1 is mode 11";
    // The preview shows the LEDs.
    d->PushLightFrame();
    auto* preview = Control<ui::DeviceKeyButton>(d, "light_0_6");
    EXPECT_EQ(preview->LightColor(), qRgba(255, 0, 0, 255));
}

TEST_F(MouseDeviceTest, PointerOptionsAreStoredAndTheRodavRowsFollowEachOther) {
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    // No light frames among what is counted here.
    d->SetHostLighting(false);
    ASSERT_TRUE(test::WaitUntil([&] { return d->Stream().Idle(); }, 3000));
    emu_.Traffic().Clear();
    Control<QSlider>(d, "pointer_speed_slider")->setValue(17);
    d->Mouse()->OnSystemSlider(0);
    Control<QSlider>(d, "scroll_speed_slider")->setValue(6);
    Control<QCheckBox>(d, "scrolls_page_check")->setChecked(true);
    d->Mouse()->OnSystemSlider(1);  // wheel lines: page scrolling off
    EXPECT_FALSE(Control<QCheckBox>(d, "scrolls_page_check")->isChecked());
    Control<QCheckBox>(d, "pointer_precision_check")->setChecked(false);
    d->Mouse()->OnSystemOption(0);
    Control<QSlider>(d, "double_click_slider")->setValue(41);
    d->Mouse()->OnSystemSlider(2);
    Settle(d);
    const Json::Value system = ReadJsonFile(ProfilePath())["Device"][0]["SystemStages"];
    EXPECT_EQ(system["MouseSpeed"].asInt(), 17);
    EXPECT_EQ(system["WheelScorlllinse"].asInt(), 6);
    EXPECT_EQ(system["ScorllPage"].asInt(), 0);
    EXPECT_EQ(system["PointerPrecision"].asInt(), 0);
    EXPECT_EQ(system["DoubleClickTime"].asInt(), 41);
    EXPECT_TRUE(Sent().empty()) << "the pointer options do not go to the mouse";

    Control<QSlider>(d, "rodav_DPI_slider_1")->setValue(3200);
    d->Mouse()->OnRodavDpiDrag(1);
    EXPECT_EQ(Control<QLineEdit>(d, "rodav_DPI_edit_1")->text(), "3200");
    for (auto [typed, held] : std::vector<std::pair<const char*, int>>{
             {"100", 200}, {"7000", 6500}, {"abc", 200}, {"4100", 4100}}) {
        Control<QLineEdit>(d, "rodav_DPI_edit_0")->setText(QString::fromLatin1(typed));
        d->Mouse()->OnRodavDpiEdit(0);
        EXPECT_EQ(Control<QLineEdit>(d, "rodav_DPI_edit_0")->text(), QString::number(held))
            << typed;
        EXPECT_EQ(Control<QSlider>(d, "rodav_DPI_slider_0")->value(), held);
    }
    EXPECT_TRUE(Sent().empty());

    d->SetFunctionPage(5);
    EXPECT_TRUE(Control<QWidget>(d, "device_tishi_info")->isHidden());
}

// ---- Faults --------------------------------------------------------------------------------

// A write that failed is not taken back from the page or the profile; the next one, once the
// mouse answers again, goes through whole.
TEST_F(MouseDeviceTest, AfterAFailedWriteTheNextOneWritesEverything) {
    WriteMacros({4, 4});
    auto* d = MakeMouse();
    Open(d, Link::kCable);
    Sync(d);
    // The faults are armed for the writes' packets: no light frame may take one.
    d->SetHostLighting(false);
    ASSERT_TRUE(test::WaitUntil([&] { return d->Stream().Idle(); }, 3000));
    Bind(d, 3, {0x70, 1, 0});
    const std::string profile = ProfileText();
    for (FaultKind fault : {FaultKind::kStatusFF, FaultKind::kStatusFE, FaultKind::kDoubleAnswer}) {
        for (int k = 1; k <= 4; ++k) {
            SCOPED_TRACE(std::string(sim::FaultName(fault)) + " at packet " + std::to_string(k));
            ASSERT_TRUE(emu_.ArmFault(DeviceKind::kMouse, fault, k));
            (void)d->WriteSystemSettings(0, 0, 1, 1920, 1080);
            Settle(d);
            EXPECT_EQ(d->LastSettingsWrite().Ok(), fault == FaultKind::kDoubleAnswer);
            ASSERT_TRUE(emu_.ArmFault(DeviceKind::kMouse, fault, k));
            (void)d->WriteCurrentKeyMap(0);
            std::optional<int> macros;
            d->WriteMacros(d->GetMacroList(), [&](int a) { macros = a; });
            Settle(d);
            ASSERT_TRUE(test::WaitUntil([&] { return macros.has_value(); }, 5000));
            EXPECT_EQ(ProfileText(), profile) << "a failed write leaves the profile";
            emu_.ClearFaults(DeviceKind::kMouse);
        }
    }
    emu_.Traffic().Clear();
    (void)d->WriteSystemSettings(0, 0, 1, 1920, 1080);
    (void)d->WriteCurrentKeyMap(0);
    std::optional<int> macros;
    d->WriteMacros(d->GetMacroList(), [&](int a) { macros = a; });
    ASSERT_TRUE(test::WaitUntil([&] { return macros.has_value(); }, 5000));
    EXPECT_EQ(*macros, 0);
    EXPECT_TRUE(d->LastSettingsWrite().Ok());
    EXPECT_TRUE(d->LastKeyMapWrite().Ok());
    EXPECT_EQ(emu_.Model(DeviceKind::kMouse).KeySlot(4), (sim::KeyCode{0x70, 0, 0}));
    const auto area = emu_.Model(DeviceKind::kMouse).SettingsArea();
    EXPECT_EQ(area[60] | area[61] << 8, 1920);
}

}  // namespace
}  // namespace dz
