"""End-to-end tests of the sandbox in a real X server, with real input events."""

import math
import os
import random
import signal
import subprocess
import time

import numpy as np
import pytest
from scipy import ndimage
from conftest import BLACK, BLUE, PROGRAM, RED, WHITE, Sandbox, discs, xvfb

FIXED_WALLS = [(55, 400, 740, 500), (85, 150, 100, 500), (10, 10, 790, 10), (10, 10, 10, 590)]
FIXED_WALLS += [(10, 590, 390, 550), (390, 550, 790, 590), (790, 10, 790, 590)]


def balls_by_size(sandbox):
    # Slivers cut off by wall lines, and the pointer's arrow (which may be blue), are left out.
    pieces = discs(sandbox.pixels(), BLUE)
    areas = [area for area, centre in pieces if math.dist(centre, sandbox.pointer) > 20]
    return sum(a > 220 for a in areas), sum(50 <= a <= 220 for a in areas)


def red_x_y(sandbox):
    """The centre of the red ball's biggest piece: a wall line may cut it in two."""
    return max(discs(sandbox.pixels(), RED))[1]


def test_window_shows_the_scene(sandbox):
    size = sandbox.window.get_geometry()
    assert (size.width, size.height) == (800, 600)
    pixels = sandbox.pixels()
    assert np.all(pixels == WHITE, axis=-1).mean() > 0.95
    black = np.all(pixels == BLACK, axis=-1)
    for sx, sy, ex, ey in FIXED_WALLS:
        for t in np.linspace(0, 1, 21):
            x, y = round(sx + (ex - sx) * t), round(sy + (ey - sy) * t)
            assert black[y - 1 : y + 2, x - 1 : x + 2].any(), f"no wall near ({x}, {y})"
    # Each help text, glyphs only: left, top, right, bottom and count of its pixels.
    for top, box in ((0, (125, 1, 705, 8, 1156)), (592, (300, 592, 504, 599, 437))):
        ys, xs = np.nonzero(black[top : top + 9])
        assert (xs.min(), ys.min() + top, xs.max(), ys.max() + top, len(xs)) == box
    red = np.all(pixels == RED, axis=-1)
    assert len(discs(pixels, RED)) == 1
    # Outlined in black: the ring just around the red disc is black but where walls cross.
    ring = ndimage.binary_dilation(red) & ~red
    assert black[ring].mean() > 0.9
    assert balls_by_size(sandbox) == (2, 1)


def test_each_press_adds_one_ball(sandbox):
    # Big and small, each held until its ball shows, as a slow machine may run
    # fewer frames than a short press lasts; then big held down for a second.
    presses = [(1, 600, 200, True, (3, 1)), (3, 30, 200, True, (3, 2)), (1, 450, 300, False, (4, 2))]
    for button, x, y, until_shown, seen in presses:
        shown = (lambda: balls_by_size(sandbox) == seen) if until_shown else None
        sandbox.click(button, x, y, 5 if until_shown else 1, until=shown)
        time.sleep(1.0)
        assert balls_by_size(sandbox) == seen
    assert len(discs(sandbox.pixels(), RED)) == 1
    assert sandbox.process.poll() is None


def test_arrow_keys_push_the_red_ball(sandbox):
    # Each key is held until the ball has gone far enough, as a slow machine
    # runs few frames a second; a key that pushes wrongly never gets it there.
    _, resting = red_x_y(sandbox)
    assert sandbox.key("Up", 10, until=lambda: red_x_y(sandbox)[1] < resting - 100)
    sandbox.settle()
    start, _ = red_x_y(sandbox)
    assert sandbox.key("Left", 10, until=lambda: red_x_y(sandbox)[0] < start - 50)
    left, _ = red_x_y(sandbox)
    assert sandbox.key("Right", 10, until=lambda: red_x_y(sandbox)[0] > left + 30)  # near a wall


def test_without_a_display_it_says_why_and_fails():
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    result = subprocess.run(PROGRAM, env=env, capture_output=True, text=True, timeout=30)
    assert result.returncode == 1
    assert len(result.stderr.splitlines()) == 1 and result.stderr.startswith("brivolt: ")


# Each way a user or the desktop ends the program, and the statuses it may end with. The
# faults that signals and a lost display bring are races: run each way several times.
ENDINGS = [("Escape", {0}), ("close button", {0}), ("SIGINT", {0}), ("SIGTERM", {0})]
ENDINGS += [("SIGHUP", {0}), ("lost display", {1}), ("SIGTERM, lost display", {0, 1})]


@pytest.mark.parametrize("run", range(int(os.environ.get("BRIVOLT_ENDING_RUNS", "3"))))
@pytest.mark.parametrize("how, statuses", ENDINGS)
def test_each_way_of_ending_it_ends_it_promptly_and_cleanly(how, statuses, run):
    with xvfb() as (server, name), Sandbox(name) as sandbox:
        time.sleep(random.uniform(0.05, 0.5))
        if how in ("Escape", "close button"):
            sandbox.key("Escape") if how == "Escape" else sandbox.close()
        if how.startswith("SIG"):
            sandbox.process.send_signal(getattr(signal, how.split(",")[0]))
        if how.endswith("lost display"):
            server.kill()
        status = sandbox.process.wait(timeout=2)
        lost = [] if status == 0 else ["brivolt: lost the connection to the X display"]
        assert status in statuses and sandbox.stderr().splitlines() == lost
