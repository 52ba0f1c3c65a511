#!/usr/bin/python3
"""Variable TrueType fonts built with fontTools.varLib from masters drawn here, and their
static instances made by fontTools' own instancer at a grid of locations.

Usage: variable_fonts.py OUTPUT_DIRECTORY

Writes two variable fonts and every instance, and variable_fonts.txt listing one instance
a line:  VARIABLE_FONT INSTANCE_FONT AXIS_COUNT USER_VALUES... NORMALIZED_VALUES...
(values in the order of the font's fvar axes; the normalized ones as fontTools computes
them, through avar and rounded to F2Dot14).

  three_axes.ttf  wght (with a non-identity avar and a master in the middle of the axis),
                  wdth and a custom axis BEND; with HVAR.
  two_axes.ttf    wght and wdth from the same masters, without HVAR: advances then come
                  from the phantom points of gvar.

Every glyph's origin phantom point stays at x = 0 in every master (its left side bearing
is its xMin), so an advance is the right phantom point alone and the instancer's rounding
of each phantom point leaves advances exact.
"""
import itertools
import os
import sys

from fontTools import varLib
from fontTools.ttLib import TTFont
from fontTools.designspaceLib import AxisDescriptor, DesignSpaceDocument, SourceDescriptor
from fontTools.varLib import instancer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from static_font import build_static_font  # noqa: E402

GLYPH_ORDER = [".notdef", "space", "H", "O", "S", "period", "acute", "Oacute", "colon",
               "Ocolon", "degree"]
UNICODES = {0x20: "space", 0x48: "H", 0x4F: "O", 0x53: "S", 0x2E: "period", 0xB4: "acute",
            0xD3: "Oacute", 0x3A: "colon", 0xE000: "Ocolon", 0xB0: "degree"}
USE_MY_METRICS = 0x0200

# (tag, name, minimum, default, maximum, avar map as (user, design) pairs or None)
WEIGHT = ("wght", "weight", 100, 400, 900, [(100, 100), (400, 400), (600, 700), (900, 900)])
WIDTH = ("wdth", "width", 50, 100, 100, None)
BEND = ("BEND", "bend", 0, 0, 100, None)

# Master locations in design coordinates (weight, width, bend). Weight 700 lies inside
# the axis, so its region is an intermediate one; the corners give regions on two axes.
MASTERS = [(400, 100, 0), (100, 100, 0), (700, 100, 0), (900, 100, 0), (400, 50, 0),
           (900, 50, 0), (400, 100, 100), (900, 100, 100)]


