// The HTTP client, the query, the check and downloads against a real server on 127.0.0.1
// (tests/update/update_server.py), checked on the bytes the server receives.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <json/value.h>

#include "support/temp_folder.h"
#include "support/test_http_server.h"
#include "update/http_client.h"
#include "update/package_download.h"
#include "update/update_check.h"
#include "update/update_query.h"

namespace dz::update {
namespace {

using test::J;
using test::TestHttpServer;
using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

// A server whose /api/updates answers `answer` for every key.
Json::Value AnswerAll(const Json::Value& answer) {
    Json::Value s;
    s["routes"]["/api/updates"]["default"] = answer;
    return s;
}

Json::Value Ok(const std::string& body, int status = 200) {
    Json::Value a;
    a["status"] = status;
    a["body"] = body;
    return a;
}

TEST(HttpQuery, FirmwareQueryOnTheWireAndItsAnswer) {
    TestHttpServer server(
        AnswerAll(Ok(R"({"name":"KB fw","version":"103","version_name":"1.03","path":"/f"})")));
    ASSERT_TRUE(server.Running());
    HttpClient client;
    const UpdateInfo info =
        QueryUpdate(client, server.BaseUrl(), "RODAV_1_DA20Z02E_KB_1", 0x0102, true);
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.current_version_text, "V0102");
    EXPECT_EQ(info.new_version_text, "V103");
    EXPECT_EQ(info.name, "KB fw");
    EXPECT_TRUE(info.error.empty()) << info.error;

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const test::ReceivedRequest& r = requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path, "/api/updates");
    const std::string body("app_key=RODAV_1_DA20Z02E_KB_1&version=102", 41);
    // The body and its terminating zero, counted in Content-Length (n + 1).
    EXPECT_EQ(r.body, body + std::string(1, '\0'));
    EXPECT_EQ(r.Header("Content-Length"), std::to_string(body.size() + 1));
    EXPECT_EQ(r.HeaderCount("Content-Length"), 1u);
    EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(r.Header("Accept"), "application/prs.Rodav.v1+json");
    EXPECT_EQ(r.Header("User-Agent"), "WinHTTP Client/1.0");
}

TEST(HttpQuery, ApplicationQueryInDecimal) {
    TestHttpServer server(
        AnswerAll(Ok(R"({"name":"app","version":"2302","version_name":"2.3.0.2"})")));
    ASSERT_TRUE(server.Running());
    HttpClient client;
    const UpdateInfo info = QueryUpdate(client, server.BaseUrl(), "RODAV_0_ALL_AP_1", 2302, false);
    EXPECT_EQ(info.status, 7);
    EXPECT_EQ(info.current_version_text, "V2302");
    EXPECT_EQ(info.new_version_text, "2.3.0.2");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, std::string("app_key=RODAV_0_ALL_AP_1&version=2302\0", 38));
    EXPECT_EQ(requests[0].Header("Content-Length"), "38");
}

TEST(HttpQuery, ServerDownGivesNoLinkServerAtOnce) {
    HttpClient client;
    const auto start = Clock::now();
    std::string response;
    const std::string url = "http://127.0.0.1:" + std::to_string(test::FreePort()) + "/api/updates";
    EXPECT_EQ(client.Request("POST", url, nullptr, 0, response), 0);
    EXPECT_EQ(response, kNoLinkServer);
    EXPECT_EQ(client.LastError(), kErrorTransportBase + 7);  // could not connect
    const UpdateInfo info = QueryUpdate(client, url.substr(0, url.size() - 7), "K", 1, true);
    EXPECT_EQ(info.name, kNoLinkServer);
    EXPECT_FALSE(info.error.empty());
    EXPECT_LT(MsSince(start), 5000);
}

