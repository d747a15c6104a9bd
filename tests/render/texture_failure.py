#!/usr/bin/env python3
"""A texture whose PNG cannot be decoded: pm-run --texture exits 1, writes neither the output nor a cache,
and names the file in its Error line, on the first run and on the next. Two files: rows cut short, and a
header claiming 8192 x 8192 pixels followed by 69 bytes. Usage: texture_failure.py PM_RUN"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, rows):
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


pm_run = sys.argv[1]
good = png(16, 16, b"".join(b"\0" + bytes((y * 16, 0, 99)) * 16 for y in range(16)))
claim = png(8192, 8192, b"")[:33]
cases = {"rows cut short": good[:len(good) // 2], "8192 x 8192 claimed": claim + b"\0" * 69}
failures = []
for what, data in cases.items():
    with tempfile.TemporaryDirectory() as tmp:
        os.mkdir(os.path.join(tmp, "Images"))
        with open(os.path.join(tmp, "Images", "img.png"), "wb") as f:
            f.write(data)
        script = os.path.join(tmp, "tex.bs")
        with open(script, "w") as f:
            f.write("FileObject:f.FileName 'img'; Texture2D:t.FileObject FileObject:f;\n")
        out = os.path.join(tmp, "out.png")
        for attempt in ("first", "second"):
            r = subprocess.run([pm_run, script, "--texture", "t", out], capture_output=True, text=True)
            errors = [line for line in r.stderr.splitlines() if line.startswith("Error")]
            named = [line for line in errors if 'Images/img.png".' in line]
            if r.returncode != 1:
                failures.append(f"{what}, {attempt} run: exit {r.returncode}")
            if os.path.exists(out):
                failures.append(f"{what}, {attempt} run: wrote {out}")
            if os.listdir(os.path.join(tmp, "Images")) != ["img.png"]:
                failures.append(f"{what}, {attempt} run: left {os.listdir(os.path.join(tmp, 'Images'))}")
            if len(named) != 1:
                failures.append(f"{what}, {attempt} run: no single Error line naming the file:\n{r.stderr}")
if failures:
    sys.exit("\n".join(failures))
print("2 passed, 0 failed")