class Master:
    """The drawing rules of one master: stem thickness grows faster than linearly with
    weight (so the middle master is not an interpolation of the others), width scales x,
    and bend shears x by height."""

    def __init__(self, weight, width, bend):
        self.stem = round(20 + weight * weight / 5000)
        self.width = width
        self.bend = bend

    def p(self, x, y):
        return (round(x * self.width / 100 + self.bend * y / 400), y)

    def advance(self, base):
        return round(base * self.width / 100 + 1.5 * self.stem)

    def box(self, pen, x0, y0, x1, y1, clockwise=True):
        corners = [(x0, y0), (x0, y1), (x1, y1), (x1, y0)]
        if not clockwise:
            corners.reverse()
        pen.moveTo(self.p(*corners[0]))
        for corner in corners[1:]:
            pen.lineTo(self.p(*corner))
        pen.closePath()

    def notdef(self, pen):
        s = self.stem
        self.box(pen, 50, 0, 450, 700)
        self.box(pen, 50 + s, s, 450 - s, 700 - s, clockwise=False)

    def H(self, pen):
        s = self.stem
        points = [(60, 0), (60, 700), (60 + s, 700), (60 + s, 370 + s // 2), (540 - s, 370 + s // 2),
                  (540 - s, 700), (540, 700), (540, 0), (540 - s, 0), (540 - s, 370 - s // 2),
                  (60 + s, 370 - s // 2), (60 + s, 0)]
        pen.moveTo(self.p(*points[0]))
        for point in points[1:]:
            pen.lineTo(self.p(*point))
        pen.closePath()

    def ellipse(self, pen, x0, y0, x1, y1, clockwise):
        # Four on-curve extremes, one off-curve corner between each pair.
        mx, my = (x0 + x1) // 2, (y0 + y1) // 2
        path = [((mx, y0), (x0, y0)), ((x0, my), (x0, y1)), ((mx, y1), (x1, y1)),
                ((x1, my), (x1, y0))]
        if not clockwise:
            path = [((mx, y0), (x1, y0)), ((x1, my), (x1, y1)), ((mx, y1), (x0, y1)),
                    ((x0, my), (x0, y0))]
        pen.moveTo(self.p(*path[0][0]))
        for i in range(4):
            pen.qCurveTo(self.p(*path[i][1]), self.p(*path[(i + 1) % 4][0]))
        pen.closePath()

    def O(self, pen):
        s = self.stem
        self.ellipse(pen, 40, -10, 660, 710, clockwise=True)
        self.ellipse(pen, 40 + s, -10 + s, 660 - s, 710 - s, clockwise=False)

    def S(self, pen):
        # Runs of off-curve points, whose on-curve points lie implied between them.
        s = self.stem
        pen.moveTo(self.p(300, 0))
        pen.qCurveTo(self.p(560, 0), self.p(560, 200), self.p(400, 360), self.p(160, 480),
                     self.p(220, 700), self.p(320, 700))
        pen.lineTo(self.p(480, 700))
        pen.lineTo(self.p(480, 700 - s))
        pen.qCurveTo(self.p(240 + s, 700 - s), self.p(160 + s, 500), self.p(400 + s, 380),
                     self.p(560 - s // 2, 160), self.p(300, s))
        pen.lineTo(self.p(80, s))
        pen.lineTo(self.p(80, 0))
        pen.closePath()

    def period(self, pen):
        s = self.stem
        pen.moveTo(self.p(60, 0))
        pen.qCurveTo(self.p(60 + s, 0), self.p(60 + s, s))
        pen.lineTo(self.p(60, 2 * s))
        pen.lineTo(self.p(60 - s, s))
        pen.closePath()

    def acute(self, pen):
        s = self.stem
        pen.moveTo(self.p(100, 760))
        pen.lineTo(self.p(220 + s, 920))
        pen.lineTo(self.p(260 + s, 900))
        pen.lineTo(self.p(120 + s // 2, 750))
        pen.closePath()

    # Composites: the component offsets move from master to master. Oacute takes O's
    # metrics (USE_MY_METRICS, set in font()); degree scales its component.
    def Oacute(self, pen):
        pen.addComponent("O", (1, 0, 0, 1, 0, 0))
        pen.addComponent("acute", (1, 0, 0, 1, *self.p(200 - self.stem // 2, self.stem // 3)))

    def colon(self, pen):
        pen.addComponent("period", (1, 0, 0, 1, 0, 0))
        pen.addComponent("period", (1, 0, 0, 1, *self.p(0, 420 + self.stem)))

    def Ocolon(self, pen):
        pen.addComponent("Oacute", (1, 0, 0, 1, 0, 0))
        pen.addComponent("colon", (1, 0, 0, 1, *self.p(700 + self.stem, 0)))

    def degree(self, pen):
        pen.addComponent("O", (0.375, 0, 0, 0.375, *self.p(40, 420 + self.stem)))

    def font(self):
        drawings = {name: getattr(self, "notdef" if name == ".notdef" else name)
                    for name in GLYPH_ORDER if name != "space"}
        o = self.advance(700)
        advances = {".notdef": self.advance(500), "space": self.advance(250), "H": self.advance(600),
                    "O": o, "S": self.advance(600), "period": self.advance(120) + self.stem,
                    "acute": self.advance(350), "Oacute": o, "colon": self.advance(120) + self.stem,
                    "Ocolon": o + self.advance(120) + 2 * self.stem, "degree": self.advance(330)}
        # The line metrics vary too, so that varLib writes MVAR.
        font = build_static_font("DovrelVar", GLYPH_ORDER, drawings, advances, UNICODES,
                                 ascent=800 + self.stem // 4, descent=-200 - self.stem // 8,
                                 line_gap=self.stem // 2)
        font["glyf"]["Oacute"].components[0].flags |= USE_MY_METRICS
        return font


def designspace(axes):
    document = DesignSpaceDocument()
    for tag, name, minimum, default, maximum, mapping in axes:
        axis = AxisDescriptor()
        axis.tag, axis.name = tag, name
        axis.minimum, axis.default, axis.maximum = minimum, default, maximum
        if mapping:
            axis.map = mapping
        document.addAxis(axis)
    names = [axis[1] for axis in axes]
    seen = set()
    for location in MASTERS:
        full = dict(zip(["weight", "width", "bend"], location))
        # A master off the axes this font has would be a duplicate or outside it.
        if any(full[name] != default for name, default in
               (("width", 100), ("bend", 0)) if name not in names):
            continue
        key = tuple(full[name] for name in names)
        if key in seen:
            continue
        seen.add(key)
        source = SourceDescriptor()
        source.font = Master(*location).font()
        source.location = {name: full[name] for name in names}
        source.name = "master " + " ".join(map(str, location))
        document.addSource(source)
    return document


def normalized(font, tag, value):
    axis = next(a for a in font["fvar"].axes if a.axisTag == tag)
    avar = font["avar"].segments.get(tag) if "avar" in font else None
    return instancer.normalize(value, (axis.minValue, axis.defaultValue, axis.maxValue), avar)


def write_instances(directory, file_name, axes, exclude, grid, manifest):
    built, _, _ = varLib.build(designspace(axes), exclude=exclude)
    path = os.path.join(directory, file_name)
    built.save(path)
    # The instances come from the font as written: the built one still holds avar's map
    # unrounded, before its values became F2Dot14.
    font = TTFont(path)
    tags = [axis.axisTag for axis in font["fvar"].axes]
    for number, values in enumerate(itertools.product(*(grid[tag] for tag in tags))):
        location = dict(zip(tags, values))
        instance = instancer.instantiateVariableFont(font, location)
        instance_name = "%s-%d.ttf" % (os.path.splitext(file_name)[0], number)
        instance.save(os.path.join(directory, instance_name))
        manifest.append(" ".join([file_name, instance_name, str(len(tags))] +
                                 [repr(float(v)) for v in values] +
                                 [repr(normalized(font, t, v)) for t, v in location.items()]))


def main():
    directory = sys.argv[1]
    os.makedirs(directory, exist_ok=True)
    manifest = []
    weights = [100, 250, 400, 555, 600, 777, 900]
    write_instances(directory, "three_axes.ttf", [WEIGHT, WIDTH, BEND], [],
                    {"wght": weights, "wdth": [50, 75, 100], "BEND": [0, 33, 100]}, manifest)
    write_instances(directory, "two_axes.ttf", [WEIGHT, WIDTH], ["HVAR"],
                    {"wght": weights, "wdth": [50, 62.5, 87, 100]}, manifest)
    with open(os.path.join(directory, "variable_fonts.txt"), "w") as out:
        out.write("\n".join(manifest) + "\n")


if __name__ == "__main__":
    main()