TEST(HttpQuery, BadAnswersFailOrReadEmptyWithoutACrash) {
    struct C {
        const char* what;
        Json::Value answer;
        int stored;  // bytes Request stores; -1: the body's size
        bool failed;
        int status;
    };
    Json::Value big = Ok("0123456789abcdef");
    big["body_repeat"] = 200 * 1024 / 16;  // 200 KB
    const std::vector<C> cases = {
        {"200 KB", big, int(kResponseBufferSize), true, 0},
        {"invalid JSON", Ok("{\"name\": "), -1, true, 0},
        {"wrong types", Ok(R"({"name":["x"],"version":{"a":1},"device_id":"7"})"), -1, false, 7},
        // An error status is the server failing, whatever its body says.
        {"500 with JSON", Ok(R"({"name":"KB fw","version":"999"})", 500), -1, true, 0},
        {"404", Ok("", 404), 0, true, 0},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.what);
        TestHttpServer server(AnswerAll(c.answer));
        ASSERT_TRUE(server.Running());
        HttpClient client;
        std::string response;
        const int n = client.Request("POST", QueryUrl(server.BaseUrl()), nullptr, 0, response);
        const int expected = c.stored >= 0 ? c.stored : int(c.answer["body"].asString().size());
        EXPECT_EQ(n, expected);
        EXPECT_EQ(response.size(), size_t(expected));
        const UpdateInfo info = QueryUpdate(client, server.BaseUrl(), "K", 0x0102, true);
        EXPECT_EQ(!info.error.empty(), c.failed) << info.error;
        EXPECT_EQ(info.status, c.status);
        if (c.failed) {
            EXPECT_EQ(info.name, kNoLinkServer);
        }
    }
}

TEST(HttpQuery, RedirectsAtMostThreeAndNeverFromHttpsToHttp) {
    Json::Value s = AnswerAll(Ok(R"({"name":"n","version":"2"})"));
    Json::Value loop = Ok("", 302);
    loop["headers"]["Location"] = "/loop";
    s["routes"]["/loop"] = loop;
    Json::Value once = Ok("", 307);
    once["headers"]["Location"] = "/api/updates";
    s["routes"]["/moved/updates"] = once;
    TestHttpServer server(s);
    ASSERT_TRUE(server.Running());
    HttpClient client;
    std::string response;
    EXPECT_EQ(client.Request("POST", server.Url("/loop"), nullptr, 0, response), 0);
    EXPECT_EQ(response, kNoLinkServer);
    EXPECT_EQ(server.Requests().size(), 4u);  // the request and three redirects

    // One redirect (307 keeps the POST and its body) is followed.
    const UpdateInfo moved = QueryUpdate(client, server.Url("/moved/"), "K", 1, true);
    EXPECT_EQ(moved.status, 1) << moved.error;
    EXPECT_EQ(server.Requests().back().path, "/api/updates");

    // An https server sending us to http: refused, the http server sees nothing.
    test::TempFolder certs;
    const test::TestCertificate cert = test::MakeCertificate(certs, "localhost");
    ASSERT_TRUE(cert.ok);
    Json::Value down = Ok("", 302);
    down["headers"]["Location"] = server.Url("/api/updates");
    Json::Value ss;
    ss["routes"]["/api/updates"] = down;
    TestHttpServer secure(ss, &cert);
    ASSERT_TRUE(secure.Running());
    HttpSettings trusting;
    trusting.ca_file = cert.cert.string();
    HttpClient trusted(trusting);
    const size_t before = server.Requests().size();
    const UpdateInfo refused = QueryUpdate(trusted, secure.BaseUrl(), "K", 1, true);
    EXPECT_EQ(refused.name, kNoLinkServer);
    EXPECT_EQ(secure.Requests().size(), 1u);
    EXPECT_EQ(server.Requests().size(), before);
}

