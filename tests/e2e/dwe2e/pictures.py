"""Screenshots of the session's display, taken once the painting has settled: two
captures in a row are the same."""

import subprocess
import time

from .checks import POLL, Failure
from .config import SCREENSHOTS

SETTLE_SECONDS = 15


class Shot:
    """A screenshot kept as PNG, with its pixels at hand."""

    def __init__(self, path, frame):
        self.path = path
        self.frame = frame
        _, self.width, self.pixels = parse_ppm(frame)

    def pixel(self, x, y):
        """The colour of one pixel, as (r, g, b)."""
        at = self.pixels + 3 * (y * self.width + x)
        return tuple(self.frame[at:at + 3])


def parse_ppm(frame):
    """A binary PPM's magic, width and where its pixels start (8 bits a channel)."""
    fields, at = [], 0
    while len(fields) < 4:
        while frame[at:at + 1].isspace():
            at += 1
        end = at
        while not frame[end:end + 1].isspace():
            end += 1
        fields.append(frame[at:end])
        at = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise Failure(f"not an 8-bit PPM capture: {fields}")
    return fields[0], int(fields[1]), at + 1


class Screen:
    def __init__(self, display):
        self.display = display
        self.last = None

    def capture(self):
        command = ["import", "-display", self.display, "-window", "root", "-depth", "8", "ppm:-"]
        return subprocess.run(command, check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout

    def settled(self, what, changed=False, seconds=SETTLE_SECONDS):
        """The first capture that equals the one before it (and, when changed is
        asked, differs from the last screenshot taken)."""
        deadline = time.monotonic() + seconds
        previous = None
        while True:
            frame = self.capture()
            if frame == previous and not (changed and frame == self.last):
                return frame
            if time.monotonic() >= deadline:
                why = "still showed the last screenshot" if frame == previous else "was still being painted"
                raise Failure(f"the screen for {what} {why} after {seconds} s")
            previous = frame
            time.sleep(POLL)

    def take_moving(self, name):
        """One capture as it is, for a screen that changes on its own (a scan's progress)."""
        frame = self.capture()
        SCREENSHOTS.mkdir(parents=True, exist_ok=True)
        target = SCREENSHOTS / f"{name}.png"
        subprocess.run(["convert", "ppm:-", str(target)], input=frame, check=True, stderr=subprocess.DEVNULL)
        self.last = frame
        return Shot(target, frame)

    def take(self, name, changed=False):
        frame = self.settled(name, changed)
        SCREENSHOTS.mkdir(parents=True, exist_ok=True)
        target = SCREENSHOTS / f"{name}.png"
        subprocess.run(["convert", "ppm:-", str(target)], input=frame, check=True, stderr=subprocess.DEVNULL)
        self.last = frame
        return Shot(target, frame)
