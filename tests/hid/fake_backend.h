#pragma once
// A small in-memory backend for HidInterface tests: nodes with a descriptor, each
// open connection with its own bounded queue of input reports (as every hidraw reader
// gets its own copy), removal, and a record of what was written.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/hid/hid_backend.h"

namespace dz::test {

class FakeNode;

class FakeConnection final : public hid::HidConnection {
  public:
    explicit FakeConnection(std::shared_ptr<FakeNode> node) : node_(std::move(node)) {}
    ~FakeConnection() override;

    hid::IoResult Read(uint8_t* buf, size_t len, size_t* got, int timeout_ms) override;
    hid::IoResult Write(const uint8_t* buf, size_t len, size_t* put, int timeout_ms) override;
    void Abort() override;

  private:
    friend class FakeNode;
    std::shared_ptr<FakeNode> node_;
    std::deque<std::vector<uint8_t>> queue_;  // guarded by the node's mutex
    bool aborted_ = false;
};

class FakeNode : public std::enable_shared_from_this<FakeNode> {
  public:
    explicit FakeNode(hid::HidNodeInfo info) : info_(std::move(info)) {}

    // hidraw keeps 64 reports per open descriptor and drops new ones when full.
    static constexpr size_t kQueueLimit = 64;

    // Delivers one input report (as the node sends it) to every open connection.
    void Send(std::vector<uint8_t> report) {
        std::lock_guard lock(mutex_);
        for (FakeConnection* c : connections_)
            if (c->queue_.size() < kQueueLimit) c->queue_.push_back(report);
        cv_.notify_all();
    }
    void Remove() {
        std::lock_guard lock(mutex_);
        removed_ = true;
        cv_.notify_all();
    }
    std::vector<std::vector<uint8_t>> Written() {
        std::lock_guard lock(mutex_);
        return written_;
    }
    size_t OpenCount() {
        std::lock_guard lock(mutex_);
        return connections_.size();
    }
    const hid::HidNodeInfo& Info() const { return info_; }

  private:
    friend class FakeConnection;
    friend class FakeBackend;
    const hid::HidNodeInfo info_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<FakeConnection*> connections_;
    std::vector<std::vector<uint8_t>> written_;
    bool removed_ = false;
};

inline FakeConnection::~FakeConnection() {
    std::lock_guard lock(node_->mutex_);
    std::erase(node_->connections_, this);
}

inline hid::IoResult FakeConnection::Read(uint8_t* buf, size_t len, size_t* got, int timeout_ms) {
    *got = 0;
    std::unique_lock lock(node_->mutex_);
    auto ready = [&] { return aborted_ || node_->removed_ || !queue_.empty(); };
    if (timeout_ms < 0) {
        node_->cv_.wait(lock, ready);
    } else if (!node_->cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready)) {
        return hid::IoResult::kTimeout;
    }
    if (aborted_) return hid::IoResult::kAborted;
    if (node_->removed_) return hid::IoResult::kFailed;
    const std::vector<uint8_t> report = std::move(queue_.front());
    queue_.pop_front();
    *got = std::min(len, report.size());
    std::copy_n(report.begin(), *got, buf);
    return hid::IoResult::kOk;
}

inline hid::IoResult FakeConnection::Write(const uint8_t* buf, size_t len, size_t* put, int) {
    *put = 0;
    std::lock_guard lock(node_->mutex_);
    if (aborted_) return hid::IoResult::kAborted;
    if (node_->removed_) return hid::IoResult::kFailed;
    node_->written_.emplace_back(buf, buf + len);
    *put = len;
    return hid::IoResult::kOk;
}

inline void FakeConnection::Abort() {
    std::lock_guard lock(node_->mutex_);
    aborted_ = true;
    node_->cv_.notify_all();
}

class FakeBackend final : public hid::HidBackend {
  public:
    std::shared_ptr<FakeNode> AddNode(std::string node, uint16_t vid, uint16_t pid, int mi,
                                      std::span<const uint8_t> descriptor, uint16_t version = 0) {
        hid::HidNodeInfo info;
        info.node = std::move(node);
        info.vendor_id = vid;
        info.product_id = pid;
        info.version = version;
        info.interface_number = mi;
        info.report_descriptor.assign(descriptor.begin(), descriptor.end());
        auto n = std::make_shared<FakeNode>(std::move(info));
        std::lock_guard lock(mutex_);
        nodes_.push_back(n);
        return n;
    }
    void FailOpensWith(hid::OpenError error) {
        std::lock_guard lock(mutex_);
        open_error_ = error;
    }

    [[nodiscard]] std::string_view Scheme() const override { return "fake"; }

    bool Enumerate(std::vector<hid::HidNodeInfo>& out) override {
        std::lock_guard lock(mutex_);
        out.clear();
        for (const auto& n : nodes_) {
            std::lock_guard node_lock(n->mutex_);
            if (!n->removed_) out.push_back(n->info_);
        }
        return true;
    }

    std::unique_ptr<hid::HidConnection> Open(std::string_view node, const hid::OpenFlags&,
                                             hid::HidNodeInfo& info,
                                             hid::OpenError& error) override {
        std::lock_guard lock(mutex_);
        if (open_error_ != hid::OpenError::kNone) {
            error = open_error_;
            return nullptr;
        }
        for (const auto& n : nodes_) {
            if (n->info_.node != node) continue;
            std::lock_guard node_lock(n->mutex_);
            if (n->removed_) break;
            info = n->info_;
            auto c = std::make_unique<FakeConnection>(n);
            n->connections_.push_back(c.get());
            return c;
        }
        error = hid::OpenError::kNotFound;
        return nullptr;
    }

  private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<FakeNode>> nodes_;
    hid::OpenError open_error_ = hid::OpenError::kNone;
};

}  // namespace dz::test
