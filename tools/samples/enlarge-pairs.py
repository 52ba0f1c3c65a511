#!/usr/bin/env python3
"""Sets pairs of RGBA PNGs (as dvttf-render writes them) side by side on a white panel,
each enlarged FACTOR times pixel for pixel so that single pixel rows show, one pair a row,
and writes the panel as an RGB PNG.

usage: enlarge-pairs.py OUT FACTOR LEFT,RIGHT...

Images are blended onto white with the library's formula for opaque surfaces
(compose-panel.py), then enlarged, so the output depends on nothing but the inputs.
"""
import importlib.util
import os
import sys

GAP = 12


def load_compose_panel():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "compose-panel.py")
    spec = importlib.util.spec_from_file_location("compose_panel", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def enlarged_on_white(panel_module, image, factor):
    width, height, _ = image
    flat = [bytearray([255, 255, 255] * width) for _ in range(height)]
    panel_module.blend(flat, width, height, image, 0, 0)
    rows = []
    for row in flat:
        wide = bytearray()
        for x in range(width):
            wide += row[3 * x : 3 * x + 3] * factor
        rows.extend(bytearray(wide) for _ in range(factor))
    return width * factor, height * factor, rows


def main(arguments):
    if len(arguments) < 3:
        sys.exit(__doc__)
    panel_module = load_compose_panel()
    out, factor = arguments[0], int(arguments[1])
    pairs = []
    for item in arguments[2:]:
        left, right = item.split(",")
        pairs.append(
            [enlarged_on_white(panel_module, panel_module.read_rgba(name), factor)
             for name in (left, right)]
        )
    left_width = max(pair[0][0] for pair in pairs)
    right_width = max(pair[1][0] for pair in pairs)
    width = GAP + left_width + 2 * GAP + right_width + GAP
    height = GAP + sum(max(pair[0][1], pair[1][1]) + GAP for pair in pairs)
    panel = [bytearray([255, 255, 255] * width) for _ in range(height)]
    for row in panel:
        divider = GAP + left_width + GAP
        row[3 * divider : 3 * divider + 3] = bytes([180, 180, 180])
    top = GAP
    for pair in pairs:
        for (image_width, image_height, rows), left in zip(pair, (GAP, GAP + left_width + 2 * GAP)):
            for y in range(image_height):
                panel[top + y][3 * left : 3 * (left + image_width)] = rows[y]
        top += max(pair[0][1], pair[1][1]) + GAP
    panel_module.write_rgb(out, width, height, panel)


if __name__ == "__main__":
    main(sys.argv[1:])
