#include "macro/macro_event.h"

#include <climits>

#include "profile/json_file.h"

namespace dz {

int ParseDelay(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;  // saturates below
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int DisplayDelay(std::string_view text) {
    const int value = ParseDelay(text);
    if (value < 0) return 0;
    return value > kMaxMacroDelay ? kMaxMacroDelay : value;
}

MacroEventCode ToDeviceCode(const MacroEvent& event) {
    const auto delay = static_cast<uint32_t>(ParseDelay(event.delay));
    uint8_t type = static_cast<uint8_t>(event.type & 0xFF);
    if (event.IsPress()) type |= 0x80;
    return {static_cast<uint8_t>(delay & 0xFF), static_cast<uint8_t>((delay >> 8) & 0xFF), type,
            static_cast<uint8_t>(event.button & 0xFF)};
}

MacroEvent EventFromJson(const Json::Value& element) {
    MacroEvent event;
    event.type = JsonInt(element, "Type");
    event.button = JsonInt(element, "Button");
    event.action = JsonString(element, "Action");
    const Json::Value& delay = JsonMember(element, "Delay");
    event.delay = delay.isNumeric() && !delay.isBool() ? std::to_string(JsonAsInt(delay))
                                                       : JsonAsString(delay);
    return event;
}

Json::Value EventToJson(const MacroEvent& event) {
    Json::Value element(Json::objectValue);
    element["Type"] = event.type;
    element["Button"] = event.button;
    element["Action"] = event.IsPress() ? "down" : "up";
    element["Delay"] =
        event.delay.empty() ? std::string("0") : std::to_string(ParseDelay(event.delay));
    return element;
}

std::vector<MacroEvent> LoadEvents(const std::filesystem::path& path) {
    std::vector<MacroEvent> events;
    const Json::Value file = ReadJsonFile(path);
    const Json::Value& list = JsonMember(file, "Events");
    for (size_t i = 0; list.isArray() && i < list.size(); ++i) {
        events.push_back(EventFromJson(JsonElement(list, i)));
    }
    return events;
}

bool SaveEvents(const std::filesystem::path& path, std::string_view name, std::string_view guid,
                const std::vector<MacroEvent>& events) {
    if (events.size() > kMaxMacroEvents) return false;
    Json::Value file(Json::objectValue);
    file["MacroName"] = std::string(name);
    file["Guid"] = std::string(guid);
    Json::Value list(Json::arrayValue);
    for (const MacroEvent& event : events) list.append(EventToJson(event));
    file["Events"] = list;
    file["Version"] = kMacroFileVersion;
    // The events shown were read from this file: when it could not be read they are not
    // the macro's, and writing them would lose it.
    return TryReplaceUserJsonFile(path, file);
}

}  // namespace dz
