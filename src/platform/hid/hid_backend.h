#pragma once
// The node-level contract between HidInterface and the places reports come from:
// hidraw nodes (found with libudev) and the device emulator. A "node" is one USB HID
// interface with its report descriptor; HidInterface splits it into its top-level
// collections and keeps each collection's reports apart.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace dz::hid {

struct HidNodeInfo {
    std::string node;                        // backend-specific id, e.g. "/dev/hidraw3"
    uint16_t vendor_id = 0;
    uint16_t product_id = 0;
    uint16_t version = 0;                    // the USB bcdDevice
    int interface_number = 0;                // bInterfaceNumber
    std::vector<uint8_t> report_descriptor;  // raw bytes, as sysfs gives them
    // This appearance of the node: a node that goes and comes back, even under the same
    // name, gets another. Empty when the backend cannot tell.
    std::string instance;
};

struct OpenFlags {
    bool read = true;
    bool write = true;
    bool overlapped = true;
    bool exclusive = false;
};

enum class IoResult { kOk, kTimeout, kAborted, kFailed };
enum class OpenError { kNone, kNotFound, kAccessDenied, kBusy, kFailed };

// An open node. One reader and one writer may work at once on different threads.
// Abort() may be called from any thread: it wakes a waiting Read or Write at once,
// and every later call on the connection fails with kAborted.
class HidConnection {
public:
    virtual ~HidConnection() = default;
    // Reads one input report (report id byte first when the node uses report ids).
    // timeout_ms < 0 waits without bound (still ended by Abort).
    virtual IoResult Read(uint8_t* buf, size_t len, size_t* got, int timeout_ms) = 0;
    // Writes one output report (report id byte first).
    virtual IoResult Write(const uint8_t* buf, size_t len, size_t* put, int timeout_ms) = 0;
    virtual void Abort() = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // Prefix of every interface path this backend serves, e.g. "hidraw" or "sim".
    [[nodiscard]] virtual std::string_view Scheme() const = 0;
    // Lists the nodes present now. False when listing failed as a whole.
    virtual bool Enumerate(std::vector<HidNodeInfo>& out) = 0;
    // Opens one node and reports its current description. A node that has gone away
    // answers nullptr with kNotFound.
    virtual std::unique_ptr<HidConnection> Open(std::string_view node, const OpenFlags& flags,
                                                HidNodeInfo& info, OpenError& error) = 0;

    // Change reports. While at least one watch is held (Watch(true), later Watch(false)),
    // the backend tells BackendRegistry::NotifyNodesChanged about every node that comes,
    // goes or changes.
    virtual void Watch(bool on) { (void)on; }
    // True while every change is being told, so that a listing stays true until the next
    // notification. False: only listing again notices a change.
    [[nodiscard]] virtual bool ReportsChanges() const { return false; }
    // True while the node listed as `node` (its node id and instance) is still there.
    // Meant to be cheaper than Open; the default opens the node without access.
    [[nodiscard]] virtual bool StillPresent(const HidNodeInfo& node);
};

// Process-wide set of backends. hidraw is present unless DOZADIR_NO_HIDRAW=1;
// the emulator adds its own while it runs.
class BackendRegistry {
public:
    static BackendRegistry& Instance();

    // Adding or removing a backend changes the nodes present: listeners are told.
    void Add(std::shared_ptr<HidBackend> backend);
    void Remove(const HidBackend* backend);
    [[nodiscard]] std::shared_ptr<HidBackend> Find(std::string_view scheme) const;
    [[nodiscard]] std::vector<std::shared_ptr<HidBackend>> All() const;

    // Told whenever a backend's nodes may have come or gone (the scanner wakes on it).
    // Listeners run on the notifying thread and must only signal, never block.
    using ChangeListener = std::function<void()>;
    int AddChangeListener(ChangeListener listener);
    void RemoveChangeListener(int id);
    void NotifyNodesChanged();

private:
    BackendRegistry();
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<HidBackend>> backends_;
    std::mutex listeners_mutex_;
    std::vector<std::pair<int, ChangeListener>> listeners_;
    int next_listener_id_ = 1;
};

}  // namespace dz::hid
