#!/usr/bin/env python3
"""Writes the device page skins of data/skin/device: one Qt Designer form per device kind.

Each page is the device object's own widget (its top widget carries the device class), with
the device picture ("SelectPanel": "DeviceKeyButton" children named "key_"n, user data
"light_"m), the profile bar and the two page-switch containers whose pages hold the feature
panels. The keyboard picture is placed from the keyboard's LED matrix: a key sits in the
matrix row and column its light has there. Run from anywhere:
    python3 scripts/gen_device_skins.py
"""
import math
import xml.etree.ElementTree as ET
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
OUT = ROOT / "data" / "skin" / "device"

PAGE_W, PAGE_H = 800, 460


# ---------------------------------------------------------------------------------------
# Form building helpers

def _prop(el, name, kind, value, stdset=True):
    p = ET.SubElement(el, "property", name=name)
    if not stdset:
        p.set("stdset", "0")
    if kind == "rect":
        r = ET.SubElement(p, "rect")
        for tag, v in zip(("x", "y", "width", "height"), value):
            ET.SubElement(r, tag).text = str(v)
    elif kind == "size":
        s = ET.SubElement(p, "size")
        ET.SubElement(s, "width").text = str(value[0])
        ET.SubElement(s, "height").text = str(value[1])
    elif kind == "color":
        c = ET.SubElement(p, "color")
        for tag, v in zip(("red", "green", "blue"), value):
            ET.SubElement(c, tag).text = str(v)
    elif kind == "font":
        f = ET.SubElement(p, "font")
        ET.SubElement(f, "pointsize").text = str(value)
    elif kind == "bool":
        ET.SubElement(p, "bool").text = "true" if value else "false"
    elif kind == "number":
        ET.SubElement(p, "number").text = str(value)
    elif kind == "enum":
        ET.SubElement(p, "enum").text = value
    else:
        ET.SubElement(p, "string").text = value
    return p


def widget(parent, cls, name, rect=None, text=None, fixed=None, userdata=None):
    """A widget under a widget element, or under a layout element (wrapped in an item)."""
    host = parent
    if parent.tag == "layout":
        host = ET.SubElement(parent, "item")
    w = ET.SubElement(host, "widget", {"class": cls, "name": name})
    if rect is not None:
        _prop(w, "geometry", "rect", rect)
    if fixed is not None:
        _prop(w, "minimumSize", "size", fixed)
        _prop(w, "maximumSize", "size", fixed)
    if text is not None:
        _prop(w, "text", "string", text)
    if userdata is not None:
        _prop(w, "userdata", "string", userdata, stdset=False)
    return w


def layout(parent, cls, name, margins=(0, 0, 0, 0), spacing=4):
    host = parent
    if parent.tag == "layout":
        host = ET.SubElement(parent, "item")
    lay = ET.SubElement(host, "layout", {"class": cls, "name": name})
    _prop(lay, "spacing", "number", spacing)
    for side, v in zip(("leftMargin", "topMargin", "rightMargin", "bottomMargin"), margins):
        _prop(lay, side, "number", v)
    return lay


def spacer(lay, name, vertical=False):
    item = ET.SubElement(lay, "item")
    s = ET.SubElement(item, "spacer", name=name)
    _prop(s, "orientation", "enum", "Qt::Vertical" if vertical else "Qt::Horizontal")


def form(device_class, root_name):
    ui = ET.Element("ui", version="4.0")
    ET.SubElement(ui, "class").text = root_name
    root = widget(ui, device_class, root_name, rect=(0, 0, PAGE_W, PAGE_H))
    return ui, root


def picture(parent, name, size, bk=(24, 26, 32)):
    """A "SelectPanel" of fixed size; its key labels are shown as written, not looked up."""
    p = widget(parent, "SelectPanel", name, fixed=size)
    _prop(p, "bkcolor", "color", bk, stdset=False)
    _prop(p, "font", "font", 7)
    _prop(p, "resourcetext", "bool", False, stdset=False)
    return p


