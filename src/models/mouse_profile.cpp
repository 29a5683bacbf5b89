#include "models/mouse_profile.h"

#include <algorithm>

#include "models/key_slot_table.h"
#include "models/mouse_shoot.h"

namespace dz {
namespace {

size_t StagesInRoot(const Json::Value& root) {
    if (!root.isObject()) return 0;
    const Json::Value& section = root["DPIStages"];
    if (!section.isObject()) return 0;
    const Json::Value& list = section["StageDPIs"];
    return list.isArray() ? list.size() : 0;
}

}  // namespace

MouseProfileSections ReadMouseProfileSections(CMouseProfiledata& profile) {
    MouseProfileSections s;
    s.keys = profile.GetKeyList();
    s.light = profile.ReadLightInfo();
    std::vector<DpiStageRecord> stages = profile.GetDpiStages();
    stages.resize(std::min(stages.size(), StagesInRoot(profile.ProfileRoot())));
    s.stages.stages = std::move(stages);
    s.stages.current = profile.GetCurrentStage();
    s.system_values = profile.GetSystemValues();
    s.corrections = profile.GetCorrectionPresets();
    return s;
}

void PutMouseStages(CMouseProfiledata& profile, const MouseStages& stages) {
    profile.SetDpiStages(stages.stages);
    profile.SetCurrentStage(stages.current);
}

MousePageBytes MouseSettingsPageOf(const MouseProfileSections& sections,
                                   std::span<const EffectListEntry> modes, int screen_width,
                                   int screen_height) {
    MouseSettingsInput in;
    in.light = sections.light;
    in.modes.assign(modes.begin(), modes.end());
    in.report_rate = ReportRateOf(sections.system_values);
    in.current_stage = sections.stages.current;
    in.stages = sections.stages.stages;
    in.corrections = sections.corrections;
    in.byte0 = 0;
    in.byte59 = 1;
    in.screen_width = screen_width;
    in.screen_height = screen_height;
    return EncodeMouseSettingsPage(in);
}

MouseProfileWrite BuildMouseProfileWrite(const MouseProfileSections& sections,
                                         const MouseTables& tables,
                                         const std::filesystem::path& folder,
                                         std::span<const EffectListEntry> modes, int screen_width,
                                         int screen_height) {
    MouseProfileWrite w;
    const KeySlotMap map{
        std::vector<uint8_t>(tables.button_slots.begin(), tables.button_slots.end()),
        kNoButtonSlot};
    const int macro_count = CountMacros(folder);
    w.macro_list = DeviceMacroList(sections.keys, map, macro_count);
    w.macros = ReadMacroUpload(folder, w.macro_list);
    if (tables.transfer.Ok()) {
        const std::span<const uint8_t> read(
            tables.button_map.data(), static_cast<size_t>(tables.key_count) * kKeyTableEntrySize);
        w.button_map = BuildDeviceKeyTable(read, sections.keys, map, macro_count);
    }
    w.page = MouseSettingsPageOf(sections, modes, screen_width, screen_height);
    w.shoot_image = BuildShootImage(folder);
    return w;
}

MouseApplyResult ApplyMouseProfile(CommandChannel& channel, const MouseProfileWrite& write) {
    MouseApplyResult r;
    r.settings = WriteMouseSettingsPage(channel, 0, write.page);
    r.macros = WriteMacroUpload(channel, write.macros, kMouseReachable);
    r.button_map = WriteKeyTable(channel, 0, write.button_map, kMouseReachable);
    r.shoot = WriteShootImage(channel, write.shoot_image);
    return r;
}

}  // namespace dz