TEST(HttpQuery, HttpsCertificatesAndHostNamesAreVerified) {
    test::TempFolder certs;
    const test::TestCertificate good = test::MakeCertificate(certs, "localhost");
    const test::TestCertificate other = test::MakeCertificate(certs, "other.example");
    ASSERT_TRUE(good.ok && other.ok);
    const Json::Value script = AnswerAll(Ok(R"({"name":"n","version":"2"})"));
    TestHttpServer secure(script, &good);
    TestHttpServer misnamed(script, &other);
    ASSERT_TRUE(secure.Running() && misnamed.Running());

    // Self-signed, so not trusted by the system: unreachable.
    HttpClient system_trust;
    const UpdateInfo untrusted = QueryUpdate(system_trust, secure.BaseUrl(), "K", 1, true);
    EXPECT_EQ(untrusted.name, kNoLinkServer);
    EXPECT_TRUE(secure.Requests().empty());

    // Trusted, and named as the address says: answered.
    HttpSettings trust_good;
    trust_good.ca_file = good.cert.string();
    HttpClient trusted(trust_good);
    EXPECT_EQ(QueryUpdate(trusted, secure.BaseUrl(), "K", 1, true).status, 1);
    EXPECT_EQ(QueryUpdate(trusted, secure.BaseUrl("localhost"), "K", 1, true).status, 1);

    // Trusted, but made out for another host: unreachable.
    HttpSettings trust_other;
    trust_other.ca_file = other.cert.string();
    HttpClient wrong_host(trust_other);
    EXPECT_EQ(QueryUpdate(wrong_host, misnamed.BaseUrl(), "K", 1, true).name, kNoLinkServer);
    EXPECT_TRUE(misnamed.Requests().empty());
}

TEST(HttpQuery, MethodsAndAddressesThatAreRefused) {
    HttpClient client;
    std::string response = "old";
    EXPECT_EQ(client.Request("PUT", "http://127.0.0.1:1/", nullptr, 0, response), -1);
    EXPECT_EQ(client.LastError(), kErrorInvalidParameter);
    EXPECT_EQ(client.Request("POST", "", nullptr, 0, response), -1);
    EXPECT_EQ(client.LastError(), kErrorPathNotFound);
    // Only http and https are spoken.
    EXPECT_EQ(client.Request("GET", "file:///etc/hostname", nullptr, 0, response), 0);
    EXPECT_EQ(response, kNoLinkServer);

    TestHttpServer server(AnswerAll(Ok("{}")));
    ASSERT_TRUE(server.Running());
    EXPECT_EQ(client.Request("get", QueryUrl(server.BaseUrl()), nullptr, 0, response), 2);
    EXPECT_EQ(server.Requests().at(0).method, "GET");
}

TEST(HttpQuery, ProxiesFromTheEnvironment) {
    // The test server stands in for a proxy: it sees the absolute address.
    TestHttpServer proxy(AnswerAll(Ok("{}")));
    ASSERT_TRUE(proxy.Running());
    const std::string proxy_url = "http://127.0.0.1:" + std::to_string(proxy.Port());
    const char* old_no_proxy = std::getenv("no_proxy");
    const std::string kept_no_proxy = old_no_proxy != nullptr ? old_no_proxy : "";
    ::setenv("http_proxy", proxy_url.c_str(), 1);
    ::setenv("no_proxy", "127.0.0.1", 1);
    HttpClient client;
    (void)QueryUpdate(client, "http://update.dozadir.example/api/", "K", 1, true);
    // no_proxy lets a host go direct.
    ::setenv("no_proxy", "update.dozadir.example", 1);
    (void)QueryUpdate(client, "http://update.dozadir.example/api/", "K", 1, true);
    ::unsetenv("http_proxy");
    if (old_no_proxy != nullptr) {
        ::setenv("no_proxy", kept_no_proxy.c_str(), 1);
    } else {
        ::unsetenv("no_proxy");
    }
    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "http://update.dozadir.example/api/updates");
}

