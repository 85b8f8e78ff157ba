"""Writes a screenshot of the running sandbox, with a few dropped balls, to a PNG.

Usage: /usr/bin/python3 docs/take_screenshot.py build/brivolt docs/brivolt.png
"""

import os
import sys
import time

sys.path.insert(
    0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "window")
)
os.environ["BRIVOLT"] = sys.argv[1]
import conftest  # noqa: E402
import matplotlib.pyplot as plt  # noqa: E402

server, name = conftest.start_xvfb()
sandbox = conftest.Sandbox(name)
try:
    for button, x, y in ((1, 500, 60), (3, 560, 80), (1, 620, 60), (3, 680, 90), (1, 300, 60)):
        sandbox.click(button, x, y)
        time.sleep(0.05)
    sandbox.move(470, 330)
    time.sleep(0.05)
    plt.imsave(sys.argv[2], sandbox.pixels())
finally:
    sandbox.stop()
    server.terminate()
