// dozadirctl sync / apply / dpi / preview mouse.

#include "mouse_commands.h"

#include <json/value.h>

#include <atomic>
#include <cstdio>
#include <optional>
#include <ostream>

#include "cli.h"
#include "device/device_table.h"
#include "device_commands.h"
#include "models/mouse_dpi.h"
#include "models/mouse_io.h"
#include "models/mouse_lighting.h"
#include "models/mouse_profile.h"
#include "models/panel_lists.h"
#include "platform/paths/paths.h"
#include "profile/device_profiledata.h"
#include "profile/profile_store.h"
#include "store_kinds.h"

namespace dz::ctl {

const char* const kMouseSyncUsage =
    "  sync mouse|mouse-rx\n"
    "                 the mouse's opening read: information block, sensor, DPI step,\n"
    "                 highest position and lowest DPI, the slot of each button, the current\n"
    "                 profile's settings page decoded (lighting, report rate, stages), power\n";
const char* const kMouseApplyUsage =
    "  apply mouse|mouse-rx [PROFILE]\n"
    "                 write a mouse profile (by name or index; the selected one by default)\n"
    "                 as the window applies it: settings page, macros, button map, shooting\n"
    "                 patterns; exit code 2 when the macros do not fit the mouse's memory\n";
const char* const kMouseDpiUsage =
    "  dpi mouse|mouse-rx [--stage N] [--dpi FIGURE] [--enable N] [--disable N]\n"
    "                 [--current N] [--report-rate INDEX]\n"
    "                 edit the selected profile's DPI stages (0 to 4) as the mouse page does,\n"
    "                 in the order given (--dpi sets the stage named by the --stage before it,\n"
    "                 else the current one), save the profile and write the settings page;\n"
    "                 prints the stages. Exit code 5 when a rule refuses a change (the last\n"
    "                 enabled or the current stage cannot be switched off)\n";
const char* const kMousePreviewUsage =
    "  preview mouse [--mode N] [--brightness N] [--speed N] [--direction N]\n"
    "                [--multicolour 0|1] [--colour RRGGBB] [--steps N] [--press]\n"
    "                 the mouse's lighting preview on its 15 LEDs, step by step, for the\n"
    "                 selected profile's lighting or the values given; no device is needed\n";

namespace {

constexpr int kMouseKindCode = 1;

std::vector<EffectListEntry> MouseModes() {
    return BuiltInEffects(kMouseKindCode);
}

bool OpenMouse(Context& ctx, DeviceSession& session, bool receiver_only, int& status) {
    if (receiver_only) return session.Open(ctx, {TYPE_MOUSE_RX}, "mouse receiver", status);
    return session.Open(ctx, {TYPE_MOUSE, TYPE_MOUSE_RX}, "mouse", status);
}

// The mouse's selected profile (or the one named), loaded as the window loads it.
struct LoadedProfile {
    std::optional<StoreKind> kind;
    std::unique_ptr<ProfileStore> store;
    int index = -1;
    CMouseProfiledata data;
    MouseProfileSections sections;
    [[nodiscard]] std::string Name() const {
        return store->Profiles()[static_cast<size_t>(index)].name;
    }
};

bool LoadProfile(Context& ctx, const std::string& what, const std::optional<std::string>& name,
                 LoadedProfile& p, int& status) {
    p.kind = ParseStoreKind("mouse");
    p.store = std::make_unique<ProfileStore>(p.kind->folder, p.kind->default_data_file,
                                             p.kind->device_type);
    p.store->Initialise();
    std::vector<std::string> names;
    for (const ProfileEntry& e : p.store->Profiles()) names.push_back(e.name);
    p.index = name ? FindItem(names, *name) : p.store->GetSelectedIndex();
    if (p.index < 0) {
        status = Fail(ctx, what, "no profile " + name.value_or(""), kExitRefused);
        return false;
    }
    p.data.SetDeviceIndex(0);
    p.data.SetKindCode(kMouseKindCode);
    p.data.SetDefaultPath(p.kind->default_data_file);
    p.data.SetProfilePath(p.store->GetProfilePath(p.index));
    (void)p.data.LoadDeviceSection(p.store->GetProfilePath(p.index));
    p.sections = ReadMouseProfileSections(p.data);
    return true;
}

// The scale the page would use with this mouse.
DpiScale ScaleOf(const MouseInfoBlock& info) {
    const DpiScale s = MouseDpiScale(info);
    return s.Usable() ? s : kFallbackDpiScale;
}

std::string ColourHex(uint8_t r, uint8_t g, uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", r, g, b);
    return text;
}

std::string LedHex(const lighting::LedRecord& r) {
    char text[10];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", r.red, r.green, r.blue, r.alpha);
    return text;
}

std::string SensorHex(uint16_t sensor) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", sensor);
    return text;
}

Json::Value StageJson(const DpiStageRecord& s, int n, int current, const DpiScale& scale) {
    Json::Value v(Json::objectValue);
    v["stage"] = n;
    v["enabled"] = s.active != 0;
    v["current"] = n == current;
    v["separateXY"] = s.xy != 0;
    v["x"] = s.dpi_x;
    v["y"] = s.dpi_y;
    v["dpiX"] = static_cast<Json::Int64>(scale.Figure(s.dpi_x));
    v["dpiY"] = static_cast<Json::Int64>(scale.Figure(s.dpi_y));
    v["colour"] = ColourHex(s.red, s.green, s.blue);
    return v;
}

void PrintStages(std::ostream& o, const Json::Value& stages) {
    for (const Json::Value& s : stages) {
        o << "  stage " << s["stage"].asInt() << (s["current"].asBool() ? " (current)" : "") << ": "
          << (s["enabled"].asBool() ? "on " : "off") << "  X " << s["x"].asInt() << " = "
          << s["dpiX"].asInt64() << " DPI, Y " << s["y"].asInt() << " = " << s["dpiY"].asInt64()
          << " DPI" << (s["separateXY"].asBool() ? " (separate)" : "") << ", colour "
          << s["colour"].asString() << "\n";
    }
}

// ---- sync -----------------------------------------------------------------------------------

int Sync(Context& ctx, const std::vector<std::string>& args, bool receiver_only) {
    if (!args.empty()) {
        ctx.err << "dozadirctl: sync mouse takes no arguments\n";
        return kExitUsage;
    }
    DeviceSession session;
    int status = kExitOk;
    if (!OpenMouse(ctx, session, receiver_only, status)) return status;
    CommandChannel& channel = session.Channel();
    const std::vector<EffectListEntry> modes = MouseModes();

    // The same reads as the window's opening and re-read.
    const MouseTables tables = ReadMouseTables(channel);
    MousePageRead page;
    if (tables.transfer.Ok() || DeviceStillAnswers(tables.transfer.result))
        page = ReadCurrentMousePage(channel);
    const MousePowerRead power = ReadMousePower(channel);
    const DpiScale scale = ScaleOf(tables.info);

    Json::Value v(Json::objectValue);
    v["path"] = session.Bound().record.path;
    v["receiver"] = session.ReceiverPath();
    v["read"] = TransferJson(tables.transfer);
    if (tables.info_read) {
        const DpiScale told = MouseDpiScale(tables.info);
        v["info"] = ByteArray(tables.info);
        v["keySlots"] = tables.key_count;
        v["macroBytes"] = static_cast<Json::UInt64>(MouseMacroCapacity(tables.info));
        v["sensor"] = SensorHex(told.sensor);
        v["dpiStep"] = told.step;
        v["highestPosition"] = told.highest;
        v["lowestDpi"] = told.lowest;
        v["scaleUsable"] = told.Usable();
        v["twoSlope"] = told.TwoSlope();
    }
    Json::Value slots(Json::arrayValue);
    for (size_t j = 0; j < tables.button_slots.size(); ++j)
        slots.append(tables.button_slots[j] == kNoButtonSlot ? Json::Value()
                                                             : Json::Value(tables.button_slots[j]));
    v["buttonSlots"] = slots;
    Json::Value read_page = TransferJson(
        {page.result, page.result == kCmdOk ? uint8_t{0} : uint8_t{CMD_READ_SETTINGS}});
    v["pageRead"] = read_page;
    MouseSettingsPage decoded;
    if (page.result == kCmdOk) {
        decoded = DecodeMouseSettingsPage(page.page);
        Json::Value s(Json::objectValue);
        s["profile"] = page.profile;
        s["bytes"] = ByteArray(std::span<const uint8_t>(page.page).first(kMousePageWriteSize));
        const int mode = MouseModeIndexOfCode(decoded.mode_code, modes);
        s["modeCode"] = decoded.mode_code;
        s["mode"] = mode;
        if (mode >= 0 && static_cast<size_t>(mode) < modes.size())
            s["modeName"] = modes[static_cast<size_t>(mode)].name;
        s["brightness"] = decoded.brightness;
        s["speed"] = decoded.speed;
        s["direction"] = decoded.direction;
        s["multicolour"] = decoded.multicolour;
        s["colour"] = ColourHex(decoded.red, decoded.green, decoded.blue);
        s["reportRate"] = decoded.report_rate;
        s["currentStage"] = decoded.current_stage;
        Json::Value stages(Json::arrayValue);
        for (int n = 0; n < kMousePageStages; ++n)
            stages.append(
                StageJson(decoded.stages[static_cast<size_t>(n)], n, decoded.current_stage, scale));
        s["stages"] = stages;
        s["screen"] =
            std::to_string(decoded.screen_width) + "x" + std::to_string(decoded.screen_height);
        s["lineCorrection"] =
            ByteArray(std::array<uint8_t, 2>{decoded.correct_min_sq, decoded.correct_pix_thresh});
        v["settings"] = s;
    }
    v["powerRead"] =
        TransferJson({power.result, power.result == kCmdOk ? uint8_t{0} : uint8_t{CMD_READ_POWER}});
    if (power.result == kCmdOk) v["power"] = ByteArray(power.bytes);

    if (ctx.json) {
        PrintJson(ctx.out, v);
    } else {
        std::ostream& o = ctx.out;
        o << "mouse " << session.Bound().record.path
          << (session.ReceiverPath() ? " (receiver)" : " (cable)") << "\n";
        o << "opening read: " << TransferText(tables.transfer) << "\n";
        if (tables.info_read) {
            o << "information block: " << HexBytes(tables.info) << "\n"
              << "key slots: " << tables.key_count
              << ", macro memory: " << v["macroBytes"].asUInt64() << " bytes\n"
              << "sensor " << v["sensor"].asString()
              << (v["twoSlope"].asBool() ? " (two slopes)" : "") << ", DPI step "
              << v["dpiStep"].asInt() << ", highest position " << v["highestPosition"].asInt()
              << ", lowest DPI " << v["lowestDpi"].asInt()
              << (v["scaleUsable"].asBool() ? "" : " (no usable scale: shown on step 50 from 100)")
              << "\n";
        }
        o << "button slots:";
        for (size_t j = 0; j < tables.button_slots.size(); ++j) {
            o << " " << j << "=";
            if (tables.button_slots[j] == kNoButtonSlot)
                o << "none";
            else
                o << int(tables.button_slots[j]);
        }
        o << "\n";
        if (page.result == kCmdOk) {
            const Json::Value& s = v["settings"];
            o << "current profile " << page.profile << ", settings page: "
              << HexBytes(std::span<const uint8_t>(page.page).first(kMousePageWriteSize)) << "\n"
              << "  lighting: mode " << s["mode"].asInt() << " " << s["modeName"].asString()
              << " (code " << s["modeCode"].asInt() << "), brightness " << s["brightness"].asInt()
              << ", speed " << s["speed"].asInt() << ", direction " << s["direction"].asInt()
              << ", multicolour " << s["multicolour"].asInt() << ", colour "
              << s["colour"].asString() << "\n"
              << "  report rate " << s["reportRate"].asInt() << ", current stage "
              << s["currentStage"].asInt() << ", screen " << s["screen"].asString() << "\n";
            PrintStages(o, s["stages"]);
        } else {
            o << "settings page: " << v["pageRead"]["text"].asString() << "\n";
        }
        o << "power: "
          << (power.result == kCmdOk ? HexBytes(power.bytes) : v["powerRead"]["text"].asString())
          << "\n";
    }
    return tables.transfer.Ok() && page.result == kCmdOk ? kExitOk : kExitDeviceError;
}

// ---- apply ----------------------------------------------------------------------------------

int Apply(Context& ctx, const std::vector<std::string>& args, bool receiver_only) {
    if (args.size() > 1) {
        ctx.err << "dozadirctl: apply mouse takes at most one profile\n";
        return kExitUsage;
    }
    const std::string what = "apply mouse";
    const FileReportsToStream reports(ctx.err);
    LoadedProfile p;
    int status = kExitOk;
    if (!LoadProfile(ctx, what, args.empty() ? std::nullopt : std::optional(args[0]), p, status))
        return status;

    DeviceSession session;
    if (!OpenMouse(ctx, session, receiver_only, status)) return status;
    CommandChannel& channel = session.Channel();
    // The button map starts from the mouse's own.
    const MouseTables tables = ReadMouseTables(channel);
    const auto [width, height] = MouseScreen(channel);
    const MouseProfileWrite write =
        BuildMouseProfileWrite(p.sections, tables, p.kind->folder, MouseModes(), width, height);
    const MouseApplyResult result = ApplyMouseProfile(channel, write);

    const bool short_of_memory = result.macros.answer > 0;
    const bool failed = !tables.transfer.Ok() || result.macros.answer < 0 ||
                        !result.button_map.Ok() || !result.settings.Ok() || !result.shoot.Ok();
    if (ctx.json) {
        Json::Value v(Json::objectValue);
        v["profile"] = p.Name();
        v["file"] = p.store->GetProfilePath(p.index).string();
        v["read"] = TransferJson(tables.transfer);
        Json::Value settings = TransferJson(result.settings);
        settings["bytes"] = ByteArray(write.page);
        v["settings"] = settings;
        Json::Value macros(Json::objectValue);
        Json::Value list(Json::arrayValue);
        for (const int m : write.macro_list) list.append(m);
        macros["macros"] = list;
        macros["events"] = static_cast<Json::UInt64>(write.macros.EventCount());
        macros["imageBytes"] = static_cast<Json::UInt64>(write.macros.ImageSize());
        macros["capacity"] = static_cast<Json::UInt64>(result.macros.capacity);
        macros["answer"] = result.macros.answer;
        macros["transfer"] = TransferJson(result.macros.transfer);
        v["macros"] = macros;
        Json::Value map = TransferJson(result.button_map);
        map["bytes"] = ByteArray(write.button_map);
        v["buttonMap"] = map;
        Json::Value shoot = TransferJson(result.shoot);
        shoot["imageBytes"] = static_cast<Json::UInt64>(write.shoot_image.size());
        v["shootingPatterns"] = shoot;
        PrintJson(ctx.out, v);
    } else {
        std::ostream& o = ctx.out;
        o << "profile " << p.Name() << " to the mouse\n";
        if (!tables.transfer.Ok()) o << "opening read: " << TransferText(tables.transfer) << "\n";
        o << "settings page: " << HexBytes(write.page) << ": " << TransferText(result.settings)
          << "\n";
        o << "macros: " << write.macro_list.size() << " in use, " << write.macros.EventCount()
          << " events, " << write.macros.ImageSize() << " bytes of " << result.macros.capacity
          << ": " << TransferText(result.macros.transfer) << "\n";
        o << "button map: " << HexBytes(write.button_map) << ": " << TransferText(result.button_map)
          << "\n";
        o << "shooting patterns: " << write.shoot_image.size()
          << " bytes: " << TransferText(result.shoot) << "\n";
    }
    if (short_of_memory) {
        ctx.err << "dozadirctl: " << what
                << ": the macros do not fit the mouse's memory: " << result.macros.answer
                << " events too many (" << result.macros.image_size << " bytes for "
                << result.macros.capacity << "); they were not written\n";
        return kExitDeviceError;
    }
    if (failed) {
        ctx.err << "dozadirctl: " << what << ": the mouse did not take everything\n";
        return kExitDeviceError;
    }
    return kExitOk;
}

// ---- dpi ------------------------------------------------------------------------------------

struct DpiEdit {
    enum class Kind { kStage, kDpi, kEnable, kDisable, kCurrent, kReportRate } kind;
    std::string value;
};

std::optional<int> SmallNumber(const std::string& text) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != text.npos)
        return std::nullopt;
    return std::stoi(text);
}

