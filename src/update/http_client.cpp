#include "update/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <mutex>

#include "platform/log/debug_log.h"

namespace dz::update {
namespace {

using Clock = std::chrono::steady_clock;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

bool ParseInt64(std::string_view s, int64_t& out) {
    if (s.empty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && out >= 0;
}

}  // namespace

bool ParseContentRange(std::string_view value, int64_t& start, int64_t& total) {
    value = Trim(value);
    if (!StartsWithNoCase(value, "bytes ")) return false;
    value.remove_prefix(6);
    const size_t dash = value.find('-');
    const size_t slash = value.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || dash > slash)
        return false;
    int64_t end = 0;
    if (!ParseInt64(Trim(value.substr(0, dash)), start)) return false;
    if (!ParseInt64(Trim(value.substr(dash + 1, slash - dash - 1)), end) || end < start)
        return false;
    const std::string_view t = Trim(value.substr(slash + 1));
    if (t == "*") {
        total = -1;
        return true;
    }
    return ParseInt64(t, total) && total > end;
}

// One transfer in progress: the easy handle and what its callbacks fill.
struct HttpClient::Transfer {
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    const HttpSettings* settings = nullptr;
    // Request: the answer's body, at most `limit` bytes.
    std::string* response = nullptr;
    size_t limit = 0;
    bool full = false;
    // Fetch.
    const FetchRequest* fetch = nullptr;
    bool head_told = false;
    bool stopped_by_head = false;
    bool stopped_by_data = false;
    int64_t range_start = -1;
    int64_t range_total = -1;
    int64_t received = 0;
    // Stall watch: after the connection is made, the request must move within the send
    // time-out and the answer within the receive time-out.
    curl_off_t upload_size = 0;
    bool connected = false;
    curl_off_t last_up = 0;
    curl_off_t last_down = 0;
    Clock::time_point last_activity = Clock::now();
    bool stalled = false;
    const std::atomic<bool>* cancelled = nullptr;

    ~Transfer() {
        if (headers != nullptr) curl_slist_free_all(headers);
        if (easy != nullptr) curl_easy_cleanup(easy);
    }

    // Tells the fetcher about the answer once, before its first byte (or at its end).
    bool TellHead() {
        if (fetch == nullptr || head_told) return true;
        head_told = true;
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        curl_off_t length = -1;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (!fetch->on_head) return true;
        if (!fetch->on_head(status, length, range_start, range_total)) {
            stopped_by_head = true;
            return false;
        }
        return true;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const size_t n = size * count;
        t->last_activity = Clock::now();
        if (t->fetch != nullptr) {
            if (!t->TellHead()) return 0;
            if (t->fetch->on_data && !t->fetch->on_data(data, n)) {
                t->stopped_by_data = true;
                return 0;
            }
            t->received += static_cast<int64_t>(n);
            return n;
        }
        const size_t room = t->limit > t->response->size() ? t->limit - t->response->size() : 0;
        const size_t take = std::min(room, n);
        t->response->append(data, take);
        if (take < n) {
            t->full = true;  // the rest is not read
            return 0;
        }
        return n;
    }

    // Every header line of every answer (redirects and 1xx included): a status line starts
    // the next answer.
    static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const size_t n = size * count;
        const std::string_view line(data, n);
        if (StartsWithNoCase(line, "HTTP/")) {
            t->range_start = -1;
            t->range_total = -1;
        } else if (StartsWithNoCase(line, "Content-Range:")) {
            int64_t start = -1, total = -1;
            if (ParseContentRange(line.substr(14), start, total)) {
                t->range_start = start;
                t->range_total = total;
            }
        }
        return n;
    }

    static int OnProgress(void* user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t /*ultotal*/,
                          curl_off_t ulnow) {
        auto* t = static_cast<Transfer*>(user);
        if (t->cancelled->load()) return 1;
        if (ulnow != t->last_up || dlnow != t->last_down) {
            t->last_up = ulnow;
            t->last_down = dlnow;
            t->last_activity = Clock::now();
        }
        if (t->fetch != nullptr && t->fetch->on_progress && t->head_told)
            t->fetch->on_progress(t->received, dltotal > 0 ? dltotal : -1);
        return 0;
    }

    // Runs when a connection is ready and the request is about to go (again after each
    // redirect): the stall watch starts here, the connect time-out is libcurl's.
    static int OnPrereq(void* user, char*, char*, int, int) {
        auto* t = static_cast<Transfer*>(user);
        t->connected = true;
        t->last_activity = Clock::now();
        return CURL_PREREQFUNC_OK;
    }

    // The stall limit now, or 0 while connecting.
    [[nodiscard]] int StallLimitMs() const {
        if (!connected) return 0;
        return last_up < upload_size ? settings->send_timeout_ms : settings->receive_timeout_ms;
    }
};

HttpClient::HttpClient(HttpSettings settings) : settings_(std::move(settings)) {
    GlobalInit();
    multi_ = curl_multi_init();
}

HttpClient::~HttpClient() {
    if (multi_ != nullptr) curl_multi_cleanup(static_cast<CURLM*>(multi_));
}

