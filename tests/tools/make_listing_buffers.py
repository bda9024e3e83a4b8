#!/usr/bin/env python3
"""Writes the raw event-register files that the kivprobe listing tests load.

Written without the program's code, from the controller's record layout: every record
starts with its code; timed records carry the ticks since the record before them (2.5 ms
units, big-endian); the clock record 243 holds minute, hour, day, month, year-2000; the
register is stored newest record first and ends with the skip record 240 127.

listing_model2.buf holds the same events as the model 2 golden listings, so
`kivprobe listing` of a document built from it must print tests/app/golden/model2_normal.txt.
listing_model1.buf holds the events of the model 1 golden listing; the chart tests read it.
"""
import os


def clock(y, mo, d, h, mi):
    return bytes([243, mi, h, d, mo, y - 2000])


def ev(code, ticks, *payload):
    return bytes([code, ticks >> 8, ticks & 0xFF, *payload])


def register(records):
    return b"".join(reversed(records)) + bytes([240, 127])


MODEL2 = [
    clock(2024, 3, 15, 10, 30),
    ev(245, 0, 0x00, 0x01),
    ev(251, 2, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x00, 0x41, 0x08, 0x1C, 0x34, 0x00, 0x35),
    ev(0, 40),
    ev(246, 8, 0x0B, 0x07, 0x00, 0x40, 0x01, 0x0F),
    ev(247, 3, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x20),
    ev(247, 3, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x20),
    ev(36, 100),
    ev(39, 3),
    ev(208, 4),
    ev(251, 20, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x02, 0x00, 0x08, 0x1C, 0x34, 0x00, 0x35),
    clock(2024, 3, 15, 11, 0),
    ev(251, 0, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x00, 0x00, 0x08, 0x18, 0x14, 0x01, 0x01),
    ev(4, 1),
    ev(5, 3),
    ev(252, 2, 0x9E),
    ev(253, 10, 1, 0, 15, 11, 15, 3, 24),
    ev(254, 6, 0x05),
]

MODEL1 = [
    clock(2023, 11, 30, 23, 59),
    ev(245, 0, 0x00, 0x33),
    ev(251, 1, 0x0F, 0x03, 0x0F, 0x00, 0x28, 0x0F, 0x7F, 0x85, 0x0C, 0x40, 0x06, 0x0F, 0xF5),
    ev(36, 8),
    ev(38, 8),
    ev(246, 400, 0x03, 0x0F, 0x00, 0x40, 0xC3, 0x0F),
    ev(30, 2),
    ev(247, 2, 0x00, 0x00, 0x00, 0x00, 0x02, 0x04, 0x06),
    ev(251, 4, 0x03, 0x03, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01, 0x04, 0x00, 0x08, 0x00, 0x01),
    clock(2023, 12, 1, 0, 5),
    ev(251, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
    ev(0, 7),
    ev(1, 65535),
]

if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "listing_model2.buf"), "wb") as f:
        f.write(register(MODEL2))
    with open(os.path.join(here, "listing_model1.buf"), "wb") as f:
        f.write(register(MODEL1))
