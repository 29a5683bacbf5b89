// The window and dozadirctl over the same profiles: the main window with Qt's offscreen
// platform and the emulator's devices of all four kinds on their real page skins, and the
// real dozadirctl code in the same process and user data folder. What the window writes
// into a profile, dozadirctl reads, and the other way round.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <sstream>

#include "app/app_setup.h"
#include "app/device_area.h"
#include "app/main_wnd.h"
#include "cli.h"
#include "device/usb_device.h"
#include "platform/hid/hid_backend.h"
#include "platform/paths/paths.h"
#include "profile/basic_profiledata.h"
#include "profile/device_profiledata.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "support/no_bus.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/resource_manager.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using test::WaitUntil;

QApplication& App() {
    return test::TestApplication();
}

using test::NoBus;

struct Kind {
    int index;         // kind index of the device area
    const char* word;  // dozadirctl's KIND
    const char* name;  // the kind name: folder and default data file
};
constexpr Kind kKinds[] = {
    {kKindMouse, "mouse", "mouse"},
    {kKindKeyboard, "keyboard", "keyboard"},
    {kKindMousePad, "mousepad", "MousePad"},
    {kKindHeadset, "headset", "HD"},
};

struct CtlResult {
    int code;
    std::string out;
    std::string err;
};

class ProfileExchangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        app::SetupResources(app::ProgramFolder());
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
        emulator_ = std::make_unique<sim::Emulator>(sim::EmulatorConfig::Default());
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ = std::make_unique<app::CMainWnd>(NoBus(), NoBus());
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        // The first synchronisation of every kind has loaded its profile (and so has set
        // the profile's path).
        for (const Kind& kind : kKinds) {
            ASSERT_TRUE(WaitUntil(
                [&] {
                    CRezazodaUSBDevice* d = Device(kind);
                    return d != nullptr && !d->ProfileData()->GetProfilePath().empty();
                },
                10000))
                << kind.name << ": no first synchronisation";
        }
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
        ::unsetenv("DOZADIR_DATA_HOME");
    }

    CRezazodaUSBDevice* Device(const Kind& kind) {
        const auto& list = wnd_->Devices().DevicesOfKind(kind.index);
        return list.empty() ? nullptr : list.front();
    }
    static CtlResult Ctl(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int code = ctl::Run(args, out, err);
        return {code, out.str(), err.str()};
    }
    static Json::Value CtlJson(std::vector<std::string> args) {
        args.insert(args.begin(), "--json");
        const CtlResult r = Ctl(args);
        EXPECT_EQ(r.code, ctl::kExitOk) << r.err;
        return ParseJsonText(r.out);
    }
    static Json::Value DefaultSection(const Kind& kind) {
        return ReadJsonFile(paths::DefaultDataFile(kind.name))["Device"][0];
    }
    // The profile file dozadirctl names for the selected profile of the kind.
    static fs::path SelectedFile(const Kind& kind) {
        const Json::Value list = CtlJson({"profile", "list", kind.word});
        return list["profiles"][list["selected"].asInt()]["file"].asString();
    }

    test::TempFolder home_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<app::CMainWnd> wnd_;
};

TEST_F(ProfileExchangeTest, FirstStartLoadsEachKindsDefaultData) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const Json::Value defaults = DefaultSection(kind);
        ASSERT_TRUE(defaults.isObject());
        CRezazodaUSBDevice* device = Device(kind);
        EXPECT_EQ(device->ProfileData()->ProfileRoot(), defaults);
        const Json::Value& light = defaults["LightInfo"];
        const LightRecord record = device->GetLightRecord();
        EXPECT_EQ(record[0], light["SelectItem"].asInt());
        EXPECT_EQ(record[1], light["Light"].asInt());
        EXPECT_EQ(record[5], light["Red"].asInt());
        // The profile the window works on is the one dozadirctl lists, with one section.
        const fs::path file = SelectedFile(kind);
        EXPECT_EQ(file, device->ProfileData()->GetProfilePath());
        const Json::Value profile = ReadJsonFile(file);
        ASSERT_EQ(profile["Device"].size(), 1u);
        EXPECT_EQ(profile["Device"][0], defaults);
    }
}