TEST(HttpQuery, CancelEndsAWaitingRequestAtOnce) {
    Json::Value slow = Ok("{}");
    slow["delay"] = 35;
    TestHttpServer server(AnswerAll(slow));
    ASSERT_TRUE(server.Running());
    HttpClient client;
    std::atomic<bool> done{false};
    UpdateInfo info;
    std::thread query([&] {
        info = QueryUpdate(client, server.BaseUrl(), "K", 1, true);
        done = true;
    });
    while (server.Requests().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto start = Clock::now();
    client.Cancel();
    query.join();
    EXPECT_LT(MsSince(start), 500);
    EXPECT_EQ(info.name, kNoLinkServer);
    // Later requests end before they start, until the cancel is reset.
    std::string response;
    EXPECT_EQ(client.Request("POST", QueryUrl(server.BaseUrl()), nullptr, 0, response), 0);
    EXPECT_EQ(client.LastError(), kErrorTransportBase + 42);
    EXPECT_EQ(server.Requests().size(), 1u);
}

// Runs with the real time-outs: registered on its own (update_timeout_test).
TEST(HttpQuerySlow, AServerAnsweringAfter35SecondsTimesOutAfter30) {
    Json::Value slow = Ok(R"({"name":"n","version":"9"})");
    slow["delay"] = 35;
    TestHttpServer server(AnswerAll(slow));
    ASSERT_TRUE(server.Running());
    HttpClient client;
    const auto start = Clock::now();
    const UpdateInfo info = QueryUpdate(client, server.BaseUrl(), "K", 1, true);
    const long long took = MsSince(start);
    EXPECT_EQ(info.name, kNoLinkServer);
    EXPECT_EQ(client.LastError(), kErrorTransportBase + 28);
    EXPECT_GE(took, 29000);
    EXPECT_LT(took, 34000);
}

TEST(UpdateCheckRun, QueriesEveryItemInOrderAndKeepsTheDate) {
    Json::Value s;
    s["routes"]["/api/updates"]["by_key"]["RODAV_1_DA20Z02E_KB_1"] =
        Ok(R"({"name":"KB fw","version":"103","path":"/files/kb.bin"})");
    s["routes"]["/api/updates"]["by_key"]["RODAV_0_ALL_AP_1"] =
        Ok(R"({"name":"App","version":"100","version_name":"1.0.0"})");
    TestHttpServer server(s);
    ASSERT_TRUE(server.Running());
    test::TempFolder folder;
    std::vector<UpdateItem> items = ItemsToCheck(BuildUpdateItems({0, 0x0102}));
    ASSERT_EQ(items.size(), 2u);
    std::vector<size_t> told;
    CheckRun run{server.BaseUrl(), folder / "updatetime.config",
                 [&](size_t i, const UpdateRow&) { told.push_back(i); }};
    HttpClient client;
    std::atomic<bool> stop{false};
    const CheckResult r = RunUpdateCheck(items, client, run, stop);
    EXPECT_EQ(told, (std::vector<size_t>{0, 1}));
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[0].status, 1);
    EXPECT_EQ(r.rows[0].offered_text, "V103");
    EXPECT_EQ(r.rows[1].status, 7);
    EXPECT_EQ(r.failures, 0);
    EXPECT_EQ(r.window_status, kWindowHaveUpdate);
    EXPECT_EQ(ReadLastCheckDate(folder / "updatetime.config"), TodayText());
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].body, std::string("app_key=RODAV_1_DA20Z02E_KB_1&version=102\0", 42));

    // Nobody answering: every row fails, the window shows status 2.
    CheckRun down{"http://127.0.0.1:" + std::to_string(test::FreePort()) + "/api/", {}, {}};
    const CheckResult none = RunUpdateCheck(items, client, down, stop);
    EXPECT_EQ(none.failures, 2);
    EXPECT_EQ(none.window_status, kWindowNoServer);
}

TEST(UpdateCheckRun, LastCheckDateFile) {
    test::TempFolder folder;
    const auto file = folder / "sub" / "updatetime.config";
    EXPECT_FALSE(ReadLastCheckDate(file));
    EXPECT_EQ(LastCheckDateOrToday(file), TodayText());  // created, folder too
    EXPECT_EQ(ReadLastCheckDate(file), TodayText());
    test::WriteText(file, R"({"updatelasttime":{"value":"2022-9-12"},"other":1})");
    EXPECT_EQ(LastCheckDateOrToday(file), "2022-9-12");
    ASSERT_TRUE(WriteLastCheckDate(file, "2024-1-2"));
    const Json::Value kept = ReadJsonFile(file);
    EXPECT_EQ(kept["other"].asInt(), 1);
    EXPECT_EQ(kept["updatelasttime"]["value"].asString(), "2024-1-2");
    // A date that is not text, or a file that is not JSON, counts as none.
    test::WriteText(file, R"({"updatelasttime":{"value":5}})");
    EXPECT_FALSE(ReadLastCheckDate(file));
    test::WriteText(file, "garbage");
    EXPECT_EQ(LastCheckDateOrToday(file), TodayText());
    // The date has no padding: 2022-9-12, not 2022-09-12.
    const std::string today = TodayText();
    EXPECT_EQ(today.find("-0"), std::string::npos);
}