LABEL_EM = 6  # width of a label character at the theme's 10px key font, in pixels


def key(panel, number, rect, label, led=None):
    w = widget(panel, "DeviceKeyButton", "key_%d" % number, rect=rect, text=label,
               userdata=None if led is None else "light_%d" % led)
    # A label wider than its key gets the theme's smaller key font instead of being clipped.
    if len(label) * LABEL_EM >= rect[2] - 2:
        _prop(w, "longlabel", "bool", True, stdset=False)
    return w


def light(panel, index, rect, name=None):
    return widget(panel, "DeviceKeyButton", name or "light_%d" % index, rect=rect,
                  userdata="light_%d" % index)


def stacked(parent, name, pages):
    """A QStackedWidget whose page i holds what pages[i] (a callable on the page) puts in."""
    s = widget(parent, "QStackedWidget", name)
    for i, fill in enumerate(pages):
        page = widget(s, "QWidget", "%s_page_%d" % (name, i))
        lay = layout(page, "QVBoxLayout", "%s_page_%d_layout" % (name, i))
        if fill is not None:
            fill(lay)
        else:
            spacer(lay, "%s_page_%d_spacer" % (name, i), vertical=True)
    return s


def panel(cls, name):
    """A feature panel container, built later from its own skin by the window's builder."""
    return lambda lay: widget(lay, cls, name)


def panels(*fills):
    def fill(lay):
        for f in fills:
            f(lay)
    return fill


def page_frame(device_class, root_name):
    """Root with the profile bar on top; answers (ui, root, root layout)."""
    ui, root = form(device_class, root_name)
    lay = layout(root, "QVBoxLayout", root_name + "_layout", margins=(6, 4, 6, 4))
    bar = widget(lay, "DeviceProfileUI", "DeviceProfileItem")
    _prop(bar, "minimumSize", "size", (0, 40))
    _prop(bar, "maximumSize", "size", (16777215, 40))
    return ui, root, lay


def write(ui, file_name):
    ET.SubElement(ui, "resources")
    ET.SubElement(ui, "connections")
    ET.indent(ui, space=" ")
    OUT.mkdir(parents=True, exist_ok=True)
    data = ET.tostring(ui, encoding="unicode")
    (OUT / file_name).write_text('<?xml version="1.0" encoding="UTF-8"?>\n' + data + "\n",
                                 encoding="utf-8")


def options(parent, prefix, count, group, labels=None):
    for i in range(count):
        w = widget(parent, "QRadioButton", "%s%d" % (prefix, i),
                   text=labels[i] if labels else None)
        _prop(w, "group", "string", group, stdset=False)


# ---------------------------------------------------------------------------------------
# Keyboard

# Column c lists the lights of rows 0..5 (None: no light in that cell).
LED_MATRIX = [
    [None, 120, 121, 122, 123, 124], [None, 21, 42, 63, 84, 105], [0, 22, 43, 64, 102, 106],
    [1, 23, 44, 65, 85, 20], [2, 24, 45, 66, 86, 107], [3, 25, 46, 67, 87, 126],
    [4, 26, 47, 68, 88, 127], [18, 27, 48, 69, 89, 108], [5, 28, 49, 70, 90, 128],
    [6, 29, 50, 71, 91, 129], [7, 30, 51, 72, 92, 109], [8, 31, 52, 73, 93, 125],
    [9, 32, 53, 74, 94, 110], [10, 33, 54, 62, 100, 111], [11, 34, 55, 75, 19, 130],
    [12, 101, 103, 79, 95, 112], [13, 35, 56, 82, 80, 113], [14, 36, 57, 83, 96, 114],
    [15, 37, 58, 17, 81, 115], [None, 38, 59, 76, 97, 116], [None, 39, 60, 77, 98, 104],
    [None, 40, 61, 78, 99, 117], [None, 41, 16, 119, 118, 131],
]

