#!/usr/bin/env python3
"""A mouse for a Wayland compositor without input devices: a virtual pointer,
plugged in while this runs. Each line "X Y WIDTH HEIGHT" on standard input
moves it to (X, Y) of the desktop, which is WIDTH by HEIGHT, and prints
"moved" once the compositor has taken it. Speaks the wire protocol itself, so
that the tests need no Wayland library."""
import os, socket, struct, sys, time

MANAGER = "zwlr_virtual_pointer_manager_v1"
sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
sock.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
ids = iter(range(2, 1 << 20))  # 1 is the display


def send(target, opcode, *words, text=None):
    args = struct.pack("=%dI" % len(words), *words)
    if text is not None:  # a string goes before the words that follow it
        data = text.encode() + b"\0"
        args = (struct.pack("=I", words[0]) + struct.pack("=I", len(data)) + data
                + b"\0" * (-len(data) % 4) + struct.pack("=%dI" % (len(words) - 1), *words[1:]))
    sock.sendall(struct.pack("=II", target, (8 + len(args)) << 16 | opcode) + args)


def roundtrip(on_event=lambda target, opcode, args: None):
    done, pending = next(ids), b""
    send(1, 0, done)  # wl_display.sync
    while True:
        data = sock.recv(65536)
        if not data:
            sys.exit("the compositor closed the connection")
        pending += data
        while len(pending) >= 8 and len(pending) >= struct.unpack("=I", pending[4:8])[0] >> 16:
            target, word = struct.unpack("=II", pending[:8])
            args, pending = pending[8:word >> 16], pending[word >> 16:]
            if target == 1 and word & 0xFFFF == 0:
                sys.exit("protocol error: %r" % args)
            if target == done:
                return
            on_event(target, word & 0xFFFF, args)


registry, found = next(ids), {}
send(1, 1, registry)  # wl_display.get_registry


def note_global(target, opcode, args):
    if target == registry and opcode == 0:
        name, length = struct.unpack("=II", args[:8])
        found[args[8:8 + length - 1].decode()] = name


roundtrip(note_global)
if MANAGER not in found:
    sys.exit("the compositor offers no virtual pointer")
manager, pointer = next(ids), next(ids)
send(registry, 0, found[MANAGER], 1, manager, text=MANAGER)  # wl_registry.bind
send(manager, 0, 0, pointer)  # create_virtual_pointer on the default seat
roundtrip()
for line in sys.stdin:
    x, y, width, height = (int(v) for v in line.split())
    send(pointer, 1, int(time.monotonic() * 1000) & 0xFFFFFFFF, x, y, width, height)
    send(pointer, 4)  # frame
    roundtrip()
    print("moved", flush=True)
