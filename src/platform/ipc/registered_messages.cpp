#include "platform/ipc/registered_messages.h"

#include <map>
#include <mutex>
#include <vector>

namespace dz::ipc {
namespace {

struct Table {
    std::mutex lock;
    std::map<std::string, uint32_t, std::less<>> numbers;
    std::vector<std::string> names;  // index = number - kFirstRegisteredMessage
};

Table& GetTable() {
    static Table table;
    return table;
}

}  // namespace

uint32_t RegisterMessage(std::string_view name) {
    if (name.empty()) return 0;
    Table& t = GetTable();
    std::lock_guard guard(t.lock);
    if (auto it = t.numbers.find(name); it != t.numbers.end()) return it->second;
    const auto number = kFirstRegisteredMessage + static_cast<uint32_t>(t.names.size());
    t.names.emplace_back(name);
    t.numbers.emplace(std::string(name), number);
    return number;
}

std::optional<uint32_t> FindRegisteredMessage(std::string_view name) {
    Table& t = GetTable();
    std::lock_guard guard(t.lock);
    if (auto it = t.numbers.find(name); it != t.numbers.end()) return it->second;
    return std::nullopt;
}

std::optional<std::string> RegisteredMessageName(uint32_t number) {
    Table& t = GetTable();
    std::lock_guard guard(t.lock);
    if (number < kFirstRegisteredMessage) return std::nullopt;
    const size_t index = number - kFirstRegisteredMessage;
    if (index >= t.names.size()) return std::nullopt;
    return t.names[index];
}

}  // namespace dz::ipc
