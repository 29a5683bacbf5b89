// Bytes of a JSON file through the program's reading path (ParseJsonText is what
// ReadJsonFile parses with), the typed readers, and the writer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "profile/json_file.h"

namespace {

// Visits every value the way the profile code reads it. The depth check holds the parser
// to its bound: anything deeper would have to be refused.
void Walk(const Json::Value& value, int depth) {
    if (depth > dz::kJsonMaxDepth) __builtin_trap();
    (void)dz::JsonAsInt(value);
    (void)dz::JsonAsBool(value);
    (void)dz::JsonAsString(value);
    if (value.isObject()) {
        for (const auto& name : value.getMemberNames()) {
            (void)dz::JsonInt(value, name);
            (void)dz::JsonBool(value, name);
            (void)dz::JsonString(value, name);
            Walk(dz::JsonMember(value, name), depth + 1);
        }
    } else if (value.isArray()) {
        const size_t size = dz::JsonSize(value);
        for (size_t i = 0; i <= size; ++i) Walk(dz::JsonElement(value, i), depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Json::Value root = dz::ParseJsonText(text);
    if (!root.isNull()) Walk(root, 1);

    // The lookups a profile load makes, on whatever the file held.
    const Json::Value& section = dz::JsonElement(dz::JsonMember(root, "Device"), 0);
    (void)dz::JsonInt(dz::JsonMember(section, "LightInfo"), "SelectItem");
    (void)dz::JsonBool(dz::JsonMember(section, "LightInfo"), "MultiColor");
    const Json::Value& keys = dz::JsonMember(section, "KeyList");
    for (size_t i = 0; i < dz::JsonSize(keys) && i < 512; ++i) {
        (void)dz::JsonInt(dz::JsonElement(keys, i), "Assignment");
    }
    (void)dz::JsonString(root, "profilename");

    // What the program writes it must read back, with the same values: a save and a load
    // may normalise once (invalid UTF-8 in strings, a comment left open at the end), after
    // that saving and loading again changes nothing.
    if (!root.isNull()) {
        const Json::Value once = dz::ParseJsonText(dz::StyledJsonText(root));
        if (once.isNull()) __builtin_trap();
        const Json::Value twice = dz::ParseJsonText(dz::StyledJsonText(once));
        if (!(twice == once)) __builtin_trap();
    }

    // Saving a section into a tree of any shape must not throw.
    dz::JsonElementForWrite(dz::JsonMemberForWrite(root, "Device"), 0) = Json::Value(1);
    return 0;
}
