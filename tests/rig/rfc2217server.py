#!/usr/bin/python3
# SPDX-License-Identifier: LicenseRef-Draventa-freeware
"""An RFC 2217 server for the remote-port tests, built on pyserial's
PortManager: rfc2217server.py DEVICE [PORT] shares DEVICE on 127.0.0.1:PORT
(a free port if none is given, printed once listening), one client at a
time, and opens the device for each connection, as ser2net does."""

import select
import socket
import sys
import types

import serial
import serial.rfc2217

# How often the modem lines are looked at, so their changes are reported.
MODEM_CHECK_S = 0.2


def serve(client, device):
    with serial.Serial(device, timeout=0) as port:
        manager = serial.rfc2217.PortManager(port, types.SimpleNamespace(write=client.sendall))
        while True:
            ready = select.select([client, port], [], [], MODEM_CHECK_S)[0]
            if client in ready:
                data = client.recv(4096)
                if not data:
                    return
                port.write(b"".join(manager.filter(data)))
            if port in ready:
                client.sendall(b"".join(manager.escape(port.read(4096))))
            manager.check_modem_lines()


def main():
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", int(sys.argv[2]) if len(sys.argv) > 2 else 0))
    listener.listen(1)
    print(listener.getsockname()[1], flush=True)
    while True:
        client = listener.accept()[0]
        try:
            serve(client, sys.argv[1])
        except (OSError, serial.SerialException) as error:
            print(f"rfc2217server: {error}", file=sys.stderr, flush=True)
        client.close()


if __name__ == "__main__":
    main()
