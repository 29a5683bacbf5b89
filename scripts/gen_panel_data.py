#!/usr/bin/env python3
"""Writes the default data of the colour dialog and of the shooting-pattern panel:

    data/DefaultData/color_option_info.config   preset and collected swatches of the dialog
    data/DefaultData/ShootData_0.Shoot ... _3   a pull-down pattern of 30 bullets per gun
    data/skin/common/base1.png                  the seven-colour look of the shown colour

Python 3 standard library only. Run from anywhere:
    python3 scripts/gen_panel_data.py
"""
import json
import struct
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_DATA = ROOT / "data" / "DefaultData"
SKIN = ROOT / "data" / "skin"

# The preset swatches of data/skin/pallet_dialog.ui, in order.
PRESETS = ["FF0000", "FF8000", "FFFF00", "80FF00", "00FF00", "00FF80", "00FFFF", "0080FF",
           "0000FF", "8000FF", "FF00FF", "FF0080", "FFFFFF", "C0C0C0", "FF5B2E", "FFD8A8",
           "FF80C0", "80C0FF", "80FFC0", "FFC000"]


def write_json(path, value):
    # The program's styled files: three-space indentation, members in key order.
    path.write_text(json.dumps(value, indent=3, sort_keys=True, ensure_ascii=False) + "\n")


def colour_options():
    return {"coloroptioninfo": {
        "palletDialogcoloroption": [{"color": "FF" + c} for c in PRESETS],
        "palletDialogcoloroption_selectitem": 4,
        # No collected colours yet; without a stored selection the first collected swatch
        # is the one a new colour goes to once the user selects it.
        "palletDialogcollectcoloroption": [{"UserData": "", "color": "FFFFFFFF"}
                                           for _ in range(20)],
    }}


# Per gun: (delay of each bullet in ms, vertical pull per bullet, horizontal drift per
# bullet; negative is to the left). The first shots kick hardest upward, so the pull
# downward grows over the first bullets and eases once the weapon settles.
def rifle(b):
    y = [3, 4, 5, 6, 7, 8, 8, 8, 7, 7][b] if b < 10 else (6 if b < 20 else 5)
    x = 0 if b < 6 else (1 if b < 12 else (-2 if b < 20 else (1 if b % 2 else -1)))
    return 100, y, x


def smg(b):
    y = [2, 3, 3, 4, 4, 4][b] if b < 6 else (4 if b < 18 else 3)
    x = 1 if b % 2 else -1
    return 70, y, x if b >= 4 else 0


def lmg(b):
    y = [4, 5, 6, 7, 8, 9, 9, 9][b] if b < 8 else (8 if b < 16 else 7)
    x = 0 if b < 5 else (2 if b < 15 else 1)
    return 85, y, x


def marksman(b):
    y = max(12 - b // 3, 7)
    return 160, y, 0


def bullet_events(delay, y, x):
    left = x < 0
    horizontal = "down" if left else "up"
    vertical = "up"  # the pull goes downward
    return [
        {"Action": "down", "Button": 1, "Delay": 10, "Type": 1},
        {"Action": "up", "Button": 1, "Delay": 0, "Type": 1},
        {"Action": horizontal, "Button": abs(x), "Delay": 5, "Type": 4},
        {"Action": vertical, "Button": y, "Delay": delay, "Type": 5},
        {"Action": horizontal, "Button": 0, "Delay": 0, "Type": 4},
        {"Action": vertical, "Button": 0, "Delay": 0, "Type": 5},
    ]


def pattern(gun):
    events = []
    for b in range(30):
        events += bullet_events(*gun(b))
    return {"Events": events}


def png(path, width, height, pixel):
    raw = b""
    for y in range(height):
        raw += b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width))
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    data = (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    path.write_bytes(data)


def seven_colours(x, y, width=240):
    stops = [(255, 0, 0), (255, 128, 0), (255, 255, 0), (0, 255, 0), (0, 255, 255),
             (0, 0, 255), (160, 0, 255)]
    t = x / (width - 1) * (len(stops) - 1)
    i = min(int(t), len(stops) - 2)
    f = t - i
    r, g, b = (round(a + (c - a) * f) for a, c in zip(stops[i], stops[i + 1]))
    return (r, g, b, 255)


def main():
    write_json(DEFAULT_DATA / "color_option_info.config", colour_options())
    for n, gun in enumerate([rifle, smg, lmg, marksman]):
        write_json(DEFAULT_DATA / f"ShootData_{n}.Shoot", pattern(gun))
    (SKIN / "common").mkdir(parents=True, exist_ok=True)
    png(SKIN / "common" / "base1.png", 240, 90, seven_colours)


if __name__ == "__main__":
    main()
