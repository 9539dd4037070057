#!/usr/bin/env python3
# make_hostile_inputs.py DIR: writes DIR/hostile/ from DIR's samples, the same on every run.
# Per extension: zero.EXT (no bytes), cut.EXT (a sample's first half), noise.EXT (4096
# pseudo-random bytes), huge.EXT (a valid header declaring 65535 x 65535 pixels, next to no
# data); and a valid image under another extension: png_as.jpg, jpg_as.png, bmp_as.gif.
import os, random, struct, sys, zlib
data, S, noise = sys.argv[1], 65535, random.Random(20261206)
read = lambda name: open(os.path.join(data, name), "rb").read()
chunk = lambda kind, body: struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
jpg = bytearray(read("photo.jpg"))
at = jpg.find(b"\xff\xc0") if b"\xff\xc0" in jpg else jpg.find(b"\xff\xc2")  # frame header: baseline, progressive
jpg[at + 5:at + 9] = struct.pack(">HH", S, S)
tif = {256: S, 257: S, 258: 8, 259: 1, 262: 1, 273: 122, 277: 1, 278: S, 279: 16}  # one 16-byte strip of grey
huge = {"png": b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", S, S, 8, 2, 0, 0, 0))
        + chunk(b"IDAT", zlib.compress(b"\0" + b"\x80" * 300)) + chunk(b"IEND", b""),
        "bmp": b"BM" + struct.pack("<IHHIIiiHHIIiiII", 118, 0, 0, 54, 40, S, S, 1, 24, 0, 0, 2835, 2835, 0, 0)
        + b"\x7f" * 64, "jpg": bytes(jpg),
        "gif": b"GIF89a" + struct.pack("<HHBBB", S, S, 0x80, 0, 0) + b"\0\0\0\xff\xff\xff,"
        + struct.pack("<HHHHB", 0, 0, S, S, 0) + b"\x02\x02\x44\x01\x00;",
        "tif": b"II*\0\x08\0\0\0\x09\0" + b"".join(struct.pack("<HHII", t, 4 if t in (273, 279) else 3, 1, v)
                                                     for t, v in tif.items()) + b"\0" * 4 + b"\x55" * 16}
os.makedirs(out := os.path.join(data, "hostile"), exist_ok=True)
for e in ("png", "jpg", "gif", "tif", "bmp"):
    body = read("indexed.gif" if e == "gif" else "photo." + e)
    for stem, content in {"zero": b"", "cut": body[:len(body) // 2],
                          "noise": bytes(noise.getrandbits(8) for _ in range(4096)), "huge": huge[e]}.items():
        open(os.path.join(out, stem + "." + e), "wb").write(content)
for name, sample in {"png_as.jpg": "photo.png", "jpg_as.png": "photo.jpg", "bmp_as.gif": "photo.bmp"}.items():
    open(os.path.join(out, name), "wb").write(read(sample))
