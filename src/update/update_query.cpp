#include "update/update_query.h"

#include <json/value.h>

#include <algorithm>
#include <cstdio>
#include <limits>

#include "device/device_table.h"
#include "platform/log/debug_log.h"
#include "profile/json_file.h"

#ifndef DZ_APP_VERSION
#error DZ_APP_VERSION must hold the version of the project
#endif

namespace dz::update {
namespace {

// The leading digits of `text` in `base` (an optional "0x" in base 16), saturated. A sign
// makes it no number: "-1" must not read as a huge version.
uint64_t LeadingNumber(std::string_view text, int base) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    if (base == 16 && i + 1 < text.size() && text[i] == '0' &&
        (text[i + 1] == 'x' || text[i + 1] == 'X'))
        i += 2;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) break;
        if (value > (std::numeric_limits<uint64_t>::max() - static_cast<uint64_t>(digit)) /
                        static_cast<uint64_t>(base))
            return std::numeric_limits<uint64_t>::max();
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    return value;
}

UpdateInfo Failed(std::string error) {
    UpdateInfo info;
    info.name = std::string(kNoLinkServer);
    info.error = std::move(error);
    return info;
}

std::string Str(std::string_view s) {
    return std::string(s);
}

}  // namespace

std::string ItemKey(const UpdateItem& item) {
    if (item.version == 0) return "NULL";
    return item.company + "_" + std::to_string(item.kind) + "_" + item.model + "_" + item.type +
           "_" + std::to_string(item.series);
}

std::string QueryBody(std::string_view key, int version, bool hex) {
    char number[16];
    std::snprintf(number, sizeof number, hex ? "%x" : "%d", version);
    std::string body = "app_key=";
    body += key;
    body += "&version=";
    body += number;
    body.push_back('\0');  // counted in Content-Length: the server reads a C string
    return body;
}

std::string VersionText(int version, bool hex) {
    char text[24];
    std::snprintf(text, sizeof text, hex ? "V%04x" : "V%d", version);
    return text;
}

UpdateInfo ParseUpdateAnswer(std::string_view body, int version, bool hex) {
    const Json::Value answer = ParseJsonText(body);
    if (!answer.isObject()) return Failed("the answer is not a JSON object");
    UpdateInfo info;
    info.path = JsonString(answer, "path");
    info.name = JsonString(answer, "name");
    info.version_name = JsonString(answer, "version_name");
    const std::string server_version = JsonString(answer, "version");
    info.new_version_text = "V" + server_version;
    info.device_id = JsonInt(answer, "device_id");
    const uint64_t offered = LeadingNumber(server_version, hex ? 16 : 10);
    info.current_version_text = VersionText(version, hex);
    if (!hex) info.new_version_text = info.version_name;
    const uint64_t current = version < 0 ? 0 : static_cast<uint64_t>(version);
    info.status = current < offered ? kStatusNewer : kStatusUpToDate;
    return info;
}

std::string QueryUrl(std::string_view base_url) {
    std::string url(base_url);
    if (!url.empty() && url.back() != '/') url.push_back('/');
    return url + "updates";
}

UpdateInfo QueryUpdate(HttpClient& client, std::string_view base_url, std::string_view key,
                       int version, bool hex) {
    const std::string body = QueryBody(key, version, hex);
    std::string response;
    const int n =
        client.Request("POST", QueryUrl(base_url), reinterpret_cast<const uint8_t*>(body.data()),
                       body.size(), response);
    if (n <= 0) {
        if (n < 0)
            return Failed("the request was not made (error " + std::to_string(client.LastError()) +
                          ")");
        if (!client.LastOutcome().reached) {
            const std::string why = client.LastOutcome().error_text;
            return Failed("the update server was not reached: " + why);
        }
    }
    const long status = client.LastOutcome().status;
    if (status < 200 || status > 299) {
        log::DebugLineF("update server answered HTTP %ld for %.*s", status,
                        static_cast<int>(key.size()), key.data());
        return Failed("the update server answered HTTP " + std::to_string(status));
    }
    return ParseUpdateAnswer(response, version, hex);
}

int VersionNumberFromText(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (c != '.') digits.push_back(c);
    const uint64_t n = LeadingNumber(digits, 10);
    // A sign or blank first, as strtol would skip, is not a version here.
    if (digits.empty() || digits[0] < '0' || digits[0] > '9') return 0;
    return static_cast<int>(std::min<uint64_t>(n, std::numeric_limits<int>::max()));
}

std::string_view AppVersionString() {
    return DZ_APP_VERSION;
}

int InstalledAppVersion() {
    return VersionNumberFromText(AppVersionString());
}

std::vector<UpdateItem> BuildUpdateItems(const std::vector<int>& firmware) {
    std::vector<UpdateItem> items;
    for (const UpdateModelRecord& row : kUpdateModels) {
        UpdateItem item;
        item.kind = row.update_kind;
        item.series = row.second_value;
        item.company = Str(row.company);
        item.model = Str(row.model);
        item.type = Str(row.type);
        item.type_label = Str(row.type_again);
        item.version_text = Str(row.version);
        items.push_back(std::move(item));
    }
    for (size_t n = 0; n < items.size() && n < firmware.size(); ++n) items[n].version = firmware[n];
    if (!items.empty()) {
        // The application: this build's version, shown as its own text.
        items.back().version = InstalledAppVersion();
        items.back().version_text = "V" + Str(AppVersionString());
    }
    return items;
}

std::vector<UpdateItem> ItemsToCheck(const std::vector<UpdateItem>& items) {
    std::vector<UpdateItem> out;
    std::copy_if(items.begin(), items.end(), std::back_inserter(out),
                 [](const UpdateItem& i) { return i.version != 0; });
    return out;
}

}  // namespace dz::update
