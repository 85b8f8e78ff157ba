"""The real program in a private X server, driven and seen as a person would."""

import os
import subprocess
import time

import numpy as np
import pytest
from scipy import ndimage
from Xlib import X, XK, display, protocol
from Xlib.ext import xtest

TITLE = "Tessmar's Brivolt"
PROGRAM = os.environ.get("BRIVOLT", "brivolt")
WHITE, BLACK, RED, BLUE = (255, 255, 255), (0, 0, 0), (255, 0, 0), (0, 0, 255)


def start_xvfb():
    """Xvfb on a display number that the server picks itself."""
    read, write = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=[write],
        stderr=subprocess.DEVNULL,
    )
    os.close(write)
    with os.fdopen(read) as pipe:
        return server, ":" + pipe.readline().strip()


@pytest.fixture(scope="session")
def x_display():
    server, name = start_xvfb()
    yield name
    server.terminate()
    server.wait(timeout=10)


class Sandbox:
    def __init__(self, name):
        env = dict(os.environ, DISPLAY=name)
        self.process = subprocess.Popen([PROGRAM], env=env, stderr=subprocess.PIPE, text=True)
        self.display = display.Display(name)
        self.root = self.display.screen().root
        deadline = time.monotonic() + 30
        while not (found := [w for w in self.root.query_tree().children if self.shown(w)]):
            assert time.monotonic() < deadline, f"no window titled {TITLE!r}"
            time.sleep(0.05)
        self.window = found[0]
        self.window.set_input_focus(X.RevertToParent, X.CurrentTime)

    def shown(self, window):
        return window.get_wm_name() == TITLE and window.get_attributes().map_state

    def stop(self):
        self.process.kill()  # does nothing once the program has ended
        self.process.communicate(timeout=10)
        self.display.close()

    def pixels(self):
        """The window's pixels as an RGB array, indexed [y, x]."""
        size = self.window.get_geometry()
        image = self.window.get_image(0, 0, size.width, size.height, X.ZPixmap, 0xFFFFFFFF)
        return np.frombuffer(image.data, np.uint8).reshape(size.height, size.width, 4)[..., 2::-1]

    def move(self, x, y):
        self.pointer = (x, y)
        spot = self.root.translate_coords(self.window, x, y)
        xtest.fake_input(self.display, X.MotionNotify, x=spot.x, y=spot.y)
        self.display.sync()

    def hold(self, press, release, detail, seconds):
        """The program reads input state once a frame, not events: hold for some frames."""
        xtest.fake_input(self.display, press, detail)
        self.display.sync()
        time.sleep(seconds)
        xtest.fake_input(self.display, release, detail)
        self.display.sync()

    def key(self, name, seconds=0.1):
        code = self.display.keysym_to_keycode(XK.string_to_keysym(name))
        self.hold(X.KeyPress, X.KeyRelease, code, seconds)

    def click(self, button, x, y, seconds=0.1):
        self.move(x, y)
        self.hold(X.ButtonPress, X.ButtonRelease, button, seconds)

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
    running = Sandbox(x_display)
    running.move(500, 250)
    time.sleep(1.5)  # the four balls fall into the bottom corners
    yield running
    running.stop()


def discs(pixels, colour):
    """(area, (x, y) centre) of each connected piece of one colour."""
    found = np.all(pixels == colour, axis=-1)
    labels, count = ndimage.label(found)
    pieces = range(1, count + 1)
    centres = ndimage.center_of_mass(found, labels, pieces)
    return [(a, (x, y)) for a, (y, x) in zip(ndimage.sum_labels(found, labels, pieces), centres)]
