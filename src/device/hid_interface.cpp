#include "device/hid_interface.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <deque>

#include "platform/log/debug_log.h"

namespace dz {
namespace {

using Clock = std::chrono::steady_clock;
using hid::ReportKind;

// Bounds on what one interface allocates, whatever its descriptor declares.
constexpr size_t kMaxUsageListCapacity = 4096;
constexpr size_t kMaxUsageItemsPerKind = 4096;
constexpr int kSetOutputReportTimeoutMs = 1000;
// Reports taken off a node in one go without waiting: more than a node ever queues
// (hidraw keeps 64), so the bound only stops a device that floods the node.
constexpr size_t kMaxQueuedReads = 256;

// "<scheme>:<node>#<ids>": the scheme up to the first ':', the node up to the last '#'.
bool SplitPath(std::string_view path, std::string_view& scheme, std::string_view& node) {
    const size_t colon = path.find(':');
    const size_t hash = path.rfind('#');
    if (colon == std::string_view::npos || colon == 0 || hash == std::string_view::npos ||
        hash <= colon + 1)
        return false;
    scheme = path.substr(0, colon);
    node = path.substr(colon + 1, hash - colon - 1);
    return true;
}

// What I/O on an open interface needs. Built by Open and not changed afterwards except
// for the read side's queue; Read and Write hold their own reference, so Close never
// frees what a waiting call uses.
struct Link {
    std::shared_ptr<hid::HidBackend> backend;  // keeps the backend alive as long as the node
    std::shared_ptr<hid::HidConnection> connection;
    std::array<bool, 256> input_ids{};
    std::array<bool, 256> output_ids{};
    bool uses_report_ids = false;
    size_t node_input_length = 0;  // longest input report of any collection of the node
    uint16_t input_length = 0;
    uint16_t output_length = 0;

    // Held by a Read for its whole wait, and briefly by a Write that empties the node's
    // queue; guards `pending`.
    mutable std::mutex read_mutex;
    // Reports of this collection taken off the node by such a Write, oldest first.
    mutable std::deque<std::vector<uint8_t>> pending;
};

// Reads one report off the node into `report`, report id byte first (0 for a node
// whose reports carry none).
hid::IoResult ReadReport(const Link& link, std::vector<uint8_t>& report, int wait_ms) {
    report.assign(std::max(link.node_input_length, size_t{2}), 0);
    uint8_t* data = link.uses_report_ids ? report.data() : report.data() + 1;
    const size_t room = link.uses_report_ids ? report.size() : report.size() - 1;
    size_t got = 0;
    const hid::IoResult result = link.connection->Read(data, room, &got, wait_ms);
    if (result != hid::IoResult::kOk) return result;
    if (!link.uses_report_ids && got > 0) ++got;
    report.resize(std::min(got, report.size()));
    return hid::IoResult::kOk;
}

bool IsOwnReport(const Link& link, const std::vector<uint8_t>& report) {
    return !report.empty() && link.input_ids[report[0]];
}

// Each open descriptor of a node gets every report of every collection, and the node
// queues only a few dozen of them, dropping new ones when full. An interface that only
// reads after it writes (a command collection beside a busy keyboard collection) would
// find its queue full of foreign reports and lose the answer; so a Write first empties
// the queue, keeping this collection's reports for the next Read. Skipped while a Read
// waits: that reader keeps the queue moving itself.
void DrainBeforeWrite(const Link& link) {
    constexpr size_t kMaxPending = 64;
    std::unique_lock lock(link.read_mutex, std::try_to_lock);
    if (!lock.owns_lock()) return;
    std::vector<uint8_t> report;
    for (size_t i = 0; i < kMaxQueuedReads; ++i) {
        if (ReadReport(link, report, 0) != hid::IoResult::kOk) return;
        if (!IsOwnReport(link, report)) continue;
        if (link.pending.size() >= kMaxPending) link.pending.pop_front();
        link.pending.push_back(report);
    }
}

std::vector<HidUsageData> MakeItems(const hid::TopLevelCollection& tlc, ReportKind kind) {
    const auto k = static_cast<size_t>(kind);
    std::vector<HidUsageData> items;
    for (const hid::HidCap& cap : tlc.button_caps[k]) {
        if (items.size() >= kMaxUsageItemsPerKind) break;
        HidUsageData item;
        item.is_button = true;
        item.report_id = cap.report_id;
        item.usage_page = cap.usage_page;
        item.usage_min = cap.usage_min;
        item.usage_max = cap.usage_max;
        item.usage_capacity = static_cast<uint32_t>(
            std::min(hid::MaxUsageListLength(tlc, kind, cap.usage_page), kMaxUsageListCapacity));
        items.push_back(std::move(item));
    }
    // A value capability with a usage range gives one item per usage of the range.
    for (const hid::HidCap& cap : tlc.value_caps[k]) {
        for (uint32_t u = cap.usage_min; u <= cap.usage_max; ++u) {
            if (items.size() >= kMaxUsageItemsPerKind) break;
            HidUsageData item;
            item.report_id = cap.report_id;
            item.usage_page = cap.usage_page;
            item.usage_min = item.usage_max = item.usage = static_cast<uint16_t>(u);
            items.push_back(std::move(item));
        }
    }
    return items;
}

}  // namespace

bool NodeInterfacePaths(std::string_view scheme, const hid::HidNodeInfo& node,
                        std::vector<std::string>& out, std::string& error) {
    hid::ReportDescriptor descriptor;
    if (!hid::ParseReportDescriptor(node.report_descriptor, descriptor, error)) return false;
    const size_t count = descriptor.collections.size();
    for (size_t i = 0; i < count; ++i)
        out.push_back(MakeInterfacePath(scheme, node.node, node.vendor_id, node.product_id,
                                        node.interface_number,
                                        count == 1 ? 0 : static_cast<int>(i + 1)));
    return true;
}

struct HidInterface::State {
    mutable std::mutex mutex;

