"""The real program in a private X server, driven and seen as a person would."""

import contextlib
import os
import shlex
import subprocess
import tempfile
import time

import numpy as np
import pytest
from scipy import ndimage
from Xlib import X, XK, display, error, protocol
from Xlib.ext import xtest

TITLE = "Tessmar's Brivolt"
# The program, with the emulator it runs under when built for another machine.
PROGRAM = shlex.split(os.environ.get("BRIVOLT", "brivolt"))
WHITE, BLACK, RED, BLUE = (255, 255, 255), (0, 0, 0), (255, 0, 0), (0, 0, 255)
WINDOW_WAIT = 5  # seconds; the sanitizer build shows its window in about one


@contextlib.contextmanager
def xvfb():
    """A private Xvfb on a display number that the server picks itself."""
    read, write = os.pipe()
    server = subprocess.Popen(
        # -noreset: the server would otherwise reset when its last client leaves,
        # and reset the connection of a test that starts at that moment.
        ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
         "-noreset"],
        pass_fds=[write],
        stderr=subprocess.DEVNULL,
    )
    os.close(write)
    with os.fdopen(read) as pipe, server:
        number = pipe.readline().strip()
        try:
            assert number, f"Xvfb did not start (status {server.poll()})"
            yield server, ":" + number
        finally:
            server.kill()


@pytest.fixture(scope="session")
def x_display():
    with xvfb() as (_, name):
        yield name


class Sandbox:
    """The program, its window, and an X connection of our own to drive and see it.
    Whatever goes wrong while it starts, the program is ended before the error leaves."""

    def __init__(self, name, command=PROGRAM, wait=WINDOW_WAIT):
        self.errors = tempfile.TemporaryFile("w+")  # a file, so the program never blocks on it
        env = dict(os.environ, DISPLAY=name)
        self.process = subprocess.Popen(command, env=env, stderr=self.errors, text=True)
        self.display = None
        try:
            self.display = display.Display(name)
            self.root = self.display.screen().root
            self.window = self.wait_for_window(wait)
            self.window.set_input_focus(X.RevertToParent, X.CurrentTime)
        except BaseException:
            self.stop()
            raise

    def wait_for_window(self, seconds):
        deadline = time.monotonic() + seconds
        while (status := self.process.poll()) is None:
            if found := [w for w in self.root.query_tree().children if self.shown(w)]:
                return found[0]
            if time.monotonic() > deadline:
                pytest.fail(f"no window titled {TITLE!r} within {seconds} s: {self.stderr()!r}")
            time.sleep(0.05)
        pytest.fail(f"ended with status {status} before its window showed: {self.stderr()!r}")

    def shown(self, window):
        try:
            return window.get_wm_name() == TITLE and window.get_attributes().map_state
        except error.XError:  # closed while we looked
            return False

    def stderr(self):
        self.errors.seek(0)
        return self.errors.read()

    def stop(self):
        """Ends the program if it still runs, reaps it and closes our connection."""
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        if self.display is not None:
            with contextlib.suppress(error.ConnectionClosedError, OSError):  # its server has gone
                self.display.close()
        self.errors.close()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()

    def pixels(self):
        """The window's pixels as an RGB array, indexed [y, x]."""
        size = self.window.get_geometry()
        image = self.window.get_image(0, 0, size.width, size.height, X.ZPixmap, 0xFFFFFFFF)
        return np.frombuffer(image.data, np.uint8).reshape(size.height, size.width, 4)[..., 2::-1]

    def settle(self, seconds=30):
        """Waits for the red ball to rest: the game counts frames, not seconds, and
        under an emulator it runs far fewer of them."""
        deadline, last, now = time.monotonic() + seconds, None, None
        while last is None or abs(now[0] - last[0]) + abs(now[1] - last[1]) >= 1:
            assert time.monotonic() < deadline, f"the red ball still moves after {seconds} s"
            time.sleep(0.25)
            last, now = now, max(discs(self.pixels(), RED))[1]

    def move(self, x, y):
        self.pointer = (x, y)
        spot = self.root.translate_coords(self.window, x, y)
        xtest.fake_input(self.display, X.MotionNotify, x=spot.x, y=spot.y)
        self.display.sync()

    def hold(self, press, detail, seconds=0.1, until=None):
        """The program reads input state once a frame, not events: holds for some
        frames, or until until() holds, for at most the seconds given; says which."""
        xtest.fake_input(self.display, press, detail)
        self.display.sync()
        deadline, done = time.monotonic() + seconds, False
        while time.monotonic() < deadline and not (done := bool(until and until())):
            time.sleep(0.02)
        xtest.fake_input(self.display, press + 1, detail)  # the matching release
        self.display.sync()
        return done

    def key(self, name, seconds=0.1, until=None):
        keycode = self.display.keysym_to_keycode(XK.string_to_keysym(name))
        return self.hold(X.KeyPress, keycode, seconds, until)

    def click(self, button, x, y, seconds=0.1, until=None):
        self.move(x, y)
        return self.hold(X.ButtonPress, button, seconds, until)

    def close(self):
        """Sends WM_DELETE_WINDOW, as a window manager does for its close button."""
        atom = self.display.intern_atom
        data = (32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])
        message = protocol.event.ClientMessage(
            window=self.window, client_type=atom("WM_PROTOCOLS"), data=data
        )
        self.window.send_event(message)
        self.display.flush()


@pytest.fixture
def sandbox(x_display):
    with Sandbox(x_display) as running:
        running.move(500, 250)
        running.settle()  # the four balls fall into the bottom corners
        yield running


def discs(pixels, colour):
    """(area, (x, y) centre) of each connected piece of one colour."""
    found = np.all(pixels == colour, axis=-1)
    labels, count = ndimage.label(found)
    pieces = range(1, count + 1)
    centres = ndimage.center_of_mass(found, labels, pieces)
    return [(a, (x, y)) for a, (y, x) in zip(ndimage.sum_labels(found, labels, pieces), centres)]