TEST_F(ProfileExchangeTest, LightingWrittenByEitherIsReadByTheOther) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        CRezazodaUSBDevice* device = Device(kind);
        // The window: a lighting change saved into the current profile.
        LightRecord record = device->GetLightRecord();
        record[1] = 3;   // brightness
        record[5] = 12;  // red
        device->SetLightRecord(record);
        device->SaveProfile();

        // dozadirctl exports what the window saved.
        const fs::path exported = home_ / (std::string(kind.word) + ".json");
        ASSERT_EQ(Ctl({"profile", "export", kind.word, "profile1", exported.string()}).code,
                  ctl::kExitOk);
        Json::Value document = ReadJsonFile(exported);
        ASSERT_EQ(document["Device"].size(), 1u);
        EXPECT_EQ(document["Device"][0]["LightInfo"]["Light"], 3);
        EXPECT_EQ(document["Device"][0]["LightInfo"]["Red"], 12);

        // dozadirctl imports a changed copy and selects it; the window takes it as it does
        // when the device reports that the profile list changed.
        document["Device"][0]["LightInfo"]["Red"] = 200;
        const fs::path game = home_ / "Game.json";
        ASSERT_TRUE(TryWriteJsonFile(game, document));
        ASSERT_EQ(Ctl({"profile", "import", kind.word, game.string()}).code, ctl::kExitOk);
        ASSERT_EQ(Ctl({"profile", "select", kind.word, "Game"}).code, ctl::kExitOk);
        ProfileListChangedFlag().store(true);
        device->Resync();
        EXPECT_EQ(device->ProfileData()->GetProfilePath(), SelectedFile(kind));
        EXPECT_EQ(device->GetLightRecord()[5], 200);
        EXPECT_EQ(device->GetLightRecord()[1], 3);
    }
}

// dozadirctl renumbers the keys of the selected profile when it deletes a macro; the window
// reads the keys from the same section.
TEST_F(ProfileExchangeTest, MacroKeysRewrittenByDozadirctlAreReadByTheWindow) {
    for (const Kind& kind : {kKinds[0], kKinds[1]}) {
        SCOPED_TRACE(kind.name);
        CRezazodaUSBDevice* device = Device(kind);
        ASSERT_EQ(Ctl({"macro", "create", kind.word}).code, ctl::kExitOk);
        CBasicProfiledata* data = device->ProfileData();
        std::vector<KeyAssignmentEntry> keys = data->GetKeyList();
        ASSERT_GE(keys.size(), 2u);
        const KeyFunctionCode original = keys[1].current;
        keys[1].current = {0x70, 0, 0};  // plays macro 0
        data->SetKeyList(keys);
        device->SaveProfile();

        const CtlResult deleted = Ctl({"macro", "delete", kind.word, "macro_1", "--force"});
        ASSERT_EQ(deleted.code, ctl::kExitOk) << deleted.err;
        (void)device->LoadProfile();
        EXPECT_EQ(data->GetKeyList()[1].current, keys[1].default_code);
        EXPECT_EQ(data->GetKeyList()[1].current, original);
    }
}

// A reset by dozadirctl keeps the headset's own equaliser presets that the window saved.
TEST_F(ProfileExchangeTest, HeadsetPresetsSavedByTheWindowSurviveAResetByDozadirctl) {
    const Kind& headset = kKinds[3];
    CRezazodaUSBDevice* device = Device(headset);
    auto* data = dynamic_cast<CDo6533Profiledata*>(device->ProfileData());
    ASSERT_NE(data, nullptr);
    data->SetCustomEqNames({"Mine"});
    LightRecord record = device->GetLightRecord();
    record[5] = 77;
    device->SetLightRecord(record);
    device->SaveProfile();

    ASSERT_EQ(Ctl({"profile", "reset", headset.word, "profile1"}).code, ctl::kExitOk);
    (void)device->LoadProfile();
    EXPECT_EQ(data->GetCustomEqNames(), std::vector<std::string>{"Mine"});
    EXPECT_EQ(device->GetLightRecord()[5], DefaultSection(headset)["LightInfo"]["Red"].asInt());
}

}  // namespace
}  // namespace dz
