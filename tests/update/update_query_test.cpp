// The update query's pure parts: item key, body, answer, versions, items, file names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/package_download.h"
#include "update/update_check.h"
#include "update/update_query.h"

namespace dz::update {
namespace {

UpdateItem Firmware(int version) {
    UpdateItem i;
    i.kind = 1;
    i.series = 1;
    i.version = version;
    i.company = "RODAV";
    i.model = "DA20Z02E";
    i.type = "KB";
    i.type_label = "KB";
    return i;
}

UpdateItem App(int version) {
    UpdateItem i;
    i.kind = 0;
    i.series = 1;
    i.version = version;
    i.company = "RODAV";
    i.model = "ALL";
    i.type = "AP";
    i.type_label = "AP";
    i.version_text = "V2.3.0.2";
    return i;
}

TEST(UpdateQuery, ItemKeyAndBody) {
    EXPECT_EQ(ItemKey(Firmware(0x0102)), "RODAV_1_DA20Z02E_KB_1");
    EXPECT_EQ(ItemKey(Firmware(0)), "NULL");
    EXPECT_EQ(ItemKey(App(2302)), "RODAV_0_ALL_AP_1");
    // Hexadecimal without padding, decimal, and the terminating zero in both.
    EXPECT_EQ(QueryBody("K", 0x0102, true), std::string("app_key=K&version=102\0", 22));
    EXPECT_EQ(QueryBody("K", 0x00ab, true), std::string("app_key=K&version=ab\0", 21));
    EXPECT_EQ(QueryBody("K", 2302, false), std::string("app_key=K&version=2302\0", 23));
    EXPECT_EQ(QueryUrl("http://h/api/"), "http://h/api/updates");
    EXPECT_EQ(QueryUrl("http://h/api"), "http://h/api/updates");
}

TEST(UpdateQuery, AnswersReadIntoUpdateInfo) {
    struct C {
        const char* body;
        int version;
        bool hex;
        int status;
        const char* current;
        const char* offered;
        bool failed;
    };
    const std::vector<C> cases = {
        // Firmware 0x0102, the server offers 103 (hex 0x103): newer.
        {R"({"name":"KB fw","version":"103","version_name":"1.03","path":"/p","device_id":7})",
         0x0102, true, 1, "V0102", "V103", false},
        {R"({"name":"KB fw","version":"102"})", 0x0102, true, 7, "V0102", "V102", false},
        // Letters are hexadecimal digits too.
        {R"({"name":"n","version":"1a0"})", 0x019f, true, 1, "V019f", "V1a0", false},
        // The application: decimal, and the offered text is the version name.
        {R"({"name":"app","version":"2302","version_name":"2.3.0.2"})", 2302, false, 7, "V2302",
         "2.3.0.2", false},
        {R"({"name":"app","version":"2400","version_name":"2.4.0.0"})", 2302, false, 1, "V2302",
         "2.4.0.0", false},
        // A sign is no version: "-1" must not read as the largest number.
        {R"({"name":"app","version":"-1"})", 5, false, 7, "V5", "", false},
        // Wrong types read as empty and 0, never throw.
        {R"({"name":5,"version":103,"device_id":"x","path":[1]})", 0x0102, true, 7, "V0102", "V",
         false},
        // Not an object: a failed query.
        {"[1,2]", 0x0102, true, 0, "", "", true},
        {"not json", 0x0102, true, 0, "", "", true},
        {"", 0x0102, true, 0, "", "", true},
        {"\"text\"", 0x0102, true, 0, "", "", true},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.body);
        const UpdateInfo info = ParseUpdateAnswer(c.body, c.version, c.hex);
        EXPECT_EQ(info.status, c.status);
        EXPECT_EQ(info.current_version_text, c.current);
        EXPECT_EQ(info.new_version_text, c.offered);
        EXPECT_EQ(!info.error.empty(), c.failed);
        if (c.failed) {
            EXPECT_EQ(info.name, kNoLinkServer);
        }
    }
    const UpdateInfo full = ParseUpdateAnswer(
        R"({"name":"KB fw","version":"103","version_name":"1.03","path":"/p","device_id":7})",
        0x0102, true);
    EXPECT_EQ(full.name, "KB fw");
    EXPECT_EQ(full.version_name, "1.03");
    EXPECT_EQ(full.path, "/p");
    EXPECT_EQ(full.device_id, 7);
}

TEST(UpdateQuery, VersionNumbersAndTheBuildsVersion) {
    EXPECT_EQ(VersionNumberFromText("2.3.0.2"), 2302);
    EXPECT_EQ(VersionNumberFromText("1.0.0"), 100);
    EXPECT_EQ(VersionNumberFromText("12.x.4"), 12);
    EXPECT_EQ(VersionNumberFromText(""), 0);
    EXPECT_EQ(VersionNumberFromText("abc"), 0);
    EXPECT_EQ(VersionNumberFromText("99999999999999"), 2147483647);
    // This build: the project's version with its dots removed.
    EXPECT_EQ(InstalledAppVersion(), VersionNumberFromText(AppVersionString()));
    EXPECT_GT(InstalledAppVersion(), 0);
}

TEST(UpdateQuery, ItemsFromTheTableAndTheSelector) {
    // The mouse at selector position 0 with an open channel, the keyboard closed.
    const std::vector<UpdateItem> items = BuildUpdateItems({0x0105, 0});
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].version, 0x0105);
    EXPECT_EQ(items[0].type_label, "MS");
    EXPECT_EQ(items[1].version, 0);
    EXPECT_EQ(items[2].version, 0);  // no third selector item
    EXPECT_EQ(items[3].model, "ALL");
    EXPECT_EQ(items[3].version, InstalledAppVersion());
    EXPECT_EQ(items[3].version_text, "V" + std::string(AppVersionString()));
    const std::vector<UpdateItem> checked = ItemsToCheck(items);
    ASSERT_EQ(checked.size(), 2u);
    EXPECT_EQ(checked[0].type_label, "MS");
    EXPECT_EQ(checked[1].model, "ALL");
    // A fourth selector item does not displace the application's version.
    EXPECT_EQ(BuildUpdateItems({1, 2, 3, 4}).back().version, InstalledAppVersion());
}

