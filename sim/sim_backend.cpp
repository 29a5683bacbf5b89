#include "sim/sim_backend.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

#include "platform/log/debug_log.h"

namespace dz::sim {
namespace {

using Clock = std::chrono::steady_clock;
using hid::IoResult;

// As hidraw: a connection keeps at most this many unread reports and drops newer
// ones when full.
constexpr size_t kQueueLimit = 64;

class SimConnection;

struct Node {
    hid::HidNodeInfo info;
    SimBackend::OutputHandler handler;  // never changed after the node is made
    // The members below are guarded by Core::mutex.
    bool gone = false;
    bool exclusive = false;
    std::vector<SimConnection*> connections;
    Clock::time_point out_free{};  // the node's OUT and IN pipes carry one report at a time
    Clock::time_point in_free{};
};

struct PendingReport {
    Clock::time_point ready;
    std::vector<uint8_t> bytes;
};

}  // namespace

struct SimBackend::Core {
    mutable std::mutex mutex;
    std::map<std::string, std::shared_ptr<Node>, std::less<>> nodes;
    std::chrono::microseconds latency{1000};
    TrafficRecord traffic;
    uint64_t next_instance = 1;  // each node added gets its own instance
    size_t opens = 0;

    // `delay` holds the report back (a late answer); later reports of the node queue
    // behind it.
    void DeliverLocked(const std::shared_ptr<Node>& node, std::vector<uint8_t> report,
                       const std::string& note,
                       std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    void RemoveLocked(const std::shared_ptr<Node>& node);
    size_t RemoveUsbDeviceLocked(std::string_view usb_name);
};

namespace {

std::string_view UsbNameOf(std::string_view node) {
    const size_t slash = node.rfind('/');
    return slash == std::string_view::npos ? node : node.substr(0, slash);
}

class SimConnection final : public hid::HidConnection {
  public:
    SimConnection(std::shared_ptr<SimBackend::Core> core, std::shared_ptr<Node> node,
                  const hid::OpenFlags& flags)
        : core_(std::move(core)), node_(std::move(node)), flags_(flags) {}

    ~SimConnection() override {
        std::lock_guard lock(core_->mutex);
        auto& list = node_->connections;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        if (flags_.exclusive) node_->exclusive = false;
    }

    IoResult Read(uint8_t* buf, size_t len, size_t* got, int timeout_ms) override {
        if (got) *got = 0;
        std::unique_lock lock(core_->mutex);
        const std::optional<Clock::time_point> deadline = DeadlineFrom(timeout_ms);
        for (;;) {
            if (aborted_) return IoResult::kAborted;
            if (node_->gone || !flags_.read) return IoResult::kFailed;
            const Clock::time_point now = Clock::now();
            if (!queue_.empty() && queue_.front().ready <= now) {
                const auto& bytes = queue_.front().bytes;
                const size_t n = std::min(len, bytes.size());
                std::copy_n(bytes.begin(), n, buf);
                if (got) *got = n;
                queue_.pop_front();
                return IoResult::kOk;
            }
            if (deadline && *deadline <= now) return IoResult::kTimeout;
            std::optional<Clock::time_point> wake = deadline;
            if (!queue_.empty() && (!wake || queue_.front().ready < *wake))
                wake = queue_.front().ready;
            if (wake) {
                cv_.wait_until(lock, *wake);
            } else {
                cv_.wait(lock);
            }
        }
    }

