#include "platform/hid/hid_backend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/hid/hidraw_backend.h"

namespace dz::hid {

bool HidBackend::StillPresent(const HidNodeInfo& node) {
    HidNodeInfo now;
    OpenError error = OpenError::kNone;
    if (!Open(node.node, OpenFlags{false, false, false, false}, now, error)) return false;
    return now.instance == node.instance;
}

BackendRegistry& BackendRegistry::Instance() {
    static BackendRegistry registry;
    return registry;
}

BackendRegistry::BackendRegistry() {
    const char* off = std::getenv("DOZADIR_NO_HIDRAW");
    if (off == nullptr || std::strcmp(off, "1") != 0) backends_.push_back(MakeHidrawBackend());
}

void BackendRegistry::Add(std::shared_ptr<HidBackend> backend) {
    if (!backend) return;
    {
        std::lock_guard lock(mutex_);
        if (std::find(backends_.begin(), backends_.end(), backend) != backends_.end()) return;
        backends_.push_back(std::move(backend));
    }
    NotifyNodesChanged();
}

void BackendRegistry::Remove(const HidBackend* backend) {
    size_t removed = 0;
    {
        std::lock_guard lock(mutex_);
        removed = std::erase_if(backends_, [backend](const auto& b) { return b.get() == backend; });
    }
    if (removed > 0) NotifyNodesChanged();
}

std::shared_ptr<HidBackend> BackendRegistry::Find(std::string_view scheme) const {
    std::lock_guard lock(mutex_);
    for (const auto& b : backends_)
        if (b->Scheme() == scheme) return b;
    return nullptr;
}

std::vector<std::shared_ptr<HidBackend>> BackendRegistry::All() const {
    std::lock_guard lock(mutex_);
    return backends_;
}

int BackendRegistry::AddChangeListener(ChangeListener listener) {
    std::lock_guard lock(listeners_mutex_);
    const int id = next_listener_id_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void BackendRegistry::RemoveChangeListener(int id) {
    std::lock_guard lock(listeners_mutex_);
    std::erase_if(listeners_, [id](const auto& l) { return l.first == id; });
}

void BackendRegistry::NotifyNodesChanged() {
    // Under the lock, so that a listener being removed is never called afterwards.
    std::lock_guard lock(listeners_mutex_);
    for (const auto& l : listeners_) l.second();
}

}  // namespace dz::hid
