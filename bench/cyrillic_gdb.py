#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a MapSource .gdb (version 2) of Russian waypoint names and a track,
# in Windows-1251, as a Russian Windows wrote them: the file the window's
# code-page screenshots and the --charset auto timings read.
# Usage: cyrillic_gdb.py OUT.gdb [WAYPOINTS]
import struct
import sys

NAMES = ["5 КАЛИНИНА", "Дом у реки", "Гора Эльбрус", "Озеро Байкал", "Красная площадь",
         "Мост через Неву", "Старая мельница", "Родник", "Перевал Дятлова", "Речной вокзал"]


def semicircles(degrees):
    return int(round(degrees * 2**31 / 180))


def zero(text):
    return text.encode("cp1251") + b"\0"


def record(kind, body):
    return struct.pack("<i", len(body)) + kind + body


def waypoint(name, comment, lat, lon, seconds):
    b = zero(name)
    b += struct.pack("<I", 0) + b"\0" + struct.pack("<I", 0) + b"\xff" * 12 + struct.pack("<HI", 0, 0xFFFFFFFF)
    b += struct.pack("<ii", semicircles(lat), semicircles(lon)) + b"\1" + struct.pack("<d", 150.0)
    b += zero(comment) + b"\0" + struct.pack("<iii", 0, 0, 18) + struct.pack("<i", 0) + b"\0"
    b += struct.pack("<Hi", 0, 0) + zero("") + zero("") + struct.pack("<H", 0) + b"\1" + struct.pack("<d", 1.5)
    return record(b"W", b + b"\1" + struct.pack("<I", seconds))


def track(name, points):
    b = zero(name) + b"\0" + struct.pack("<iI", 0, len(points))
    for lat, lon, metres, seconds in points:
        b += struct.pack("<ii", semicircles(lat), semicircles(lon)) + b"\1" + struct.pack("<d", metres)
        b += b"\1" + struct.pack("<I", seconds) + b"\0" + b"\0"
    return record(b"T", b)


def main():
    out, count = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else len(NAMES)
    header = b"MsRcf\0" + struct.pack("<i", 2) + b"D" + struct.pack("<Hi", 108, 27) + b"A" + struct.pack("<H", 0)
    header += b"SQA\0Aug  8 2005\0" + b"10:17:17\0MapSource\0"
    body = b""
    start = 1000000000
    for i in range(count):
        name = NAMES[i % len(NAMES)] + ("" if i < len(NAMES) else " " + str(i))
        body += waypoint(name, "Точка " + name, 55.70 + 0.01 * (i % 10), 37.55 + 0.01 * (i // 10 % 10), start + i)
    body += track("Прогулка по Москве",
                  [(55.70 + 0.001 * k, 37.55 + 0.0015 * k, 150 + k % 7, start + 10 * k) for k in range(80)])
    with open(out, "wb") as f:
        f.write(header + body)


main()
