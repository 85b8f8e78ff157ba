"""A private X server with the real program in it, driven as a person would."""

import ctypes
import ctypes.util
import os
import subprocess
import time

TITLE = "Tessmar's Brivolt"


def free_display():
    for number in range(90, 200):
        if not os.path.exists(f"/tmp/.X{number}-lock") and not os.path.exists(
            f"/tmp/.X11-unix/X{number}"
        ):
            return f":{number}"
    raise RuntimeError("no free X display number")


class XServer:
    def __init__(self):
        self.display = free_display()
        self.process = subprocess.Popen(
            ["Xvfb", self.display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        socket = f"/tmp/.X11-unix/X{self.display[1:]}"
        deadline = time.time() + 10
        while not os.path.exists(socket):
            if time.time() > deadline or self.process.poll() is not None:
                raise RuntimeError("Xvfb did not start")
            time.sleep(0.05)
        self.env = dict(os.environ, DISPLAY=self.display)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)

    def xdotool(self, *args):
        result = subprocess.run(
            ["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True, timeout=30
        )
        return result.stdout.strip()


class Screenshot:
    """An RGB image read from xwd through ImageMagick's PPM output."""

    def __init__(self, width, height, pixels):
        self.width, self.height, self.pixels = width, height, pixels

    @classmethod
    def of_window(cls, server, window):
        xwd = subprocess.run(
            ["xwd", "-silent", "-id", str(window)], env=server.env, capture_output=True,
            check=True, timeout=30,
        ).stdout
        ppm = subprocess.run(
            ["convert", "xwd:-", "ppm:-"], input=xwd, capture_output=True, check=True, timeout=30
        ).stdout
        return cls.from_ppm(ppm)

    @classmethod
    def from_ppm(cls, data):
        fields, position = [], 2
        while len(fields) < 3:
            while data[position : position + 1].isspace():
                position += 1
            if data[position : position + 1] == b"#":
                position = data.index(b"\n", position)
                continue
            start = position
            while not data[position : position + 1].isspace():
                position += 1
            fields.append(int(data[start:position]))
        width, height, _ = fields
        return cls(width, height, data[position + 1 : position + 1 + width * height * 3])

    def rgb(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.pixels[offset : offset + 3])

    def save_png(self, path):
        header = f"P6 {self.width} {self.height} 255\n".encode()
        subprocess.run(["convert", "ppm:-", path], input=header + self.pixels, check=True)

    def mask(self, colour):
        """Set of (x, y) whose pixel is exactly that colour."""
        target = bytes(colour)
        found = set()
        data = self.pixels
        for index in range(0, len(data), 3):
            if data[index : index + 3] == target:
                pixel = index // 3
                found.add((pixel % self.width, pixel // self.width))
        return found


def components(points):
    """Four-connected pieces of a pixel set, as a list of sets."""
    remaining, pieces = set(points), []
    while remaining:
        seed = remaining.pop()
        piece, frontier = {seed}, [seed]
        while frontier:
            x, y = frontier.pop()
            for neighbour in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                if neighbour in remaining:
                    remaining.remove(neighbour)
                    piece.add(neighbour)
                    frontier.append(neighbour)
        pieces.append(piece)
    return pieces


def centre(points):
    return (sum(p[0] for p in points) / len(points), sum(p[1] for p in points) / len(points))


def close_window(server, window):
    """Sends WM_DELETE_WINDOW, as a window manager does for the close button."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [
        ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p,
    ]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [
            ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
            ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
            ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
            ("data", ctypes.c_long * 5),
        ]

    class Event(ctypes.Union):
        _fields_ = [("message", ClientMessage), ("pad", ctypes.c_long * 24)]

    display = x11.XOpenDisplay(server.display.encode())
    if not display:
        raise RuntimeError("cannot open the X display")
    event = Event()
    event.message.type = 33  # ClientMessage
    event.message.window = int(window)
    event.message.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.message.format = 32
    event.message.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.message.data[1] = 0  # CurrentTime
    x11.XSendEvent(display, int(window), 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)
