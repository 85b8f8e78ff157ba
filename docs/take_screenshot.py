"""Writes a screenshot of the running sandbox, with a few dropped balls, to a PNG.

Usage: /usr/bin/python3 docs/take_screenshot.py build/brivolt docs/brivolt.png
(`make screenshot` installs what it needs, builds the program and runs this.)
"""

import os
import struct
import sys
import time
import zlib

sys.path.insert(
    0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "window")
)
os.environ["BRIVOLT"] = sys.argv[1]  # the command, with an emulator if it needs one
import conftest  # noqa: E402


def png(pixels):
    """An RGB array, indexed [y, x], as the bytes of a PNG file."""
    height, width, _ = pixels.shape
    rows = b"".join(b"\0" + row.tobytes() for row in pixels)  # each row unfiltered

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    return b"\x89PNG\r\n\x1a\n" + b"".join(
        (chunk(b"IHDR", header), chunk(b"IDAT", zlib.compress(rows, 9)), chunk(b"IEND", b""))
    )


with conftest.xvfb() as (_, name), conftest.Sandbox(name) as sandbox:
    sandbox.settle()  # the scene's balls first, as a user sees them when the window opens
    for button, x, y in ((1, 500, 60), (3, 560, 80), (1, 620, 60), (3, 680, 90), (1, 150, 60)):
        sandbox.click(button, x, y)
        time.sleep(0.05)
    sandbox.move(470, 330)
    time.sleep(0.05)
    shot = png(sandbox.pixels())
with open(sys.argv[2], "wb") as out:
    out.write(shot)