    std::vector<std::string> paths;
    size_t next_path = 0;

    hid::OpenFlags flags;
    std::string path;
    std::shared_ptr<const Link> link;
    hid::OpenError last_error = hid::OpenError::kNone;

    uint16_t vendor_id = 0;
    uint16_t product_id = 0;
    uint16_t version = 0;
    hid::TopLevelCollection caps;
    std::vector<uint8_t> buffers[hid::kReportKindCount];
    std::vector<HidUsageData> items[hid::kReportKindCount];
    int interface_number = 0;
    int collection_number = 0;

    void ReleaseOpenData() {
        link.reset();
        vendor_id = product_id = version = 0;
        caps = hid::TopLevelCollection{};
        for (auto& b : buffers) b.clear();
        for (auto& i : items) i.clear();
        interface_number = collection_number = 0;
    }
};

HidInterface::HidInterface() : state_(std::make_unique<State>()) {}

HidInterface::~HidInterface() {
    Close();
    ReleaseList();
}

int HidInterface::Enumerate() {
    std::vector<std::string> paths;
    const auto backends = hid::BackendRegistry::Instance().All();
    bool listed = backends.empty();  // nothing to list is a successful, empty listing
    for (const auto& backend : backends) {
        const std::string scheme(backend->Scheme());
        std::vector<hid::HidNodeInfo> nodes;
        if (!backend->Enumerate(nodes)) {
            log::DebugLineF("hid: listing the %s devices failed", scheme.c_str());
            continue;
        }
        listed = true;
        for (const hid::HidNodeInfo& node : nodes) {
            std::string error;
            if (!NodeInterfacePaths(scheme, node, paths, error))
                log::DebugLineF("hid: skipping %s:%s: %s", scheme.c_str(), node.node.c_str(),
                                error.c_str());
        }
    }
    std::lock_guard lock(state_->mutex);
    state_->paths = listed ? std::move(paths) : std::vector<std::string>{};
    state_->next_path = 0;
    return listed ? 1 : 0;
}

const char* HidInterface::NextPath() {
    std::lock_guard lock(state_->mutex);
    if (state_->next_path >= state_->paths.size()) return nullptr;
    return state_->paths[state_->next_path++].c_str();
}

void HidInterface::ReleaseList() {
    std::lock_guard lock(state_->mutex);
    state_->paths.clear();
    state_->paths.shrink_to_fit();
    state_->next_path = 0;
}

int HidInterface::Open(std::string_view path, bool read, bool write, bool overlapped,
                       bool exclusive) {
    Close();
    const hid::OpenFlags flags{read, write, overlapped, exclusive};
    {
        std::lock_guard lock(state_->mutex);
        state_->flags = flags;
        state_->path.assign(path);
    }
    auto fail = [this](hid::OpenError error) {
        std::lock_guard lock(state_->mutex);
        state_->last_error = error;
        return 0;
    };

    std::string_view scheme;
    std::string_view node;
    if (!SplitPath(path, scheme, node)) return fail(hid::OpenError::kNotFound);
    auto backend = hid::BackendRegistry::Instance().Find(scheme);
    if (!backend) return fail(hid::OpenError::kNotFound);

    hid::HidNodeInfo info;
    hid::OpenError error = hid::OpenError::kNone;
    std::shared_ptr<hid::HidConnection> connection = backend->Open(node, flags, info, error);
    if (!connection) return fail(error == hid::OpenError::kNone ? hid::OpenError::kFailed : error);

    // Node names are reused after a device goes; the path names one device.
    if (PathVendorId(path) != info.vendor_id || PathProductId(path) != info.product_id ||
        PathInterfaceNumber(path) != info.interface_number)
        return fail(hid::OpenError::kNotFound);

    hid::ReportDescriptor descriptor;
    std::string parse_error;
    if (!hid::ParseReportDescriptor(info.report_descriptor, descriptor, parse_error)) {
        log::DebugLineF("hid: %.*s: %s", static_cast<int>(path.size()), path.data(),
                        parse_error.c_str());
        return fail(hid::OpenError::kFailed);
    }
    const int collection = PathCollectionNumber(path);
    size_t index = 0;
    if (collection == 0) {
        if (descriptor.collections.size() != 1) return fail(hid::OpenError::kNotFound);
    } else {
        index = static_cast<size_t>(collection - 1);
        if (index >= descriptor.collections.size()) return fail(hid::OpenError::kNotFound);
    }
    hid::TopLevelCollection& tlc = descriptor.collections[index];

    auto link = std::make_shared<Link>();
    link->backend = std::move(backend);
    link->connection = std::move(connection);
    for (uint8_t id : tlc.report_ids_by_kind[0]) link->input_ids[id] = true;
    for (uint8_t id : tlc.report_ids_by_kind[1]) link->output_ids[id] = true;
    link->uses_report_ids = descriptor.uses_report_ids;
    link->node_input_length = descriptor.max_report_length[0];
    link->input_length = tlc.InputReportLength();
    link->output_length = tlc.OutputReportLength();

    std::lock_guard lock(state_->mutex);
    state_->vendor_id = info.vendor_id;
    state_->product_id = info.product_id;
    state_->version = info.version;
    for (size_t k = 0; k < hid::kReportKindCount; ++k) {
        state_->buffers[k].assign(tlc.report_length[k], 0);
        state_->items[k] = MakeItems(tlc, static_cast<ReportKind>(k));
    }
    state_->caps = std::move(tlc);
    state_->interface_number = PathInterfaceNumber(path);
    state_->collection_number = collection;
    state_->link = std::move(link);
    state_->last_error = hid::OpenError::kNone;
    return 1;
}

void HidInterface::Close() {
    std::shared_ptr<const Link> link;
    {
        std::lock_guard lock(state_->mutex);
        link = std::move(state_->link);
        state_->ReleaseOpenData();
    }
    // Wakes a read or write that is waiting on another thread; the connection itself
    // goes when that call has let go of it.
    if (link) link->connection->Abort();
}

bool HidInterface::IsOpen() const {
    std::lock_guard lock(state_->mutex);
    return state_->link != nullptr;
}

int HidInterface::Read(uint8_t* buffer, size_t length, size_t* bytes_read, int timeout_ms) {
    if (bytes_read != nullptr) *bytes_read = 0;
    std::shared_ptr<const Link> link;
    {
        std::lock_guard lock(state_->mutex);
        link = state_->link;
    }
    if (!link || buffer == nullptr || length == 0) return 0;

    // Reports shorter than the collection's input length arrive zero-padded to it.
    auto deliver = [&](const std::vector<uint8_t>& report) {
        const size_t n = std::min(length, std::max(report.size(), size_t{link->input_length}));
        const size_t copied = std::min(report.size(), n);
        std::memcpy(buffer, report.data(), copied);
        std::memset(buffer + copied, 0, n - copied);
        if (bytes_read != nullptr) *bytes_read = n;
        return 1;
    };

    const bool bounded = timeout_ms >= 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    std::unique_lock read_lock(link->read_mutex);
    if (!link->pending.empty()) {
        const std::vector<uint8_t> report = std::move(link->pending.front());
        link->pending.pop_front();
        return deliver(report);
    }
    std::vector<uint8_t> report;
    size_t after_deadline = 0;
    for (;;) {
        int wait_ms = kInfiniteTimeout;
        if (bounded) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            wait_ms = static_cast<int>(std::max<int64_t>(0, left.count()));
        }
        if (ReadReport(*link, report, wait_ms) != hid::IoResult::kOk) return 0;
        if (IsOwnReport(*link, report)) return deliver(report);
        // A report of another collection of the same node: not ours, keep waiting for
        // the time that is left. Past the deadline the reports queued already are still
        // looked through without waiting, so that a read with time-out 0 finds one of
        // ours behind another collection's.
        if (bounded && Clock::now() >= deadline && ++after_deadline > kMaxQueuedReads) return 0;
    }
}

