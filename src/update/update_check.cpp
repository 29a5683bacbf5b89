#include "update/update_check.h"

#include <json/value.h>

#include <cstdlib>
#include <ctime>

#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "profile/settings_file.h"

namespace dz::update {
namespace {

constexpr size_t kMaxFileNameBytes = 96;

bool IsPlainExtension(std::string_view ext) {
    if (ext.empty() || ext.size() > 8) return false;
    for (char c : ext) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!ok) return false;
    }
    return true;
}

// The last path segment of an address, without query and fragment.
std::string_view LastSegment(std::string_view url) {
    const size_t end = url.find_first_of("?#");
    if (end != std::string_view::npos) url = url.substr(0, end);
    const size_t scheme = url.find("://");
    if (scheme != std::string_view::npos) {
        url.remove_prefix(scheme + 3);
        const size_t slash = url.find('/');
        url = slash == std::string_view::npos ? std::string_view() : url.substr(slash);
    }
    const size_t slash = url.rfind('/');
    return slash == std::string_view::npos ? url : url.substr(slash + 1);
}

}  // namespace

std::string UpdateServerAddress() {
    if (const char* env = std::getenv(std::string(kUpdateServerVariable).c_str());
        env != nullptr && *env != '\0')
        return env;
    const std::string stored = JsonAsString(ReadSetting(kUpdateServerSetting));
    if (!stored.empty()) return stored;
    return std::string(kDefaultUpdateServer);
}

std::filesystem::path LastCheckFile() {
    return paths::ProductDataFolder() / "updatetime.config";
}

std::string TodayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_year + 1900) + "-" + std::to_string(local.tm_mon + 1) + "-" +
           std::to_string(local.tm_mday);
}

std::optional<std::string> ReadLastCheckDate(const std::filesystem::path& file) {
    const Json::Value root = ReadJsonFile(file);
    const Json::Value& value = JsonMember(JsonMember(root, "updatelasttime"), "value");
    if (!value.isString()) return std::nullopt;
    return value.asString();
}

bool WriteLastCheckDate(const std::filesystem::path& file, const std::string& date) {
    if (!paths::EnsureFolder(file.parent_path())) return false;
    Json::Value root = ReadJsonFile(file);
    if (!root.isObject()) root = Json::Value(Json::objectValue);
    JsonMemberForWrite(JsonMemberForWrite(root, "updatelasttime"), "value") = date;
    return TryWriteJsonFile(file, root);
}

std::string LastCheckDateOrToday(const std::filesystem::path& file) {
    if (auto stored = ReadLastCheckDate(file)) return *stored;
    const std::string today = TodayText();
    (void)WriteLastCheckDate(file, today);
    return today;
}

UpdateRow InitialRow(const UpdateItem& item) {
    UpdateRow row;
    row.name = item.model == "ALL" ? "AP" : item.type_label;
    row.current_text = item.kind != 0 ? VersionText(item.version, true) : item.version_text;
    row.status = kStatusUpToDate;
    row.file_name = DownloadFileName(row.name, {});
    return row;
}

UpdateRow RowFromInfo(const UpdateItem& item, UpdateInfo info) {
    const bool failed = info.name == kNoLinkServer;
    if (failed) info.name.clear();
    UpdateRow row = InitialRow(item);
    row.failed = failed;
    row.error = info.error;
    // No name: the row keeps what it showed before the query.
    if (!info.name.empty()) {
        row.name = info.name;
        row.current_text = info.current_version_text;
        row.status = info.status;
        row.offered_text = row.status == kStatusUpToDate ? std::string() : info.new_version_text;
        row.path = info.path;
        row.file_name = DownloadFileName(row.name, row.path);
    }
    row.info = std::move(info);
    return row;
}

int CheckOutcome(const std::vector<UpdateRow>& rows) {
    int failures = 0;
    for (const UpdateRow& r : rows) {
        if (r.status != kStatusUpToDate && r.status != 0) return kWindowHaveUpdate;
        if (r.failed) ++failures;
    }
    if (!rows.empty() && failures == static_cast<int>(rows.size())) return kWindowNoServer;
    return kWindowUpToDate;
}

CheckResult RunUpdateCheck(const std::vector<UpdateItem>& items, HttpClient& client,
                           const CheckRun& run, const std::atomic<bool>& stop) {
    CheckResult result;
    result.rows.reserve(items.size());
    for (const UpdateItem& item : items) result.rows.push_back(InitialRow(item));
    for (size_t i = 0; i < items.size(); ++i) {
        if (stop.load()) {
            result.stopped = true;
            break;
        }
        const UpdateItem& item = items[i];
        UpdateInfo info =
            QueryUpdate(client, run.base_url, ItemKey(item), item.version, item.kind != 0);
        if (stop.load()) {
            result.stopped = true;  // a cancelled query says nothing about the server
            break;
        }
        UpdateRow row = RowFromInfo(item, std::move(info));
        if (row.failed) ++result.failures;
        result.rows[i] = row;
        if (run.on_row) run.on_row(i, row);
        if (!run.date_file.empty()) (void)WriteLastCheckDate(run.date_file, TodayText());
    }
    result.window_status = CheckOutcome(result.rows);
    return result;
}

std::filesystem::path DownloadFolder() {
    return paths::ProductCacheFolder() / "UpdateData";
}

std::string DownloadFileName(std::string_view row_name, std::string_view url) {
    std::string name;
    for (char c : row_name) {
        const auto u = static_cast<unsigned char>(c);
        name.push_back(c == '/' || c == '\\' || u < 0x20 || u == 0x7F ? '_' : c);
    }
    while (!name.empty() && (name.front() == '.' || name.front() == ' ')) name.erase(0, 1);
    if (name.size() > kMaxFileNameBytes) {
        size_t cut = kMaxFileNameBytes;
        // Never in the middle of a UTF-8 sequence.
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    if (name.empty()) name = "package";
    const std::string_view segment = LastSegment(url);
    const size_t dot = segment.rfind('.');
    if (dot != std::string_view::npos && dot > 0 && IsPlainExtension(segment.substr(dot + 1)))
        name += "." + std::string(segment.substr(dot + 1));
    return name;
}

}  // namespace dz::update
