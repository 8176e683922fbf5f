#!/usr/bin/env python3
"""Stores one large file in the simulator's mass memory with ":MMEM:DATA" and prints the seconds
it took until "*OPC?" confirmed it. Usage: blockupload.py socket|vxi11|hislip HOST PORT SIZE_BYTES
Over HiSLIP the message goes out in 1024-byte Data messages, the chunks ListForge writes."""
import socket
import struct
import sys
import time


def raw_upload(host, port, header, payload):
    with socket.create_connection((host, port)) as s:
        s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        start = time.perf_counter()
        s.sendall(header + payload + b"\n*OPC?\n")
        reply = b""
        while not reply.endswith(b"\n"):
            chunk = s.recv(64)
            if not chunk:
                raise RuntimeError("connection closed")
            reply += chunk
        assert reply == b"1\n", reply
        return time.perf_counter() - start


class Vxi11:
    def __init__(self, host, port):
        self.s = socket.create_connection((host, port))
        self.s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.xid = 0

    def call(self, proc, args):
        self.xid += 1
        body = struct.pack(">10I", self.xid, 0, 2, 0x0607AF, 1, proc, 0, 0, 0, 0) + args
        self.s.sendall(struct.pack(">I", 0x80000000 | len(body)) + body)
        mark = self._read(4)
        (length,) = struct.unpack(">I", mark)
        reply = self._read(length & 0x7FFFFFFF)
        return reply[24:]

    def _read(self, n):
        data = b""
        while len(data) < n:
            chunk = self.s.recv(n - len(data))
            if not chunk:
                raise RuntimeError("connection closed")
            data += chunk
        return data

    @staticmethod
    def opaque(data):
        return struct.pack(">I", len(data)) + data + b"\0" * ((4 - len(data) % 4) % 4)


def vxi11_upload(host, port, header, payload):
    v = Vxi11(host, port)
    reply = v.call(10, struct.pack(">3I", 0, 0, 0) + Vxi11.opaque(b"inst0"))
    error, lid, _abort, max_recv = struct.unpack(">4I", reply[:16])
    assert error == 0
    message = header + payload
    start = time.perf_counter()
    for at in range(0, len(message), max_recv):
        part = message[at:at + max_recv]
        flags = 8 if at + max_recv >= len(message) else 0
        reply = v.call(11, struct.pack(">4I", lid, 10000, 10000, flags) + Vxi11.opaque(part))
        assert struct.unpack(">I", reply[:4])[0] == 0
    v.call(11, struct.pack(">4I", lid, 10000, 10000, 8) + Vxi11.opaque(b"*OPC?"))
    reply = v.call(12, struct.pack(">6I", lid, 1024, 10000, 0, 0, 0))
    assert reply[12:14] == b"1\n", reply
    elapsed = time.perf_counter() - start
    v.call(23, struct.pack(">I", lid))
    return elapsed


def hislip_message(kind, control, parameter, payload=b""):
    return b"HS" + struct.pack(">BBIQ", kind, control, parameter, len(payload)) + payload


def hislip_read(s):
    def read(n):
        data = b""
        while len(data) < n:
            chunk = s.recv(n - len(data))
            if not chunk:
                raise RuntimeError("connection closed")
            data += chunk
        return data
    header = read(16)
    assert header[:2] == b"HS", header
    kind, _control, parameter, length = struct.unpack(">BBIQ", header[2:])
    return kind, parameter, read(length)


def hislip_upload(host, port, header, payload, chunk=1024):
    sync = socket.create_connection((host, port))
    sync.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    sync.sendall(hislip_message(0, 0, 0x01000000, b"hislip0"))
    kind, parameter, _ = hislip_read(sync)
    assert kind == 1, kind
    asynchronous = socket.create_connection((host, port))
    asynchronous.sendall(hislip_message(17, 0, parameter & 0xFFFF))
    assert hislip_read(asynchronous)[0] == 18
    message = header + payload
    parts = []
    message_id = 0xFFFFFF00
    for at in range(0, len(message), chunk):
        last = at + chunk >= len(message)
        parts.append(hislip_message(7 if last else 6, 0, message_id, message[at:at + chunk]))
        message_id = (message_id + 2) & 0xFFFFFFFF
    parts.append(hislip_message(7, 0, message_id, b"*OPC?\n"))
    stream = b"".join(parts)
    start = time.perf_counter()
    sync.sendall(stream)
    kind, parameter, reply = hislip_read(sync)
    elapsed = time.perf_counter() - start
    assert kind == 7 and parameter == message_id and reply == b"1\n", (kind, parameter, reply)
    sync.close()
    asynchronous.close()
    return elapsed


def main():
    transport, host, port, size = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    payload = bytes((i * 37 + 11) % 256 for i in range(256)) * (size // 256) + b"x" * (size % 256)
    length = str(len(payload)).encode()
    header = b":MMEM:DATA '/var/user/bench.dm_iqd',#" + str(len(length)).encode() + length
    upload = {"socket": raw_upload, "vxi11": vxi11_upload, "hislip": hislip_upload}[transport]
    print("%.3f" % upload(host, port, header, payload))


if __name__ == "__main__":
    main()