    IoResult Write(const uint8_t* buf, size_t len, size_t* put, int timeout_ms) override {
        if (put) *put = 0;
        std::unique_lock lock(core_->mutex);
        if (aborted_) return IoResult::kAborted;
        if (node_->gone || !flags_.write || len == 0) return IoResult::kFailed;
        const std::optional<Clock::time_point> deadline = DeadlineFrom(timeout_ms);
        // The report goes out when the pipe is free and one latency has passed.
        const Clock::time_point done = std::max(Clock::now(), node_->out_free) + core_->latency;
        if (deadline && *deadline < done) {
            WaitUntil(lock, *deadline);
            if (aborted_) return IoResult::kAborted;
            return node_->gone ? IoResult::kFailed : IoResult::kTimeout;
        }
        node_->out_free = done;
        WaitUntil(lock, done);
        if (aborted_) return IoResult::kAborted;
        if (node_->gone) return IoResult::kFailed;

        std::vector<uint8_t> report(buf, buf + len);
        const auto at = core_->traffic.Since(Clock::now());
        lock.unlock();
        // The device runs without the transport's lock; it has its own.
        NodeReply reply = node_->handler ? node_->handler(report) : NodeReply{};
        lock.lock();
        std::string note = std::move(reply.note);
        if (!reply.accepted) note = "refused by the device";
        if (reply.disconnect) note = note.empty() ? "unplugged at this packet" : note;
        core_->traffic.Add({at, node_->info.node, Direction::kOut, std::move(report), 0,
                            std::move(note), std::this_thread::get_id()});
        if (!reply.accepted) return IoResult::kFailed;
        for (auto& input : reply.inputs)
            core_->DeliverLocked(node_, std::move(input.bytes), {}, input.delay);
        if (reply.disconnect) {
            core_->RemoveUsbDeviceLocked(UsbNameOf(node_->info.node));
            lock.unlock();
            hid::BackendRegistry::Instance().NotifyNodesChanged();
            return IoResult::kFailed;
        }
        if (put) *put = len;
        return IoResult::kOk;
    }

    void Abort() override {
        std::lock_guard lock(core_->mutex);
        aborted_ = true;
        cv_.notify_all();
    }

    // Called with Core::mutex held.
    void PushLocked(Clock::time_point ready, const std::vector<uint8_t>& bytes, bool* dropped) {
        if (queue_.size() >= kQueueLimit) {
            *dropped = true;
            return;
        }
        queue_.push_back({ready, bytes});
        cv_.notify_all();
    }
    void WakeLocked() { cv_.notify_all(); }
    [[nodiscard]] bool Reads() const { return flags_.read; }

  private:
    static std::optional<Clock::time_point> DeadlineFrom(int timeout_ms) {
        if (timeout_ms < 0) return std::nullopt;
        return Clock::now() + std::chrono::milliseconds(timeout_ms);
    }

    // Waits until `t`, or less when aborted or the node went away.
    void WaitUntil(std::unique_lock<std::mutex>& lock, Clock::time_point t) {
        cv_.wait_until(lock, t, [&] { return aborted_ || node_->gone || Clock::now() >= t; });
    }