KEY_POSITIONS = 126   # lights 0..125 are the keys; a key's number is its light's number
KEYBOARD_LIGHTS = 170

LABELS = {
    0: "Esc", 13: "Prt", 14: "Scr", 15: "Pau", 16: "GM", 17: "K17", 18: "K18",
    19: "K19", 20: "K20", 21: "`", 31: "0", 32: "-", 33: "=", 34: "Bksp", 35: "Ins",
    36: "Hm", 37: "PU", 38: "NL", 39: "/", 40: "*", 41: "-", 42: "Tab", 53: "[",
    54: "]", 55: "\\", 56: "Del", 57: "End", 58: "PD", 59: "7", 60: "8", 61: "9",
    62: "#", 63: "Caps", 73: ";", 74: "'", 75: "Enter", 76: "4", 77: "5", 78: "6",
    79: "K132", 80: "K131", 81: "K151", 82: "K150", 83: "K133", 84: "Shift", 92: ",",
    93: ".", 94: "/", 95: "Shift", 96: "\u2191", 97: "1", 98: "2", 99: "3", 100: "K56",
    101: "K14", 102: "\\", 103: "K107", 104: "K104", 105: "Ctrl", 106: "Win", 107: "Alt",
    108: "", 109: "Alt", 110: "Fn", 111: "App", 112: "Ctrl", 113: "\u2190",
    114: "\u2193", 115: "\u2192", 116: "0", 117: ".", 118: "Ent", 119: "+", 125: "Win",
}
LABELS.update({i: "F%d" % i for i in range(1, 13)})
LABELS.update({22 + i: str(i + 1) for i in range(9)})
LABELS.update({43 + i: c for i, c in enumerate("QWERTYUIOP")})
LABELS.update({64 + i: c for i, c in enumerate("ASDFGHJKL")})
LABELS.update({85 + i: c for i, c in enumerate("ZXCVBNM")})
LABELS.update({120 + i: "M%d" % (i + 1) for i in range(5)})

# The picture, block by block: (x in key units from the block's left edge, width, height)
# for every key of a row, by its light. Rows are the matrix rows; the function row sits half
# a unit above the others.
MACRO_COLUMN = {1: [(120, 0, 1)], 2: [(121, 0, 1)], 3: [(122, 0, 1)], 4: [(123, 0, 1)],
                5: [(124, 0, 1)]}


def _run(lights_and_widths, start=0.0):
    """Keys side by side: [(light, width)] -> [(light, x, width)]."""
    out, x = [], start
    for light_index, w in lights_and_widths:
        if light_index is not None:
            out.append((light_index, x, w))
        x += w
    return out


MAIN_BLOCK = {
    0: _run([(0, 1), (None, 1), (1, 1), (2, 1), (3, 1), (4, 1), (None, 0.25), (18, 1),
             (None, 0.25), (5, 1), (6, 1), (7, 1), (8, 1), (None, 0.5), (9, 1), (10, 1),
             (11, 1), (12, 1)]),
    1: _run([(21, 1)] + [(22 + i, 1) for i in range(10)] + [(32, 1), (33, 1), (34, 2),
                                                              (101, 1)]),
    2: _run([(42, 1.5)] + [(43 + i, 1) for i in range(12)] + [(55, 1.5), (103, 1)]),
    3: _run([(63, 1.75)] + [(64 + i, 1) for i in range(11)] + [(62, 1), (75, 1.25), (79, 1)]),
    4: _run([(84, 1.25), (102, 1)] + [(85 + i, 1) for i in range(10)] + [(100, 1), (19, 1),
                                                                       (95, 1.75)]),
    5: _run([(105, 1.25), (106, 1.25), (20, 1), (107, 1.25), (108, 6), (109, 1), (125, 1),
             (110, 1), (111, 1), (112, 1.25)]),
}
NAV_BLOCK = {
    0: _run([(13, 1), (14, 1), (15, 1)]), 1: _run([(35, 1), (36, 1), (37, 1)]),
    2: _run([(56, 1), (57, 1), (58, 1)]), 3: _run([(82, 1), (83, 1), (17, 1)]),
    4: _run([(80, 1), (96, 1), (81, 1)]), 5: _run([(113, 1), (114, 1), (115, 1)]),
}
NUM_BLOCK = {
    1: _run([(38, 1), (39, 1), (40, 1), (41, 1)]), 2: _run([(59, 1), (60, 1), (61, 1), (16, 1)]),
    3: _run([(76, 1), (77, 1), (78, 1), (119, 1)]), 4: _run([(97, 1), (98, 1), (99, 1)]),
    5: _run([(116, 1), (104, 1), (117, 1)]),
}
TALL_KEYS = {118: (4, 3, 1, 2)}  # Num Enter: row 4, x 3 in the numpad, 1 wide, 2 high

