#pragma once
// The small HTTP client of the update service, on libcurl. One request at a time per
// client; a request can be cancelled from any thread and then ends at once.
//
// Security: HTTPS certificates and host names are always verified (a server whose
// certificate does not verify counts as unreachable); only http and https are spoken;
// redirects are followed at most three times and never from https to http.
// Proxies: libcurl's environment variables (http_proxy, https_proxy, no_proxy).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace dz::update {

// What the response buffer holds after a request that reached no server.
inline constexpr std::string_view kNoLinkServer = "NO_LINK_SERVER";
inline constexpr size_t kResponseBufferSize = 102400;

// Last error codes. A transport failure keeps kErrorTransportBase + libcurl's code
// (CURLE_COULDNT_CONNECT 7 gives 12007, a time-out 12028, a cancel 12042).
inline constexpr int kErrorNone = 0;
inline constexpr int kErrorPathNotFound = 3;       // empty URL
inline constexpr int kErrorInvalidParameter = 87;  // method neither GET nor POST
inline constexpr int kErrorOutOfMemory = 8;        // no libcurl handle
inline constexpr int kErrorTransportBase = 12000;

struct HttpSettings {
    std::string user_agent = "WinHTTP Client/1.0";
    // Name resolution has no limit of its own: it counts to the connect time-out.
    int connect_timeout_ms = 60000;
    // Longest stall while the request is sent, and while the answer is awaited or read.
    int send_timeout_ms = 30000;
    int receive_timeout_ms = 30000;
    size_t response_limit = kResponseBufferSize;
    int max_redirects = 3;
    // Certificate authorities to trust instead of the system's (tests); empty: the system's.
    std::string ca_file;
};

// How a transfer ended.
struct TransferOutcome {
    bool reached = false;  // an HTTP answer came (whatever its status)
    bool cancelled = false;
    bool timed_out = false;
    long status = 0;         // HTTP status of the last answer, 0 when none
    int error = kErrorNone;  // kErrorTransportBase + libcurl code when not reached
    std::string error_text;  // libcurl's words for it
};

// A streamed GET for downloads: `offset` > 0 asks for the rest from that byte.
struct FetchRequest {
    std::string url;
    uint64_t offset = 0;
    // Called once the final answer's headers are in: status, and the announced length of
    // the body (-1 when none was announced) and, for 206, the start of the range sent and the
    // whole size (-1 when unknown). Answering false stops the transfer (not an error).
    std::function<bool(long status, int64_t length, int64_t range_start, int64_t total)> on_head;
    // Body bytes; false stops the transfer as a failure.
    std::function<bool(const char* data, size_t size)> on_data;
    // Bytes of the body received so far and the announced length (-1 when unknown).
    std::function<void(int64_t received, int64_t length)> on_progress;
};

class HttpClient {
  public:
    explicit HttpClient(HttpSettings settings = {});
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Sends one request and stores the answer's body in `response`, at most
    // settings().response_limit bytes (the rest is not read). Answers the number of bytes
    // stored; 0 with kNoLinkServer in `response` when no answer came (no server, refused,
    // timed out, certificate not verified, too many redirects, cancelled); -1 with
    // LastError() 87 when the method is neither GET nor POST (any case), 3 when the URL is
    // empty, 8 when libcurl gives no handle.
    int Request(std::string_view method, std::string_view url, const uint8_t* body, size_t length,
                std::string& response);

    // A streamed GET (downloads), with the same rules and time-outs.
    TransferOutcome Fetch(const FetchRequest& request);

    [[nodiscard]] int LastError() const { return last_error_; }
    [[nodiscard]] const TransferOutcome& LastOutcome() const { return outcome_; }
    [[nodiscard]] const HttpSettings& Settings() const { return settings_; }

    // From any thread: ends the running request at once, and every later one before it
    // starts, until ResetCancel().
    void Cancel();
    void ResetCancel();
    [[nodiscard]] bool Cancelled() const { return cancelled_.load(); }

    // The Accept header the update server expects.
    static constexpr std::string_view kAcceptHeader = "Accept:application/prs.Rodav.v1+json";
    static constexpr std::string_view kContentTypeHeader =
        "Content-Type: application/x-www-form-urlencoded";

  private:
    struct Transfer;
    TransferOutcome Perform(Transfer& transfer);

    HttpSettings settings_;
    void* multi_ = nullptr;  // CURLM*, kept for the client's life so Cancel can wake it
    std::atomic<bool> cancelled_{false};
    int last_error_ = kErrorNone;
    TransferOutcome outcome_;
};

// The value of a Content-Range header ("bytes 100-199/1000"): start and total (-1 when "*").
// False when the text is not of that form.
[[nodiscard]] bool ParseContentRange(std::string_view value, int64_t& start, int64_t& total);

}  // namespace dz::update
