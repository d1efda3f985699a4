#!/usr/bin/env python3
"""Gives each character of argv[1] a key of its own on the X display in $DISPLAY.

xdotool types a character that no key carries by mapping a spare key for it just before the key
press; a program that reads the key map late (a busy machine) then sees the next character's
mapping, and the character is lost. Mapped here once, before the program starts, the characters
are typed like any other key. Uses spare key codes (those without symbols); needs libX11 only.
"""
import ctypes
import ctypes.util
import sys


def main(text: str) -> int:
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
    x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int, ctypes.POINTER(ctypes.c_int)]
    x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
    display = x11.XOpenDisplay(None)
    if not display:
        print("keymap.py: cannot open the display", file=sys.stderr)
        return 1
    low, high = ctypes.c_int(), ctypes.c_int()
    x11.XDisplayKeycodes(ctypes.c_void_p(display), ctypes.byref(low), ctypes.byref(high))
    per = ctypes.c_int()
    count = high.value - low.value + 1
    syms = x11.XGetKeyboardMapping(display, low.value, count, ctypes.byref(per))
    spare = [low.value + i for i in range(count) if all(syms[i * per.value + j] == 0 for j in range(per.value))]
    x11.XFree(syms)
    # A character beyond Latin-1 is the key symbol 0x1000000 + its code point.
    wanted = sorted({c for c in text if ord(c) > 0xFF})
    if len(wanted) > len(spare):
        print(f"keymap.py: {len(wanted)} characters, {len(spare)} spare keys", file=sys.stderr)
        return 1
    for code, char in zip(spare, wanted):
        sym = (ctypes.c_ulong * 1)(0x1000000 + ord(char))
        x11.XChangeKeyboardMapping(ctypes.c_void_p(display), code, 1, sym, 1)
    x11.XSync(ctypes.c_void_p(display), 0)
    x11.XCloseDisplay(ctypes.c_void_p(display))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else ""))
