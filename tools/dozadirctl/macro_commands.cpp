// dozadirctl macro ...: the macro list of the keyboard or the mouse.

#include <iomanip>
#include <ostream>

#include "cli.h"
#include "macro/macro_event.h"
#include "macro/macro_store.h"
#include "macro/macro_text_events.h"
#include "profile/profile_store.h"
#include "store_commands.h"
#include "store_kinds.h"

namespace dz::ctl {
namespace {

int ExitCodeOf(MacroResult result) {
    switch (result) {
        case MacroResult::kDone:
            return kExitOk;
        case MacroResult::kFileError:
            return kExitFileError;
        default:
            return kExitRefused;
    }
}

Json::Value EntryJson(const MacroStore& store, int index) {
    Json::Value value(Json::objectValue);
    const MacroEntry& entry = store.Macros()[static_cast<size_t>(index)];
    value["index"] = index;
    value["name"] = entry.name;
    value["guid"] = entry.guid;
    value["events"] = static_cast<Json::UInt64>(LoadEvents(store.MacroFilePath(index)).size());
    return value;
}

Json::Value RowsJson(const std::vector<MacroEvent>& events) {
    Json::Value rows(Json::arrayValue);
    for (const MacroEvent& event : events) {
        const EventRowText text = RowTextOf(event);
        Json::Value row(Json::objectValue);
        row["name"] = text.name;
        row["action"] = text.action;
        row["delay"] = text.delay;
        row["type"] = event.type;
        row["button"] = event.button;
        rows.append(row);
    }
    return rows;
}

// The events of a macro as the editor's rows: name, action, delay.
int ShowEvents(Context& ctx, const MacroStore& store, int index) {
    const std::vector<MacroEvent> events = LoadEvents(store.MacroFilePath(index));
    if (ctx.json) {
        Json::Value value = EntryJson(store, index);
        value["rows"] = RowsJson(events);
        PrintJson(ctx.out, value);
        return kExitOk;
    }
    ctx.out << store.Macros()[static_cast<size_t>(index)].name << ": " << events.size()
            << " events\n";
    for (size_t i = 0; i < events.size(); ++i) {
        const EventRowText row = RowTextOf(events[i]);
        ctx.out << std::right << std::setw(5) << i << "  " << std::left << std::setw(16) << row.name
                << std::setw(6) << row.action << std::right << std::setw(6) << row.delay << " ms\n";
    }
    return kExitOk;
}

int Answer(Context& ctx, const MacroStore& store, int index, std::string_view verb) {
    if (ctx.json) {
        PrintJson(ctx.out, EntryJson(store, index));
    } else {
        ctx.out << verb << " " << store.Macros()[static_cast<size_t>(index)].name << " (index "
                << index << ")\n";
    }
    return kExitOk;
}

}  // namespace

int MacroCommand(Context& ctx, const std::vector<std::string>& all_args) {
    // "--force" answers yes to the question a deletion asks when the current profile
    // plays the macro.
    bool force = false;
    std::vector<std::string> args;
    for (const std::string& a : all_args) {
        if (a == "--force") {
            force = true;
        } else {
            args.push_back(a);
        }
    }
    if (args.size() < 2) {
        ctx.err << "dozadirctl: macro: give an operation and a kind\n" << kStoreUsage;
        return kExitUsage;
    }
    const std::string& op = args[0];
    const std::string what = "macro " + op;
    const auto kind = ParseStoreKind(args[1]);
    if (!kind) {
        return Fail(ctx, what, "unknown kind " + args[1] + " (use " + kStoreKindWords + ")",
                    kExitUsage);
    }
    const auto arity = [&](size_t n) { return args.size() == n + 2; };
    const bool known = (op == "list" && arity(0)) || (op == "create" && arity(0)) ||
                       (op == "import" && arity(1)) || (op == "export" && arity(2)) ||
                       (op == "rename" && arity(2)) || (op == "delete" && arity(1)) ||
                       (op == "show" && arity(1)) || (op == "add-event" && args.size() >= 4);
    if (!known || (force && op != "delete")) {
        ctx.err << "dozadirctl: unknown macro operation or wrong arguments: " << op << "\n"
                << kStoreUsage;
        return kExitUsage;
    }

    const FileReportsToStream reports(ctx.err);
    MacroStore store(kind->folder, MacroStore::ListFileNameForKind(kind->kind_name),
                     MacroStore::IsListWritableForKind(kind->kind_name));
    store.Load();
    if (op == "list") {
        if (ctx.json) {
            Json::Value value(Json::objectValue);
            value["kind"] = kind->kind_name;
            value["list"] = store.ListFilePath().string();
            Json::Value list(Json::arrayValue);
            for (int i = 0; i < static_cast<int>(store.Macros().size()); ++i) {
                list.append(EntryJson(store, i));
            }
            value["macros"] = list;
            PrintJson(ctx.out, value);
        } else {
            for (int i = 0; i < static_cast<int>(store.Macros().size()); ++i) {
                const MacroEntry& entry = store.Macros()[static_cast<size_t>(i)];
                ctx.out << std::left << std::setw(4) << i << std::setw(24) << entry.guid
                        << entry.name << "\n";
            }
        }
        return kExitOk;
    }
    if (op == "create" || op == "import") {
        const MacroChange change =
            op == "create" ? store.CreateMacro() : store.ImportMacro(args[2]);
        if (change.result != MacroResult::kDone) {
            return Fail(ctx, what, MacroResultText(change.result), ExitCodeOf(change.result));
        }
        return Answer(ctx, store, change.index, op == "create" ? "created" : "imported");
    }

    std::vector<std::string> names;
    for (const MacroEntry& entry : store.Macros()) names.push_back(entry.name);
    const int index = FindItem(names, args[2]);
    if (index < 0) return Fail(ctx, what, "no macro " + args[2], kExitRefused);

    if (op == "show") return ShowEvents(ctx, store, index);
    if (op == "add-event") {
        // Onto the events as the file has them; a damaged file is kept beside the new one.
        const std::filesystem::path file = store.MacroFilePath(index);
        const TextEventsResult added = AppendTextEvents(
            LoadEvents(file), std::vector<std::string>(args.begin() + 3, args.end()));
        if (!added.error.empty()) return Fail(ctx, what, added.error, kExitUsage);
        if (added.events.size() > kMaxMacroEvents) {
            return Fail(ctx, what,
                        "a macro holds at most " + std::to_string(kMaxMacroEvents) + " events",
                        kExitRefused);
        }
        const MacroEntry& entry = store.Macros()[static_cast<size_t>(index)];
        if (!SaveEvents(file, entry.name, entry.guid, added.events)) {
            return Fail(ctx, what, "the macro file could not be written: " + file.string(),
                        kExitFileError);
        }
        return ShowEvents(ctx, store, index);
    }
    if (op == "export" || op == "rename") {
        const MacroResult result =
            op == "export" ? store.ExportMacro(index, args[3]) : store.RenameMacro(index, args[3]);
        if (result != MacroResult::kDone) {
            return Fail(ctx, what, MacroResultText(result), ExitCodeOf(result));
        }
        return Answer(ctx, store, index, op == "export" ? "exported" : "renamed");
    }

    // delete: the keys of every profile of the kind follow the renumbered list.
    ProfileStore profiles(kind->folder, kind->default_data_file, kind->device_type);
    profiles.Initialise();
    CBasicProfiledata current;
    current.SetDefaultPath(kind->default_data_file);
    current.SetProfilePath(profiles.GetProfilePath(profiles.GetSelectedIndex()));
    current.LoadDeviceSection(current.GetProfilePath());
    bool refused_in_use = false;
    MacroDeleteContext context;
    context.current = &current;
    context.other_profiles = profiles.OtherProfilePaths();
    context.confirm = [&](MacroConfirmation question) {
        if (question == MacroConfirmation::kDeleteMacro) return true;  // asked by running it
        refused_in_use = !force;
        return force;
    };
    const std::string name = names[static_cast<size_t>(index)];
    const MacroDeleteResult result = store.DeleteMacro(index, context);
    if (result.result != MacroResult::kDone) {
        return Fail(ctx, what,
                    refused_in_use ? "keys of the selected profile play " + name +
                                         "; give --force to delete it anyway"
                                   : std::string(MacroResultText(result.result)),
                    ExitCodeOf(result.result));
    }
    if (ctx.json) {
        Json::Value value(Json::objectValue);
        value["deleted"] = name;
        value["currentProfileChanged"] = result.current_keys_changed;
        Json::Value rewritten(Json::arrayValue);
        for (const auto& path : result.rewritten_profiles) rewritten.append(path.string());
        value["rewrittenProfiles"] = rewritten;
        PrintJson(ctx.out, value);
    } else {
        ctx.out << "deleted " << name << "\n";
    }
    return kExitOk;
}

const char* const kStoreUsage =
    "Profiles (KIND: keyboard, mouse, mousepad, headset; PROFILE: a name or an index):\n"
    "  profile list KIND                   the profiles, * marks the selected one\n"
    "  profile add KIND                    a new profile with the default settings\n"
    "  profile copy KIND [PROFILE]         a copy of PROFILE (default: the selected one)\n"
    "  profile rename KIND PROFILE NAME\n"
    "  profile delete KIND PROFILE         (the last profile cannot be deleted)\n"
    "  profile select KIND PROFILE\n"
    "  profile export KIND PROFILE FILE\n"
    "  profile import KIND FILE            named after the file's title\n"
    "  profile reset KIND PROFILE          back to the default settings\n"
    "Macros (KIND: keyboard, mouse; MACRO: a name or an index):\n"
    "  macro list KIND\n"
    "  macro show KIND MACRO               its events: name, action, delay\n"
    "  macro add-event KIND MACRO EVENT... appends down:KEY, up:KEY, click:BUTTON,\n"
    "                                      move:DIRECTION:N, delay:MS (the delay of the\n"
    "                                      event before it); KEY as A, LCtrl, F5, Enter\n"
    "  macro create KIND\n"
    "  macro import KIND FILE\n"
    "  macro export KIND MACRO FILE\n"
    "  macro rename KIND MACRO NAME\n"
    "  macro delete KIND MACRO [--force]   keys playing it get their default back; --force\n"
    "                                      when keys of the selected profile play it\n";

}  // namespace dz::ctl