int Dpi(Context& ctx, const std::vector<std::string>& args, bool receiver_only) {
    const std::string what = "dpi mouse";
    std::vector<DpiEdit> edits;
    for (size_t i = 0; i < args.size(); ++i) {
        static const std::pair<const char*, DpiEdit::Kind> kOptions[] = {
            {"--stage", DpiEdit::Kind::kStage},     {"--dpi", DpiEdit::Kind::kDpi},
            {"--enable", DpiEdit::Kind::kEnable},   {"--disable", DpiEdit::Kind::kDisable},
            {"--current", DpiEdit::Kind::kCurrent}, {"--report-rate", DpiEdit::Kind::kReportRate}};
        const auto* option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                          [&](const auto& o) { return args[i] == o.first; });
        if (option == std::end(kOptions) || i + 1 >= args.size())
            return Fail(ctx, what, "unknown or incomplete option \"" + args[i] + "\"", kExitUsage);
        const std::string& value = args[++i];
        const bool row = option->second != DpiEdit::Kind::kDpi;
        if (row) {
            const auto n = SmallNumber(value);
            const int limit =
                option->second == DpiEdit::Kind::kReportRate ? kReportRateOptions : kDpiRows;
            if (!n || *n >= limit)
                return Fail(ctx, what,
                            std::string(option->first) + " takes 0 to " +
                                std::to_string(limit - 1) + ", not \"" + value + "\"",
                            kExitUsage);
        }
        edits.push_back({option->second, value});
    }

    const FileReportsToStream reports(ctx.err);
    LoadedProfile p;
    int status = kExitOk;
    if (!LoadProfile(ctx, what, std::nullopt, p, status)) return status;
    DeviceSession session;
    if (!OpenMouse(ctx, session, receiver_only, status)) return status;
    CommandChannel& channel = session.Channel();
    // The figures mean what they mean on this mouse.
    const MouseInfoRead info = ReadMouseInfo(channel);
    if (info.result != kCmdOk)
        return Fail(
            ctx, what,
            std::string("the mouse did not tell its DPI scale: ") + CommandResultText(info.result),
            kExitDeviceError);
    const DpiScale scale = ScaleOf(info.info);

    MouseStages& stages = p.sections.stages;
    StageWords& system = p.sections.system_values;
    int row = -1;  // --stage
    for (const DpiEdit& e : edits) {
        StageEdit result = StageEdit::kDone;
        const int n = e.kind == DpiEdit::Kind::kDpi ? 0 : *SmallNumber(e.value);
        switch (e.kind) {
            case DpiEdit::Kind::kStage:
                row = n;
                break;
            case DpiEdit::Kind::kDpi:
                result = SetStageX(stages, row >= 0 ? row : stages.current,
                                   scale.PositionOfText(e.value));
                break;
            case DpiEdit::Kind::kEnable:
                result = SetStageEnabled(stages, n, true);
                break;
            case DpiEdit::Kind::kDisable:
                result = SetStageEnabled(stages, n, false);
                break;
            case DpiEdit::Kind::kCurrent:
                result = SelectStage(stages, n, SliderPositions(stages, scale));
                break;
            case DpiEdit::Kind::kReportRate:
                system = WithReportRate(system, n);
                break;
        }
        if (result != StageEdit::kDone)
            return Fail(ctx, what, std::string(StageEditText(result)) + "; nothing was changed",
                        kExitRefused);
    }

    if (!edits.empty()) {
        PutMouseStages(p.data, stages);
        p.data.SetSystemValues(system);
        if (!p.data.Save())
            return Fail(ctx, what, "the profile could not be saved", kExitFileError);
    }
    const auto [width, height] = MouseScreen(channel);
    const DeviceTransfer written = WriteMouseSettingsPage(
        channel, 0, MouseSettingsPageOf(p.sections, MouseModes(), width, height));

    Json::Value v(Json::objectValue);
    v["profile"] = p.Name();
    v["write"] = TransferJson(written);
    v["reportRate"] = ReportRateOf(system);
    Json::Value list(Json::arrayValue);
    for (int n = 0; n < kDpiRows; ++n)
        list.append(StageJson(StageOrZero(stages.stages, n), n, stages.current, scale));
    v["stages"] = list;
    v["stagesInProfile"] = static_cast<Json::UInt64>(stages.stages.size());
    if (ctx.json) {
        PrintJson(ctx.out, v);
    } else {
        ctx.out << "profile " << p.Name() << ": " << stages.stages.size() << " stages, report rate "
                << ReportRateOf(system) << "\n";
        PrintStages(ctx.out, list);
        ctx.out << "settings page: " << TransferText(written) << "\n";
    }
    return written.Ok() ? kExitOk : kExitDeviceError;
}