int HidInterface::Write(const uint8_t* buffer, size_t length, size_t* bytes_written,
                        int timeout_ms) {
    if (bytes_written != nullptr) *bytes_written = 0;
    std::shared_ptr<const Link> link;
    {
        std::lock_guard lock(state_->mutex);
        link = state_->link;
    }
    if (!link || buffer == nullptr || length == 0) return 0;
    // Only this collection's output reports go out through it.
    if (!link->output_ids[buffer[0]] || length > link->output_length) return 0;
    DrainBeforeWrite(*link);
    size_t put = 0;
    if (link->connection->Write(buffer, length, &put, timeout_ms) != hid::IoResult::kOk) return 0;
    if (bytes_written != nullptr) *bytes_written = put;
    return 1;
}

int HidInterface::SetOutputReport(const uint8_t* buffer, size_t length) {
    size_t put = 0;
    return Write(buffer, length, &put, kSetOutputReportTimeoutMs) == 1 && put == length ? 1 : 0;
}

void HidInterface::UnpackInputReport(const uint8_t* report, size_t length) {
    if (report == nullptr || length == 0) return;
    const std::span<const uint8_t> bytes(report, length);
    std::lock_guard lock(state_->mutex);
    const hid::TopLevelCollection& caps = state_->caps;
    std::vector<uint16_t> on;
    for (HidUsageData& item : state_->items[0]) {
        if (item.report_id != report[0]) continue;
        if (item.is_button) {
            const hid::HidStatus status = hid::GetUsages(caps, ReportKind::kInput, item.usage_page,
                                                         bytes, on, item.usage_capacity);
            item.usages.clear();
            for (uint16_t u : on)
                if (u >= item.usage_min && u <= item.usage_max) item.usages.push_back(u);
            if (item.usages.size() < item.usage_capacity) item.usages.push_back(0);
            item.status = static_cast<int>(status);
        } else {
            uint32_t raw = 0;
            const hid::HidStatus status = hid::GetUsageValue(
                caps, ReportKind::kInput, item.usage_page, item.usage, bytes, raw);
            if (status != hid::HidStatus::kSuccess) {
                item.status = static_cast<int>(status);
                return;
            }
            item.raw_value = static_cast<int32_t>(raw);
            int32_t scaled = 0;
            item.status = static_cast<int>(hid::GetScaledUsageValue(
                caps, ReportKind::kInput, item.usage_page, item.usage, bytes, scaled));
            item.scaled_value = scaled;
        }
        item.set = true;
    }
}

