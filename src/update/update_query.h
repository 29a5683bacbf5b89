#pragma once
// The update query: one POST per updatable item to <server>/updates with a form body, and
// the server's JSON answer read into an UpdateInfo. Also the items themselves (the
// update-model table with the connected devices' firmware versions and this build's
// version) and the item key sent as "app_key". No Qt: the settings window and dozadirctl
// run the same code.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "update/http_client.h"

namespace dz::update {

// One updatable item: a row of the update-model table with its current version.
struct UpdateItem {
    int kind = 0;    // 0 for the application; not 0 for firmware (versions in hexadecimal)
    int series = 0;  // the row's second number
    int version = 0;
    std::string company;
    std::string model;  // "ALL" for the application
    std::string type;
    std::string type_label;
    std::string version_text;  // the application's version as text ("V1.0.0")
};

// Row statuses the query answers with.
inline constexpr int kStatusNewer = 1;     // the server offers a newer version
inline constexpr int kStatusUpToDate = 7;  // no newer version

// The result of one query.
struct UpdateInfo {
    int status = 0;
    int device_id = 0;
    // The server's "name"; kNoLinkServer when no usable answer came; or empty.
    std::string name;
    std::string current_version_text;  // "V%04x" (firmware) or "V%d" (application)
    std::string version_name;
    std::string new_version_text;  // "V" + the server's "version"; the application: version_name
    std::string path;              // where to download the package
    std::string file;              // the downloaded file, once there is one
    // Empty when the server answered; else why the query failed (unreachable, an HTTP error
    // status, an answer that is not a JSON object). name is then kNoLinkServer.
    std::string error;
};

// "%s_%d_%s_%s_%d" of company, kind, model, type and series; "NULL" for version 0.
[[nodiscard]] std::string ItemKey(const UpdateItem& item);

// "app_key=<key>&version=<version>" with the version in lower-case hexadecimal without
// padding (hex) or decimal, followed by the terminating zero byte the server expects.
[[nodiscard]] std::string QueryBody(std::string_view key, int version, bool hex);

// "V%04x" (hex) or "V%d".
[[nodiscard]] std::string VersionText(int version, bool hex);

// The server's answer body read into an UpdateInfo for the current version. Never throws;
// an answer that is not a JSON object gives an empty result with `error` set.
[[nodiscard]] UpdateInfo ParseUpdateAnswer(std::string_view body, int version, bool hex);

// The URL of the query: the server's base address ("http://host/api/") + "updates"; a
// missing "/" at the end of the base is added.
[[nodiscard]] std::string QueryUrl(std::string_view base_url);

// One query: POST to QueryUrl(base_url). An unreachable server, an HTTP status other than
// 2xx and an answer that is not a JSON object give name kNoLinkServer and `error`.
[[nodiscard]] UpdateInfo QueryUpdate(HttpClient& client, std::string_view base_url,
                                     std::string_view key, int version, bool hex);

// A version text read as a number: every "." removed, then the leading decimal digits
// ("2.3.0.2" gives 2302, "1.0.0" gives 100; 0 when there are none).
[[nodiscard]] int VersionNumberFromText(std::string_view text);

// This build's version ("1.0.0") and its number (100).
[[nodiscard]] std::string_view AppVersionString();
[[nodiscard]] int InstalledAppVersion();

// The items of the update-model table, in table order. `firmware[n]` is the firmware
// version of the device of the selector's n-th item, 0 when its channel is not open; it
// is taken for the positions both lists have. The last item is the application with this
// build's version.
[[nodiscard]] std::vector<UpdateItem> BuildUpdateItems(const std::vector<int>& firmware);
// The items whose version is not 0, in order: what the check queries.
[[nodiscard]] std::vector<UpdateItem> ItemsToCheck(const std::vector<UpdateItem>& items);

}  // namespace dz::update