// ---- preview --------------------------------------------------------------------------------

std::atomic<uint64_t> g_preview_ms{0};
uint64_t PreviewClock() {
    return g_preview_ms.load();
}

int Preview(Context& ctx, const std::vector<std::string>& args) {
    const std::string what = "preview mouse";
    const FileReportsToStream reports(ctx.err);
    LoadedProfile p;
    int status = kExitOk;
    if (!LoadProfile(ctx, what, std::nullopt, p, status)) return status;
    (void)p.data.LoadLightList(p.kind->folder / "rodav_light.config");
    LightInfoRecord light = p.sections.light;
    int steps = 10;
    bool press = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--press") {
            press = true;
            continue;
        }
        if (i + 1 >= args.size())
            return Fail(ctx, what, "\"" + args[i] + "\" needs a value", kExitUsage);
        const std::string& value = args[++i];
        if (args[i - 1] == "--colour") {
            unsigned r = 0, g = 0, b = 0;
            if (value.size() != 6 || std::sscanf(value.c_str(), "%2x%2x%2x", &r, &g, &b) != 3)
                return Fail(ctx, what, "--colour takes RRGGBB, not \"" + value + "\"", kExitUsage);
            light.red = static_cast<uint8_t>(r);
            light.green = static_cast<uint8_t>(g);
            light.blue = static_cast<uint8_t>(b);
            continue;
        }
        const auto n = SmallNumber(value);
        if (!n || *n > 255)
            return Fail(ctx, what, args[i - 1] + " takes 0 to 255, not \"" + value + "\"",
                        kExitUsage);
        const std::string& o = args[i - 1];
        if (o == "--mode")
            light.mode = static_cast<uint8_t>(*n);
        else if (o == "--brightness")
            light.brightness = static_cast<uint8_t>(*n);
        else if (o == "--speed")
            light.speed = static_cast<uint8_t>(*n);
        else if (o == "--direction")
            light.direction = static_cast<uint8_t>(*n);
        else if (o == "--multicolour")
            light.multicolor = static_cast<uint8_t>(*n != 0);
        else if (o == "--steps")
            steps = std::clamp(*n, 1, 1000);
        else
            return Fail(ctx, what, "unknown option \"" + o + "\"", kExitUsage);
    }

    // The program the mouse object runs, as if the mouse were there, on a clock of its own.
    lighting::LedArray leds(kMouseLeds);
    CommandChannel present;
    present.SetOpen(true);
    MouseLightingProgram program(leds, present, &PreviewClock);
    const auto b = light.Bytes();
    program.SetLightWords(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24,
                          b[4] | b[5] << 8 | b[6] << 16 | static_cast<uint32_t>(b[7]) << 24);
    program.RequestModeRestart();
    if (light.mode >= kFirstUserLightEffect) {
        std::vector<lighting::PlaybackStep> effect;
        for (const LedEffectStep& s : p.data.GetEffectStepsAt(light.mode - kFirstUserLightEffect))
            effect.push_back({s.mode,
                              s.brightness,
                              s.speed,
                              s.direction,
                              s.multicolor,
                              {s.red, s.green, s.blue},
                              s.time});
        program.SetUserEffect(std::move(effect));
    }
    if (press) program.Press();

    Json::Value frames(Json::arrayValue);
    g_preview_ms = 0;
    bool still = false;
    for (int i = 0; i < steps && !still; ++i) {
        still = !program.Step();
        Json::Value f(Json::objectValue);
        f["ms"] = static_cast<Json::UInt64>(g_preview_ms.load());
        Json::Value l(Json::arrayValue);
        for (size_t k = 0; k < leds.Size(); ++k) l.append(LedHex(leds.Get(k)));
        f["leds"] = l;
        frames.append(f);
        g_preview_ms += static_cast<uint64_t>(
            program.NextStepIn(std::chrono::milliseconds(kMouseTickMs)).count());
    }
    Json::Value v(Json::objectValue);
    v["profile"] = p.Name();
    v["mode"] = light.mode;
    v["still"] = still;
    v["frames"] = frames;
    if (ctx.json) {
        PrintJson(ctx.out, v);
        return kExitOk;
    }
    ctx.out << "mouse lighting, mode " << int(light.mode) << ", brightness "
            << int(light.brightness) << ", speed " << int(light.speed)
            << (still ? " (a still picture)" : "") << "; each LED as RRGGBBAA\n";
    for (const Json::Value& f : frames) {
        ctx.out << f["ms"].asUInt64() << " ms:";
        for (const Json::Value& l : f["leds"]) ctx.out << " " << l.asString();
        ctx.out << "\n";
    }
    return kExitOk;
}

}  // namespace

std::pair<int, int> MouseScreen(CommandChannel& channel) {
    const MousePageRead page0 = ReadMousePage(channel, 0);
    if (page0.result != kCmdOk) return {0, 0};
    const MouseSettingsPage p = DecodeMouseSettingsPage(page0.page);
    return {p.screen_width, p.screen_height};
}

int MouseSyncCommand(Context& ctx, const std::vector<std::string>& args, bool receiver) {
    return Sync(ctx, args, receiver);
}
int MouseApplyCommand(Context& ctx, const std::vector<std::string>& args, bool receiver) {
    return Apply(ctx, args, receiver);
}
int MouseDpiCommand(Context& ctx, const std::vector<std::string>& args, bool receiver) {
    return Dpi(ctx, args, receiver);
}
int MousePreviewCommand(Context& ctx, const std::vector<std::string>& args) {
    return Preview(ctx, args);
}

}  // namespace dz::ctl
