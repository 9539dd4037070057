#!/usr/bin/env python3
"""make_hostile_inputs.py DATA_DIR

Writes DATA_DIR/hostile/ from the samples in DATA_DIR: files that look like images and
are not, or not quite. Deterministic, so a failing case can be reproduced.

  zero.EXT      zero bytes
  cut.EXT       the first half of a valid sample
  noise.EXT     4096 pseudo-random bytes
  huge.EXT      a valid header declaring 65535 x 65535 pixels and next to no data
  photo-png.jpg / photo-jpg.png / photo-bmp.gif   a valid image under another extension
"""
import os
import random
import shutil
import struct
import sys
import zlib

EXTENSIONS = ["png", "jpg", "gif", "tif", "bmp"]
SAMPLE = {"png": "photo.png", "jpg": "photo.jpg", "gif": "indexed.gif", "tif": "photo.tif", "bmp": "photo.bmp"}
SIDE = 65535


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def huge_png():
    header = struct.pack(">IIBBBBB", SIDE, SIDE, 8, 2, 0, 0, 0)
    rows = zlib.compress(b"\x00" + b"\x80" * 300)  # a few bytes of the first row
    return b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", rows) + png_chunk(b"IEND", b"")


def huge_bmp():
    info = struct.pack("<IiiHHIIiiII", 40, SIDE, SIDE, 1, 24, 0, 0, 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + 64, 0, 0, 14 + 40) + info + b"\x7f" * 64


def huge_gif():
    screen = b"GIF89a" + struct.pack("<HHBBB", SIDE, SIDE, 0x80, 0, 0) + b"\x00\x00\x00\xff\xff\xff"
    image = b"\x2c" + struct.pack("<HHHHB", 0, 0, SIDE, SIDE, 0) + b"\x02\x02\x44\x01\x00"
    return screen + image + b"\x3b"


def huge_jpg(sample):
    data = bytearray(sample)
    for marker in (b"\xff\xc0", b"\xff\xc2"):  # baseline or progressive frame header
        at = data.find(marker)
        if at >= 0:
            data[at + 5:at + 9] = struct.pack(">HH", SIDE, SIDE)
            return bytes(data)
    raise SystemExit("no frame header in the JPEG sample")


def huge_tif():
    # Little-endian, one strip of 16 bytes for a 65535 x 65535 grey image.
    entries = [(256, 3, 1, SIDE), (257, 3, 1, SIDE), (258, 3, 1, 8), (259, 3, 1, 1), (262, 3, 1, 1),
               (273, 4, 1, 8 + 2 + 12 * 9 + 4), (277, 3, 1, 1), (278, 3, 1, SIDE), (279, 4, 1, 16)]
    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        packed = struct.pack("<HI", value, 0)[:4] if kind == 3 else struct.pack("<I", value)
        ifd += struct.pack("<HHI", tag, kind, count) + packed
    return b"II*\x00" + struct.pack("<I", 8) + ifd + struct.pack("<I", 0) + b"\x55" * 16


def main():
    data_dir = sys.argv[1]
    out = os.path.join(data_dir, "hostile")
    os.makedirs(out, exist_ok=True)
    noise = random.Random(20261206)
    for ext in EXTENSIONS:
        with open(os.path.join(data_dir, SAMPLE[ext]), "rb") as f:
            sample = f.read()
        files = {
            "zero": b"",
            "cut": sample[: len(sample) // 2],
            "noise": bytes(noise.getrandbits(8) for _ in range(4096)),
        }
        for stem, body in files.items():
            with open(os.path.join(out, f"{stem}.{ext}"), "wb") as f:
                f.write(body)
    jpeg = open(os.path.join(data_dir, "photo.jpg"), "rb").read()
    for ext, body in {"png": huge_png(), "bmp": huge_bmp(), "gif": huge_gif(), "jpg": huge_jpg(jpeg),
                      "tif": huge_tif()}.items():
        with open(os.path.join(out, f"huge.{ext}"), "wb") as f:
            f.write(body)
    for source, target in {"photo.png": "photo-png.jpg", "photo.jpg": "photo-jpg.png",
                           "photo.bmp": "photo-bmp.gif"}.items():
        shutil.copyfile(os.path.join(data_dir, source), os.path.join(out, target))


if __name__ == "__main__":
    main()
