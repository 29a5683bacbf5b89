#include "panels/light_layout.h"

#include <algorithm>
#include <initializer_list>

#include "models/light_edit.h"

namespace dz::panels {
namespace {

constexpr bool on = true;
constexpr bool off = false;

// One row: the modes it covers and the six enabled states C7, CL, CP, L, S, FX.
struct Row {
    std::initializer_list<int> modes;
    bool c7, cl, cp, l, s, fx;
    bool same = false;
};

bool Covers(const Row& row, int mode) {
    return std::find(row.modes.begin(), row.modes.end(), mode) != row.modes.end();
}

void Take(LightLayout& layout, const Row& row) {
    layout.colourful = row.c7;
    layout.colour = row.cl;
    layout.palette = row.cp;
    layout.brightness = row.l;
    layout.speed = row.s;
    layout.direction = row.fx;
    layout.same_mode = row.same;
}

// Modes not listed have every group off and the same-mode button hidden.
LightLayout FromRows(std::initializer_list<Row> rows, int mode) {
    LightLayout layout;
    layout.direction = off;
    for (const Row& row : rows) {
        if (Covers(row, mode)) {
            Take(layout, row);
            break;
        }
    }
    return layout;
}

LightLayout MouseLayout(int mode) {
    return FromRows(
        {
            {{0, 5}, on, on, on, on, on, on},
            {{1}, off, off, off, on, on, off, true},
            {{2, 4, 6}, on, on, on, on, on, off, true},
            {{3}, off, on, on, on, off, off, true},
            {{7, 8}, off, off, off, on, on, off},
            {{9}, off, off, off, off, off, off, true},
        },
        mode);
}

LightLayout PadAndHeadsetLayout(int mode) {
    return FromRows(
        {
            {{0}, on, on, on, on, on, on},
            {{1}, off, off, off, on, on, off, true},
            {{2, 4}, on, on, on, on, on, off, true},
            {{3}, off, on, on, on, off, off, true},
            {{8}, off, off, off, off, off, off, true},
        },
        mode);
}

LightLayout KeyboardLayout(int mode) {
    LightLayout k = FromRows(
        {
            {{1, 2, 3, 21, 24}, on, on, on, on, on, on},
            {{4}, off, off, off, on, on, off, true},
            {{5, 8, 10, 13, 14, 23, 25}, on, on, on, on, on, off, true},
            {{6}, on, on, on, on, off, off, true},
            {{7, 9, 15, 22, 26}, on, on, on, on, on, off},
            {{16}, on, on, on, on, off, off},
            {{11, 17, 27}, off, off, off, on, on, off},
            {{12}, off, off, off, on, on, on},
            {{18}, off, off, off, on, off, on},
            {{20}, off, on, on, on, off, off},
            {{28}, off, off, off, off, off, off, true},
            {{29}, on, on, on, on, off, on},
            {{30}, off, off, off, on, off, off},
        },
        mode);
    k.keyboard = true;
    k.first_direction_text = "light_set_right_to_left_text";
    k.second_direction_text = "light_set_left_to_right_text";
    switch (mode) {
        case 3:
        case 24:
            k.first_direction_text = "light_set_clockwise_text";
            k.second_direction_text = "light_set_anticlockwise_text";
            break;
        case 4:
        case 11:
        case 27:
            k.light_colour = false;
            break;
        case 30:
            k.light_colour = false;
            k.host_colour_shown = true;
            break;
        case 12:
            k.first_direction_text = "light_set_down_to_up_text";
            k.second_direction_text = "light_set_up_to_down_text";
            break;
        case 17:
            k.speed_shown = false;
            k.sub_mode_shown = true;
            k.light_colour = false;
            break;
        case 18:
            k.first_direction_text = "light_set_outside_to_inside_text";
            k.second_direction_text = "light_set_inside_to_outside_text";
            break;
        case 20:
            k.speed_shown = false;
            k.custom_shown = true;
            break;
        case 21:
            k.first_direction_text = "light_set_up_to_down_text";
            k.second_direction_text = "light_set_down_to_up_text";
            break;
        case 29:
            k.speed_shown = false;
            k.audio_mode_shown = true;
            k.colour_page = 1;
            break;
        default:
            break;
    }
    return k;
}

}  // namespace

std::optional<LightLayout> LightLayoutOf(int kind, int mode) {
    switch (kind) {
        case kLightKindKeyboard:
            return KeyboardLayout(mode);
        case kLightKindMouse:
            return MouseLayout(mode);
        case kLightKindMousepad:
        case kLightKindHeadset:
            return PadAndHeadsetLayout(mode);
        default:
            return std::nullopt;
    }
}

}  // namespace dz::panels