TEST(UpdateCheck, RowsBeforeAndAfterTheirQuery) {
    const UpdateRow first = InitialRow(Firmware(0x0102));
    EXPECT_EQ(first.name, "KB");
    EXPECT_EQ(first.current_text, "V0102");
    EXPECT_EQ(first.status, 7);
    EXPECT_EQ(InitialRow(App(2302)).name, "AP");
    EXPECT_EQ(InitialRow(App(2302)).current_text, "V2.3.0.2");

    UpdateInfo offered =
        ParseUpdateAnswer(R"({"name":"KB fw","version":"103","path":"/f.bin"})", 0x0102, true);
    const UpdateRow row = RowFromInfo(Firmware(0x0102), offered);
    EXPECT_EQ(row.name, "KB fw");
    EXPECT_EQ(row.offered_text, "V103");
    EXPECT_EQ(row.status, 1);
    EXPECT_EQ(row.path, "/f.bin");
    EXPECT_EQ(row.file_name, "KB fw.bin");
    EXPECT_FALSE(row.failed);

    // Up to date: no offered text shown.
    const UpdateRow same = RowFromInfo(
        Firmware(0x0102), ParseUpdateAnswer(R"({"name":"KB fw","version":"102"})", 0x0102, true));
    EXPECT_EQ(same.status, 7);
    EXPECT_EQ(same.offered_text, "");

    // Unreachable: counted, and the row keeps its local look.
    UpdateInfo down;
    down.name = std::string(kNoLinkServer);
    const UpdateRow failed = RowFromInfo(Firmware(0x0102), down);
    EXPECT_TRUE(failed.failed);
    EXPECT_EQ(failed.name, "KB");
    EXPECT_EQ(failed.current_text, "V0102");
    EXPECT_EQ(failed.status, 7);

    // A nameless answer keeps the local row but is no failure.
    const UpdateRow nameless =
        RowFromInfo(Firmware(0x0102), ParseUpdateAnswer(R"({"version":"200"})", 0x0102, true));
    EXPECT_FALSE(nameless.failed);
    EXPECT_EQ(nameless.status, 7);
    EXPECT_EQ(nameless.name, "KB");
}

TEST(UpdateCheck, WindowStatusFromTheRows) {
    UpdateRow up;  // status 7
    UpdateRow failed;
    failed.failed = true;
    UpdateRow newer;
    newer.status = 1;
    EXPECT_EQ(CheckOutcome({newer, failed}), kWindowHaveUpdate);
    EXPECT_EQ(CheckOutcome({failed, failed}), kWindowNoServer);
    EXPECT_EQ(CheckOutcome({up, failed}), kWindowUpToDate);
    EXPECT_EQ(CheckOutcome({}), kWindowUpToDate);
}

TEST(UpdateDownload, FileNamesAndAddresses) {
    struct C {
        const char* name;
        const char* url;
        const char* file;
    };
    const std::vector<C> cases = {
        {"KB", "", "KB"},
        {"KB fw", "https://h/files/kb_103.bin", "KB fw.bin"},
        {"KB", "https://h/files/kb.tar.gz?x=1#y", "KB.gz"},
        {"../../etc/passwd", "https://h/p.deb", "_.._etc_passwd.deb"},
        {"..", "", "package"},
        {"a\nb", "https://h/p", "a_b"},
        {"AP", "https://h/p.e x e", "AP"},
        {"固件", "/x.bin", "固件.bin"},
    };
    for (const C& c : cases) EXPECT_EQ(DownloadFileName(c.name, c.url), c.file) << c.name;
    // Long names are cut, never inside a UTF-8 character.
    std::string long_name;
    for (int i = 0; i < 60; ++i) long_name += "固";
    const std::string cut = DownloadFileName(long_name, {});
    EXPECT_LE(cut.size(), 96u);
    EXPECT_EQ(cut.size() % 3, 0u);

    EXPECT_EQ(PackageUrl("http://127.0.0.1:8/api/updates", "/files/p.bin"),
              "http://127.0.0.1:8/files/p.bin");
    EXPECT_EQ(PackageUrl("http://127.0.0.1:8/api/updates", "p.bin"),
              "http://127.0.0.1:8/api/p.bin");
    EXPECT_EQ(PackageUrl("http://h/api/updates", "https://cdn.example/p.bin"),
              "https://cdn.example/p.bin");
    EXPECT_EQ(PackageUrl("http://h/api/updates", "file:///etc/passwd"), "");
    EXPECT_EQ(PackageUrl("http://h/api/updates", "ftp://h/p"), "");
    EXPECT_EQ(PackageUrl("http://h/api/updates", ""), "");
}

}  // namespace
}  // namespace dz::update
