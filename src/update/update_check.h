#pragma once
// The update check that the settings window runs on its worker thread and dozadirctl runs
// in the foreground: one row per item, queries one after another, failures counted, the
// date of the last check kept in "updatetime.config", and the window status it ends in.
// Also the server's base address and the folder downloads go to.

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/update_query.h"

namespace dz::update {

// Window statuses of the settings window.
inline constexpr int kWindowChecking = 0;
inline constexpr int kWindowHaveUpdate = 1;
inline constexpr int kWindowNoServer = 2;
inline constexpr int kWindowUpdating = 3;
inline constexpr int kWindowUpToDate = 4;

// ---- The server's base address ------------------------------------------------------------
// Used when neither the environment nor the settings file names one (see README).
inline constexpr std::string_view kDefaultUpdateServer = "https://update.dozadir.example/api/";
inline constexpr std::string_view kUpdateServerVariable = "DOZADIR_UPDATE_SERVER";
inline constexpr std::string_view kUpdateServerSetting = "update_server";
// DOZADIR_UPDATE_SERVER, else the settings file's "update_server", else the default.
[[nodiscard]] std::string UpdateServerAddress();

// ---- "updatetime.config" -------------------------------------------------------------------
// ProductDataFolder() / "updatetime.config".
[[nodiscard]] std::filesystem::path LastCheckFile();
// Today's local date as "%d-%d-%d" (2022-9-12).
[[nodiscard]] std::string TodayText();
// "updatelasttime" -> "value", when the file holds one as a string.
[[nodiscard]] std::optional<std::string> ReadLastCheckDate(const std::filesystem::path& file);
// Stores the date, keeping the file's other members; atomic; the folder is made when missing.
bool WriteLastCheckDate(const std::filesystem::path& file, const std::string& date);
// The stored date; when there is none, today's, written to the file first.
[[nodiscard]] std::string LastCheckDateOrToday(const std::filesystem::path& file);

// ---- Rows ----------------------------------------------------------------------------------
// One row of the update list as the check fills it.
struct UpdateRow {
    std::string name;
    std::string current_text;
    std::string offered_text;  // empty at status 7
    int status = kStatusUpToDate;
    std::string path;       // the package's download address (the row's user data)
    std::string file_name;  // what the download is saved as, in DownloadFolder()
    bool failed = false;    // no usable answer came for this row
    std::string error;
    UpdateInfo info;
};

// The row before its query: the item's type label ("AP" for the application), its version
// ("V%04x" for firmware, its text for the application), status 7.
[[nodiscard]] UpdateRow InitialRow(const UpdateItem& item);
// The row after its query.
[[nodiscard]] UpdateRow RowFromInfo(const UpdateItem& item, UpdateInfo info);
// The window status once every row is in: 1 when some row offers an update, 2 when every
// query failed, 4 otherwise.
[[nodiscard]] int CheckOutcome(const std::vector<UpdateRow>& rows);

// ---- The check -----------------------------------------------------------------------------
struct CheckResult {
    std::vector<UpdateRow> rows;
    int failures = 0;
    int window_status = kWindowUpToDate;
    bool stopped = false;  // `stop` ended it before every item was asked
};

struct CheckRun {
    std::string base_url;
    std::filesystem::path date_file;  // today's date is stored here after each query
    // Told each row as soon as its answer is in (index into the items).
    std::function<void(size_t index, const UpdateRow& row)> on_row;
};

// Queries every item in order with `client`. Setting `stop` (and cancelling the client)
// ends it at the next item.
[[nodiscard]] CheckResult RunUpdateCheck(const std::vector<UpdateItem>& items, HttpClient& client,
                                         const CheckRun& run, const std::atomic<bool>& stop);

// ---- Downloads -----------------------------------------------------------------------------
// CacheFolder() / "UpdateData".
[[nodiscard]] std::filesystem::path DownloadFolder();
// The file a row's package is saved as: the row's name made safe for a file name (no
// folder separators, no leading dot, at most 96 bytes), and the extension of the address's
// last segment when it has a plain one.
[[nodiscard]] std::string DownloadFileName(std::string_view row_name, std::string_view url);

}  // namespace dz::update
