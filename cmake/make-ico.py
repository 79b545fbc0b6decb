#!/usr/bin/env python3
"""make-ico.py OUT.ico PNG...: a Windows icon file whose images are the PNGs
as they are (Windows Vista and later read PNG entries; 256 is written as 0)."""
import struct
import sys

out, pngs = sys.argv[1], sys.argv[2:]
images = [open(p, "rb").read() for p in pngs]
entries, offset = b"", 6 + 16 * len(images)
for data in images:
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("make-ico: not a PNG")
    width, height = struct.unpack(">II", data[16:24])
    entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open(out, "wb") as f:
    f.write(struct.pack("<HHH", 0, 1, len(images)) + entries + b"".join(images))
