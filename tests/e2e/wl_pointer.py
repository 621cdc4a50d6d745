#!/usr/bin/env python3
"""A mouse for a Wayland compositor without input devices: a virtual pointer
that stays plugged in while this runs. Each line on standard input,
"X Y WIDTH HEIGHT", moves it to (X, Y) of the whole desktop, which is WIDTH by
HEIGHT; "moved" is printed once the compositor has taken the move.
Speaks the wire protocol itself, so that the tests need no Wayland library.
"""
import os
import socket
import struct
import sys
import time

POINTER_MANAGER = "zwlr_virtual_pointer_manager_v1"


def text(value):
    data = value.encode() + b"\0"
    return struct.pack("=I", len(data)) + data + b"\0" * (-len(data) % 4)


class Connection:
    def __init__(self):
        path = os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"])
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.last_id = 1  # the display
        self.pending = b""

    def new_id(self):
        self.last_id += 1
        return self.last_id

    def send(self, target, opcode, args=b""):
        self.sock.sendall(struct.pack("=II", target, (8 + len(args)) << 16 | opcode) + args)

    def events(self):
        while True:
            while len(self.pending) >= 8:
                target, word = struct.unpack("=II", self.pending[:8])
                size = word >> 16
                if len(self.pending) < size:
                    break
                yield target, word & 0xFFFF, self.pending[8:size]
                self.pending = self.pending[size:]
            data = self.sock.recv(65536)
            if not data:
                sys.exit("the compositor closed the connection")
            self.pending += data

    def roundtrip(self, on_event=lambda target, opcode, args: None):
        callback = self.new_id()
        self.send(1, 0, struct.pack("=I", callback))  # wl_display.sync
        for target, opcode, args in self.events():
            if target == 1 and opcode == 0:
                sys.exit("protocol error: %r" % args)
            if target == callback:
                return
            on_event(target, opcode, args)


def main():
    conn = Connection()
    registry = conn.new_id()
    conn.send(1, 1, struct.pack("=I", registry))  # wl_display.get_registry
    found = {}

    def note_global(target, opcode, args):
        if target == registry and opcode == 0:
            name, length = struct.unpack("=II", args[:8])
            found[args[8:8 + length - 1].decode()] = name

    conn.roundtrip(note_global)
    if POINTER_MANAGER not in found:
        sys.exit("the compositor offers no virtual pointer")
    manager = conn.new_id()
    conn.send(registry, 0, struct.pack("=I", found[POINTER_MANAGER]) + text(POINTER_MANAGER)
              + struct.pack("=II", 1, manager))
    pointer = conn.new_id()
    conn.send(manager, 0, struct.pack("=II", 0, pointer))  # on the default seat
    conn.roundtrip()
    for line in sys.stdin:
        x, y, width, height = (int(v) for v in line.split())
        stamp = int(time.monotonic() * 1000) & 0xFFFFFFFF
        conn.send(pointer, 1, struct.pack("=IIIII", stamp, x, y, width, height))  # motion_absolute
        conn.send(pointer, 4)  # frame
        conn.roundtrip()
        print("moved", flush=True)


if __name__ == "__main__":
    main()