    std::shared_ptr<SimBackend::Core> core_;
    std::shared_ptr<Node> node_;
    const hid::OpenFlags flags_;
    // Guarded by Core::mutex.
    std::condition_variable cv_;
    std::deque<PendingReport> queue_;
    bool aborted_ = false;
};

}  // namespace

void SimBackend::Core::DeliverLocked(const std::shared_ptr<Node>& node, std::vector<uint8_t> report,
                                     const std::string& note, std::chrono::milliseconds delay) {
    if (node->gone) return;
    const Clock::time_point ready = std::max(Clock::now() + delay, node->in_free) + latency;
    node->in_free = ready;
    size_t receivers = 0;
    bool dropped = false;
    for (SimConnection* c : node->connections) {
        if (!c->Reads()) continue;
        bool full = false;
        c->PushLocked(ready, report, &full);
        if (full) {
            dropped = true;
        } else {
            ++receivers;
        }
    }
    std::string text = note;
    if (dropped) text += (text.empty() ? "" : "; ") + std::string("dropped where unread");
    traffic.Add({traffic.Since(ready), node->info.node, Direction::kIn, std::move(report),
                 receivers, std::move(text)});
}

void SimBackend::Core::RemoveLocked(const std::shared_ptr<Node>& node) {
    node->gone = true;
    for (SimConnection* c : node->connections) c->WakeLocked();
    nodes.erase(node->info.node);
}

size_t SimBackend::Core::RemoveUsbDeviceLocked(std::string_view usb_name) {
    std::vector<std::shared_ptr<Node>> going;
    for (const auto& [id, node] : nodes)
        if (UsbNameOf(id) == usb_name) going.push_back(node);
    for (const auto& node : going) RemoveLocked(node);
    return going.size();
}

SimBackend::SimBackend(std::string scheme)
    : core_(std::make_shared<Core>()), scheme_(std::move(scheme)) {}

SimBackend::~SimBackend() {
    RemoveAll();
}

bool SimBackend::Enumerate(std::vector<hid::HidNodeInfo>& out) {
    std::lock_guard lock(core_->mutex);
    out.clear();
    for (const auto& [id, node] : core_->nodes) out.push_back(node->info);
    return true;
}

std::unique_ptr<hid::HidConnection> SimBackend::Open(std::string_view node_id,
                                                     const hid::OpenFlags& flags,
                                                     hid::HidNodeInfo& info,
                                                     hid::OpenError& error) {
    std::lock_guard lock(core_->mutex);
    ++core_->opens;
    const auto it = core_->nodes.find(node_id);
    if (it == core_->nodes.end()) {
        error = hid::OpenError::kNotFound;
        return nullptr;
    }
    const std::shared_ptr<Node>& node = it->second;
    if (node->exclusive || (flags.exclusive && !node->connections.empty())) {
        error = hid::OpenError::kBusy;
        return nullptr;
    }
    auto connection = std::make_unique<SimConnection>(core_, node, flags);
    node->connections.push_back(connection.get());
    if (flags.exclusive) node->exclusive = true;
    info = node->info;
    error = hid::OpenError::kNone;
    return connection;
}

void SimBackend::AddNode(hid::HidNodeInfo info, OutputHandler handler) {
    std::lock_guard lock(core_->mutex);
    const auto it = core_->nodes.find(info.node);
    if (it != core_->nodes.end()) core_->RemoveLocked(it->second);
    auto node = std::make_shared<Node>();
    node->info = std::move(info);
    node->info.instance = "sim#" + std::to_string(core_->next_instance++);
    node->handler = std::move(handler);
    const std::string id = node->info.node;
    core_->nodes.emplace(id, std::move(node));
    hid::BackendRegistry::Instance().NotifyNodesChanged();
}

size_t SimBackend::RemoveUsbDevice(std::string_view usb_name) {
    size_t removed = 0;
    {
        std::lock_guard lock(core_->mutex);
        removed = core_->RemoveUsbDeviceLocked(usb_name);
    }
    if (removed > 0) hid::BackendRegistry::Instance().NotifyNodesChanged();
    return removed;
}

void SimBackend::RemoveAll() {
    bool removed = false;
    {
        std::lock_guard lock(core_->mutex);
        removed = !core_->nodes.empty();
        while (!core_->nodes.empty()) core_->RemoveLocked(core_->nodes.begin()->second);
    }
    if (removed) hid::BackendRegistry::Instance().NotifyNodesChanged();
}

bool SimBackend::StillPresent(const hid::HidNodeInfo& node) {
    std::lock_guard lock(core_->mutex);
    const auto it = core_->nodes.find(node.node);
    return it != core_->nodes.end() && it->second->info.instance == node.instance;
}

size_t SimBackend::OpenCount() const {
    std::lock_guard lock(core_->mutex);
    return core_->opens;
}

bool SimBackend::HasNode(std::string_view node) const {
    std::lock_guard lock(core_->mutex);
    return core_->nodes.find(node) != core_->nodes.end();
}

size_t SimBackend::OpenConnections(std::string_view node) const {
    std::lock_guard lock(core_->mutex);
    const auto it = core_->nodes.find(node);
    return it == core_->nodes.end() ? 0 : it->second->connections.size();
}

bool SimBackend::Deliver(std::string_view node, std::vector<uint8_t> report) {
    std::lock_guard lock(core_->mutex);
    const auto it = core_->nodes.find(node);
    if (it == core_->nodes.end()) return false;
    core_->DeliverLocked(it->second, std::move(report), {});
    return true;
}

void SimBackend::SetLatency(std::chrono::microseconds latency) {
    std::lock_guard lock(core_->mutex);
    core_->latency = std::max(latency, std::chrono::microseconds(0));
}

std::chrono::microseconds SimBackend::Latency() const {
    std::lock_guard lock(core_->mutex);
    return core_->latency;
}

std::chrono::microseconds SimBackend::RoundTrip() const {
    return 2 * Latency();
}

TrafficRecord& SimBackend::Traffic() {
    return core_->traffic;
}

}  // namespace dz::sim
