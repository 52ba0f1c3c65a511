"""Writes the variable CFF2 font of cff2_masters.py and, at a grid of locations, the static
font fontTools' varLib.mutator makes of it (the instancer does not instance CFF2 fonts in
the fontTools Debian ships). Each line of cff2_fonts.txt: the variable font, the static
font, the axis count, then the user values and fontTools' normalized coordinates.

Usage: cff2_fonts.py DIRECTORY
"""
import itertools
import os
import sys

from fontTools.ttLib import TTFont
from fontTools.varLib import instancer, mutator

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cff2_masters import variable_font  # noqa: E402 (after the path that finds it)

GRID = {"wght": [100, 250, 400, 555, 700, 900], "wdth": [75, 87.5, 100]}


def normalized(font, tag, value):
    axis = next(a for a in font["fvar"].axes if a.axisTag == tag)
    avar = font["avar"].segments.get(tag) if "avar" in font else None
    return instancer.normalize(value, (axis.minValue, axis.defaultValue, axis.maxValue), avar)


def main():
    directory = sys.argv[1]
    os.makedirs(directory, exist_ok=True)
    name = "cff2_variable.otf"
    path = os.path.join(directory, name)
    variable_font().save(path)
    manifest = []
    font = TTFont(path)
    tags = [axis.axisTag for axis in font["fvar"].axes]
    for number, values in enumerate(itertools.product(*(GRID[tag] for tag in tags))):
        location = dict(zip(tags, values))
        instance = mutator.instantiateVariableFont(TTFont(path), location)
        instance_name = "cff2_variable-%d.otf" % number
        instance.save(os.path.join(directory, instance_name))
        manifest.append(" ".join([name, instance_name, str(len(tags))] +
                                 [repr(float(v)) for v in values] +
                                 [repr(normalized(font, t, v)) for t, v in location.items()]))
    with open(os.path.join(directory, "cff2_fonts.txt"), "w") as out:
        out.write("\n".join(manifest) + "\n")


if __name__ == "__main__":
    main()
