#!/usr/bin/env python3
"""The real kelvara.exe under wine on an X display, driven from outside as a user would drive it.

exe_smoke_test.py WINE_RUN WINE_DIR KELVARA_EXE   (inside xvfb-run)

It starts the program in a fresh working folder, finds the main window by its title, checks the
client area's size on the screen (the light grey of the layout), chooses a category, presses a
character button, saves through the file save window with the keyboard, checks the file byte for
byte, and ends the program with its end button.
"""
import pathlib
import struct
import subprocess
import sys
import tempfile
import time

wine_run, wine_dir, exe = sys.argv[1:4]
GREY = (192, 192, 192)


def fail(message):
    print("FAIL:", message)
    subprocess.run(["xwininfo", "-root", "-tree"])
    sys.exit(1)


def wait_for(what, check, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = check()
        if found:
            return found
        time.sleep(0.2)
    fail(f"no {what} after {seconds} s")


def window_named(title):
    found = subprocess.run(["xdotool", "search", "--name", f"^{title}$"],
                           capture_output=True, text=True).stdout.split()
    return found[0] if found else None


def grey_area():
    """Left, top, width and height of the light grey on the screen: the main window's client.

    The screen comes from xwd's dump (ZPixmap; blue, green, red, and a pad byte at 32 bits).
    """
    dump = subprocess.run(["xwd", "-root", "-silent"], capture_output=True, check=True).stdout
    header = struct.unpack(">25I", dump[:100])
    header_size, height, colours = header[0], header[5], header[19]
    size, bytes_per_line = header[11] // 8, header[12]
    pixels = dump[header_size + 12 * colours:]
    grey = bytes(reversed(GREY))

    def first(row):  # a grey pixel starts at a multiple of the pixel's size
        at = row.find(grey)
        while at > 0 and at % size:
            at = row.find(grey, at + 1)
        return at

    def last(row):
        at = row.rfind(grey)
        while at > 0 and at % size:
            at = row.rfind(grey, 0, at + 2)
        return at

    spans = {}
    for y in range(height):
        row = pixels[y * bytes_per_line:(y + 1) * bytes_per_line]
        if first(row) >= 0:
            spans[y] = (first(row) // size, last(row) // size)
    if not spans:
        return None
    left = min(span[0] for span in spans.values())
    right = max(span[1] for span in spans.values())
    return left, min(spans), right - left + 1, max(spans) - min(spans) + 1


def click(left, top, x, y):
    subprocess.run(["xdotool", "mousemove", str(left + x), str(top + y), "click", "1"], check=True)
    time.sleep(0.3)


def keys(*names):
    for name in names:
        subprocess.run(["xdotool", "key", name], check=True)
        time.sleep(0.1)


folder = pathlib.Path(tempfile.mkdtemp(prefix="kelvara スモーク "))
program = subprocess.Popen([wine_run, "--display", wine_dir, exe], cwd=folder)
try:
    wait_for("main window", lambda: window_named("kelvara ver3.00"))
    # The window paints a moment after it maps: the area is read until it is whole.
    seen = []
    wait_for("client area of 670x411", lambda: seen.append(grey_area()) or (
        seen[-1] and seen[-1][2:] == (670, 411)), 30)
    left, top, width, height = seen[-1]
    print(f"main window client area at {left},{top}: {width}x{height}")

    click(left, top, 48, 77)  # the category button "special"
    click(left, top, 40, 308)  # the character button "1", a left press
    click(left, top, 44, 388)  # "保存"
    wait_for("file save window", lambda: window_named("file save"))
    time.sleep(1)
    # The focus starts on the drive list; three tabs reach the name box, one more the button.
    keys("Tab", "Tab", "Tab")
    subprocess.run(["xdotool", "type", "--delay", "50", "smoke.txt"], check=True)
    keys("Tab", "space")
    saved = folder / "smoke.txt"
    wait_for("saved file", saved.exists, 30)
    time.sleep(0.5)
    expected = b"1\r\n" + b"0\r\n" * 71
    if saved.read_bytes() != expected:
        fail(f"smoke.txt holds {saved.read_bytes()!r}")
    print("saved 72 lines through the file save window")
    keys("Return")  # the message box that says it is saved
    wait_for("file save window to close", lambda: not window_named("file save"), 30)

    click(left, top, 608, 388)  # "おわるの"
    program.wait(30)
    if program.returncode != 0:
        fail(f"kelvara.exe ended with {program.returncode}")
    print("ended on おわるの")
finally:
    if program.poll() is None:
        program.kill()
