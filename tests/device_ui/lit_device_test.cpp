// The mousepad's and the headset's device objects on a page built in code, offscreen, with
// the emulator behind their channels: the opening, the lighting page written from the
// profile and read back, the synchronisation request's timer, the headset's LED reports
// from its lighting thread and its power read.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "device/command_path.h"
#include "device/emulated_device.h"
#include "models/headset_device.h"
#include "models/mousepad_device.h"
#include "platform/paths/paths.h"
#include "profile/basic_profiledata.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/widgets/device_key_button.h"
#include "ui/widgets/select_panel.h"
#include "ui/window_base.h"

namespace dz {
namespace {

using sim::DeviceKind;

QApplication& App() {
    static int argc = 1;
    static char name[] = "lit_device_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class PageWindow : public ui::WindowBase {
  public:
    PageWindow() : ui::WindowBase(QStringLiteral("NO_SKIN"), QStringLiteral("TEST_WND")) {}
};

class FakeEntry : public QWidget, public SelectorEntry {
  public:
    using QWidget::QWidget;
    void StartTimer(int id, int ms) override {
        timers.emplace_back(id, ms);
    }
    std::vector<std::pair<int, int>> timers;
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

constexpr const char* kProfile = "2024_01_01_00_00_00_000";
constexpr int kPadRow = 8;      // the mousepad's command row of the supported-device table
constexpr int kHeadsetRow = 10;  // the headset's

struct Kind {
    DeviceKind sim;
    const char* name;
    int kind_code;
    int leds;
    int row;
};
constexpr Kind kPad{DeviceKind::kMousepad, "MousePad", 2, 15, kPadRow};
constexpr Kind kHeadset{DeviceKind::kHeadset, "HD", 3, 13, kHeadsetRow};

class LitDeviceTest : public test::EmulatedDeviceTest {
  protected:
    void SetUp() override {
        App();
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        EmulatedDeviceTest::SetUp();
        window_ = std::make_unique<PageWindow>();
    }
    void TearDown() override {
        window_.reset();
        EmulatedDeviceTest::TearDown();
        ::unsetenv("DOZADIR_DATA_HOME");
    }

    template <class Device>
    Device* Make(const Kind& k) {
        auto* d = new Device(window_.get());
        auto* pic = new ui::SelectPanel(d);
        pic->setObjectName(QStringLiteral("SelectPanel"));
        for (int i = 0; i < k.leds; ++i) {
            auto* b = new ui::DeviceKeyButton(pic);
            b->setObjectName(QStringLiteral("light_%1").arg(i));
            ui::SetUserData(b, QStringLiteral("light_%1").arg(i));
        }
        d->SetKindIndex(k.kind_code);
        d->SetKindCode(k.kind_code);
        d->SetKindName(QString::fromLatin1(k.name));
        d->SetLightFilePrefix(QStringLiteral("rodav_light"));
        d->SetLightCount(k.leds);
        d->SetPageSkin(QStringLiteral("page"));
        d->SetInterfaceRecord(SupportedDeviceRow(k.row));
        d->BindPage();
        d->SetProfileName(QString::fromLatin1(kProfile));
        entry_ = new FakeEntry(d);
        power_ = new FakePower(d);
        d->BindSelector(entry_, power_);
        return d;
    }
    void Open(CRezazodaUSBDevice* d, const Kind& k) {
        ASSERT_TRUE(emu_.Plug(k.sim, sim::Link::kCable));
        ASSERT_EQ(OpenCommandPath(d->Channel(), CommandPath(k.sim), false), 1);
        emu_.Traffic().Clear();
    }
    static void Settle(CRezazodaUSBDevice* d) {
        d->Worker().WaitIdle();
        QCoreApplication::processEvents();
    }
    std::vector<uint8_t> Commands(const Kind& k) const {
        std::vector<uint8_t> codes;
        for (const auto& e : Sent(Node(k.sim))) codes.push_back(e.bytes[3]);
        return codes;
    }
    std::vector<uint8_t> PageWritten(const Kind& k, size_t n) const {
        std::vector<std::vector<uint8_t>> pages;
        for (const auto& e : Sent(Node(k.sim)))
            if (e.bytes[3] == CMD_WRITE_SETTINGS)
                pages.emplace_back(e.bytes.begin() + 8, e.bytes.begin() + 8 + e.bytes[4]);
        return n < pages.size() ? pages[n] : std::vector<uint8_t>{};
    }
    // Sets the profile's light record as the routing does before it writes.
    static void SetLight(CRezazodaLitDevice* d, uint8_t mode, uint8_t speed) {
        LightInfoRecord light = d->ProfileData()->CurrentLightInfo();
        light.mode = mode;
        light.speed = speed;
        light.brightness = 3;
        light.red = 0x11;
        d->ProfileData()->WriteLightInfo(light);
        (void)d->ApplyLighting();
    }

