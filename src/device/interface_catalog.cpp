#include "device/interface_catalog.h"

#include <algorithm>

#include "device/hid_interface.h"
#include "platform/log/debug_log.h"

namespace dz {
namespace {

// The scheme of an interface path: the text before its first ':'.
std::string_view SchemeOf(std::string_view path) {
    const size_t colon = path.find(':');
    return colon == std::string_view::npos ? std::string_view{} : path.substr(0, colon);
}

}  // namespace

InterfaceCatalog::~InterfaceCatalog() {
    for (Source& s : sources_) s.backend->Watch(false);
}

bool InterfaceCatalog::Refresh(bool changed, bool list_others) {
    const auto present = hid::BackendRegistry::Instance().All();
    // Backends that went: their nodes went with them.
    std::erase_if(sources_, [&](Source& s) {
        const bool gone = std::find(present.begin(), present.end(), s.backend) == present.end();
        if (gone) s.backend->Watch(false);
        return gone;
    });
    for (const auto& backend : present) {
        const bool known = std::any_of(sources_.begin(), sources_.end(),
                                       [&](const Source& s) { return s.backend == backend; });
        if (known) continue;
        Source s;
        s.backend = backend;
        s.scheme = std::string(backend->Scheme());
        backend->Watch(true);
        sources_.push_back(std::move(s));
    }
    bool ok = true;
    for (Source& s : sources_) {
        const bool tells = s.backend->ReportsChanges();
        // A backend that has just begun to tell its changes is listed once more, so that
        // the listing it is trusted with was made while it told them.
        const bool due = !s.listed || (tells ? changed || !s.listing_kept_current : list_others);
        if (!due) continue;
        s.listing_kept_current = tells;
        List(s, ok);
    }
    return ok;
}

void InterfaceCatalog::List(Source& source, bool& ok) {
    std::vector<hid::HidNodeInfo> infos;
    if (!source.backend->Enumerate(infos)) {
        log::DebugLineF("hid: listing the %s devices failed", source.scheme.c_str());
        ok = false;
        return;
    }
    std::vector<Node> nodes;
    nodes.reserve(infos.size());
    for (hid::HidNodeInfo& info : infos) {
        // The same instance of a node has the same descriptor: keep what was made of it.
        const auto old = std::find_if(source.nodes.begin(), source.nodes.end(), [&](const Node& n) {
            return !info.instance.empty() && n.listed.info.node == info.node &&
                   n.listed.info.instance == info.instance;
        });
        if (old != source.nodes.end()) {
            nodes.push_back(std::move(*old));
            continue;
        }
        Node node;
        std::string error;
        if (!NodeInterfacePaths(source.scheme, info, node.paths, error)) {
            log::DebugLineF("hid: skipping %s:%s: %s", source.scheme.c_str(), info.node.c_str(),
                            error.c_str());
            continue;
        }
        info.report_descriptor = {};
        node.listed = {source.scheme, std::move(info)};
        nodes.push_back(std::move(node));
    }
    source.nodes = std::move(nodes);
    source.listed = true;
}

std::vector<std::string> InterfaceCatalog::CandidatePaths() const {
    std::vector<std::string> out;
    for (const Source& s : sources_)
        for (const Node& n : s.nodes)
            for (const std::string& p : n.paths)
                if (n.rejected.count(p) == 0) out.push_back(p);
    return out;
}

const ListedNode* InterfaceCatalog::NodeOf(std::string_view path) const {
    const Source* s = FindSource(SchemeOf(path));
    if (s == nullptr) return nullptr;
    for (const Node& n : s->nodes)
        if (std::find(n.paths.begin(), n.paths.end(), path) != n.paths.end()) return &n.listed;
    return nullptr;
}

void InterfaceCatalog::MarkRejected(std::string_view path) {
    for (Source& s : sources_) {
        if (s.scheme != SchemeOf(path)) continue;
        for (Node& n : s.nodes)
            if (std::find(n.paths.begin(), n.paths.end(), path) != n.paths.end())
                n.rejected.emplace(path);
    }
}

bool InterfaceCatalog::StillPresent(const ListedNode& node) const {
    const Source* s = FindSource(node.scheme);
    if (s == nullptr) return false;
    if (s->listing_kept_current && s->backend->ReportsChanges()) {
        return std::any_of(s->nodes.begin(), s->nodes.end(), [&](const Node& n) {
            return n.listed.info.node == node.info.node &&
                   n.listed.info.instance == node.info.instance;
        });
    }
    return s->backend->StillPresent(node.info);
}

bool InterfaceCatalog::AllReportChanges() const {
    return std::all_of(sources_.begin(), sources_.end(),
                       [](const Source& s) { return s.backend->ReportsChanges(); });
}

const InterfaceCatalog::Source* InterfaceCatalog::FindSource(std::string_view scheme) const {
    for (const Source& s : sources_)
        if (s.scheme == scheme) return &s;
    return nullptr;
}

}  // namespace dz
