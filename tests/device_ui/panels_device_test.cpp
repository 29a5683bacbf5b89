// The key assignment panel and the lighting panel on the keyboard's real page skin, built
// from their own skins as the main window builds them, with the emulated keyboard behind
// the device object: what the panels hand the device reaches the profile and the keyboard
// (traffic and the keyboard's memory), and the answers of the device come back to the
// panels. Offscreen; also run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include "device/command_packet.h"
#include "device_ui/keyboard_page.h"
#include "models/keyboard_colours.h"
#include "models/keyboard_layout.h"
#include "models/keyboard_settings.h"
#include "panels/key_set_control_ui.h"
#include "panels/light_control_ui.h"
#include "panels/panel_services.h"
#include "panels/register_panels.h"
#include "sim/model_tables.h"
#include "support/macro_files.h"
#include "ui/control_ops.h"

namespace dz {
namespace {

using panels::CKeySetControlUI;
using panels::CLightControlUI;
using sim::DeviceKind;

constexpr KeyFunctionCode kVolumeUp{kKeyTypeConsumer, 0xE9, 0x00};
constexpr int kMediaVolumeUpRow = 6;

struct Shown {
    QString message;
    bool is_id;
};

class PanelsDeviceTest : public test::KeyboardPageTest {
  protected:
    void SetUp() override {
        panels::RegisterPanelControls();
        panels::SetPanelMessageBox([this](QWidget*, const QString& m, bool id, int) {
            shown_.push_back({m, id});
            return 1;
        });
        KeyboardPageTest::SetUp();
        keys_ = Panel<CKeySetControlUI>();
        light_ = Panel<CLightControlUI>();
        ASSERT_NE(keys_, nullptr);
        ASSERT_NE(light_, nullptr);
    }
    void TearDown() override {
        KeyboardPageTest::TearDown();
        panels::SetPanelMessageBox({});
    }
    // The page's two panels from their own skins, as the main window builds them.
    void ConfigureWindow(test::PageWindow& w) override {
        w.create = [&w](const QString& cls, QWidget* parent) -> QWidget* {
            const char* skin = cls == QLatin1String("LightSetControlUI")
                                   ? "XML\\CustomControlXML\\LightControl.xml"
                               : cls == QLatin1String("KeySetControlUI")
                                   ? "XML\\CustomControlXML\\KeySetControl.xml"
                                   : nullptr;
            if (skin == nullptr) return nullptr;
            auto* holder = new QWidget(parent);
            EXPECT_NE(w.BuildSubtree(QString::fromLatin1(skin), holder), nullptr) << skin;
            return holder;
        };
    }

    // The position whose factory function is `code`.
    static int PositionOf(KeyFunctionCode code) {
        const auto codes = KeyboardPositionCodes();
        for (size_t p = 0; p < codes.size(); ++p)
            if (codes[p] == code) return static_cast<int>(p);
        return -1;
    }
    KeyFunctionCode DeviceKey(int position) {
        const auto slot = Model().KeySlot(sim::KeyboardSlotOfPosition(position));
        return {slot[0], slot[1], slot[2]};
    }
    // Host packets of `command`.
    size_t Writes(uint8_t command) {
        size_t n = 0;
        for (const sim::TrafficEntry& e : emu_.Traffic().Entries())
            n += e.direction == sim::Direction::kOut && e.bytes.size() > 3 && e.bytes[3] == command;
        return n;
    }
    QWidget* Control(const char* name) { return Find<QWidget>(name); }
    int DeviceBlockEffect() { return Model().ProfileSettings(0)[kKbEffect]; }
    // Chooses function page `page` in the function list as a user does (the routing then
    // calls OnFunctionCombo and Refresh).
    void ChoosePage(KeyFunctionPage page) {
        QWidget* combo = Control("keyset_function_combo");
        for (int i = 0; i < ui::Count(combo); ++i) {
            if (ui::ItemData(combo, i).toInt() == static_cast<int>(page)) {
                ASSERT_TRUE(ui::SelectItem(combo, i));
            }
        }
        keys_->OnFunctionCombo();
        keys_->Refresh();
    }
    void Choose(const char* combo, int row) {
        ASSERT_TRUE(ui::SelectItem(Control(combo), row)) << combo;
        keys_->Refresh();
    }
    // Opens the panel for key `position` as a click on the key page does.
    void OpenKey(int position) {
        keyboard_->OnFeatureTab(1);  // the "Keys" tab: function page type 2
        keys_->OnKeyButton(position);
    }

