// dozadirctl profile ...: the profile list of a device kind.

#include <iomanip>
#include <ostream>

#include "cli.h"
#include "profile/profile_store.h"
#include "store_commands.h"
#include "store_kinds.h"

namespace dz::ctl {
namespace {

int ExitCodeOf(ProfileResult result) {
    switch (result) {
        case ProfileResult::kDone:
            return kExitOk;
        case ProfileResult::kFileError:
            return kExitFileError;
        default:
            return kExitRefused;
    }
}

std::vector<std::string> NamesOf(const ProfileStore& store) {
    std::vector<std::string> names;
    for (const ProfileEntry& entry : store.Profiles()) names.push_back(entry.name);
    return names;
}

Json::Value EntryJson(const ProfileStore& store, int index) {
    Json::Value value(Json::objectValue);
    const ProfileEntry& entry = store.Profiles()[static_cast<size_t>(index)];
    value["index"] = index;
    value["name"] = entry.name;
    value["uuid"] = entry.uuid;
    value["file"] = store.GetProfilePath(index).string();
    value["selected"] = index == store.GetSelectedIndex();
    return value;
}

// Prints the profile at `index` as the command's answer.
int Answer(Context& ctx, const ProfileStore& store, int index, std::string_view verb) {
    if (ctx.json) {
        PrintJson(ctx.out, EntryJson(store, index));
    } else {
        ctx.out << verb << " " << store.Profiles()[static_cast<size_t>(index)].name << " (index "
                << index << ")\n";
    }
    return kExitOk;
}

int List(Context& ctx, const ProfileStore& store, const StoreKind& kind) {
    if (ctx.json) {
        Json::Value value(Json::objectValue);
        value["kind"] = kind.kind_name;
        value["folder"] = kind.folder.string();
        value["selected"] = store.GetSelectedIndex();
        Json::Value list(Json::arrayValue);
        for (int i = 0; i < static_cast<int>(store.Profiles().size()); ++i) {
            list.append(EntryJson(store, i));
        }
        value["profiles"] = list;
        PrintJson(ctx.out, value);
        return kExitOk;
    }
    for (int i = 0; i < static_cast<int>(store.Profiles().size()); ++i) {
        const ProfileEntry& entry = store.Profiles()[static_cast<size_t>(i)];
        ctx.out << (i == store.GetSelectedIndex() ? "* " : "  ") << std::left << std::setw(4) << i
                << std::setw(24) << entry.uuid << entry.name << "\n";
    }
    return kExitOk;
}

// Runs `operation` on profile `index` (operations work on the selected profile), then
// selects the profile that was selected before again when it still exists.
template <typename Operation>
auto OnProfile(ProfileStore& store, int index, Operation operation) {
    const std::string previous = store.GetCurrentUUID();
    (void)store.SelectProfile(index);
    auto result = operation();
    for (int i = 0; i < static_cast<int>(store.Profiles().size()); ++i) {
        if (store.Profiles()[static_cast<size_t>(i)].uuid == previous) {
            if (i != store.GetSelectedIndex()) (void)store.SelectProfile(i);
            break;
        }
    }
    return result;
}

}  // namespace

int ProfileCommand(Context& ctx, const std::vector<std::string>& args) {
    if (args.size() < 2) {
        ctx.err << "dozadirctl: profile: give an operation and a kind\n" << kStoreUsage;
        return kExitUsage;
    }
    const std::string& op = args[0];
    const std::string what = "profile " + op;
    const auto kind = ParseStoreKind(args[1]);
    if (!kind) {
        return Fail(ctx, what, "unknown kind " + args[1] + " (use " + kStoreKindWords + ")",
                    kExitUsage);
    }
    const auto arity = [&](size_t n) { return args.size() == n + 2; };
    const bool known = (op == "list" && arity(0)) || (op == "add" && arity(0)) ||
                       (op == "copy" && (arity(0) || arity(1))) || (op == "rename" && arity(2)) ||
                       (op == "delete" && arity(1)) || (op == "select" && arity(1)) ||
                       (op == "export" && arity(2)) || (op == "import" && arity(1)) ||
                       (op == "reset" && arity(1));
    if (!known) {
        ctx.err << "dozadirctl: unknown profile operation or wrong arguments: " << op << "\n"
                << kStoreUsage;
        return kExitUsage;
    }

    const FileReportsToStream reports(ctx.err);
    ProfileStore store(kind->folder, kind->default_data_file, kind->device_type);
    store.Initialise();
    if (op == "list") return List(ctx, store, *kind);

    if (op == "add" || op == "import") {
        const ProfileChange change =
            op == "add" ? store.AddProfile() : store.ImportProfile(args[2]);
        if (change.result != ProfileResult::kDone) {
            return Fail(ctx, what, ProfileResultText(change.result), ExitCodeOf(change.result));
        }
        return Answer(ctx, store, change.index, op == "add" ? "added" : "imported");
    }

    const int index =
        args.size() > 2 ? FindItem(NamesOf(store), args[2]) : store.GetSelectedIndex();
    if (index < 0) return Fail(ctx, what, "no profile " + args[2], kExitRefused);

    if (op == "select") {
        const ProfileResult result = store.SelectProfile(index);
        if (result != ProfileResult::kDone) {
            return Fail(ctx, what, ProfileResultText(result), ExitCodeOf(result));
        }
        return Answer(ctx, store, index, "selected");
    }
    if (op == "copy") {
        const ProfileChange change = OnProfile(store, index, [&] { return store.CopyProfile(); });
        if (change.result != ProfileResult::kDone) {
            return Fail(ctx, what, ProfileResultText(change.result), ExitCodeOf(change.result));
        }
        return Answer(ctx, store, change.index, "copied to");
    }
    if (op == "delete") {
        const std::string name = store.Profiles()[static_cast<size_t>(index)].name;
        const ProfileChange change = OnProfile(store, index, [&] { return store.DeleteProfile(); });
        if (change.result != ProfileResult::kDone) {
            return Fail(ctx, what, ProfileResultText(change.result), ExitCodeOf(change.result));
        }
        if (ctx.json) {
            Json::Value value(Json::objectValue);
            value["deleted"] = name;
            value["selected"] = EntryJson(store, store.GetSelectedIndex());
            PrintJson(ctx.out, value);
        } else {
            ctx.out << "deleted " << name << "\n";
        }
        return kExitOk;
    }

    ProfileResult result = ProfileResult::kDone;
    if (op == "rename") {
        result = OnProfile(store, index, [&] { return store.RenameProfile(args[3]); });
    } else if (op == "export") {
        result = OnProfile(store, index, [&] { return store.ExportProfile(args[3]); });
    } else {  // reset
        result = OnProfile(store, index, [&] { return store.ResetProfile(); });
    }
    if (result != ProfileResult::kDone) {
        return Fail(ctx, what, ProfileResultText(result), ExitCodeOf(result));
    }
    return Answer(ctx, store, index,
                  op == "rename"   ? "renamed"
                  : op == "export" ? "exported"
                                   : "reset");
}

}  // namespace dz::ctl
