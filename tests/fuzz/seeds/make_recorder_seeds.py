#!/usr/bin/env python3
"""Writes small recorder files as fuzz seeds, straight from their field layouts.

Independent of the library: every field is packed here with struct at its offset.
Run from the repository root: python3 tests/fuzz/seeds/make_recorder_seeds.py
"""
import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)))


def put(buf, off, fmt, *v):
    need = off + struct.calcsize(fmt)
    if len(buf) < need:
        buf.extend(b"\0" * (need - len(buf)))
    struct.pack_into(fmt, buf, off, *v)


def write(name, file, data):
    d = os.path.join(ROOT, name)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, file), "wb") as f:
        f.write(bytes(data))


def mv70_v4(big):
    e = ">" if big else "<"
    out = bytearray(b"[MV70 FORMAT 1.1   ]" if big else b"[MV70 FORMAT 2.0   ]")
    h = bytearray(196)
    put(h, 4, e + "I", 0x2537AB22)
    put(h, 8, e + "I", 0x2537AA66)
    put(h, 24, e + "I", 2021 | 6 << 16 | 15 << 24)
    put(h, 28, "BBB", 10, 20, 30)
    put(h, 32, e + "H", 250)
    put(h, 60, e + "II", 2, 3)
    put(h, 68, e + "I", 1000)
    h[92:101] = b"Station A"
    out += h
    n = 5
    for analog in (True, False):
        b = bytearray(88)
        put(b, 0, e + "I", 0x2537AB55 if analog else 0x2537AB44)
        put(b, 8, e + "HH", 0x0102, 5)
        put(b, 12, e + "ff", 50.0, 2.5)
        put(b, 28, e + "hH", 3, 20000)
        b[32:34] = b"U1"
        out += b
        if analog:
            for i in range(n):
                out += struct.pack(e + "h", i * 100 - 200)
        else:
            out += struct.pack(e + "H", 0xA000)
    return out


def mv70_v0():
    cfg = bytearray(16384)
    cfg[4:7] = b"Sta"
    put(cfg, 300, "<I", 4)
    put(cfg, 308, "<f", 2.0)
    cfg[336:338] = b"UA"
    put(cfg, 352, "<H", 10000)
    h = bytearray(92)
    put(h, 4, "<II", 0x2537AA22, 0x2537AA66)
    put(h, 60, "<III", 1, 2, 6)
    out = cfg + h
    out += struct.pack("<IHh", 0x2537AA55, 0, 1) + struct.pack("<3h", 1, 2, 3)
    return out


def lx3():
    out = bytearray(b"[Dane w formacie Lx3.2]")
    h = bytearray(317)
    put(h, 0, "<HHf", 1, 1, 0.5)
    put(h, 8, "<I", 4)
    put(h, 20, "<I", 2)
    put(h, 28, "<d", 44197.5)
    h[36] = 5
    h[37:42] = b"Stacj"
    out += h
    for slot in (0, 16):
        r = bytearray(180)
        r[0], r[1], r[5] = 1, slot, 1
        put(r, 40, "<d", 10.0)
        r[56], r[57] = 1, ord("X")
        r[97], r[98] = 1, ord("V")
        put(r, 106, "<d", 1.0)
        put(r, 122, "<d", 1.0)
        out += r
    for k in range(4):
        out += struct.pack("<HH", 2 * k + 1, 0x0002 * (k & 1))
    return out


def lx2():
    h = bytearray(1828)
    put(h, 0, "<HHII", 3, 4, 2000, 6)
    put(h, 16, "<I", 1609459200)
    for c in range(16):
        o = 28 + 106 * c
        put(h, o, "<f", 100.0)
        h[o + 20] = ord("V")
    h[1728:1734] = b"Stacja"
    for i in range(6):
        h += struct.pack("<HH", 0x8000 + i, 0x8000 - i)
    return h


def neb1():
    r = bytearray(4092)
    put(r, 2, "<HHH", (2019 - 1980) << 9 | 5 << 5 | 7, 8 << 6 | 9, 10 << 10 | 250)
    r[8:13] = b"NEB 1"
    put(r, 56, "<HH", 16384, 32768)
    for k in range(1000):
        put(r, 90 + 4 * k, "<HH", 2048 + (k % 50), 2048 | (0x1000 if k == 3 else 0))
    put(r, 4090, "<H", sum(r[:4090]) & 0xFFFF)
    return r


def hioki():
    rows = ['"Recorder"\tPlant', 'Shot\t(Data Num)\tTrig Date\tTrig Time', "1\t3\t2024-03-05\t10:20:30", "",
            "CH\tUnit\tMode\tRange\tComment\tScaling\tRatio\tOffset\tEU",
            "CH1\tU1\tVOLT\t10V\tVa\tON\t-\t0\tV", "CH2\tU2\tCURR\t5A\tIa\tON\t2,5\t0\tA", "", "",
            "Time[s]\tVa\tIa", "0,5\t1,5\t-0,25", "0,501\t2\t0", "0,502\t-3,75\t1"]
    return ("\r\n".join(rows) + "\r\n").encode("cp1250")


def mvkraw():
    # Configuration bytes of the fuzzer: analog count, status count, channel base, rate
    # index, end sample (two bytes), status numbers; then big-endian packets.
    head = bytes([3, 2, 0, 2, 0, 40, 15, 44])
    data = bytearray()
    for p in range(50):
        data += struct.pack(">HHHH", 0x0101 + 2 * p, 0x0200, 0x0300, 0x0002)
    return head + data


write("fuzz_mv70", "v4.m70", mv70_v4(False))
write("fuzz_mv70", "v2.m70", mv70_v4(True))
write("fuzz_mv70", "v0.m70", mv70_v0())
write("fuzz_lx3", "two_slots.lx3", lx3())
write("fuzz_lx2", "three_channels.bin", lx2())
write("fuzz_neb1", "one_record", bytes([0, 0]) + neb1())
write("fuzz_hioki", "two_channels.txt", hioki())
write("fuzz_mvkraw", "packets", mvkraw())