UNIT = 29          # key pitch in pixels
GAP = 3            # space between neighbouring keys
KB_LEFT = 22       # left edge of the macro column, right of the left light bar
KB_TOP = 20        # top of the function row, under the top light bar
BLOCK_X = {"macro": 0.0, "main": 1.25, "nav": 17.75, "num": 21.25}
ROW_Y = {0: 0.0, 1: 1.5, 2: 2.5, 3: 3.5, 4: 4.5, 5: 5.5}
KB_UNITS_W = 25.25
KB_PANEL = (780, 232)


def _px(x_units, y_units, w_units, h_units):
    x = KB_LEFT + round(x_units * UNIT)
    y = KB_TOP + round(y_units * UNIT)
    right = KB_LEFT + round((x_units + w_units) * UNIT) - GAP
    bottom = KB_TOP + round((y_units + h_units) * UNIT) - GAP
    return (x, y, right - x, bottom - y)


def keyboard_keys():
    """light -> pixel rect of every key of the picture."""
    rects = {}
    for block, rows in (("macro", MACRO_COLUMN), ("main", MAIN_BLOCK), ("nav", NAV_BLOCK),
                        ("num", NUM_BLOCK)):
        for row, keys in rows.items():
            for light_index, x, w in keys:
                rects[light_index] = _px(BLOCK_X[block] + x, ROW_Y[row], w, 1)
    for light_index, (row, x, w, h) in TALL_KEYS.items():
        rects[light_index] = _px(BLOCK_X["num"] + x, ROW_Y[row], w, h)
    return rects


def keyboard_lights(keys):
    """light -> pixel rect of the lights that are not keys: the strip under the bottom row
    (its lights keep their matrix order), and the bars around the keyboard."""
    rects = {}
    strip_y = KB_TOP + round(6.5 * UNIT) + 2
    space = keys[108]
    alt, app, rctrl, enter = keys[107], keys[111], keys[112], keys[118]

    def centred(cx):
        return (round(cx) - 10, strip_y, 20, 6)

    rects[126] = centred(space[0] + space[2] * 0.12)
    rects[127] = centred(space[0] + space[2] * 0.32)
    rects[128] = centred(space[0] + space[2] * 0.68)
    rects[129] = centred(space[0] + space[2] * 0.88)
    rects[130] = centred((app[0] + app[2] + rctrl[0]) / 2)
    rects[131] = centred(enter[0] + enter[2] / 2)
    assert alt[0] + alt[2] < rects[126][0]
    # Bars: left side bottom to top, top edge left to right, right side top to bottom.
    rows_top = KB_TOP
    bar_h = round(6.5 * UNIT) - GAP
    for i in range(6):
        y = rows_top + bar_h - round((i + 1) * bar_h / 6) + 2
        rects[132 + i] = (6, y, 8, round(bar_h / 6) - 4)
    right_edge = KB_LEFT + round(KB_UNITS_W * UNIT) - GAP
    top_w = right_edge - KB_LEFT
    for i in range(26):
        x = KB_LEFT + round(i * top_w / 26) + 2
        rects[138 + i] = (x, 6, round(top_w / 26) - 4, 7)
    for i in range(6):
        y = rows_top + round(i * bar_h / 6) + 2
        rects[164 + i] = (right_edge + 8, y, 8, round(bar_h / 6) - 4)
    return rects


