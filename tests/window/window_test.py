"""End-to-end tests of the sandbox in a real X server, with real input events."""

import math
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xserver import TITLE, Screenshot, XServer, centre, close_window, components  # noqa: E402

PROGRAM = os.environ.get("BRIVOLT", "brivolt")
WHITE, BLACK, RED, BLUE = (255, 255, 255), (0, 0, 0), (255, 0, 0), (0, 0, 255)
FIXED_WALLS = [
    ((55, 400), (740, 500)), ((85, 150), (100, 500)), ((10, 10), (790, 10)),
    ((10, 10), (10, 590)), ((10, 590), (390, 550)), ((390, 550), (790, 590)),
    ((790, 10), (790, 590)),
]
HUB = (300, 210)


def balls_by_size(shot):
    """(big, small) counts of blue discs; slivers cut off by wall lines are ignored."""
    areas = [len(piece) for piece in components(shot.mask(BLUE))]
    return sum(1 for a in areas if a > 220), sum(1 for a in areas if 50 <= a <= 220)


class Sandbox(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = XServer()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def setUp(self):
        self.process = subprocess.Popen(
            [PROGRAM], env=self.server.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE
        )
        self.window = self.server.xdotool("search", "--sync", "--name", TITLE).split()[0]
        self.server.xdotool("mousemove", "--window", self.window, 500, 250)
        self.server.xdotool("windowfocus", "--sync", self.window)
        time.sleep(1.5)  # the four balls fall into the bottom corners

    def tearDown(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=10)
        self.process.stdout.close()
        self.process.stderr.close()

    def shot(self):
        return Screenshot.of_window(self.server, self.window)

    def hold(self, *action, seconds=0.1):
        """Presses a key or button for a few frames: the program reads input state, not events."""
        kind, name = action
        self.server.xdotool(kind + "down", name)
        time.sleep(seconds)
        self.server.xdotool(kind + "up", name)

    def click(self, button, x, y, seconds=0.1):
        self.server.xdotool("mousemove", "--window", self.window, x, y)
        self.hold("mouse", button, seconds=seconds)
        time.sleep(1.0)  # the new ball comes to rest in a pile

    def red_centre(self):
        pieces = components(self.shot().mask(RED))
        self.assertEqual(len(pieces), 1)
        return centre(pieces[0])

    def test_window_shows_the_scene(self):
        self.assertEqual(self.server.xdotool("getwindowname", self.window), TITLE)
        geometry = self.server.xdotool("getwindowgeometry", "--shell", self.window)
        self.assertIn("WIDTH=800", geometry.split())
        self.assertIn("HEIGHT=600", geometry.split())

        shot = self.shot()
        self.assertEqual((shot.width, shot.height), (800, 600))
        self.assertGreater(len(shot.mask(WHITE)), 0.95 * 800 * 600)
        black = shot.mask(BLACK)
        for (sx, sy), (ex, ey) in FIXED_WALLS:
            for step in range(21):
                x = round(sx + (ex - sx) * step / 20)
                y = round(sy + (ey - sy) * step / 20)
                near = {(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)}
                self.assertTrue(near & black, f"no wall pixel near ({x}, {y})")

        def text_pixels(left, top, right, bottom):
            return {(x, y) for x, y in black if left <= x <= right and top <= y <= bottom}

        top_text = text_pixels(0, 0, 799, 8)
        self.assertGreater(len(top_text), 300)
        self.assertEqual(min(x for x, _ in top_text), 125)
        self.assertLessEqual(max(x for x, _ in top_text), 125 + 73 * 8)
        bottom_text = text_pixels(0, 592, 799, 599)
        self.assertGreater(len(bottom_text), 100)
        self.assertEqual(min(x for x, _ in bottom_text), 300)
        self.assertLessEqual(max(x for x, _ in bottom_text), 300 + 26 * 8)

        self.assertEqual(len(components(shot.mask(RED))), 1)
        self.assertEqual(balls_by_size(shot), (2, 1))

    def test_mouse_buttons_add_one_ball_per_press(self):
        self.click(1, 600, 200)
        self.assertEqual(balls_by_size(self.shot()), (3, 1))
        self.click(3, 30, 200)
        self.assertEqual(balls_by_size(self.shot()), (3, 2))
        self.click(1, 450, 300, seconds=1.0)
        self.assertEqual(balls_by_size(self.shot()), (4, 2))
        self.assertEqual(len(components(self.shot().mask(RED))), 1)
        # Dropped below the floor, a ball falls out of the window for good.
        self.click(3, 400, 596)
        self.assertEqual(balls_by_size(self.shot()), (4, 2))
        self.assertIsNone(self.process.poll())

    def test_spokes_turn(self):
        def spoke_pixels(shot):
            black = shot.mask(BLACK)
            return {
                (x, y) for x, y in black if 30 <= math.dist((x, y), HUB) <= 90
            }

        first, second, third = (spoke_pixels(self.shot()) for _ in range(3))
        self.assertGreater(len(first), 300)
        changed = [len(a ^ b) / len(a | b) for a, b in ((first, second), (second, third))]
        self.assertGreater(max(changed), 0.5)

    def red_centre_while_holding(self, key, seconds):
        """Where the red ball is after the key has been held for a while, still held."""
        self.server.xdotool("keydown", key)
        time.sleep(seconds)
        position = self.red_centre()
        self.server.xdotool("keyup", key)
        return position

    def test_arrow_keys_push_the_red_ball(self):
        _, y0 = self.red_centre()
        _, lifted = self.red_centre_while_holding("Up", 0.5)
        self.assertLess(lifted, y0 - 100)
        time.sleep(1.5)

        x1, _ = self.red_centre()
        left, _ = self.red_centre_while_holding("Left", 0.3)
        self.assertLess(left, x1 - 50)
        right, _ = self.red_centre_while_holding("Right", 0.3)
        self.assertGreater(right, left + 50)

    def test_escape_ends_the_program(self):
        self.hold("key", "Escape")
        self.assertEqual(self.process.wait(timeout=10), 0)

    def test_close_button_ends_the_program(self):
        close_window(self.server, self.window)
        self.assertEqual(self.process.wait(timeout=10), 0)


class WithoutDisplay(unittest.TestCase):
    def run_without(self, env):
        result = subprocess.run([PROGRAM], env=env, capture_output=True, text=True, timeout=30)
        self.assertEqual(result.returncode, 1)
        lines = result.stderr.strip().splitlines()
        self.assertEqual(len(lines), 1, result.stderr)
        self.assertTrue(lines[0].startswith("brivolt: "), lines[0])

    def test_no_display_exits_with_a_message(self):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        self.run_without(env)

    def test_unreachable_display_exits_with_a_message(self):
        self.run_without(dict(os.environ, DISPLAY=":999"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
