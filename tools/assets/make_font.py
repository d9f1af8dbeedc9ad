#!/usr/bin/python3
"""Makes the program's private font "Palisade" from a free font, under our own name.

Usage: make_font.py SOURCE.ttf OUTPUT.ttf
Only the naming changes; the outlines and metrics stay the source font's. The head
table's timestamps are fixed so the output is the same on every build.
"""
import sys

from fontTools.ttLib import TTFont

FAMILY = "Palisade"
STYLE = "Regular"
FIXED_TIME = 0x00000000E0000000  # seconds since 1904, a fixed moment


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: make_font.py SOURCE.ttf OUTPUT.ttf\n")
        return 2
    font = TTFont(argv[1], recalcTimestamp=False)
    names = font["name"]
    # Keep the source's copyright and licence records (0, 13, 14); replace every name.
    replaced = {
        1: FAMILY,
        2: STYLE,
        3: f"{FAMILY}-{STYLE};orbelle",
        4: f"{FAMILY} {STYLE}",
        6: f"{FAMILY}-{STYLE}",
        16: FAMILY,
        17: STYLE,
    }
    keep = {0, 5, 7, 8, 9, 11, 12, 13, 14}
    names.names = [n for n in names.names if n.nameID in keep or n.nameID in replaced]
    for rec in list(names.names):
        if rec.nameID in (7, 8, 9, 11, 12):
            names.names.remove(rec)
    for name_id, text in replaced.items():
        names.removeNames(nameID=name_id)
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    if "CFF " in font:
        sys.stderr.write("make_font.py: CFF fonts are not supported\n")
        return 1
    font["head"].created = FIXED_TIME
    font["head"].modified = FIXED_TIME
    font.save(argv[2], reorderTables=True)
    # The saved font must carry the family name we promised.
    check = TTFont(argv[2])
    if check["name"].getDebugName(1) != FAMILY:
        sys.stderr.write("make_font.py: family name not written\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