    test::TempFolder home_;
    std::unique_ptr<PageWindow> window_;
    FakeEntry* entry_ = nullptr;
    FakePower* power_ = nullptr;
};

TEST_F(LitDeviceTest, ThePadsOpeningLoadsTheProfileAndStartsItsLighting) {
    auto* d = Make<CRezazodaMousePadDevice>(kPad);
    Open(d, kPad);
    d->FirstSync();
    ASSERT_TRUE(test::WaitUntil([&] { return d->SyncsDone() == 1; }, 5000));
    EXPECT_EQ(Commands(kPad), (std::vector<uint8_t>{0x01, 0x03, 0x02}));
    EXPECT_TRUE(d->LightingThreadRunning());
    EXPECT_EQ(d->Lists().effects.size(), 9u) << "the pad's modes from default_light.json";
    // The working page holds the profile's light record as the mode index.
    EXPECT_EQ(d->WorkingPage()[kLpMode], d->ProfileData()->CurrentLightInfo().mode);
    d->Shutdown();
}

TEST_F(LitDeviceTest, WritesSendTheWorkingPageInWireForm) {
    auto* d = Make<CRezazodaMousePadDevice>(kPad);
    Open(d, kPad);
    (void)d->LoadProfile();
    d->LoadPanelLists();
    SetLight(d, 9, 1);  // a user light effect
    ASSERT_EQ(d->WriteSystemSettings(0, 0, 1, 0, 0), 1u);
    ASSERT_EQ(d->WriteSystemSettings(0, 0, 1, 0, 0), 1u);
    Settle(d);
    EXPECT_EQ(Commands(kPad), (std::vector<uint8_t>{0x01, 0x06, 0x02, 0x01, 0x06, 0x02}));
    const std::vector<uint8_t> first = PageWritten(kPad, 0);
    ASSERT_EQ(first.size(), 21u);
    EXPECT_EQ(first, PageWritten(kPad, 1)) << "the same page twice";
    EXPECT_EQ(first[kLpMode], d->Lists().effects[0].code) << "mode 9 goes as standard mode 0";
    EXPECT_EQ(first[kLpSpeed], 3);
    EXPECT_EQ(first[kLpBrightness], 3);
    EXPECT_EQ(d->WorkingPage()[kLpMode], 9) << "the working page keeps the index";
    EXPECT_TRUE(d->LastSettingsWrite().Ok());
    // Profile 2 lands at 128 and reads back as it was written.
    SetLight(d, 6, 2);
    ASSERT_EQ(d->WriteSystemSettings(2, 0, 1, 0, 0), 1u);
    Settle(d);
    ASSERT_TRUE(emu_.Model(kPad.sim).WriteSettingsBytes(0, std::vector<uint8_t>{2}));
    d->Resync();
    ASSERT_TRUE(test::WaitUntil([&] { return d->ResyncsDone() == 1; }, 5000));
    EXPECT_EQ(d->ReportedProfile(), 2);
    EXPECT_EQ(d->WorkingPage()[kLpProfile], 2);
    EXPECT_EQ(d->WorkingPage()[kLpMode], 6);
    EXPECT_EQ(d->WorkingPage()[kLpSpeed], 2);
    d->Shutdown();
}

TEST_F(LitDeviceTest, AReadBackCodeThatNoModeHasStaysAndTheProfileKeepsItsLighting) {
    auto* d = Make<CRezazodaMousePadDevice>(kPad);
    Open(d, kPad);
    (void)d->LoadProfile();
    d->LoadPanelLists();
    const LightInfoRecord before = d->ProfileData()->CurrentLightInfo();
    ASSERT_TRUE(emu_.Model(kPad.sim).WriteSettingsBytes(1, std::vector<uint8_t>{0x55}));
    d->Resync();
    ASSERT_TRUE(test::WaitUntil([&] { return d->ResyncsDone() == 1; }, 5000));
    EXPECT_EQ(d->WorkingPage()[kLpMode], 0x55) << "the preview runs it as a mode index";
    EXPECT_EQ(d->ProfileData()->CurrentLightInfo(), before);
    // A known code reaches the profile (message 0x0D00's handling).
    ASSERT_TRUE(emu_.Model(kPad.sim).WriteSettingsBytes(1, std::vector<uint8_t>{0x07}));
    d->Resync();
    ASSERT_TRUE(test::WaitUntil([&] { return d->ResyncsDone() == 2; }, 5000));
    EXPECT_EQ(d->ProfileData()->CurrentLightInfo().mode, 7);
    // Closed: zeros but the profile held; code 0 looks up as mode 0, speed 4.
    CloseCommandPaths(d->Channel());
    d->Resync();
    ASSERT_TRUE(test::WaitUntil([&] { return d->ResyncsDone() == 3; }, 5000));
    LightingPageBytes expected{};
    expected[kLpSpeed] = 4;
    EXPECT_EQ(d->WorkingPage(), expected);
    d->Shutdown();
}

TEST_F(LitDeviceTest, ASynchronisationRequestStartsTimer1002After500Ms) {
    auto* d = Make<CRezazodaMousePadDevice>(kPad);
    ASSERT_TRUE(emu_.Plug(kPad.sim, sim::Link::kCable));
    d->OpenListener(0, NotifyPath(kPad.sim));
    ASSERT_TRUE(d->ListenerOpen(0));
    ASSERT_TRUE(emu_.PressRaw(kPad.sim, kUsageResync));
    ASSERT_TRUE(test::WaitUntil([&] { return !entry_->timers.empty(); }, 3000));
    EXPECT_EQ(entry_->timers.front(), (std::pair<int, int>{kTimerResync, 500}));
    d->StopListener(0);
    d->Shutdown();
}

TEST_F(LitDeviceTest, TheHeadsetPaintsItsLedsWithReportsAndReadsItsPower) {
    auto* d = Make<CRezazodaDO6533Device>(kHeadset);
    Open(d, kHeadset);
    d->FirstSync();
    ASSERT_TRUE(test::WaitUntil([&] { return d->SyncsDone() == 1; }, 5000));
    EXPECT_TRUE(Commands(kHeadset).empty()) << "the headset's opening sends no command";
    SetLight(d, kLitStatic, 2);
    ASSERT_TRUE(test::WaitUntil([&] { return d->Leds().Get(5).red == 0x11; }, 3000));
    d->SetHostLighting(true);
    // The picture reaches the headset as its LED reports (earlier pictures went before it).
    // A picture made while a set is on its way is left out; the selector's pace sends the
    // still picture again, as the pushes here do.
    const sim::FirmwareModel& model = emu_.Model(kHeadset.sim);
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            d->PushLightFrame();
            const lighting::LedRecord led = d->Leds().Get(5);
            return model.HeadsetLeds(0x22)[5][0] == led.red * led.alpha / 256;
        },
        3000));
    d->StopLightingThread();
    d->Worker().WaitIdle();
    EXPECT_GE(d->LedSetsSent(), 1);
    EXPECT_EQ(model.LedReportsAccepted(), 12u * static_cast<unsigned>(d->LedSetsSent()))
        << "twelve reports a set";
    EXPECT_EQ(CountCommand(Sent(Node(kHeadset.sim)), CMD_LIGHT_FRAME), 0u);

