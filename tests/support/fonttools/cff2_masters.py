"""CFF masters drawn with fontTools.fontBuilder for a variable font with CFF2 outlines: a
weight axis (100, 400, 900) with an avar map and a width axis (75, 100), five masters
(the corner at weight 900 and width 75 too), Latin capitals, digits and a few lowercase
letters of lines and cubic curves whose stems, bowls and widths follow the axes. varLib
turns them into CFF2 charstrings that blend, with HVAR advances.
"""
import os
import tempfile

from fontTools.designspaceLib import AxisDescriptor, DesignSpaceDocument, SourceDescriptor
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools import varLib

KAPPA = 0.5523


def rect(pen, x0, y0, x1, y1):
    pen.moveTo((x0, y0))
    pen.lineTo((x1, y0))
    pen.lineTo((x1, y1))
    pen.lineTo((x0, y1))
    pen.closePath()


def ellipse(pen, cx, cy, rx, ry, clockwise=False):
    kx, ky = rx * KAPPA, ry * KAPPA
    pts = [(cx + rx, cy), (cx, cy + ry), (cx - rx, cy), (cx, cy - ry)]
    if clockwise:
        pts = [pts[0], pts[3], pts[2], pts[1]]
    pen.moveTo(pts[0])
    for i in range(4):
        a, b = pts[i], pts[(i + 1) % 4]
        # control points along the tangents at a and b
        ta = (0, 1 if b[1] > a[1] else -1) if a[1] == cy else (1 if b[0] > a[0] else -1, 0)
        tb = (0, 1 if a[1] > b[1] else -1) if b[1] == cy else (1 if a[0] > b[0] else -1, 0)
        c1 = (a[0] + ta[0] * kx, a[1] + ta[1] * ky)
        c2 = (b[0] + tb[0] * kx, b[1] + tb[1] * ky)
        pen.curveTo(c1, c2, b)
    pen.closePath()


def ring(pen, cx, cy, rx, ry, stem):
    ellipse(pen, cx, cy, rx, ry)
    ellipse(pen, cx, cy, rx - stem, ry - stem * 0.8, clockwise=True)


def diagonal(pen, x0, y0, x1, y1, stem):
    pen.moveTo((x0, y0))
    pen.lineTo((x0 + stem, y0))
    pen.lineTo((x1 + stem, y1))
    pen.lineTo((x1, y1))
    pen.closePath()


def draw(name, pen, stem, width):
    """Draws glyph `name` with vertical stems `stem` wide in an em `width` wide."""
    cap, xh = 700, 500
    w = width
    if name in ("H", "h"):
        top = cap if name == "H" else xh
        rect(pen, 50, 0, 50 + stem, cap if name == "H" else cap + 30)
        rect(pen, w - 50 - stem, 0, w - 50, top)
        rect(pen, 50 + stem, top * 0.45, w - 50 - stem, top * 0.45 + stem * 0.8)
    elif name in ("O", "o", "zero"):
        top = xh if name == "o" else cap
        ring(pen, w / 2, top / 2, w / 2 - 40, top / 2 + 10, stem)
    elif name in ("I", "l", "one"):
        rect(pen, w / 2 - stem / 2, 0, w / 2 + stem / 2, cap)
    elif name == "E":
        rect(pen, 60, 0, 60 + stem, cap)
        for y in (0, cap / 2 - stem * 0.4, cap - stem * 0.8):
            rect(pen, 60 + stem, y, w - 50, y + stem * 0.8)
    elif name in ("A", "V"):
        if name == "A":
            diagonal(pen, 30, 0, w / 2 - stem / 2, cap, stem)
            pen.moveTo((w - 30 - stem, 0))
            pen.lineTo((w - 30, 0))
            pen.lineTo((w / 2 + stem / 2, cap))
            pen.lineTo((w / 2 - stem / 2, cap))
            pen.closePath()
            rect(pen, w * 0.3, cap * 0.3, w * 0.7, cap * 0.3 + stem * 0.7)
        else:
            diagonal(pen, w / 2 - stem / 2, 0, 30, cap, stem)
            pen.moveTo((w / 2 - stem / 2, 0))
            pen.lineTo((w / 2 + stem / 2, 0))
            pen.lineTo((w - 30, cap))
            pen.lineTo((w - 30 - stem, cap))
            pen.closePath()
    elif name in ("C", "c", "S"):
        top = xh if name == "c" else cap
        ring(pen, w / 2, top / 2, w / 2 - 40, top / 2 + 10, stem)
        rect(pen, w * 0.6, top * 0.4, w - 20, top * 0.6)
    elif name in ("D", "P", "b"):
        rect(pen, 60, 0, 60 + stem, cap)
        top = cap if name == "D" else (cap if name == "P" else xh)
        low = 0 if name != "P" else cap * 0.4
        ring(pen, w / 2, (top + low) / 2, w / 2 - 60, (top - low) / 2, stem)
    elif name == "x":
        diagonal(pen, 40, 0, w - 40 - stem, xh, stem)
        diagonal(pen, w - 40 - stem, 0, 40, xh, stem)
    elif name == "eight":
        ring(pen, w / 2, cap * 0.27, w / 2 - 50, cap * 0.27, stem * 0.9)
        ring(pen, w / 2, cap * 0.75, w / 2 - 80, cap * 0.25, stem * 0.8)
    elif name == ".notdef":
        rect(pen, 50, 0, w - 50, cap)
        rect(pen, 50 + stem / 2, stem / 2, w - 50 - stem / 2, cap - stem / 2)
    # space draws nothing


