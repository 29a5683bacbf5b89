// The name lists of a keyboard or mouse page, read from the kind's files, and the mapping
// between an effect's index and its device code.
#include "models/panel_lists.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace dz {
namespace {

using test::J;
using test::WriteJson;
using test::WriteText;

class PanelListsTest : public ::testing::Test {
  protected:
    PanelListFiles Files() const {
        return {folder_ / "macro.config", folder_ / "default_light.json",
                folder_ / "rodav_light.config"};
    }
    test::TempFolder folder_;
};

TEST_F(PanelListsTest, EachKindReadsItsOwnArrays) {
    WriteJson(folder_ / "default_light.json", J(R"({
        "DefaultLightName": [
            [{"LightName": "k0", "visible": false, "value": 0},
             {"LightName": "k1", "visible": true, "value": 29}],
            [{"LightName": "m0", "visible": true, "value": 7}]],
        "AreaLightName": [[{"LightName": "keys"}], [{"LightName": "logo"}, {"LightName": "side"}]]
    })"));
    WriteJson(folder_ / "macro.config",
              J(R"({"MacroInfo": [{"MacroName": "one", "Guid": "g1"}, {"MacroName": "two"}]})"));
    WriteJson(folder_ / "rodav_light.config",
              J(R"({"LightInfo": [[{"LightName": "mine", "Guid": "x"}], []]})"));
    PanelLists keyboard;
    ReadPanelLists(Files(), 0, keyboard);
    EXPECT_EQ(keyboard.macro_names, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(keyboard.effects, (std::vector<EffectListEntry>{{"k0", false, 0}, {"k1", true, 29}}));
    EXPECT_EQ(keyboard.areas, (std::vector<std::string>{"keys"}));
    EXPECT_EQ(keyboard.custom_effects, (std::vector<std::string>{"mine"}));
    PanelLists mouse;
    ReadPanelLists(Files(), 1, mouse);
    EXPECT_EQ(mouse.effects, (std::vector<EffectListEntry>{{"m0", true, 7}}));
    EXPECT_EQ(mouse.areas, (std::vector<std::string>{"logo", "side"}));
    EXPECT_TRUE(mouse.custom_effects.empty());
}

TEST_F(PanelListsTest, MissingFilesLeaveTheEffectListsAndClearTheOthers) {
    PanelLists lists;
    lists.macro_names = {"old"};
    lists.effects = {{"kept", true, 3}};
    lists.areas = {"kept area"};
    lists.custom_effects = {"old custom"};
    ReadPanelLists(Files(), 0, lists);
    EXPECT_TRUE(lists.macro_names.empty());
    EXPECT_TRUE(lists.custom_effects.empty());
    EXPECT_EQ(lists.effects.size(), 1u);
    EXPECT_EQ(lists.areas, (std::vector<std::string>{"kept area"}));

    // A damaged file, and members of the wrong kind, read as missing.
    WriteText(folder_ / "default_light.json", "{ not json");
    WriteJson(folder_ / "macro.config", J(R"({"MacroInfo": 5})"));
    ReadPanelLists(Files(), 0, lists);
    EXPECT_EQ(lists.effects.size(), 1u);
    EXPECT_TRUE(lists.macro_names.empty());
    WriteJson(folder_ / "default_light.json", J(R"({"DefaultLightName": [{"LightName": "x"}]})"));
    ReadPanelLists(Files(), 0, lists);
    EXPECT_EQ(lists.effects.size(), 1u) << "element 0 is not a list";
}

TEST(EffectCodes, IndexAndCodeThroughTheList) {
    const std::vector<EffectListEntry> effects{{"a", true, 5}, {"b", true, 0x1D}, {"c", true, 5}};
    EXPECT_EQ(EffectIndexOfCode(effects, 0x1D), 1);
    EXPECT_EQ(EffectIndexOfCode(effects, 5), 0) << "the first entry with the code";
    EXPECT_EQ(EffectIndexOfCode(effects, 9), std::nullopt);
    EXPECT_EQ(EffectCodeOfIndex(effects, 2), 5);
    EXPECT_EQ(EffectCodeOfIndex(effects, 3), std::nullopt);
    EXPECT_EQ(EffectCodeOfIndex(effects, -1), std::nullopt);
}

// The shipped list: the keyboard's host-driven effects are its codes 0x1D and 0x1E.
TEST(EffectCodes, TheShippedKeyboardListHasTheHostDrivenEffects) {
    PanelLists lists;
    ReadPanelLists(
        {{}, std::filesystem::path(DZ_DATA_DIR) / "DefaultData" / "default_light.json", {}}, 0,
        lists);
    ASSERT_GT(lists.effects.size(), 30u);
    EXPECT_EQ(EffectIndexOfCode(lists.effects, 0x1D), 29);
    EXPECT_EQ(EffectIndexOfCode(lists.effects, 0x1E), 30);
    EXPECT_EQ(EffectCodeOfIndex(lists.effects, 20), 20) << "the per-key colour effect";
}

}  // namespace
}  // namespace dz
