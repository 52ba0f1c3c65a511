#!/usr/bin/env python3
"""Lays RGBA PNGs (as dvttf-render writes them) onto an opaque panel and writes it as an
RGB PNG, the way a boot module draws text onto its framebuffer.

usage: compose-panel.py OUT WIDTH HEIGHT R,G,B ITEM...
  ITEM is IMAGE@X,Y (the image's top-left corner at X,Y; 'centre' for X centres it) or
  rect@X,Y,W,H,R,G,B (a filled rectangle). Items are drawn in order.

Each image pixel with alpha a blends its colour C onto the panel colour D as
round((C * a + D * (255 - a)) / 255) in integers, the library's formula for opaque
surfaces, so the output depends on nothing but the inputs.
"""
import struct
import sys
import zlib


def read_chunks(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    offset = 8
    while offset < len(data):
        (length,) = struct.unpack(">I", data[offset : offset + 4])
        kind = data[offset + 4 : offset + 8]
        yield kind, data[offset + 8 : offset + 8 + length]
        offset += 12 + length


def paeth(left, up, up_left):
    estimate = left + up - up_left
    distances = (abs(estimate - left), abs(estimate - up), abs(estimate - up_left))
    if distances[0] <= distances[1] and distances[0] <= distances[2]:
        return left
    return up if distances[1] <= distances[2] else up_left


def unfilter_rows(raw, width, height, channels):
    stride = width * channels
    rows = []
    previous = bytearray(stride)
    position = 0
    for _ in range(height):
        kind = raw[position]
        row = bytearray(raw[position + 1 : position + 1 + stride])
        position += 1 + stride
        for i in range(stride):
            left = row[i - channels] if i >= channels else 0
            up = previous[i]
            up_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + left) & 0xFF
            elif kind == 2:
                row[i] = (row[i] + up) & 0xFF
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                row[i] = (row[i] + paeth(left, up, up_left)) & 0xFF
            elif kind != 0:
                raise ValueError("unknown PNG filter %d" % kind)
        rows.append(row)
        previous = row
    return rows


def read_rgba(path):
    with open(path, "rb") as file:
        data = file.read()
    header = None
    compressed = b""
    for kind, body in read_chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
    width, height, depth, color, _, _, interlace = header
    if depth != 8 or color != 6 or interlace != 0:
        raise ValueError("%s: only 8-bit RGBA without interlacing is read" % path)
    return width, height, unfilter_rows(zlib.decompress(compressed), width, height, 4)


def chunk(kind, body):
    return (
        struct.pack(">I", len(body))
        + kind
        + body
        + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    )


def write_rgb(path, width, height, pixels):
    raw = b"".join(b"\0" + bytes(row) for row in pixels)
    with open(path, "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n")
        file.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        file.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        file.write(chunk(b"IEND", b""))


def blend(panel, width, height, image, left, top):
    image_width, image_height, rows = image
    for y in range(max(0, -top), min(image_height, height - top)):
        target = panel[top + y]
        source = rows[y]
        for x in range(max(0, -left), min(image_width, width - left)):
            alpha = source[4 * x + 3]
            if alpha == 0:
                continue
            for channel in range(3):
                below = target[3 * (left + x) + channel]
                colour = source[4 * x + channel]
                target[3 * (left + x) + channel] = (
                    colour * alpha + below * (255 - alpha) + 127
                ) // 255


def main(arguments):
    if len(arguments) < 4:
        sys.exit(__doc__)
    out, width, height = arguments[0], int(arguments[1]), int(arguments[2])
    background = [int(value) for value in arguments[3].split(",")]
    panel = [bytearray(background * width) for _ in range(height)]
    for item in arguments[4:]:
        name, _, place = item.rpartition("@")
        fields = place.split(",")
        if name == "rect":
            x, y, w, h, red, green, blue = (int(value) for value in fields)
            for row in panel[max(0, y) : max(0, y + h)]:
                row[3 * max(0, x) : 3 * min(width, x + w)] = bytes(
                    [red, green, blue] * (min(width, x + w) - max(0, x))
                )
            continue
        image = read_rgba(name)
        x = (width - image[0]) // 2 if fields[0] == "centre" else int(fields[0])
        blend(panel, width, height, image, x, int(fields[1]))
    write_rgb(out, width, height, panel)


if __name__ == "__main__":
    main(sys.argv[1:])
