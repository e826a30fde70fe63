#!/usr/bin/env python3
"""Draws the program icon (src/app/skyweaver.ico): a 32 x 32, 32-bit icon with a
light-blue sky disc and a dark aircraft silhouette. Run it again after changing
the drawing; the .ico file is kept in the repository for the Windows build."""
import math
import struct
import sys
from pathlib import Path

SIZE = 32


def pixel(x, y):
    """BGRA of one pixel of the icon."""
    cx = cy = (SIZE - 1) / 2
    r = math.hypot(x - cx, y - cy)
    if r > 15.5:
        return (0, 0, 0, 0)
    # The aircraft: a fuselage from top to bottom, wings and a tail, in dark blue.
    fuselage = abs(x - cx) <= 1.5 and 4 <= y <= 27
    wings = abs(y - 14 + abs(x - cx) * 0.35) <= 1.6 and abs(x - cx) <= 12
    tail = abs(y - 25 + abs(x - cx) * 0.3) <= 1.2 and abs(x - cx) <= 5
    if fuselage or wings or tail:
        return (90, 40, 20, 255)
    # The sky: light blue, a little darker towards the rim.
    shade = int(30 * r / 15.5)
    return (255 - shade, 204 - shade, 153 - shade // 2, 255)


def icon_bytes():
    xor = bytearray()
    for y in reversed(range(SIZE)):  # DIB rows run bottom-up
        for x in range(SIZE):
            xor += bytes(pixel(x, y))
    and_mask = bytes(SIZE * SIZE // 8)  # transparency comes from the alpha channel
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "src/app/skyweaver.ico"
    target.write_bytes(icon_bytes())
    print(f"wrote {target}")


if __name__ == "__main__":
    main()
