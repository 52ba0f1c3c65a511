"""A static TrueType font from glyph drawings, with fontTools.fontBuilder.

Each glyph is drawn by a function taking a TTGlyphPen; its left side bearing is its own
xMin, so the origin phantom point of every glyph sits at x = 0.
"""
from fontTools.fontBuilder import FontBuilder, buildCmapSubTable
from fontTools.pens.ttGlyphPen import TTGlyphPen

UNITS_PER_EM = 1000
ASCENT = 800
DESCENT = -200


def draw_glyphs(glyph_order, drawings):
    """The glyf glyphs of `drawings` (name -> function(pen)); names missing draw empty."""
    glyphs = {}
    for name in glyph_order:
        pen = TTGlyphPen(glyphs)
        drawing = drawings.get(name)
        if drawing is not None:
            drawing(pen)
        glyphs[name] = pen.glyph()
    return glyphs


def build_static_font(family, glyph_order, drawings, advances, unicode_map=None, sequences=None,
                      subtables=None, units_per_em=UNITS_PER_EM, ascent=ASCENT, descent=DESCENT,
                      line_gap=0):
    """A TTFont with `glyph_order`, drawn by `drawings`, advances from `advances` (name ->
    width), character maps: a format 4 (and 12 when needed) Unicode map `unicode_map`
    (code point -> name) with the variation sequences `sequences` ((base, selector, name or
    None for the default glyph) in format 14), or else exactly `subtables`, each (format,
    platform, encoding, {code: name}); and the line metrics given, in hhea and OS/2 alike."""
    builder = FontBuilder(units_per_em, isTTF=True)
    builder.setupGlyphOrder(glyph_order)
    builder.setupCharacterMap(unicode_map or {}, uvs=sequences)
    if subtables is not None:
        builder.font["cmap"].tables = [buildCmapSubTable(mapping, format, platform, encoding)
                                       for format, platform, encoding, mapping in subtables]
    glyphs = draw_glyphs(glyph_order, drawings)
    builder.setupGlyf(glyphs)
    glyf = builder.font["glyf"]
    metrics = {}
    for name in glyph_order:
        glyph = glyf[name]
        glyph.recalcBounds(glyf)
        metrics[name] = (advances.get(name, 0), getattr(glyph, "xMin", 0))
    builder.setupHorizontalMetrics(metrics)
    builder.setupHorizontalHeader(ascent=ascent, descent=descent, lineGap=line_gap)
    builder.setupNameTable({"familyName": family, "styleName": "Regular"})
    builder.setupOS2(sTypoAscender=ascent, sTypoDescender=descent, sTypoLineGap=line_gap,
                     usWinAscent=ascent, usWinDescent=-descent)
    builder.setupPost()
    return builder.font
