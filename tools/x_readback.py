#!/usr/bin/env python3
"""x_readback.py — waiting for what the game's window shows under X: its
pixels read back from the X server (libX11 through ctypes), compared from one
read to the next. Used by tools/soak.py and, from the shell, by tools/xdo.sh:

  x_readback.py settle WID            waits until the picture has come to rest
  x_readback.py after WID COMMAND...  runs COMMAND, then waits until the window
                                      shows another picture and it has come to rest
  x_readback.py until WID COMMAND...  as after, but runs COMMAND again every half
                                      second until the picture changes (for a key
                                      the page ignores for a while, showing nothing)

Exits 1 when the deadline (DEADLINE seconds, which only bounds a failure)
passed first.
"""
import ctypes
import ctypes.util
import hashlib
import subprocess
import sys
import time

DEADLINE = 20.0   # seconds; a loaded machine is slow, and must still pass


def wait_until(done, deadline=DEADLINE, every=0.05):
    """Polls done() until it holds; False when the deadline passed."""
    end = time.monotonic() + deadline
    while True:
        if done():
            return True
        if time.monotonic() >= end:
            return False
        time.sleep(every)


def x(*args, timeout=10):
    try:
        return subprocess.run(["xdotool", *args], capture_output=True, text=True,
                              timeout=timeout).stdout.strip()
    except subprocess.TimeoutExpired:
        return ""


def game_window():
    out = x("search", "--name", "^Veldrune$")
    ids = out.split()
    return ids[-1] if ids else ""


class ReadBack:
    """The pixels of a window as the X server holds them (libX11 through
    ctypes), to see when the picture has come to rest."""

    ErrorHandler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)

    def __init__(self, wid=None):
        self.wid = wid         # a fixed window, or None for the newest game window
        self.lib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.lib.XGetImage.restype = ctypes.c_void_p
        self.lib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.lib.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 7
        self.lib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.lib.XFree.argtypes = [ctypes.c_void_p]
        # A read of a window that is not viewable (minimised, gone) is an X
        # error, which must fail the read, not end the soak.
        self.handler = self.ErrorHandler(lambda display, event: 0)
        self.lib.XSetErrorHandler(self.handler)
        self.display = self.lib.XOpenDisplay(None)

    def window(self):
        return self.wid or game_window()

    def picture(self, wid):
        """A digest of the window's pixels, or None when it cannot be read."""
        if not self.display or not wid:
            return None
        root, left, top = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_int()
        w, h, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
        if not self.lib.XGetGeometry(self.display, int(wid), ctypes.byref(root), ctypes.byref(left),
                                     ctypes.byref(top), ctypes.byref(w), ctypes.byref(h),
                                     ctypes.byref(border), ctypes.byref(depth)) or not w.value or not h.value:
            return None
        image = self.lib.XGetImage(self.display, int(wid), 0, 0, w.value, h.value, 0xFFFFFFFF, 2)
        self.lib.XSync(self.display, 0)
        if not image:
            return None
        # XImage: width, height, xoffset, format (ints), char *data, then
        # byte_order, bitmap_unit, bitmap_bit_order, bitmap_pad, depth,
        # bytes_per_line (ints).
        data = ctypes.c_void_p.from_address(image + 16).value
        bytes_per_line = ctypes.c_int.from_address(image + 44).value
        digest = hashlib.sha1(ctypes.string_at(data, bytes_per_line * h.value)).digest() if data else None
        if data:
            self.lib.XFree(data)
        self.lib.XFree(image)
        return digest

    def settled(self, reads=5, deadline=DEADLINE):
        """Waits until the game's window reads back the same `reads` times in
        a row, about 0.1 s apart (a slide or a fade changes it every frame)."""
        state = {"last": None, "same": 0}

        def same_again():
            now = self.picture(self.window())
            state["same"] = state["same"] + 1 if now is not None and now == state["last"] else 1
            state["last"] = now
            return now is not None and state["same"] >= reads
        return wait_until(same_again, deadline, every=0.1)

    def changed_from(self, before, deadline=DEADLINE):
        """Waits until the game's window shows another picture than `before`."""
        return wait_until(lambda: self.picture(self.window()) not in (None, before), deadline)




def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("settle", "after", "until"):
        print(__doc__, file=sys.stderr)
        return 2
    screen = ReadBack(sys.argv[2])
    if sys.argv[1] == "settle":
        return 0 if screen.settled() else 1
    before = screen.picture(screen.wid)
    if sys.argv[1] == "after":
        subprocess.run(sys.argv[3:])
        changed = screen.changed_from(before)
    else:
        changed = wait_until(lambda: subprocess.run(sys.argv[3:]) and screen.changed_from(before, 0.5))
    return 0 if changed and screen.settled() else 1


if __name__ == "__main__":
    sys.exit(main())
