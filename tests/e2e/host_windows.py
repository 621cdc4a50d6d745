#!/usr/bin/env python3
"""A stand-in screen-saver host for the end-to-end tests.

    host_windows.py IDS_FILE GEOMETRY...

Opens one top-level window per GEOMETRY ("640x480+0+0") holding one black
child window that fills it, the kind of window a host gives its saver: its
background is painted by the X server, never by this program. When all are
shown, writes one line per window to IDS_FILE: the child's id and the id of
its top-level window (the child of the root), in decimal. Then takes commands, one a line, on stdin:

    destroy N        destroys the child of window N (counted from 0)
    resize N WxH     resizes window N and its child
    vroot N          marks the child of window N as the screen's virtual root
    quit
"""
import ctypes
import ctypes.util
import os
import sys
import tkinter

XA_WINDOW = 33
PROP_MODE_REPLACE = 0

xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XInternAtom.restype = ctypes.c_ulong
xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
xlib.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                 ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
xlib.XSetWindowBackground.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
xlib.XClearWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xlib.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.POINTER(ctypes.c_ulong)] * 2 + [
    ctypes.POINTER(ctypes.c_void_p), ctypes.POINTER(ctypes.c_uint)]
xlib.XFree.argtypes = [ctypes.c_void_p]
display = xlib.XOpenDisplay(None)
if not display:
    sys.exit("host_windows.py: no X display")



def outermost(window):
    """The ancestor of `window` that is a child of the root: where the
    virtual root mark goes."""
    while True:
        root_id, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.c_void_p(), ctypes.c_uint()
        xlib.XQueryTree(display, window, ctypes.byref(root_id), ctypes.byref(parent),
                        ctypes.byref(children), ctypes.byref(count))
        if children:
            xlib.XFree(children)
        if parent.value == root_id.value:
            return window
        window = parent.value


root = tkinter.Tk()
root.withdraw()
hosts = []  # (top-level, child frame)
for geometry in sys.argv[2:]:
    top = tkinter.Toplevel(root, background="black")
    top.geometry(geometry)
    size = geometry.split("+")[0]
    width, height = (int(v) for v in size.split("x"))
    # No Tk background: the server paints black, as a host's window does.
    frame = tkinter.Frame(top, width=width, height=height, background="", borderwidth=0,
                          highlightthickness=0)
    frame.pack(fill="both", expand=True)
    hosts.append((top, frame))
while not all(frame.winfo_viewable() for _, frame in hosts):
    root.update()
for top, frame in hosts:
    xlib.XSetWindowBackground(display, frame.winfo_id(), 0)
    xlib.XClearWindow(display, frame.winfo_id())
xlib.XSync(display, 0)
root.update()

with open(sys.argv[1] + ".part", "w") as out:
    for top, frame in hosts:
        out.write(f"{frame.winfo_id()} {outermost(frame.winfo_id())}\n")
# Renamed into place, so a reader never sees half the lines.
os.replace(sys.argv[1] + ".part", sys.argv[1])


def command(_file, _mask):
    line = sys.stdin.readline()
    if not line:
        root.destroy()
        return
    words = line.split()
    if not words:
        return
    if words[0] == "quit":
        root.destroy()
        return
    top, frame = hosts[int(words[1])]
    if words[0] == "destroy":
        frame.destroy()
    elif words[0] == "resize":
        width, height = (int(v) for v in words[2].split("x"))
        frame.configure(width=width, height=height)
        top.geometry(f"{width}x{height}")
    elif words[0] == "vroot":
        atom = xlib.XInternAtom(display, b"__SWM_VROOT", 0)
        value = (ctypes.c_ulong * 1)(frame.winfo_id())
        xlib.XChangeProperty(display, outermost(frame.winfo_id()), atom, XA_WINDOW, 32,
                             PROP_MODE_REPLACE, value, 1)
    xlib.XSync(display, 0)
    root.update()


root.tk.createfilehandler(sys.stdin, tkinter.READABLE, command)
root.mainloop()
