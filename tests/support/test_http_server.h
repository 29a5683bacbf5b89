#pragma once
// Starts the scripted update server (tests/update/update_server.py) on 127.0.0.1 with a
// free port, optionally over TLS with a certificate made by openssl for the test, and reads
// back what it received. DZ_UPDATE_SERVER_SCRIPT names the script, DZ_PYTHON the
// interpreter.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <json/value.h>

#include "profile/json_file.h"
#include "support/temp_folder.h"

extern char** environ;

namespace dz::test {

// One request as the server saw it.
struct ReceivedRequest {
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;  // raw bytes

    [[nodiscard]] std::string Header(const std::string& name) const {
        for (const auto& [k, v] : headers) {
            if (k.size() != name.size()) continue;
            bool same = true;
            for (size_t i = 0; i < k.size(); ++i)
                same = same && std::tolower(static_cast<unsigned char>(k[i])) ==
                                   std::tolower(static_cast<unsigned char>(name[i]));
            if (same) return v;
        }
        return {};
    }
    [[nodiscard]] size_t HeaderCount(const std::string& name) const {
        size_t n = 0;
        for (const auto& [k, v] : headers)
            if (k == name) ++n;
        return n;
    }
};

// Runs a command, waits for it; true when it exits with 0.
inline bool RunQuiet(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A self-signed certificate for `host_name` (also 127.0.0.1 when it is "localhost").
struct TestCertificate {
    std::filesystem::path cert;
    std::filesystem::path key;
    bool ok = false;
};

inline TestCertificate MakeCertificate(const TempFolder& folder, const std::string& host_name) {
    TestCertificate c{folder / (host_name + ".crt"), folder / (host_name + ".key"), false};
    std::string san = "subjectAltName=DNS:" + host_name;
    if (host_name == "localhost") san += ",IP:127.0.0.1";
    c.ok = RunQuiet({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                     "-subj", "/CN=" + host_name, "-addext", san, "-keyout", c.key.string(), "-out",
                     c.cert.string()});
    return c;
}

class TestHttpServer {
  public:
    // `script`: what to answer (see update_server.py). With a certificate, TLS.
    explicit TestHttpServer(const Json::Value& script, const TestCertificate* tls = nullptr) {
        WriteText(folder_ / "script.json", StyledJsonText(script));
        log_ = folder_ / "requests.log";
        WriteText(log_, "");
        std::vector<std::string> args = {DZ_PYTHON, DZ_UPDATE_SERVER_SCRIPT,
                                         (folder_ / "script.json").string(), log_.string()};
        if (tls != nullptr) {
            args.push_back(tls->cert.string());
            args.push_back(tls->key.string());
        }
        int out[2];
        if (::pipe(out) != 0) return;
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const int rc = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            pid_ = -1;
            ::close(out[0]);
            return;
        }
        // The first line is the port; reading it also waits until the server listens.
        std::string line;
        char c = 0;
        while (::read(out[0], &c, 1) == 1 && c != '\n') line.push_back(c);
        ::close(out[0]);
        port_ = std::atoi(line.c_str());
        scheme_ = tls != nullptr ? "https" : "http";
    }
    ~TestHttpServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    [[nodiscard]] bool Running() const { return pid_ > 0 && port_ > 0; }
    [[nodiscard]] int Port() const { return port_; }
    // "http://127.0.0.1:<port>/api/" (or with `host`).
    [[nodiscard]] std::string BaseUrl(const std::string& host = "127.0.0.1") const {
        return scheme_ + "://" + host + ":" + std::to_string(port_) + "/api/";
    }
    [[nodiscard]] std::string Url(const std::string& path,
                                  const std::string& host = "127.0.0.1") const {
        return scheme_ + "://" + host + ":" + std::to_string(port_) + path;
    }

    [[nodiscard]] std::vector<ReceivedRequest> Requests() const {
        std::vector<ReceivedRequest> out;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);) {
            const Json::Value e = ParseJsonText(line);
            if (!e.isObject()) continue;
            ReceivedRequest r;
            r.method = e["method"].asString();
            r.path = e["path"].asString();
            for (const auto& h : e["headers"])
                r.headers.emplace_back(h[0].asString(), h[1].asString());
            const std::string hex = e["body"].asString();
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                r.body.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
            out.push_back(std::move(r));
        }
        return out;
    }

  private:
    TempFolder folder_;
    std::filesystem::path log_;
    pid_t pid_ = -1;
    int port_ = 0;
    std::string scheme_ = "http";
};

// A port on 127.0.0.1 where nothing listens (bound, then closed).
inline int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

}  // namespace dz::test