GLYPHS = {
    ".notdef": None, "space": 0x20, "A": 0x41, "C": 0x43, "D": 0x44, "E": 0x45, "H": 0x48,
    "I": 0x49, "O": 0x4F, "P": 0x50, "S": 0x53, "V": 0x56, "b": 0x62, "c": 0x63, "h": 0x68,
    "l": 0x6C, "o": 0x6F, "x": 0x78, "zero": 0x30, "one": 0x31, "eight": 0x38,
}
MASTERS = ((400, 100), (100, 100), (900, 100), (400, 75), (900, 75))
NARROW = {"I": 0.45, "l": 0.45, "one": 0.5, "space": 0.45}


def master(path, weight, width):
    stem = 30 + (weight - 100) * 0.22  # 30 at weight 100, 206 at 900
    order = list(GLYPHS)
    fb = FontBuilder(1000, isTTF=False)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({cp: g for g, cp in GLYPHS.items() if cp is not None})
    charstrings, metrics = {}, {}
    for g in order:
        advance = round((600 + (weight - 400) * 0.15) * NARROW.get(g, 1.0) * width / 100)
        pen = T2CharStringPen(advance, None)
        draw(g, pen, stem, advance)
        charstrings[g] = pen.getCharString()
        metrics[g] = (advance, 0)
    fb.setupCFF("DovrelTestCFF2", {"FullName": "Dovrel Test CFF2"}, charstrings, {})
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": "Dovrel Test CFF2", "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=800, usWinAscent=800, usWinDescent=200)
    fb.setupPost()
    fb.save(path)


def variable_font():
    """The variable font varLib builds from the masters."""
    with tempfile.TemporaryDirectory() as tmp:
        doc = DesignSpaceDocument()
        for tag, name, minimum, default, maximum in (("wght", "Weight", 100, 400, 900),
                                                     ("wdth", "Width", 75, 100, 100)):
            axis = AxisDescriptor()
            axis.tag, axis.name = tag, name
            axis.minimum, axis.default, axis.maximum = minimum, default, maximum
            if tag == "wght":
                axis.map = [(100, 100), (250, 330), (400, 400), (700, 600), (900, 900)]
            doc.addAxis(axis)
        for weight, width in MASTERS:
            path = os.path.join(tmp, "m%d_%d.otf" % (weight, width))
            master(path, weight, width)
            source = SourceDescriptor()
            source.path = path
            source.location = {"Weight": weight, "Width": width}
            doc.addSource(source)
        font, _, _ = varLib.build(doc)
        return font