def check_keyboard(keys, lights):
    """The picture must hold every key once, each light once, and follow the matrix."""
    assert sorted(keys) == list(range(KEY_POSITIONS)), sorted(set(range(KEY_POSITIONS)) ^ set(keys))
    assert sorted(list(keys) + list(lights)) == list(range(KEYBOARD_LIGHTS))
    cells = {}
    for c, column in enumerate(LED_MATRIX):
        for r, light_index in enumerate(column):
            if light_index is not None:
                cells[light_index] = (c, r)
    assert all(k in cells for k in keys)
    every = dict(keys)
    every.update(lights)
    for c, column in enumerate(LED_MATRIX):
        tops = [every[x][1] for x in column if x is not None]
        assert tops == sorted(tops) and len(set(tops)) == len(tops), (c, tops)
    for r in range(6):
        centres = [every[col[r]][0] + every[col[r]][2] / 2 for col in LED_MATRIX
                   if col[r] is not None]
        assert centres == sorted(centres) and len(set(centres)) == len(centres), (r, centres)
    rects = list(every.values())
    for i, a in enumerate(rects):
        assert a[0] >= 0 and a[1] >= 0 and a[0] + a[2] <= KB_PANEL[0] and a[1] + a[3] <= KB_PANEL[1]
        for b in rects[i + 1:]:
            assert (a[0] + a[2] <= b[0] or b[0] + b[2] <= a[0] or a[1] + a[3] <= b[1]
                    or b[1] + b[3] <= a[1]), (a, b)


def keyboard_system(lay):
    """Repeat, lock and report-rate settings of the keyboard; texts are language keys."""
    box = widget(lay, "QWidget", "keyboard_system_layout")
    _prop(box, "resourcetext", "bool", True, stdset=False)
    grid = layout(box, "QVBoxLayout", "keyboard_system_box", spacing=6)
    locks = layout(grid, "QHBoxLayout", "keyboard_lock_row")
    for name, text in (("winlockflag_option", "kb_winlock_text"), ("wflag_option", "kb_wflag_text"),
                       ("6flag_option", "kb_6key_text")):
        widget(locks, "QCheckBox", name, text=text)
    spacer(locks, "keyboard_lock_spacer")
    rate = layout(grid, "QHBoxLayout", "repeat_rate_row")
    widget(rate, "QLabel", "repeat_rate_label", text="kb_repeat_rate_text")
    s = widget(rate, "QSlider", "repeat_rate_slider")
    _prop(s, "orientation", "enum", "Qt::Horizontal")
    _prop(s, "minimum", "number", 0)
    _prop(s, "maximum", "number", 100)
    widget(rate, "QLineEdit", "repeat_input_richedit")
    widget(rate, "QPushButton", "reset_repeat_btn", text="kb_repeat_reset_text")
    delay = layout(grid, "QHBoxLayout", "repeat_delay_row")
    widget(delay, "QLabel", "repeat_delay_label", text="kb_repeat_delay_text")
    options(delay, "repeat_delay_check_", 4, "repeat_delay",
            ["kb_repeat_delay_%d_text" % i for i in range(4)])
    shown = widget(delay, "QLabel", "repeat_delay_time_label1")
    _prop(shown, "resourcetext", "bool", False, stdset=False)  # the page writes the delay
    spacer(delay, "repeat_delay_spacer")
    polling = layout(grid, "QHBoxLayout", "polling_rate_row")
    widget(polling, "QLabel", "polling_rate_label", text="kb_polling_rate_text")
    options(polling, "polling_rate_option_", 4, "polling_rate",
            ["kb_polling_rate_%d_text" % i for i in range(4)])
    spacer(polling, "polling_rate_spacer")
    spacer(grid, "keyboard_system_spacer", vertical=True)  # the rows stay together at the top


