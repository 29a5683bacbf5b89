#!/usr/bin/env python3
"""Writes data/DefaultData: the default data file of each device kind and default_light.json.

Key codes of the keyboard positions are taken from the key name table in
src/models/key_tables.cpp, so the two never disagree. Run from the source tree root:
    python3 scripts/gen_default_data.py
"""
import json
import re
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
OUT = ROOT / "data" / "DefaultData"

MODIFIERS = {"kModifierLeftCtrl": 0x01, "kModifierLeftShift": 0x02, "kModifierLeftAlt": 0x04,
             "kModifierLeftGui": 0x08, "kModifierRightCtrl": 0x10, "kModifierRightShift": 0x20,
             "kModifierRightAlt": 0x40, "kModifierRightGui": 0x80}
TYPES = {"kKeyTypeSystem": 0x40, "kKeyTypeOnboardMacro": 0xD0, "kKeyTypeKeyboardFunction": 0xA0}


def key_codes():
    text = (ROOT / "src" / "models" / "key_tables.cpp").read_text()
    codes = {}
    for m in re.finditer(r'\{"([^"]+)",\s*[^,]+,\s*(Mod\((\w+)\)|Usage\((0x[0-9A-Fa-f]+)\)|'
                         r'ConsumerKeyCode\((0x[0-9A-Fa-f]+)\)|\{(\w+),\s*(0x[0-9A-Fa-f]+|\d+),'
                         r'\s*(0x[0-9A-Fa-f]+|\d+)\})\}', text):
        name = m.group(1)
        if m.group(3):
            code = (0x20, MODIFIERS[m.group(3)], 0)
        elif m.group(4):
            code = (0x20, 0, int(m.group(4), 16))
        elif m.group(5):
            usage = int(m.group(5), 16)
            code = (0x30, usage & 0xFF, usage >> 8)
        else:
            code = (TYPES[m.group(6)], int(m.group(7), 0), int(m.group(8), 0))
        codes.setdefault(name, code)
    return codes


def as_int(code):
    return (code[0] << 16) | (code[1] << 8) | code[2]


def keyboard_positions():
    k = lambda *names: ["keyboard_key_" + n for n in names]
    blank = (0x20, 0, 0)
    pos = k("Esc") + k(*["F%d" % i for i in range(1, 13)]) + k("Print Scr", "Scroll Lock", "Pause", "GM")
    pos += [(0xA0, 0x24, 0), blank, blank, blank]
    pos += k("`") + k(*[str(i) for i in range(1, 10)]) + k("0", "-", "=", "BackSpace", "Insert", "Home",
                                                          "Page Up", "Num Lock", "Num /", "Num *", "Num -")
    pos += k("Tab") + k(*"QWERTYUIOP") + k("[", "]", "xiegang", "Delete", "End", "Page Down",
                                           "Num 7", "Num 8", "Num 9", "K42")
    pos += k("Caplk") + k(*"ASDFGHJKL") + k(";", "'", "Enter", "Num 4", "Num 5", "Num 6",
                                           "K132", "K131", "K151", "K150", "K133")
    pos += k("LShift") + k(*"ZXCVBNM") + k("<", ".", "/", "RShift", "Up", "Num 1", "Num 2", "Num 3",
                                          "K56", "K14", "K45", "K107")
    pos += [blank]
    pos += k("LCtrl", "LWin", "LAlt", "Space", "RAlt", "FN", "App", "RCtrl", "Left", "Down", "Right",
             "Num 0", "Decimal", "Num Enter", "Num +", "M1", "M2", "M3", "M4", "M5", "RWin")
    assert len(pos) == 126, len(pos)
    return pos


def key_list(codes):
    return [{"Assignment": as_int(c), "DefaultAssignment": as_int(c)} for c in codes]