    CKeySetControlUI* keys_ = nullptr;
    CLightControlUI* light_ = nullptr;
    std::vector<Shown> shown_;
};

TEST_F(PanelsDeviceTest, AKeyGivenAMediaFunctionIsWrittenWithTheMacrosAndSaved) {
    Connect();
    const int a = PositionOf({kKeyTypeKeyboard, 0, 0x04});
    ASSERT_GE(a, 0);
    ASSERT_FALSE(ui::IsVisible(Control("KeySetControlItem"))) << "hidden until a key is chosen";
    OpenKey(a);
    ASSERT_TRUE(ui::IsVisible(Control("KeySetControlItem")));
    EXPECT_EQ(keys_->CurrentEntry().key, a);
    EXPECT_EQ(keys_->ShownPage(), KeyFunctionPage::kDefault) << "the key has its factory code";
    EXPECT_FALSE(ui::IsEnabled(Control("key_butt_prosave")));

    ChoosePage(KeyFunctionPage::kMedia);
    Choose("keyset_media_combo", kMediaVolumeUpRow);
    EXPECT_EQ(keyboard_->Keys()[static_cast<size_t>(a)].current, kVolumeUp);
    EXPECT_TRUE(ui::IsEnabled(Control("key_butt_prosave")));
    EXPECT_EQ(Writes(CMD_WRITE_KEYMAP), 0u) << "nothing goes to the keyboard before the write";

    keys_->OnWriteKeyAssignments();
    Settle();
    EXPECT_GT(Writes(CMD_WRITE_KEYMAP), 0u);
    EXPECT_EQ(DeviceKey(a), kVolumeUp);
    EXPECT_EQ(Section()["KeyList"][a]["Assignment"].asInt(), KeyCodeToProfileInt(kVolumeUp));
    EXPECT_FALSE(ui::IsEnabled(Control("key_butt_prosave")));
    EXPECT_TRUE(shown_.empty());

    // Opening the key again reads the code back into the media page.
    OpenKey(PositionOf({kKeyTypeKeyboard, 0, 0x05}));
    OpenKey(a);
    EXPECT_EQ(keys_->ShownPage(), KeyFunctionPage::kMedia);
    EXPECT_EQ(ui::CurSel(Control("keyset_media_combo")), kMediaVolumeUpRow);
}

TEST_F(PanelsDeviceTest, MacrosThatDoNotFitGiveTheKeyItsDefaultBackAndSayBy) {
    test::WriteMacroList(Folder(), {70000});
    Connect();
    keyboard_->RefreshPage();  // the page's macro list
    const int a = PositionOf({kKeyTypeKeyboard, 0, 0x04});
    OpenKey(a);
    ChoosePage(KeyFunctionPage::kMacro);
    Choose("keyset_macro_combo", 0);
    Choose("keyset_macro_over_combo", 0);
    ASSERT_EQ(keyboard_->Keys()[static_cast<size_t>(a)].current,
              (KeyFunctionCode{kKeyTypeMacro, 0, 0}));

    keys_->OnWriteKeyAssignments();
    Settle();
    const int shortage = (16 + 6 + 280000 - 4096) / 4 + 1;
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_FALSE(shown_[0].is_id) << "the text with its number";
    EXPECT_TRUE(shown_[0].message.contains(QString::number(shortage)))
        << shown_[0].message.toStdString();
    EXPECT_FALSE(shown_[0].message.contains(QLatin1String("%d")));
    const KeyFunctionCode factory = KeyboardPositionCodes()[static_cast<size_t>(a)];
    EXPECT_EQ(keys_->CurrentEntry().current, factory);
    EXPECT_EQ(keys_->ShownPage(), KeyFunctionPage::kDefault);
    EXPECT_EQ(keyboard_->Keys()[static_cast<size_t>(a)].current, factory);
    EXPECT_EQ(Writes(CMD_WRITE_MACROS), 0u);
    EXPECT_EQ(DeviceKey(a), factory) << "the key table is written with the default";
    EXPECT_EQ(Section()["KeyList"][a]["Assignment"].asInt(), KeyCodeToProfileInt(factory));
}

TEST_F(PanelsDeviceTest, AMacroWriteTheKeyboardRefusesIsToldAndTheKeyKeepsItsMacro) {
    test::WriteMacroList(Folder(), {4});
    Connect();
    keyboard_->RefreshPage();
    const int a = PositionOf({kKeyTypeKeyboard, 0, 0x04});
    OpenKey(a);
    ChoosePage(KeyFunctionPage::kMacro);
    Choose("keyset_macro_combo", 0);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, sim::FaultKind::kStatusFF, 1));
    keys_->OnWriteKeyAssignments();
    Settle();
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].message, QStringLiteral("message_text_7"));
    EXPECT_TRUE(shown_[0].is_id);
    EXPECT_EQ(keys_->CurrentEntry().current, (KeyFunctionCode{kKeyTypeMacro, 0, 0}));
    EXPECT_GT(Writes(CMD_WRITE_KEYMAP), 0u) << "the key table is written all the same";
}

