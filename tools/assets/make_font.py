#!/usr/bin/python3
"""Makes the program's private font "Palisade" from a free font, under our own name.

Usage: make_font.py SOURCE.ttf|SOURCE.otf OUTPUT.ttf
The naming changes, and PostScript outlines become TrueType ones (the program loads a
".ttf"); the shapes and metrics stay the source font's. The head table's timestamps are
fixed so the output is the same on every build.
"""
import sys

from fontTools.pens.cu2quPen import Cu2QuPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable

FAMILY = "Palisade"
STYLE = "Regular"
FIXED_TIME = 0x00000000E0000000  # seconds since 1904, a fixed moment


def to_truetype(font):
    """Replaces the CFF outlines by quadratic glyf outlines."""
    order = font.getGlyphOrder()
    glyph_set = font.getGlyphSet()
    glyphs = {}
    for name in order:
        tt_pen = TTGlyphPen(glyph_set)
        glyph_set[name].draw(Cu2QuPen(tt_pen, 1.0, reverse_direction=True))
        glyphs[name] = tt_pen.glyph()
    font["loca"] = newTable("loca")
    glyf = font["glyf"] = newTable("glyf")
    glyf.glyphOrder = order
    glyf.glyphs = glyphs
    del font["CFF "]
    for tag in ("VORG",):
        if tag in font:
            del font[tag]
    hmtx = font["hmtx"]
    for name, g in glyphs.items():
        g.recalcBounds(glyf)
        advance = hmtx[name][0]
        hmtx[name] = (advance, g.xMin if g.numberOfContours != 0 and hasattr(g, "xMin") else 0)
    maxp = font["maxp"] = newTable("maxp")
    maxp.tableVersion = 0x00010000
    maxp.maxZones = 1
    for field in ("maxTwilightPoints", "maxStorage", "maxFunctionDefs", "maxInstructionDefs",
                  "maxStackElements", "maxSizeOfInstructions", "maxComponentElements"):
        setattr(maxp, field, 0)
    post = font["post"]
    post.formatType = 2.0
    post.extraNames = []
    post.mapping = {}
    post.glyphOrder = order
    font.sfntVersion = "\000\001\000\000"


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
        to_truetype(font)
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