def light_info(mode, brightness, speed, fx, multicolor, rgb, zzcc=0):
    return {"SelectItem": mode, "Light": brightness, "Speed": speed, "Fx": fx,
            "MultiColor": multicolor, "Red": rgb[0], "Green": rgb[1], "Blue": rgb[2],
            "ZZCCLedMode": zzcc, "CustomGroup": 0, "OldLedmode": mode}


AUDIO_LIGHT = {"AudioMode": 0, "BkColorR": 0, "BkColorG": 0, "BkColorB": 0, "FgColorR": 255,
               "FgColorG": 0, "FgColorB": 0, "7ColorFlags": 1, "ColorTypeFlags": 1}

EQ_PRESETS = [
    [0] * 10,  # row 0 is never used
    [7, 11, 2, -3, -1, 4, 9, 12, 9, 5],
    [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    [10, 4, 0, -3, -4, -3, -2, -1, 0, 0],
    [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    [0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    [7, 14, -13, -6, -1, 8, 13, 7, 2, 6],
    [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    [2, 1, -2, -3, -5, -1, 7, 11, 15, 13],
    [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0],
    [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
]

MOUSE_BUTTONS = [(0x10, 0x01, 0x00), (0x10, 0x02, 0x00), (0x10, 0x04, 0x00), (0x10, 0x10, 0x00),
                 (0x10, 0x08, 0x00), (0x13, 0x01, 0x00), (0x13, 0x02, 0x00), (0x13, 0x03, 0x00),
                 (0xA0, 0x1B, 0x00), (0x16, 0x90, 0x01), (0x14, 0x78, 0x02)]

# Keyboard effects by index: (text identifier, offered in the mode list). The device code of
# each effect is its index; 29 and 30 are the host-driven codes 0x1D and 0x1E.
KEYBOARD_EFFECTS = [
    ("kb_light_custom_text", False), ("kb_light_wave_text", True), ("kb_light_gradient_text", True),
    ("kb_light_rainbow_text", True), ("kb_light_spectrum_text", True), ("kb_light_breath_text", True),
    ("kb_light_static_text", True), ("kb_light_reactive_text", True), ("kb_light_ripple_text", True),
    ("kb_light_flow_text", True), ("kb_light_starlight_text", True), ("kb_light_colour_cycle_text", True),
    ("kb_light_row_wave_text", True), ("kb_light_cross_text", True), ("kb_light_intro_text", True),
    ("kb_light_random_breath_text", True), ("kb_light_diagonal_text", True),
    ("kb_light_fixed_colour_text", True), ("kb_light_ring_wave_text", True),
    ("kb_light_custom2_text", False), ("kb_light_per_key_text", True), ("kb_light_snake_text", True),
    ("kb_light_pulse_text", True), ("kb_light_blink_text", True), ("kb_light_sweep_text", True),
    ("kb_light_key_fade_text", True), ("kb_light_breath_four_text", True),
    ("kb_light_blink_four_text", True), ("kb_light_off_text", True), ("kb_light_music_text", True),
    ("kb_light_host_colour_text", False),
]
MOUSE_MODES = ["ms_light_wave_text", "ms_light_spectrum_text", "ms_light_breath_text",
               "ms_light_static_text", "ms_light_blink_text", "ms_light_ripple_text",
               "ms_light_reactive_text", "ms_light_breath_four_text", "ms_light_blink_four_text",
               "ms_light_off_text"]
# Mousepad and headset: index 5 plays custom effects and is not offered.
PAD_MODES = [("pad_light_wave_text", True), ("pad_light_spectrum_text", True),
             ("pad_light_breath_text", True), ("pad_light_static_text", True),
             ("pad_light_blink_text", True), ("pad_light_custom_text", False),
             ("pad_light_ripple_text", True), ("pad_light_pair_ripple_text", True),
             ("pad_light_off_text", True)]
HEADSET_MODES = [(n.replace("pad_", "hd_"), v) for n, v in PAD_MODES]


def mode_list(modes):
    return [{"LightName": n, "visible": v, "value": i} for i, (n, v) in enumerate(modes)]


def areas(prefix, count):
    return [{"LightName": "%s_light_area_%d_text" % (prefix, i)} for i in range(count)]


def write(name, value):
    (OUT / name).write_text(json.dumps(value, indent=3, ensure_ascii=False) + "\n")


def main():
    codes = key_codes()
    positions = [codes[p] if isinstance(p, str) else p for p in keyboard_positions()]
    OUT.mkdir(parents=True, exist_ok=True)

    write("keyboard.Json", {"Device": [{
        "LightInfo": light_info(1, 4, 2, 1, 1, (255, 0, 0)),
        "AudioLightInfo": AUDIO_LIGHT,
        "LightList": [],
        "KeyList": key_list(positions),
        "SystemStages": {"Repeat": 20, "RepeatDelay": 1, "Key6Flag": 0, "PollingRate": 0,
                         "WFlag": 0, "WinFlag": 0},
        "CustomLightMode": {"CustomLightModeGroupIndex": 0, "LightColorInfo": []},
    }]})

    stage = lambda x, rgb, on=1: {"StageActive": on, "StageXY": 0, "StageDPIX": x, "StageDPIY": x,
                                  "StageColorR": rgb[0], "StageColorG": rgb[1], "StageColorB": rgb[2]}
    write("mouse.Json", {"Device": [{
        "LightInfo": light_info(0, 4, 2, 1, 1, (255, 0, 0)),
        "AudioLightInfo": AUDIO_LIGHT,
        "LightList": [],
        "KeyList": key_list(MOUSE_BUTTONS),
        "DPIStages": {"StageActive": 1, "StageDPIs": [
            stage(6, (255, 0, 0)), stage(14, (0, 255, 0)), stage(30, (0, 0, 255)),
            stage(62, (255, 255, 0)), stage(126, (255, 0, 255))]},
        "SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10, "PointerPrecision": 1,
                         "ScorllPage": 0, "WheelScorlllinse": 3},
        "ReportStages": {"StageActive": 3},
        "CorrectInfo": [
            {"CorrectPixThresh": 0, "CorrectMinSq": 0, "CorrectSelect": 1,
             "CorrectName": "correct_off_text"},
            {"CorrectPixThresh": 4, "CorrectMinSq": 8, "CorrectSelect": 0,
             "CorrectName": "correct_low_text"},
            {"CorrectPixThresh": 8, "CorrectMinSq": 16, "CorrectSelect": 0,
             "CorrectName": "correct_high_text"}],
    }]})

    write("MousePad.Json", {"Device": [{
        "LightInfo": light_info(0, 4, 2, 1, 1, (255, 0, 0)),
        "AudioLightInfo": AUDIO_LIGHT,
        "LightList": [],
    }]})

    write("HD.Json", {"Device": [{
        "LightInfo": light_info(0, 4, 2, 1, 1, (255, 0, 0)),
        "AudioLightInfo": AUDIO_LIGHT,
        "LightList": [],
        "SystemSetStages": {"MagicEnable": 0, "MagicType": 1, "EqType": 5,
                            "CustomEqSeletIndex": 0, "MicInSelect": 1, "MicInValue": 80,
                            "MicMoniterSelect": 0, "MicMoniterValue": 50},
        "EQHzValueInfo": [[{"value": g} for g in row] for row in EQ_PRESETS],
        "CustomEQNameInfo": [],
        "CustomEQHzValueInfo": [],
    }]})

    # Arrays indexed by kind code: keyboard 0, mouse 1, mousepad 2, headset 3.
    write("default_light.json", {
        "DefaultLightName": [mode_list(KEYBOARD_EFFECTS),
                             mode_list([(n, True) for n in MOUSE_MODES]),
                             mode_list(PAD_MODES), mode_list(HEADSET_MODES)],
        "AreaLightName": [[{"LightName": "kb_light_area_keys_text"},
                           {"LightName": "kb_light_area_side_text"}],
                          areas("ms", 7), areas("pad", 15), areas("hd", 13)],
    })


if __name__ == "__main__":
    main()