void HttpClient::Cancel() {
    cancelled_.store(true);
    if (multi_ != nullptr) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

void HttpClient::ResetCancel() {
    cancelled_.store(false);
}

TransferOutcome HttpClient::Perform(Transfer& t) {
    TransferOutcome out;
    CURL* easy = t.easy;
    t.settings = &settings_;
    t.cancelled = &cancelled_;
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, settings_.user_agent.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(settings_.connect_timeout_ms));
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings_.ca_file.empty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, settings_.ca_file.c_str());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, settings_.max_redirects > 0 ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(settings_.max_redirects));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Transfer::OnPrereq);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, &t);

    auto* multi = static_cast<CURLM*>(multi_);
    CURLcode code = CURLE_OK;
    if (multi == nullptr || curl_multi_add_handle(multi, easy) != CURLM_OK) {
        code = CURLE_OUT_OF_MEMORY;
    } else {
        t.last_activity = Clock::now();
        bool done = false;
        while (!done) {
            if (cancelled_.load()) {
                code = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                code = CURLE_RECV_ERROR;
                break;
            }
            int queued = 0;
            while (CURLMsg* m = curl_multi_info_read(multi, &queued)) {
                if (m->msg == CURLMSG_DONE && m->easy_handle == easy) {
                    code = m->data.result;
                    done = true;
                }
            }
            if (done) break;
            int wait_ms = 1000;
            if (const int limit = t.StallLimitMs(); limit > 0) {
                const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(
                                      Clock::now() - t.last_activity)
                                      .count();
                if (idle >= limit) {
                    t.stalled = true;
                    code = CURLE_OPERATION_TIMEDOUT;
                    break;
                }
                wait_ms = static_cast<int>(std::min<int64_t>(wait_ms, limit - idle));
            }
            // Woken early by socket activity, by libcurl's own timers and by Cancel().
            curl_multi_poll(multi, nullptr, 0, std::max(1, wait_ms), nullptr);
        }
        curl_multi_remove_handle(multi, easy);
    }
    if (cancelled_.load() && code != CURLE_OK) code = CURLE_ABORTED_BY_CALLBACK;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &out.status);
    // A full response buffer or a fetcher that has all it wants stops the transfer early;
    // the answer still came.
    const bool stopped_on_purpose = code == CURLE_WRITE_ERROR && (t.full || t.stopped_by_head);
    if (code == CURLE_OK || stopped_on_purpose) {
        if (code == CURLE_OK) (void)t.TellHead();
        out.reached = true;
        return out;
    }
    out.cancelled = code == CURLE_ABORTED_BY_CALLBACK;
    out.timed_out = code == CURLE_OPERATION_TIMEDOUT;
    out.error = kErrorTransportBase + static_cast<int>(code);
    out.error_text = t.stalled ? "no answer within the time-out" : curl_easy_strerror(code);
    if (t.stopped_by_data) out.error_text = "the download could not be stored";
    return out;
}

int HttpClient::Request(std::string_view method, std::string_view url, const uint8_t* body,
                        size_t length, std::string& response) {
    response.clear();
    outcome_ = {};
    const bool post = EqualsNoCase(method, "POST");
    if (!post && !EqualsNoCase(method, "GET")) {
        last_error_ = kErrorInvalidParameter;
        return -1;
    }
    if (url.empty()) {
        last_error_ = kErrorPathNotFound;
        return -1;
    }
    Transfer t;
    t.easy = curl_easy_init();
    if (t.easy == nullptr) {
        last_error_ = kErrorOutOfMemory;
        return -1;
    }
    last_error_ = kErrorNone;
    const std::string u(url);
    curl_easy_setopt(t.easy, CURLOPT_URL, u.c_str());
    curl_easy_setopt(t.easy, CURLOPT_REDIR_PROTOCOLS_STR,
                     StartsWithNoCase(url, "https://") ? "https" : "http,https");
    // Content-Length is libcurl's, from the body length; "Expect:" keeps it from waiting
    // for a 100 answer before the body.
    t.headers = curl_slist_append(t.headers, std::string(kContentTypeHeader).c_str());
    t.headers = curl_slist_append(t.headers, std::string(kAcceptHeader).c_str());
    t.headers = curl_slist_append(t.headers, "Expect:");
    curl_easy_setopt(t.easy, CURLOPT_HTTPHEADER, t.headers);
    static const char kEmpty[] = "";
    if (post || length > 0) {
        curl_easy_setopt(t.easy, CURLOPT_POSTFIELDS,
                         length > 0 ? reinterpret_cast<const char*>(body) : kEmpty);
        curl_easy_setopt(t.easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(length));
        if (!post) curl_easy_setopt(t.easy, CURLOPT_CUSTOMREQUEST, "GET");
        t.upload_size = static_cast<curl_off_t>(length);
    }
    t.response = &response;
    t.limit = settings_.response_limit;
    outcome_ = Perform(t);
    if (!outcome_.reached) {
        last_error_ = outcome_.error;
        log::DebugLineF("update request to %s failed: %s", u.c_str(), outcome_.error_text.c_str());
        response.assign(kNoLinkServer);
        return 0;
    }
    return static_cast<int>(response.size());
}

TransferOutcome HttpClient::Fetch(const FetchRequest& request) {
    outcome_ = {};
    Transfer t;
    t.easy = curl_easy_init();
    if (t.easy == nullptr) {
        outcome_.error = last_error_ = kErrorOutOfMemory;
        outcome_.error_text = "out of memory";
        return outcome_;
    }
    curl_easy_setopt(t.easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(t.easy, CURLOPT_REDIR_PROTOCOLS_STR,
                     StartsWithNoCase(request.url, "https://") ? "https" : "http,https");
    std::string range;
    if (request.offset > 0) {
        range = std::to_string(request.offset) + "-";
        curl_easy_setopt(t.easy, CURLOPT_RANGE, range.c_str());
    }
    t.fetch = &request;
    outcome_ = Perform(t);
    last_error_ = outcome_.error;
    return outcome_;
}

}  // namespace dz::update
