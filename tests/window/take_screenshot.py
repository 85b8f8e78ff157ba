"""Writes a screenshot of the running sandbox, with a few dropped balls, to a PNG."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xserver import TITLE, Screenshot, XServer  # noqa: E402


def main(program, output):
    server = XServer()
    process = subprocess.Popen([program], env=server.env)
    try:
        window = server.xdotool("search", "--sync", "--name", TITLE).split()[0]
        for button, x, y in ((1, 500, 60), (3, 560, 80), (1, 620, 60), (3, 680, 90), (1, 300, 60)):
            server.xdotool("mousemove", "--window", window, x, y)
            server.xdotool("mousedown", button)
            time.sleep(0.1)
            server.xdotool("mouseup", button)
            time.sleep(0.05)
        server.xdotool("mousemove", "--window", window, 470, 330)
        time.sleep(0.05)
        Screenshot.of_window(server, window).save_png(output)
    finally:
        process.kill()
        process.wait()
        server.stop()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