const std::vector<HidUsageData>& HidInterface::InputUsageData() const {
    return state_->items[0];
}

uint16_t HidInterface::FirstInputUsage() const {
    std::lock_guard lock(state_->mutex);
    const auto& items = state_->items[0];
    if (items.empty() || !items.front().is_button || items.front().usages.empty()) return 0;
    return items.front().usages.front();
}

uint16_t HidInterface::VendorId() const {
    std::lock_guard lock(state_->mutex);
    return state_->vendor_id;
}

uint16_t HidInterface::ProductId() const {
    std::lock_guard lock(state_->mutex);
    return state_->product_id;
}

uint16_t HidInterface::VersionNumber() const {
    std::lock_guard lock(state_->mutex);
    return state_->version;
}

uint16_t HidInterface::UsagePage() const {
    std::lock_guard lock(state_->mutex);
    return state_->caps.usage_page;
}

uint16_t HidInterface::Usage() const {
    std::lock_guard lock(state_->mutex);
    return state_->caps.usage;
}

uint16_t HidInterface::InputReportLength() const {
    std::lock_guard lock(state_->mutex);
    return state_->caps.InputReportLength();
}

uint16_t HidInterface::OutputReportLength() const {
    std::lock_guard lock(state_->mutex);
    return state_->caps.OutputReportLength();
}

uint16_t HidInterface::FeatureReportLength() const {
    std::lock_guard lock(state_->mutex);
    return state_->caps.FeatureReportLength();
}

uint8_t* HidInterface::InputReportBuffer() {
    std::lock_guard lock(state_->mutex);
    return state_->buffers[0].empty() ? nullptr : state_->buffers[0].data();
}

int HidInterface::InterfaceNumber() const {
    std::lock_guard lock(state_->mutex);
    return state_->interface_number;
}

int HidInterface::CollectionNumber() const {
    std::lock_guard lock(state_->mutex);
    return state_->collection_number;
}

const std::string& HidInterface::Path() const {
    return state_->path;
}

hid::OpenError HidInterface::LastOpenError() const {
    std::lock_guard lock(state_->mutex);
    return state_->last_error;
}

}  // namespace dz