def keyboard_page():
    ui, root, lay = page_frame("RezazodaKeyboardDevice", "keyboarddevice")
    # The profile the keyboard itself is on (its profile button changes it).
    onboard = widget(lay, "QLabel", "keyboard_onboard_profile_label")
    _prop(onboard, "resourcetext", "bool", False, stdset=False)
    pic = picture(lay, "SelectPanel", KB_PANEL)
    keys = keyboard_keys()
    lights = keyboard_lights(keys)
    check_keyboard(keys, lights)
    for number in sorted(keys):
        key(pic, number, keys[number], LABELS[number], led=number)
    for index in sorted(lights):
        light(pic, index, lights[index])

    def function_main(page_lay):
        stacked(page_lay, "device_key_function_switch", [
            panel("LightSetControlUI", "LightControlItem"),
            panel("KeySetControlUI", "KeySetControlItem"),
            None,
        ])

    stacked(lay, "device_function_switch", [
        function_main,
        panel("MacroSetControlUI", "MacroControlItem"),
        None,
        keyboard_system,
    ])
    write(ui, "keyboarddevice.ui")


# ---------------------------------------------------------------------------------------
# Mouse

MOUSE_KEYS = [  # (label, rect) for buttons 0..10
    ("L", (86, 14, 58, 72)), ("R", (168, 14, 58, 72)), ("M", (148, 18, 16, 30)),
    ("Fwd", (56, 96, 24, 34)), ("Back", (56, 134, 24, 34)), ("+", (146, 52, 20, 14)),
    ("-", (146, 70, 20, 14)), ("DPI", (140, 94, 32, 16)), ("K8", (56, 172, 24, 26)),
    ("K9", (232, 96, 24, 34)), ("K10", (232, 134, 24, 34)),
]


