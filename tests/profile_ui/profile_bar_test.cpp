// The profile bar on its shipped skin, built as the main window builds it and driven through
// the main window's routing table: clicks on the bar's buttons, picks in the combo, the
// selection timer. Message boxes and file dialogs are answered by the test.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/route_dispatch.h"
#include "app/routing.h"
#include "device/device_table.h"
#include "profile/device_profile_ui.h"
#include "profile/json_file.h"
#include "profile/profile_bar_model.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"
#include "ui/window_base.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using test::J;

const char* kDefaults = R"({"Device": [{"LightInfo": {"SelectItem": 1}}]})";

// A device object that records what the bar asks of it.
class FakeDevice : public DevicePage {
  public:
    ProfileBar* Profiles() override { return bar; }
    [[nodiscard]] bool IsKeyboardOrMouse() const override { return keyboard_or_mouse; }
    void SetProfileName(const std::string& uuid) override {
        calls.push_back("SetProfileName " + uuid);
        profile_name = uuid;
    }
    uint32_t LoadProfile() override {
        calls.push_back("LoadProfile");
        loaded.push_back(profile_name);
        return 1;
    }
    void RefreshPage() override { calls.push_back("RefreshPage"); }
    uint32_t WriteSystemSettings(int profile, int value, int flag, int w, int h) override {
        calls.push_back("WriteSystemSettings " + std::to_string(profile) + " " +
                        std::to_string(value) + " " + std::to_string(flag));
        screen_w = w;
        screen_h = h;
        return 1;
    }
    uint32_t WriteCurrentKeyMap(int page) override {
        calls.push_back("WriteCurrentKeyMap " + std::to_string(page));
        return 1;
    }
    void OnFeatureTab(int which) override { feature_tabs.push_back(which); }

    ProfileBar* bar = nullptr;
    bool keyboard_or_mouse = true;
    std::string profile_name;
    std::vector<std::string> calls;
    std::vector<std::string> loaded;  // the profile name at each LoadProfile
    std::vector<int> feature_tabs;
    int screen_w = -1;
    int screen_h = -1;
};

// The main window's side: routes every notification through the routing table and runs
// the selection timer on the window's own timers.
class BarWindow : public ui::WindowBase, public app::ShellHandlers {
  public:
    BarWindow() : ui::WindowBase(QStringLiteral("XML_TEST_WINDOW"), QStringLiteral("BAR_TEST")) {}

    DevicePage* CurrentDevicePage() override { return device; }
    void OnProfileComboTimer() override {
        ++timer_starts;
        SetTimer(nullptr, kProfileSelectTimerId, kProfileSelectDelayMs);
    }
    void Notify(const ui::Notification& msg) override {
        const app::RouteResult r =
            app::RouteNotification(msg.type.toStdString(), msg.name.toStdString());
        for (const app::RouteHit& hit : r.hits) app::Dispatch(hit, *this);
        if (r.pass_to_toolkit) ui::WindowBase::Notify(msg);
    }

    DevicePage* device = nullptr;
    int timer_starts = 0;
    int timer_fires = 0;

  protected:
    void OnTimer(int id) override {
        KillTimer(nullptr, id);
        if (id != kProfileSelectTimerId) return;
        ++timer_fires;
        if (device != nullptr && device->Profiles() != nullptr) {
            device->Profiles()->OnSwitchToSelected();
        }
    }
};

class ProfileBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterProfileControls();
        test::WriteText(default_file_, kDefaults);
        Build();
    }

    // A fresh window with the bar's skin built into it as the main window builds it.
    void Build() {
        bar_ = nullptr;
        window_ = std::make_unique<BarWindow>();
        ASSERT_TRUE(window_->Create());
        auto* holder = new QWidget(window_->Root());
        holder->setObjectName(QStringLiteral("DeviceProfileItem"));
        window_->Root()->layout()->addWidget(holder);
        ASSERT_NE(window_->BuildSubtree(QStringLiteral("XML\\CustomControlXML\\DeviceProfile.xml"),
                                        holder),
                  nullptr);
        bar_ = CDeviceProfileUI::Of(holder);
        ASSERT_NE(bar_, nullptr);
        device_ = FakeDevice();
        device_.bar = bar_;
        window_->device = &device_;
        bar_->SetMessageBox([this](const ProfileMessageBox& box) {
            boxes_.push_back(box);
            return 1;
        });
        bar_->SetFileDialog([this](QWidget*, bool save) {
            dialogs_.push_back(save);
            return dialog_answer_;
        });
        window_->show();
    }

    void Init(int type = TYPE_KEYBOARD) {
        bar_->SetDeviceType(type);
        bar_->SetFolders(folder_, default_file_);
        bar_->SetDevice(&device_);
        bar_->Initialise();
    }

    // A list file with these names (UUIDs u0, u1, ...) and a profile file for each whose
    // device section carries its index as "Marker".
    void WriteList(const std::vector<std::string>& names, int select = 0) {
        test::WriteProfileList(folder_, names, J(kDefaults), select);
    }

    QWidget* Control(const char* name) const {
        return bar_->findChild<QWidget*>(QString::fromLatin1(name));
    }
    QComboBox* Combo() const { return qobject_cast<QComboBox*>(Control("device_profile_combo")); }
    void Click(const char* name) {
        auto* button = qobject_cast<QAbstractButton*>(Control(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    // A pick in the combo as the user makes it.
    void Pick(int index) { Combo()->setCurrentIndex(index); }

    std::vector<std::string> ComboNames() const {
        std::vector<std::string> names;
        for (int i = 0; i < Combo()->count(); ++i)
            names.push_back(Combo()->itemText(i).toStdString());
        return names;
    }
    Json::Value List() const { return ReadJsonFile(folder_ / "ProfileList.ini"); }
    std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        const Json::Value list = List();
        for (const auto& p : list["profilelist"]) names.push_back(p["profilename"].asString());
        return names;
    }
    std::string FileUuid(int index) const {
        return List()["profilelist"][index]["profileUUID"].asString();
    }
    Json::Value ProfileFile(const std::string& uuid) const {
        return ReadJsonFile(folder_ / (uuid + ".Json"));
    }
    std::string NameEdit() const { return bar_->GetNameEditText().toStdString(); }

    test::TempFolder dir_;
    fs::path folder_ = dir_ / "data/Dozadir Keyboard/keyboard";
    fs::path default_file_ = dir_ / "program/DefaultData/keyboard.Json";
    std::unique_ptr<BarWindow> window_;
    CDeviceProfileUI* bar_ = nullptr;
    FakeDevice device_;
    std::vector<ProfileMessageBox> boxes_;
    std::vector<bool> dialogs_;  // save flag of each dialog run
    QString dialog_answer_;
};

using Names = std::vector<std::string>;

TEST_F(ProfileBarTest, FirstStartShowsTheCreatedProfile1) {
    Init();
    EXPECT_EQ(ComboNames(), Names{"profile1"});
    EXPECT_EQ(FileNames(), Names{"profile1"});
    EXPECT_EQ(Combo()->currentIndex(), 0);
    EXPECT_EQ(NameEdit(), "profile1");
    EXPECT_EQ(bar_->GetCurrentUUID(), FileUuid(0));
    EXPECT_EQ(ProfileFile(FileUuid(0))["profilename"].asString(), "profile1");
    // Combo items carry the name as user data and the bar's row height.
    EXPECT_EQ(Combo()->itemData(0, Qt::UserRole).toString(), QStringLiteral("profile1"));
    EXPECT_EQ(Combo()->itemData(0, Qt::SizeHintRole).toSize().height(), 30);
    EXPECT_TRUE(device_.calls.empty());
}

TEST_F(ProfileBarTest, RecordedSelectionOutsideTheListIsClamped) {
    struct Case {
        int recorded;
        int expected;
    };
    for (const Case c : {Case{1, 1}, Case{7, 2}, Case{-3, 0}}) {
        SCOPED_TRACE(c.recorded);
        Build();
        WriteList({"A", "B", "C"}, c.recorded);
        Init();
        EXPECT_EQ(ComboNames(), (Names{"A", "B", "C"}));
        EXPECT_EQ(bar_->GetSelectedIndex(), c.expected);
        EXPECT_EQ(List()["profileselect"].asInt(), c.expected);
        EXPECT_EQ(bar_->GetCurrentUUID(), "u" + std::to_string(c.expected));
        EXPECT_EQ(NameEdit(), ComboNames()[static_cast<size_t>(c.expected)]);
    }
    // Asked for directly, too.
    bar_->SelectProfile(99, false);
    EXPECT_EQ(bar_->GetSelectedIndex(), 2);
    bar_->SelectProfile(-5, false);
    EXPECT_EQ(bar_->GetSelectedIndex(), 0);
    EXPECT_EQ(List()["profileselect"].asInt(), 0);
}

TEST_F(ProfileBarTest, AddTakesTheFirstFreeNameAndKeepsTheShownSelection) {
    WriteList({"profile1", "PROFILE2"});
    Init();
    Click("device_add_btn");
    EXPECT_EQ(ComboNames(), (Names{"profile1", "PROFILE2", "profile3"}));
    EXPECT_EQ(FileNames(), ComboNames());
    EXPECT_EQ(Combo()->currentIndex(), 0);
    EXPECT_EQ(NameEdit(), "profile1");
    EXPECT_EQ(List()["profileselect"].asInt(), 2);  // only recorded
    const Json::Value added = ProfileFile(FileUuid(2));
    EXPECT_EQ(added["profilename"].asString(), "profile3");
    EXPECT_EQ(added["profileUUID"].asString(), FileUuid(2));
    EXPECT_EQ(added["Device"], J(kDefaults)["Device"]);
    EXPECT_TRUE(device_.calls.empty());  // the device keeps its profile
}

TEST_F(ProfileBarTest, AddStopsAtFiftyProfiles) {
    Names names;
    for (int i = 1; i <= kMaxProfiles; ++i) names.push_back("p" + std::to_string(i));
    WriteList(names);
    Init();
    const std::set<std::string> before = test::TreeOf(folder_);
    Click("device_add_btn");
    EXPECT_EQ(Combo()->count(), kMaxProfiles);
    EXPECT_EQ(FileNames(), names);
    EXPECT_EQ(test::TreeOf(folder_), before);
}

TEST_F(ProfileBarTest, CopyDuplicatesTheSelectedProfileUnderAFreeName) {
    WriteList({"A", "A copy", "B"});
    Init();
    Click("device_copy_btn");
    EXPECT_EQ(ComboNames(), (Names{"A", "A copy", "B", "A copy copy"}));
    EXPECT_EQ(FileNames(), ComboNames());
    const Json::Value copy = ProfileFile(FileUuid(3));
    EXPECT_EQ(copy["profilename"].asString(), "A copy copy");
    EXPECT_EQ(copy["Device"][0]["Marker"].asInt(), 0);  // A's settings
    EXPECT_NE(FileUuid(3), "u0");
    EXPECT_EQ(Combo()->currentIndex(), 0);
}

TEST_F(ProfileBarTest, OperationsActOnAPickTheTimerHasNotAppliedYet) {
    WriteList({"A", "B", "C"});
    Init();
    Pick(2);
    Click("device_copy_btn");  // within the 400 ms: the shown profile is copied
    EXPECT_EQ(ComboNames(), (Names{"A", "B", "C", "C copy"}));
    EXPECT_EQ(ProfileFile(FileUuid(3))["Device"][0]["Marker"].asInt(), 2);
    EXPECT_EQ(Combo()->currentIndex(), 2);
}

TEST_F(ProfileBarTest, RenameAnswersEachResultWithItsMessage) {
    struct Case {
        const char* typed;
        Names names;          // afterwards, in the combo and the list file
        const char* message;  // the message box shown, or null
    };
    const Case cases[] = {
        {"Game", {"Game", "B"}, nullptr},
        {"a", {"a", "B"}, nullptr},  // its own name in another case
        {"b", {"A", "B"}, "message_text_5"},
        {"  ", {"A", "B"}, "message_text_25"},
        {"", {"A", "B"}, nullptr},  // nothing happens
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Build();
        boxes_.clear();
        WriteList({"A", "B"});
        Init();
        qobject_cast<QLineEdit*>(Control("device_profile_name_edit"))
            ->setText(QString::fromUtf8(c.typed));
        Click("device_profile_edit_save_btn");
        EXPECT_EQ(ComboNames(), c.names);
        EXPECT_EQ(FileNames(), c.names);
        EXPECT_EQ(ProfileFile("u0")["profilename"].asString(), c.names[0]);
        if (c.message == nullptr) {
            EXPECT_TRUE(boxes_.empty());
        } else {
            ASSERT_EQ(boxes_.size(), 1u);
            EXPECT_EQ(boxes_[0].message.toStdString(), c.message);
            EXPECT_TRUE(boxes_[0].text_is_id);
            EXPECT_EQ(boxes_[0].button_mode, 0);
            EXPECT_FALSE(boxes_[0].owned_by_main);
        }
    }
    // The direct operation answers the result codes.
    EXPECT_EQ(bar_->RenameProfile(QStringLiteral("b")), 0);
    EXPECT_EQ(bar_->RenameProfile(QStringLiteral("  ")), 2);
    EXPECT_EQ(bar_->RenameProfile(QStringLiteral("Zed")), 1);
    EXPECT_EQ(NameEdit(), "Zed");
}

TEST_F(ProfileBarTest, DeleteRemovesTheSelectedProfileAndTheDeviceTakesTheNext) {
    struct Case {
        int selected;
        int next;
        Names names;
    };
    for (const Case& c : {Case{0, 0, {"B", "C"}}, Case{2, 1, {"A", "B"}}, Case{1, 0, {"A", "C"}}}) {
        SCOPED_TRACE(c.selected);
        Build();
        WriteList({"A", "B", "C"}, c.selected);
        Init();
        const std::string removed = "u" + std::to_string(c.selected);
        Click("device_sub_btn");
        EXPECT_EQ(ComboNames(), c.names);
        EXPECT_EQ(FileNames(), c.names);
        EXPECT_EQ(List()["profileselect"].asInt(), c.next);
        EXPECT_EQ(Combo()->currentIndex(), c.next);
        EXPECT_EQ(NameEdit(), c.names[static_cast<size_t>(c.next)]);
        EXPECT_FALSE(fs::exists(folder_ / (removed + ".Json")));
        EXPECT_EQ(device_.loaded, Names{FileUuid(c.next)});
        EXPECT_EQ(bar_->GetCurrentUUID(), FileUuid(c.next));
    }
}

TEST_F(ProfileBarTest, DeleteKeepsTheLastProfile) {
    WriteList({"only"});
    Init();
    Click("device_sub_btn");
    EXPECT_EQ(ComboNames(), Names{"only"});
    EXPECT_EQ(FileNames(), Names{"only"});
    EXPECT_TRUE(fs::exists(folder_ / "u0.Json"));
    EXPECT_TRUE(device_.calls.empty());
}

TEST_F(ProfileBarTest, ImportTakesTheFileTitleAndTheFileSettings) {
    WriteList({"Game", "Game(1)"});
    Init();
    const fs::path source = dir_ / "elsewhere/Game.json";
    Json::Value document = J(R"({"profilename": "inside", "profileUUID": "x"})");
    document["Device"][0]["Marker"] = 42;
    test::WriteJson(source, document);
    dialog_answer_ = QString::fromStdString(source.string());
    Click("device_import_btn");
    EXPECT_EQ(dialogs_, std::vector<bool>{false});
    EXPECT_EQ(ComboNames(), (Names{"Game", "Game(1)", "Game(1)(2)"}));
    EXPECT_EQ(FileNames(), ComboNames());
    const Json::Value imported = ProfileFile(FileUuid(2));
    EXPECT_EQ(imported["profilename"].asString(), "Game(1)(2)");
    EXPECT_EQ(imported["profileUUID"].asString(), FileUuid(2));
    EXPECT_NE(FileUuid(2), "x");
    EXPECT_EQ(imported["Device"][0]["Marker"].asInt(), 42);
    EXPECT_TRUE(device_.calls.empty());
}

TEST_F(ProfileBarTest, ImportOfNothingOrOfAnotherFileChangesNothing) {
    WriteList({"A"});
    Init();
    const std::set<std::string> before = test::TreeOf(folder_);
    const fs::path not_profile = dir_ / "notes.json";
    test::WriteText(not_profile, R"({"Device": []})");  // lacks the two name keys
    for (const QString& answer : {QString(), QString::fromStdString(not_profile.string())}) {
        dialog_answer_ = answer;
        Click("device_import_btn");
        EXPECT_EQ(ComboNames(), Names{"A"});
        EXPECT_EQ(test::TreeOf(folder_), before);
    }
    EXPECT_EQ(dialogs_.size(), 2u);
}

TEST_F(ProfileBarTest, ExportWritesTheSelectedProfileWhereTheDialogSays) {
    WriteList({"A", "B"}, 1);
    Init();
    const fs::path target = dir_ / "out/B.json";
    fs::create_directories(target.parent_path());
    dialog_answer_ = QString();
    Click("device_export_btn");  // cancelled
    EXPECT_FALSE(fs::exists(target));
    dialog_answer_ = QString::fromStdString(target.string());
    Click("device_export_btn");
    EXPECT_EQ(dialogs_, (std::vector<bool>{true, true}));
    EXPECT_EQ(ReadJsonFile(target), ProfileFile("u1"));
    EXPECT_EQ(ReadJsonFile(target)["Device"][0]["Marker"].asInt(), 1);
    EXPECT_EQ(ComboNames(), (Names{"A", "B"}));
}

TEST_F(ProfileBarTest, ResetGivesTheSelectedProfileTheDefaultsAgain) {
    WriteList({"A", "B"}, 1);
    Init();
    ProfileBar& routed = *bar_;
    routed.ResetProfile();
    const Json::Value reset = ProfileFile("u1");
    EXPECT_EQ(reset["Device"], J(kDefaults)["Device"]);  // the marker is gone
    EXPECT_EQ(reset["profilename"].asString(), "B");
    EXPECT_EQ(reset["profileUUID"].asString(), "u1");
    EXPECT_EQ(ProfileFile("u0")["Device"][0]["Marker"].asInt(), 0);  // the other untouched
    EXPECT_EQ(ComboNames(), (Names{"A", "B"}));
    EXPECT_EQ(Combo()->currentIndex(), 1);
}

TEST_F(ProfileBarTest, APickIsLoadedByTheDeviceWhenTheTimerFires) {
    struct Case {
        int type;
        bool keyboard_or_mouse;
        Names tail;  // the calls after SetProfileName and LoadProfile
    };
    const Case cases[] = {
        {TYPE_KEYBOARD, true, {"RefreshPage", "WriteSystemSettings 0 0 1", "WriteCurrentKeyMap 0"}},
        {TYPE_MOUSEPAD, false, {"RefreshPage", "WriteSystemSettings 0 0 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Build();
        device_.keyboard_or_mouse = c.keyboard_or_mouse;
        WriteList({"A", "B", "C"});
        Init(c.type);
        Pick(2);
        EXPECT_EQ(window_->timer_starts, 1);
        EXPECT_TRUE(device_.calls.empty());  // not before the timer
        ASSERT_TRUE(test::WaitUntil([&] { return !device_.loaded.empty(); }));
        Names expected{"SetProfileName u2", "LoadProfile"};
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(device_.calls, expected);
        EXPECT_EQ(device_.loaded, Names{"u2"});
        EXPECT_EQ(List()["profileselect"].asInt(), 2);
        EXPECT_EQ(bar_->GetCurrentUUID(), "u2");
        EXPECT_EQ(NameEdit(), "C");
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        EXPECT_EQ(device_.screen_w, screen.width());
        EXPECT_EQ(device_.screen_h, screen.height());
    }
}

TEST_F(ProfileBarTest, TwoQuickPicksLoadOnlyTheLast) {
    WriteList({"A", "B", "C"});
    Init();
    Pick(1);
    Pick(2);
    EXPECT_EQ(window_->timer_starts, 2);
    ASSERT_TRUE(test::WaitUntil([&] { return !device_.loaded.empty(); }));
    // The timer is one-shot and was restarted by the second pick: nothing is left to fire.
    EXPECT_FALSE(window_->IsTimerActive(nullptr, kProfileSelectTimerId));
    EXPECT_EQ(window_->timer_fires, 1);
    EXPECT_EQ(device_.loaded, Names{"u2"});
    EXPECT_EQ(List()["profileselect"].asInt(), 2);
}

TEST_F(ProfileBarTest, OperationTabsFollowTheDeviceType) {
    struct Case {
        int type;
        std::set<std::string> shown;
    };
    const std::set<std::string> mouse{"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab",
                                      "cursor_Op_tab"};
    const Case cases[] = {
        {TYPE_KEYBOARD, {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"}},
        {TYPE_MOUSE, mouse},
        {TYPE_MOUSE_RX, mouse},
        {TYPE_MOUSEPAD, {"deng_Op_tab"}},
        {TYPE_HEADSET, {"deng_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}},
        {99, mouse},  // as the skin has them
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Build();
        Init(c.type);
        std::set<std::string> shown;
        for (std::string_view tab : kOperationTabNames) {
            QWidget* w = bar_->findChild<QWidget*>(QString::fromUtf8(tab.data(), tab.size()));
            ASSERT_NE(w, nullptr) << tab;
            if (ui::IsVisible(w)) shown.insert(std::string(tab));
        }
        EXPECT_EQ(shown, c.shown);
    }
}

TEST_F(ProfileBarTest, SelectOpTabMarksOneTabWithoutNotifying) {
    Init();
    const auto selected = [&] {
        std::vector<int> on;
        for (size_t i = 0; i < kOperationTabNames.size(); ++i) {
            const std::string_view tab = kOperationTabNames[i];
            if (ui::IsSelected(
                    bar_->findChild<QWidget*>(QString::fromUtf8(tab.data(), tab.size()))))
                on.push_back(static_cast<int>(i) + 1);
        }
        return on;
    };
    bar_->SelectOpTab(1);
    EXPECT_EQ(selected(), std::vector<int>{1});
    bar_->SelectOpTab(5);
    EXPECT_EQ(selected(), std::vector<int>{5});
    bar_->SelectOpTab(9);  // no such tab
    bar_->SelectOpTab(0);
    EXPECT_EQ(selected(), std::vector<int>{5});
    EXPECT_TRUE(device_.feature_tabs.empty());
    // A click of the user is routed to the device as its feature tab (numbered from 0).
    Click("macro_Op_tab");
    EXPECT_EQ(device_.feature_tabs, std::vector<int>{2});
}

TEST_F(ProfileBarTest, SpreadButtonTogglesTheProfileButtons) {
    Init();
    EXPECT_FALSE(bar_->IsProfileMenuShown());
    Click("profile_fun_spread_btn");
    EXPECT_TRUE(bar_->IsProfileMenuShown());
    EXPECT_TRUE(Control("device_add_btn")->isVisible());
    Click("profile_fun_spread_btn");
    EXPECT_FALSE(bar_->IsProfileMenuShown());
}

}  // namespace
}  // namespace dz

namespace dz {
namespace {

// The buttons the routing knows are in the skin, and every label has a text in both languages.
TEST_F(ProfileBarTest, SkinHasTheRoutedButtonsWithLanguageTexts) {
    for (const char* language : {"lan_en", "lan_cn"}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QString::fromLatin1(language)));
        Build();
        for (const char* name : {"device_add_btn", "device_sub_btn", "device_copy_btn",
                                 "device_profile_edit_save_btn", "profile_fun_spread_btn",
                                 "device_import_btn", "device_export_btn", "device_reset_btn"}) {
            SCOPED_TRACE(name);
            EXPECT_NE(qobject_cast<QAbstractButton*>(Control(name)), nullptr);
            EXPECT_FALSE(app::RouteNotification("click", name).hits.empty());
        }
        for (const QAbstractButton* b : bar_->findChildren<QAbstractButton*>()) {
            EXPECT_FALSE(b->text().isEmpty()) << b->objectName().toStdString();
            EXPECT_FALSE(b->text().endsWith(QStringLiteral("_text"))) << b->text().toStdString();
        }
    }
}

}  // namespace
}  // namespace dz