    d->ReadPowerStatus();
    ASSERT_TRUE(test::WaitUntil([&] { return d->PowerReadsDone() == 1; }, 3000));
    EXPECT_EQ(power_->status, (std::vector<uint8_t>{100, 2, 0, 0, 1, 0}));
    d->Shutdown();
}

// A sound library that holds every call until the test lets it go and notes which thread
// made it.
class HeldLibrary : public AudioLibrary {
  public:
    int ConfLibInit() override { return Call("init"); }
    int CreateDeviceList() override { return Call("list"); }
    int GetDeviceCount(int, uint32_t* count) override {
        *count = 1;
        return Call("count");
    }
    int GetDeviceById(int list, int, AudioDescriptor* d) override {
        d->words[1] = list == 0 ? 1 : 2;
        d->words[3] = 1;
        return Call("device");
    }
    int PropertyControl(AudioDescriptor, const wchar_t* name, void** value, void**, int write) override {
        std::string n;
        for (const wchar_t* c = name; *c != 0; ++c) n.push_back(static_cast<char>(*c));
        if (write == 0) std::memcpy(*value, "0", 2);
        return Call((write == 1 ? "w " : "r ") + n);
    }
    int BeginPropertyGroup() override { return Call("begin"); }
    int EndPropertyGroup() override { return Call("end"); }