def mouse_light_rects(ox, oy, scale):
    """15 lights around the mouse body: down the left edge, across the tail, up the right."""
    pts = [(36, 24 + 26 * i) for i in range(7)] + [(156, 214)] + \
          [(276, 24 + 26 * (6 - i)) for i in range(7)]
    size = max(8, round(10 * scale))  # the small preview's lights stay big enough to see
    return [(ox + round(x * scale) - size // 2, oy + round(y * scale) - size // 2, size, size)
            for x, y in pts]


def mouse_page():
    ui, root, lay = page_frame("RezazodaMouseDevice", "mousedevice")
    row = layout(lay, "QHBoxLayout", "mouse_picture_row")
    pic = picture(row, "SelectPanel", (312, 232))
    body = widget(pic, "QFrame", "mouse_body", rect=(84, 8, 144, 198))
    _prop(body, "bkcolor", "color", (44, 46, 54), stdset=False)
    for i, (label, rect) in enumerate(MOUSE_KEYS):
        key(pic, i, rect, label)
    for i, rect in enumerate(mouse_light_rects(0, 0, 1.0)):
        light(pic, i, rect)
    preview = picture(row, "mouse_light_preview", (160, 232))
    for i, rect in enumerate(mouse_light_rects(2, 6, 0.5)):
        widget(preview, "DeviceKeyButton", "light_0_%d" % i, rect=rect)
    widget(preview, "DeviceKeyButton", "logo", rect=(68, 60, 24, 24))
    side = layout(row, "QVBoxLayout", "mouse_side_column")
    opts = widget(side, "QWidget", "mouse_option_layout")
    opts_lay = layout(opts, "QHBoxLayout", "mouse_option_row")
    _prop(opts, "resourcetext", "bool", True, stdset=False)
    options(opts_lay, "mouse_device_seting_option_", 2, "mouse_device_seting",
            ["ms_option_buttons_text", "ms_option_lights_text"])
    spacer(opts_lay, "mouse_option_spacer")
    widget(side, "QLabel", "device_tishi_info")
    widget(side, "QListWidget", "device_setkeyinfo_list")

    def function_main(page_lay):
        stacked(page_lay, "device_key_function_switch", [
            panel("LightSetControlUI", "LightControlItem"),
            panel("KeySetControlUI", "KeySetControlItem"),
            None,
        ])

    def performance(page_lay):
        for n in range(5):
            # The enable check stays outside "DPI_layout_" n: the row is disabled with its
            # stage, and the check must still switch it back on.
            r = layout(page_lay, "QHBoxLayout", "DPI_row_%d" % n)
            check = widget(r, "QCheckBox", "DPI_enable_check_%d" % n, text="DPI %d" % (n + 1))
            _prop(check, "minimumSize", "size", (70, 0))
            row_w = widget(r, "QWidget", "DPI_layout_%d" % n)
            inner = layout(row_w, "QHBoxLayout", "DPI_layout_row_%d" % n)
            for name, cls in (("DPI_select_check_", "QRadioButton"),
                              ("DPI_slider_", "QSlider"), ("DPI_edit_", "QLineEdit"),
                              ("DPI_color_option_", "QPushButton")):
                w = widget(inner, cls, "%s%d" % (name, n))
                if cls == "QRadioButton":
                    _prop(w, "autoExclusive", "bool", False)
                if cls == "QSlider":
                    _prop(w, "orientation", "enum", "Qt::Horizontal")
                if cls == "QLineEdit":
                    _prop(w, "numberonly", "bool", True, stdset=False)
                    _prop(w, "maximumSize", "size", (70, 16777215))
                if cls == "QPushButton":
                    _prop(w, "maximumSize", "size", (24, 16777215))
        polling = layout(page_lay, "QHBoxLayout", "polling_rate_row")
        label = widget(polling, "QLabel", "polling_rate_title", text="polling_rate_title_text")
        _prop(label, "resourcetext", "bool", True, stdset=False)
        labels = ["polling_rate_%d_text" % i for i in range(5)]
        options(polling, "polling_rate_option_", 5, "polling_rate", labels)
        for i in range(5):
            w = polling.findall("item/widget")[i + 1]
            _prop(w, "resourcetext", "bool", True, stdset=False)
        spacer(polling, "polling_rate_spacer")
        spacer(page_lay, "performance_spacer", vertical=True)

    def system(page_lay):
        """The pointer options the profile keeps; texts are language keys."""
        box = widget(page_lay, "QWidget", "mouse_system_layout")
        _prop(box, "resourcetext", "bool", True, stdset=False)
        grid = layout(box, "QVBoxLayout", "mouse_system_box", spacing=6)
        for name, text in (("pointer_speed_slider", "ms_pointer_speed_text"),
                           ("scroll_speed_slider", "ms_scroll_speed_text"),
                           ("double_click_slider", "ms_double_click_text")):
            row = layout(grid, "QHBoxLayout", name + "_row")
            label = widget(row, "QLabel", name + "_label", text=text)
            _prop(label, "minimumSize", "size", (160, 0))
            w = widget(row, "QSlider", name)
            _prop(w, "orientation", "enum", "Qt::Horizontal")
        checks = layout(grid, "QHBoxLayout", "mouse_system_checks")
        widget(checks, "QCheckBox", "pointer_precision_check", text="ms_pointer_precision_text")
        widget(checks, "QCheckBox", "scrolls_page_check", text="ms_scroll_page_text")
        spacer(checks, "mouse_system_checks_spacer")
        desktop = layout(grid, "QHBoxLayout", "mouse_desktop_settings_row")
        for n, text in enumerate(("ms_keyboard_settings_text", "ms_mouse_settings_text")):
            widget(desktop, "QPushButton", "windowdeviceset_%d" % n, text=text)
        spacer(desktop, "mouse_desktop_settings_spacer")
        spacer(grid, "mouse_system_spacer", vertical=True)

    stacked(lay, "device_function_switch", [
        function_main,
        panels(panel("MacroSetControlUI", "MacroControlItem"),
               panel("ShootKeySetControlUI", "ShootControlItem")),
        performance,
        system,
    ])
    write(ui, "mousedevice.ui")


# ---------------------------------------------------------------------------------------
# Mousepad and headset: lights only

def mousepad_light_rects():
    """Edge strip of the pad: light 0 at the top right corner, 1..7 along the top and down
    the left edge, 14..8 down the right edge and along the bottom, meeting at the far corner
    so that lights k and 15 - k sit at the same distance from light 0."""
    left, top, right, bottom = 20, 16, 460, 216
    s = 12
    pts = {0: (right, top)}
    for i in range(4):  # along the long edges
        pts[1 + i] = (right - (i + 1) * (right - left) / 5, top)
        pts[11 - i] = (right - (i + 1) * (right - left) / 5, bottom)
    for i in range(3):  # down the short edges
        pts[5 + i] = (left, top + (i + 1) * (bottom - top) / 4)
        pts[14 - i] = (right, top + (i + 1) * (bottom - top) / 4)
    assert sorted(pts) == list(range(15))
    return {i: (round(x) - s // 2, round(y) - s // 2, s, s) for i, (x, y) in pts.items()}


def mousepad_page():
    ui, root, lay = page_frame("RezazodaMousePadDevice", "mousepaddevice")
    pic = picture(lay, "SelectPanel", (480, 232))
    surface = widget(pic, "QFrame", "mousepad_surface", rect=(28, 24, 424, 184))
    _prop(surface, "bkcolor", "color", (44, 46, 54), stdset=False)
    for i, rect in sorted(mousepad_light_rects().items()):
        light(pic, i, rect)
    stacked(lay, "device_function_switch", [
        lambda page_lay: stacked(page_lay, "device_key_function_switch", [
            panel("LightSetControlUI", "LightControlItem"), None, None]),
        None, None, None,
    ])
    write(ui, "mousepaddevice.ui")


def headset_light_rects():
    """Two ear cups of six lights each (left 0..5, right 6..11) and the microphone tip."""
    rects = {}
    for cup, cx in ((0, 110), (1, 370)):
        for i in range(6):
            a = math.pi / 2 + i * math.pi / 3
            x = cx + 56 * math.cos(a)
            y = 140 - 56 * math.sin(a)
            rects[cup * 6 + i] = (round(x) - 7, round(y) - 7, 14, 14)
    rects[12] = (60, 206, 14, 14)
    return rects


def headset_page():
    ui, root, lay = page_frame("RezazodaDO6533Device", "do6533device")
    pic = picture(lay, "SelectPanel", (480, 232))
    band = widget(pic, "QFrame", "headset_band", rect=(104, 20, 272, 16))
    _prop(band, "bkcolor", "color", (44, 46, 54), stdset=False)
    for i, rect in sorted(headset_light_rects().items()):
        light(pic, i, rect)
    stacked(lay, "device_function_switch", [
        lambda page_lay: stacked(page_lay, "device_key_function_switch", [
            panel("LightSetControlUI", "LightControlItem"),
            panel("Voice6533SetControlUI", "Voice6533ControlItem"),
            panel("MagicSetControlUI", "MagicControlItem"),
        ]),
        panel("VirtualSetControlUI", "VirtualSetControlItem"),
        None, None,
    ])
    write(ui, "do6533device.ui")


def main():
    keyboard_page()
    mouse_page()
    mousepad_page()
    headset_page()


if __name__ == "__main__":
    main()