// ---- Downloads ----------------------------------------------------------------------------

std::string Expected(size_t size, size_t from = 0) {
    std::string s;
    for (size_t i = from; i < size; ++i) s.push_back(static_cast<char>(i % 251));
    return s;
}

Json::Value FileScript(const std::string& path, const Json::Value& plan) {
    Json::Value s;
    s["files"][path] = plan;
    return s;
}

TEST(UpdateDownload, DownloadsResumesAndChecksTheSize) {
    Json::Value plan;
    plan["size"] = 300000;
    plan["cut_after"] = 100000;  // the first answer breaks off
    TestHttpServer server(FileScript("/files/kb.bin", plan));
    ASSERT_TRUE(server.Running());
    test::TempFolder folder;
    HttpClient client;
    std::vector<int> percents;
    const std::string url = PackageUrl(QueryUrl(server.BaseUrl()), "/files/kb.bin");
    const DownloadOutcome first = DownloadPackage(client, url, folder.path(), "KB.bin",
                                                  [&](int p) { percents.push_back(p); });
    EXPECT_FALSE(first.ok);
    EXPECT_FALSE(std::filesystem::exists(folder / "KB.bin"));
    ASSERT_TRUE(std::filesystem::exists(folder / "KB.bin.part"));
    EXPECT_EQ(std::filesystem::file_size(folder / "KB.bin.part"), 100000u);

    percents.clear();
    const DownloadOutcome second = DownloadPackage(client, url, folder.path(), "KB.bin",
                                                   [&](int p) { percents.push_back(p); });
    ASSERT_TRUE(second.ok) << second.error;
    EXPECT_EQ(second.size, 300000);
    EXPECT_EQ(test::ReadText(folder / "KB.bin"), Expected(300000));
    EXPECT_FALSE(std::filesystem::exists(folder / "KB.bin.part"));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Header("Range"), "bytes=100000-");
    ASSERT_FALSE(percents.empty());
    EXPECT_GE(percents.front(), 33);  // it went on from a third
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
}

TEST(UpdateDownload, ServersThatIgnoreRangesOrChangedThePackage) {
    test::TempFolder folder;
    HttpClient client;
    // No range support: the whole package again, from the start.
    Json::Value plain;
    plain["size"] = 5000;
    plain["ranges"] = false;
    TestHttpServer no_ranges(FileScript("/p.bin", plain));
    ASSERT_TRUE(no_ranges.Running());
    test::WriteText(folder / "A.bin.part", std::string(1000, 'x'));
    const DownloadOutcome a =
        DownloadPackage(client, no_ranges.Url("/p.bin"), folder.path(), "A.bin", {});
    ASSERT_TRUE(a.ok) << a.error;
    EXPECT_EQ(test::ReadText(folder / "A.bin"), Expected(5000));

    // The kept part is longer than the package now is (416): start again.
    Json::Value small;
    small["size"] = 2000;
    TestHttpServer smaller(FileScript("/p.bin", small));
    ASSERT_TRUE(smaller.Running());
    test::WriteText(folder / "B.bin.part", std::string(3000, 'x'));
    const DownloadOutcome b =
        DownloadPackage(client, smaller.Url("/p.bin"), folder.path(), "B.bin", {});
    ASSERT_TRUE(b.ok) << b.error;
    EXPECT_EQ(test::ReadText(folder / "B.bin"), Expected(2000));

    // Missing: no file at all.
    const DownloadOutcome c =
        DownloadPackage(client, smaller.Url("/none.bin"), folder.path(), "C.bin", {});
    EXPECT_FALSE(c.ok);
    EXPECT_NE(c.error.find("404"), std::string::npos) << c.error;
    EXPECT_FALSE(std::filesystem::exists(folder / "C.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder / "C.bin.part"));
}

}  // namespace
}  // namespace dz::update