TEST_F(PanelsDeviceTest, AProfileThatCannotBeReadOpensNoKey) {
    Connect();
    test::WriteText(ProfileFile(), "{ not json");
    OpenKey(PositionOf({kKeyTypeKeyboard, 0, 0x04}));
    EXPECT_FALSE(ui::IsVisible(Control("KeySetControlItem")));
    EXPECT_EQ(keys_->CurrentEntry().key, -1);
}

TEST_F(PanelsDeviceTest, OnTheLightingPageAClickPaintsTheKeyInThePerKeyEffect) {
    Connect();
    LightRecord r = keyboard_->GetLightRecord();
    r[0] = kPerKeyColourEffect;
    r[5] = 10;
    r[6] = 200;
    r[7] = 30;
    keyboard_->SetLightRecord(r);
    (void)keyboard_->ApplyLighting();
    keyboard_->OnFeatureTab(0);  // "Lighting": function page type 1
    const int a = PositionOf({kKeyTypeKeyboard, 0, 0x04});
    const int light = keyboard_->LightOfKey(a);
    ASSERT_GE(light, 0) << "the key's button is a light button too";
    keys_->OnKeyButton(a);
    Settle();
    const lighting::LedRecord led = keyboard_->Leds().Get(static_cast<size_t>(light));
    EXPECT_EQ(led.red, 10);
    EXPECT_EQ(led.green, 200);
    EXPECT_EQ(led.blue, 30);
    EXPECT_GT(Writes(CMD_WRITE_KEYCOLORS), 0u);
    EXPECT_FALSE(ui::IsVisible(Control("KeySetControlItem"))) << "painting opens no panel";
}

TEST_F(PanelsDeviceTest, LightingChangesGoToTheProfileAndTheKeyboardsSettingsBlock) {
    Connect();
    const LightRecord before = keyboard_->GetLightRecord();
    // A mode chosen in the combo.
    auto* mode = Find<QComboBox>("light_combo_modeSelect");
    ASSERT_EQ(mode->count(), 31) << "every effect of the keyboard, hidden ones too";
    ASSERT_TRUE(ui::SelectItem(mode, 6));
    light_->OnModeCombo(0);
    Settle();
    EXPECT_EQ(keyboard_->GetLightRecord()[0], 6);
    EXPECT_EQ(Section()["LightInfo"]["SelectItem"].asInt(), 6);
    EXPECT_EQ(Writes(CMD_WRITE_SETTINGS), 1u);
    EXPECT_EQ(DeviceBlockEffect(), 6) << "effect 6 has code 6";

    // A colour typed into G: out of range, then empty.
    auto* g = Find<QLineEdit>("deng_edit_G");
    g->setText(QStringLiteral("300"));
    light_->OnEditRgb(1);
    EXPECT_EQ(g->text(), QStringLiteral("255"));
    EXPECT_EQ(keyboard_->GetLightRecord()[6], 255);
    EXPECT_EQ(keyboard_->GetLightRecord()[4], 0) << "a typed colour switches multicolour off";
    g->clear();
    light_->OnEditRgb(1);
    EXPECT_EQ(g->text(), QStringLiteral("0"));
    EXPECT_EQ(Section()["LightInfo"]["Green"].asInt(), 0);
    Settle();
    EXPECT_EQ(Writes(CMD_WRITE_SETTINGS), 3u);
    // The bytes the panel does not edit are carried unchanged.
    for (size_t i : {1, 2, 3, 8, 9, 10, 11, 12, 13})
        EXPECT_EQ(keyboard_->GetLightRecord()[i], before[i]) << "byte " << i;
}

TEST_F(PanelsDeviceTest, AKeyboardsCustomModeIsItsColourGroup) {
    Connect();
    auto* mode = Find<QComboBox>("light_combo_modeSelect");
    ASSERT_TRUE(ui::SelectItem(mode, 20));  // the per-key colour effect
    light_->OnModeCombo(0);
    Settle();
    auto* custom = Find<QComboBox>("light_combo_custommodeSelect");
    ASSERT_GT(custom->count(), 2);
    ASSERT_TRUE(ui::SelectItem(custom, 2));
    light_->OnModeCombo(1);
    Settle();
    EXPECT_EQ(keyboard_->GetLightRecord()[12], 2);
    EXPECT_EQ(Section()["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 2)
        << "the group is the profile's custom group";
    EXPECT_EQ(Section()["LightInfo"]["CustomGroup"].asInt(), 2);
    // What the keyboard selects itself the panel shows.
    keyboard_->SelectCustomGroup(1);
    EXPECT_EQ(custom->currentIndex(), 1);
    EXPECT_EQ(light_->SelectedCustomGroup(), 1);
}

}  // namespace
}  // namespace dz
