#!/usr/bin/python3
"""Fonts whose only character maps are the formats the extended loaders add, each beside
a reference font holding the same glyphs under a plain Unicode map (format 4, and 12 past
the BMP).

Usage: character_map_fonts.py OUTPUT_DIRECTORY

Writes the fonts and character_map_fonts.txt, one expectation a line:
    FONT TEXT REFERENCE_FONT REFERENCE_TEXT
meaning TEXT drawn with FONT (extended loader, character-map option) draws what
REFERENCE_TEXT draws with REFERENCE_FONT (standard loader). A text is its code points in
hexadecimal joined by "+"; a REFERENCE_TEXT "-" means TEXT draws no ink at all.

  mac_roman.ttf        format 0, Macintosh platform, Roman encoding only: every byte
                       0x20-0xFF has a glyph; Unicode through Python's mac_roman codec.
  mac_cyrillic.ttf,    the same under the Cyrillic (7) and Central European (29)
  mac_central_european.ttf  encodings, through the codecs fontTools names for them.
  many_to_one.ttf      format 13 only: ranges sharing one glyph, one of them past the BMP.
  sequences.ttf        format 4 with format 14: default and non-default variation
                       sequences; the reference maps each variant at a private-use code.
"""
import os
import sys

from fontTools.misc.encodingTools import getEncoding

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from static_font import build_static_font  # noqa: E402


def code_glyph(number):
    """A glyph telling `number` (< 256) apart from every other: a bar per bit, tall for
    1, short for 0."""
    def draw(pen):
        for bit in range(8):
            x = 40 + 75 * bit
            top = 650 if number >> bit & 1 else 120
            pen.moveTo((x, 0))
            pen.lineTo((x, top))
            pen.lineTo((x + 50, top))
            pen.lineTo((x + 50, 0))
            pen.closePath()
    return draw


def glyph_set(count):
    names = [".notdef"] + ["code%d" % i for i in range(1, count)]
    drawings = {name: code_glyph(i) for i, name in enumerate(names)}
    return names, drawings, {name: 650 for name in names}


def text(codes):
    return "+".join("%04X" % code for code in codes) if codes else "-"


def save(directory, name, glyphs, **maps):
    order, drawings, advances = glyphs
    build_static_font(name, order, drawings, advances, **maps).save(os.path.join(directory, name))


# Macintosh encodings read, with the codec fontTools decodes each with.
MACINTOSH_SETS = [("mac_roman", 0), ("mac_cyrillic", 7), ("mac_central_european", 29)]


def macintosh(directory, lines):
    for name, encoding in MACINTOSH_SETS:
        codec = getEncoding(1, encoding, 0)
        glyphs = glyph_set(1 + 0xE0)
        names = glyphs[0]
        by_byte = {byte: names[1 + byte - 0x20] for byte in range(0x20, 0x100)}
        unicode_map = {ord(bytes([byte]).decode(codec)): glyph for byte, glyph in by_byte.items()}
        save(directory, name + ".ttf", glyphs, subtables=[(0, 1, encoding, by_byte)])
        save(directory, name + "_reference.ttf", glyphs, unicode_map=unicode_map)
        for code in sorted(unicode_map):
            lines.append((name + ".ttf", [code], name + "_reference.ttf", [code]))


def many_to_one(directory, lines):
    glyphs = glyph_set(5)
    names = glyphs[0]
    ranges = [(0x20, 0x7E, names[1]), (0x7F, 0x7F, names[2]), (0x4E00, 0x9FFF, names[3]),
              (0x1F600, 0x1F64F, names[4]), (0x10FF00, 0x10FFFD, names[1])]
    mapping = {code: name for first, last, name in ranges for code in range(first, last + 1)}
    save(directory, "many_to_one.ttf", glyphs, subtables=[(13, 3, 10, mapping)])
    save(directory, "many_to_one_reference.ttf", glyphs, unicode_map=mapping)
    probes = set()
    for first, last, _ in ranges:
        probes.update([first - 1, first, (first + last) // 2, last, last + 1])
    for code in sorted(probes):
        lines.append(("many_to_one.ttf", [code], "many_to_one_reference.ttf", [code]))


def sequences(directory, lines):
    glyphs = glyph_set(7)
    names = glyphs[0]
    bases = {0x41: names[1], 0x4E08: names[2], 0x845B: names[3], 0x9089: names[4]}
    variants = {0xE000: names[5], 0xE001: names[6]}
    VS1, VS2, VS17, VS18 = 0xFE00, 0xFE01, 0xE0100, 0xE0101
    listed = [(0x41, VS1, names[5]), (0x4E08, VS1, None), (0x845B, VS17, None),
              (0x845B, VS18, names[6]), (0x9089, VS17, names[6])]
    save(directory, "sequences.ttf", glyphs, unicode_map=bases, sequences=listed)
    save(directory, "sequences_reference.ttf", glyphs, unicode_map={**bases, **variants})
    cases = [
        ([code], [code]) for code in sorted(bases)
    ] + [
        ([0x41, VS1], [0xE000]),            # non-default sequences draw the variant
        ([0x845B, VS18], [0xE001]),
        ([0x9089, VS17], [0xE001]),
        ([0x4E08, VS1], [0x4E08]),          # default sequences draw the base's glyph
        ([0x845B, VS17], [0x845B]),
        ([0x41, VS2], [0x41]),              # no such sequence: the base alone
        ([0x4E08, VS18], [0x4E08]),
        ([VS1], []),                        # a selector alone draws nothing
        ([VS17, 0x41], [0x41]),
        ([0x41, VS1, VS1], [0xE000]),
        ([0x845B, VS18, 0x41, VS1, 0x9089], [0xE001, 0xE000, 0x9089]),
    ]
    for source, reference in cases:
        lines.append(("sequences.ttf", source, "sequences_reference.ttf", reference))


def main():
    directory = sys.argv[1]
    os.makedirs(directory, exist_ok=True)
    lines = []
    macintosh(directory, lines)
    many_to_one(directory, lines)
    sequences(directory, lines)
    with open(os.path.join(directory, "character_map_fonts.txt"), "w") as out:
        for font, source, reference_font, reference in lines:
            out.write("%s %s %s %s\n" % (font, text(source), reference_font, text(reference)))


if __name__ == "__main__":
    main()