    void Open() {
        std::lock_guard lock(mutex);
        held = false;
        wake.notify_all();
    }
    std::vector<std::string> Calls() {
        std::lock_guard lock(mutex);
        return calls;
    }
    bool AnyOn(std::thread::id id) {
        std::lock_guard lock(mutex);
        for (const auto& t : threads)
            if (t == id) return true;
        return false;
    }

  private:
    int Call(std::string what) {
        std::unique_lock lock(mutex);
        wake.wait(lock, [&] { return !held; });
        calls.push_back(std::move(what));
        threads.push_back(std::this_thread::get_id());
        return 0;
    }
    std::mutex mutex;
    std::condition_variable wake;
    bool held = true;
    std::vector<std::string> calls;
    std::vector<std::thread::id> threads;
};

TEST_F(LitDeviceTest, TheHeadsetsSoundCallsRunOffTheUiThreadAndAPresetIsOneGroup) {
    HeldLibrary library;
    UseHeadsetAudioLibrary(&library);
    auto* d = Make<CRezazodaDO6533Device>(kHeadset);
    (void)d->LoadProfile();
    // The library answers nothing yet: the UI thread goes on all the same.
    d->ApplyEqPreset(3);
    EXPECT_EQ(d->SoundValues()[kEqType], 3) << "the value is the panel's at once";
    EXPECT_EQ(d->CurrentGains(), EqPresets()[2]);
    EXPECT_FALSE(d->SoundIdle());
    EXPECT_TRUE(library.Calls().empty());
    library.Open();
    ASSERT_TRUE(test::WaitUntil([&] { return d->SoundIdle(); }, 5000));
    EXPECT_FALSE(library.AnyOn(std::this_thread::get_id())) << "a library call on the UI thread";
    const std::vector<std::string> calls = library.Calls();
    const auto begin = std::find(calls.begin(), calls.end(), "begin");
    ASSERT_NE(begin, calls.end());
    std::vector<std::string> group(begin + 1, std::find(begin, calls.end(), "end"));
    std::vector<std::string> expected{"w Enable_EQ_GFX"};
    for (int b = 1; b <= 10; ++b) expected.push_back("w EQ_Slider" + std::to_string(b));
    EXPECT_EQ(group, expected) << "the preset's eleven writes in one group";
    d->Shutdown();
    window_.reset();
    UseHeadsetAudioLibrary(nullptr);
}

// The headset's lights follow its animation on the headset itself, whether its page is
// shown or not, without the selector's timer: every new picture of the lighting thread
// goes as its twelve reports.
TEST_F(LitDeviceTest, TheHeadsetsReportsFollowItsAnimationWhileItsPageIsHidden) {
    auto* d = Make<CRezazodaDO6533Device>(kHeadset);
    Open(d, kHeadset);
    d->FirstSync();
    ASSERT_TRUE(test::WaitUntil([&] { return d->SyncsDone() == 1; }, 5000));
    window_->hide();
    ASSERT_FALSE(d->isVisible());
    SetLight(d, kLitWave, 4);
    const sim::FirmwareModel& model = emu_.Model(kHeadset.sim);
    std::set<int> reds;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            reds.insert(model.HeadsetLeds(0x22)[0][0]);
            return reds.size() >= 5;
        },
        5000))
        << "the headset's first light took " << reds.size() << " colours";
    EXPECT_EQ(std::count_if(entry_->timers.begin(), entry_->timers.end(),
                            [](const auto& t) { return t.first == kTimerLightFrame; }),
              0)
        << "no frame timer was asked";
    d->Shutdown();
}

}  // namespace
}  // namespace dz
