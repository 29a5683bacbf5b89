#pragma once
// The HID interfaces present, as the scanner last listed them, per backend. It keeps idle
// passes cheap:
//   - a backend that tells its changes (hidraw with a working udev monitor, the emulator)
//     is listed again only after it told one; the others whenever the caller asks;
//   - a node's interface paths are made from its report descriptor once per instance of
//     the node, and an interface found not to be one of the table is not probed again;
//   - whether a bound interface is still there is answered from the listing when its
//     backend tells its changes, else by the backend's presence check; never by opening.

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/hid_backend.h"

namespace dz {

// The node an interface path was listed from, as needed to ask later whether it is still
// there.
struct ListedNode {
    std::string scheme;
    hid::HidNodeInfo info;  // without the descriptor's bytes
};

class InterfaceCatalog {
  public:
    InterfaceCatalog() = default;
    ~InterfaceCatalog();  // ends the watches it holds
    InterfaceCatalog(const InterfaceCatalog&) = delete;
    InterfaceCatalog& operator=(const InterfaceCatalog&) = delete;

    // Brings the listing up to date: backends that came are watched and listed, those that
    // went are dropped; `changed` (a change was told since the last refresh) lists every
    // backend that tells its changes again; `list_others` lists the ones that do not. False
    // when some listing failed (that backend keeps its last one).
    bool Refresh(bool changed, bool list_others);

    // The listed interface paths that may still be bound, in backend and node order.
    [[nodiscard]] std::vector<std::string> CandidatePaths() const;
    // The node listed with this path, or nullptr.
    [[nodiscard]] const ListedNode* NodeOf(std::string_view path) const;
    // Remembers that this path opened but matches no row, for as long as its node stays.
    void MarkRejected(std::string_view path);

    // Whether the node that was listed as `node` (same instance) is still there.
    [[nodiscard]] bool StillPresent(const ListedNode& node) const;
    // True when every backend tells its changes, so that nothing needs polling.
    [[nodiscard]] bool AllReportChanges() const;

  private:
    struct Node {
        ListedNode listed;
        std::vector<std::string> paths;
        std::set<std::string, std::less<>> rejected;
    };
    struct Source {
        std::shared_ptr<hid::HidBackend> backend;
        std::string scheme;
        std::vector<Node> nodes;
        bool listed = false;
        // Whether the backend told its changes when it was last listed: only then does
        // the listing stay true until the next change.
        bool listing_kept_current = false;
    };
    void List(Source& source, bool& ok);
    [[nodiscard]] const Source* FindSource(std::string_view scheme) const;

    std::vector<Source> sources_;
};

}  // namespace dz
