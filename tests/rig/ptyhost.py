#!/usr/bin/python3
# SPDX-License-Identifier: LicenseRef-Draventa-freeware
"""The far end of serial ports for a test that cannot make ptys itself (a
Windows test under Wine): ptyhost.py PORTS SHARED RIG listens on 127.0.0.1,
says its port, and for each connection owns pty pairs by name, each linked
at PORTS/NAME, with their lines in the rig's shared file SHARED (the rig RIG
is preloaded into Wine and into the servers started here). One order a line,
one answer a line ("error ..." when it failed):
  plug NAME | unplug NAME                a pty at PORTS/NAME, or none
  lines NAME DCD DSR CTS                 1, 0, or - to follow the wiring
  send NAME HEX | read NAME              bytes at the far end (answer: HEX)
  asked NAME                             e.g. "19200,e,7,2 IXON IXOFF CRTSCTS DTR RTS"
  serve NAME ser2net|pyserial            an RFC 2217 server on it (answer: its port)"""

import mmap
import os
import socket
import socketserver
import struct
import subprocess
import sys
import termios
import threading
import time
import tty

PORTS, SHARED, RIG = sys.argv[1:4]
SLOT = struct.Struct("<QIIIIQ")  # device, forced, modem bits, iflag, cflag
SLOTS = 16
CMSPAR = getattr(termios, "CMSPAR", 0o10000000000)
SPEEDS = {getattr(termios, name): int(name[1:]) for name in dir(termios) if name[0] == "B" and name[1:].isdigit()}
with open(SHARED, "wb") as blank:
    blank.write(bytes(SLOT.size * SLOTS))
shared = mmap.mmap(os.open(SHARED, os.O_RDWR), SLOT.size * SLOTS)
slots_taken = threading.Lock()


def describe(slot):
    _, _, modem, iflag, cflag = SLOT.unpack_from(shared, slot * SLOT.size)[:5]
    parity = ("sm" if cflag & CMSPAR else "eo")[bool(cflag & termios.PARODD)] if cflag & termios.PARENB else "n"
    size = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
    text = f"{SPEEDS.get(cflag & termios.CBAUD, 0)},{parity},{size},{2 if cflag & termios.CSTOPB else 1}"
    for on, name in ((iflag & termios.IXON, "IXON"), (iflag & termios.IXOFF, "IXOFF"),
                     (cflag & termios.CRTSCTS, "CRTSCTS"), (modem & termios.TIOCM_DTR, "DTR"),
                     (modem & termios.TIOCM_RTS, "RTS")):
        text += f" {name}" if on else ""
    return text


class Pty:
    def __init__(self, name):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        os.set_blocking(self.master, False)
        self.link = os.path.join(PORTS, name)
        os.symlink(os.ttyname(self.slave), self.link)
        with slots_taken:
            self.slot = next(n for n in range(SLOTS) if SLOT.unpack_from(shared, n * SLOT.size)[0] == 0)
            SLOT.pack_into(shared, self.slot * SLOT.size, os.fstat(self.slave).st_rdev, 0,
                           termios.TIOCM_DTR | termios.TIOCM_RTS, 0, 0, 0)

    def close(self):
        os.unlink(self.link)
        os.close(self.master)
        os.close(self.slave)
        SLOT.pack_into(shared, self.slot * SLOT.size, 0, 0, 0, 0, 0, 0)

    def lines(self, *inputs):
        forced = sum((1 << n) | (int(value == "1") << (n + 8)) for n, value in enumerate(inputs) if value != "-")
        struct.pack_into("<I", shared, self.slot * SLOT.size + 8, forced)

    def read(self):
        try:
            return os.read(self.master, 65536).hex()
        except BlockingIOError:
            return ""

    def serve(self, kind, servers):
        """Started on the link, a server finds the pty that replaces a pulled one."""
        device = self.link
        environment = dict(os.environ, LD_PRELOAD=RIG, SERNIX_RIG_SHARED=SHARED)
        if kind == "pyserial":
            servers.append(subprocess.Popen(["/usr/bin/python3", os.path.join(os.path.dirname(__file__),
                                            "rfc2217server.py"), device], env=environment, stdout=subprocess.PIPE))
            return servers[-1].stdout.readline().decode().strip()
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        config = os.path.join(PORTS, f"ser2net-{port}.yaml")
        with open(config, "w") as file:
            file.write(f"connection: &sernix\n  accepter: telnet(rfc2217),tcp,127.0.0.1,{port}\n"
                       f"  connector: serialdev,{device},9600n81,local\n")
        servers.append(subprocess.Popen(["ser2net", "-n", "-d", "-c", config], env=environment))
        deadline = time.monotonic() + 8
        while servers[-1].poll() is None and time.monotonic() < deadline:  # it says nothing when it listens
            try:
                socket.create_connection(("127.0.0.1", port), timeout=0.1).close()
                return str(port)
            except OSError:
                time.sleep(0.02)
        raise OSError("ser2net did not listen")


class Orders(socketserver.StreamRequestHandler):
    def handle(self):
        ptys, servers = {}, []
        orders = {"plug": lambda name: ptys.setdefault(name, Pty(name)) and "ok",
                  "unplug": lambda name: ptys.pop(name).close() or "ok",
                  "lines": lambda name, *inputs: ptys[name].lines(*inputs) or "ok",
                  "send": lambda name, data: os.write(ptys[name].master, bytes.fromhex(data)) and "ok",
                  "read": lambda name: ptys[name].read(),
                  "asked": lambda name: describe(ptys[name].slot),
                  "serve": lambda name, kind: ptys[name].serve(kind, servers)}
        try:
            for line in self.rfile:
                order, *arguments = line.decode().split()
                try:
                    answer = orders[order](*arguments)
                except (KeyError, TypeError, ValueError, OSError) as error:
                    answer = f"error {order}: {error!r}"
                self.wfile.write(answer.encode() + b"\n")
        finally:
            for server in servers:
                server.kill()
                server.wait()
            for pty in ptys.values():
                pty.close()


class Host(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


with Host(("127.0.0.1", 0), Orders) as host:
    print(host.server_address[1], flush=True)
    host.serve_forever()
