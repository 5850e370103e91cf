#!/usr/bin/python3
# SPDX-License-Identifier: LicenseRef-Draventa-freeware
"""An RFC 2217 server that turns hostile, for the benchmarks.

It agrees on COM-PORT and answers every setting as applied (the request
echoed with its code + 100). Half a second after it has answered the first
control setting, the last one a client asks for on opening, so that the
opening has gone well, it misbehaves as MODE says:

  data            floods random serial data, as fast as TCP takes it
  subnegotiation  opens a subnegotiation and never ends it
  commands        floods Telnet NOPs, which carry no data
  flap            hangs up half a second after each connection, as it is

Listens on 127.0.0.1 at a port of the system's choosing and prints the port.
Each line read on stdin is answered with the connections taken and the
bytes sent so far; it exits when stdin closes, so it never outlives the
process that started it.

Usage: hostileserver.py MODE
"""
import os
import socket
import sys
import threading
import time

IAC, SB, SE, WILL, DO = 255, 250, 240, 251, 253
NOP = 241
COM_PORT = 44
SET_CONTROL = 5
SERVER_REPLY_OFFSET = 100
FLAP_SECONDS = 0.5
FLOOD_AFTER_SECONDS = 0.5

totals = {"connections": 0, "sent": 0}
totals_lock = threading.Lock()


def flood(mode):
    """The first bytes of the flood, and what follows again and again."""
    if mode == "data":
        return b"", os.urandom(65536).replace(b"\xff", b"\xff\xff")
    if mode == "subnegotiation":
        return bytes([IAC, SB, COM_PORT]), b"x" * 65536
    if mode == "commands":
        return b"", bytes([IAC, NOP]) * 32768
    return b"", b""


class Connection:
    """One client: a reader that answers what the client sends, and a writer
    that sends the answers first and the flood in between."""

    def __init__(self, sock, mode):
        self.sock = sock
        self.mode = mode
        self.replies = []
        self.flooding = False
        self.flood_timer = None
        self.wake = threading.Condition()
        threading.Thread(target=self.read, daemon=True).start()
        threading.Thread(target=self.write, daemon=True).start()

    def queue(self, reply):
        with self.wake:
            if self.mode == "subnegotiation" and self.flooding:
                return  # inside the endless subnegotiation nothing else can be said
            self.replies.append(reply)
            self.wake.notify()

    def read(self):
        """Agrees to every option the client offers or asks for, once, and
        echoes every COM-PORT command as its reply."""
        agreed = set()
        state, verb, sub = "data", 0, bytearray()
        try:
            while chunk := self.sock.recv(4096):
                for byte in chunk:
                    if state == "data":
                        state = "command" if byte == IAC else "data"
                    elif state == "command":
                        state, verb = ("sub", 0) if byte == SB else ("option", byte)
                        sub.clear()
                    elif state == "option":
                        state = "data"
                        if verb in (WILL, DO) and (verb, byte) not in agreed:
                            agreed.add((verb, byte))
                            self.queue(bytes([IAC, DO if verb == WILL else WILL, byte]))
                    elif state == "sub":
                        state = "subcommand" if byte == IAC else "sub"
                        if byte != IAC:
                            sub.append(byte)
                    elif state == "subcommand":
                        state = "sub" if byte == IAC else "data"
                        if byte == IAC:
                            sub.append(IAC)
                        elif byte == SE:
                            self.answer(bytes(sub))
        except OSError:
            pass

    def answer(self, payload):
        if len(payload) < 2 or payload[0] != COM_PORT or payload[1] >= SERVER_REPLY_OFFSET:
            return
        value = payload[2:].replace(b"\xff", b"\xff\xff")
        self.queue(bytes([IAC, SB, COM_PORT, payload[1] + SERVER_REPLY_OFFSET]) + value + bytes([IAC, SE]))
        if payload[1] == SET_CONTROL and self.mode != "flap" and not self.flood_timer:
            self.flood_timer = threading.Timer(FLOOD_AFTER_SECONDS, self.start_flood)
            self.flood_timer.daemon = True
            self.flood_timer.start()

    def start_flood(self):
        with self.wake:
            self.flooding = True
            self.wake.notify()

    def write(self):
        opening, again = flood(self.mode)
        hang_up_at = time.monotonic() + FLAP_SECONDS if self.mode == "flap" else None
        try:
            while True:
                with self.wake:
                    while not self.replies and not self.flooding:
                        left = hang_up_at - time.monotonic() if hang_up_at else None
                        if left is not None and left <= 0:
                            return
                        self.wake.wait(left)
                    out, self.replies = b"".join(self.replies), []
                    if self.flooding:
                        out += opening + again
                        opening = b""
                self.send(out)
        except OSError:
            pass
        finally:
            try:
                self.sock.shutdown(socket.SHUT_RDWR)  # wakes the reader too
            except OSError:
                pass
            self.sock.close()

    def send(self, data):
        view = memoryview(data)
        while view:
            count = self.sock.send(view)
            view = view[count:]
            with totals_lock:
                totals["sent"] += count


def report_on_request():
    for _ in sys.stdin:
        with totals_lock:
            print(f"connections {totals['connections']} sent {totals['sent']}", flush=True)
    os._exit(0)


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in ("data", "subnegotiation", "commands", "flap"):
        sys.exit(__doc__)
    listener = socket.create_server(("127.0.0.1", 0))
    print(listener.getsockname()[1], flush=True)
    threading.Thread(target=report_on_request, daemon=True).start()
    while True:
        sock, _ = listener.accept()
        with totals_lock:
            totals["connections"] += 1
        Connection(sock, sys.argv[1])


if __name__ == "__main__":
    main()
