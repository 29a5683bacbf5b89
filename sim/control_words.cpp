#include "sim/control_words.h"

namespace dz::sim {
namespace {

constexpr DeviceKind kKinds[] = {DeviceKind::kKeyboard, DeviceKind::kMouse, DeviceKind::kMousepad,
                                 DeviceKind::kHeadset};
constexpr FaultKind kFaults[] = {
    FaultKind::kStatusFF,   FaultKind::kStatusFE,   FaultKind::kNoAnswer,    FaultKind::kWrongCode,
    FaultKind::kDisconnect, FaultKind::kLateAnswer, FaultKind::kDoubleAnswer,
    FaultKind::kLinkLost};

}  // namespace

std::optional<DeviceKind> KindFromWord(std::string_view word) {
    for (DeviceKind kind : kKinds)
        if (word == KindName(kind)) return kind;
    return std::nullopt;
}

std::optional<Link> LinkFromWord(std::string_view word) {
    for (Link link : {Link::kCable, Link::kReceiver})
        if (word == LinkName(link)) return link;
    return std::nullopt;
}

const char* FaultWord(FaultKind fault) {
    switch (fault) {
        case FaultKind::kStatusFF:
            return "ff";
        case FaultKind::kStatusFE:
            return "fe";
        case FaultKind::kNoAnswer:
            return "no-answer";
        case FaultKind::kWrongCode:
            return "wrong-code";
        case FaultKind::kDisconnect:
            return "disconnect";
        case FaultKind::kLateAnswer:
            return "late-answer";
        case FaultKind::kDoubleAnswer:
            return "double-answer";
        case FaultKind::kLinkLost:
            return "link-lost";
    }
    return "?";
}

std::optional<FaultKind> FaultFromWord(std::string_view word) {
    for (FaultKind fault : kFaults)
        if (word == FaultWord(fault)) return fault;
    return std::nullopt;
}

std::string_view KindWordList() {
    return "keyboard, mouse, mousepad, headset";
}

std::string_view LinkWordList() {
    return "cable, receiver";
}

std::string_view FaultWordList() {
    return "ff, fe, no-answer, wrong-code, disconnect, late-answer, double-answer, link-lost";
}

}  // namespace dz::sim
