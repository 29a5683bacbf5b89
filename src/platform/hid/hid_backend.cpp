#include "platform/hid/hid_backend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/hid/hidraw_backend.h"

namespace dz::hid {

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
    std::lock_guard lock(mutex_);
    if (std::find(backends_.begin(), backends_.end(), backend) == backends_.end())
        backends_.push_back(std::move(backend));
}

void BackendRegistry::Remove(const HidBackend* backend) {
    std::lock_guard lock(mutex_);
    std::erase_if(backends_, [backend](const auto& b) { return b.get() == backend; });
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

}  // namespace dz::hid
