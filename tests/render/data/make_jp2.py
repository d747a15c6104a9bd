#!/usr/bin/python3
# Makes the JPEG 2000 test files with opj_compress (libopenjp2-tools) from raw samples whose values the
# tests compute themselves. Run from this folder; the outputs are kept in the repository.
import struct
import subprocess

W, H = 16, 8


def rgb(c, r):
    return (c * 16, r * 32, (c + r) * 8 & 255)


def grey12(c, r):
    return (c * 256 + r * 37) & 0xFFF


def run(raw, out, form, extra=()):
    subprocess.run(["opj_compress", "-i", raw, "-o", out, "-F", form, "-n", "3", *extra], check=True,
                   stdout=subprocess.DEVNULL)


# Raw files hold the components one after another, rows top first.
with open("rgb8.raw", "wb") as f:
    for comp in range(3):
        f.write(bytes(rgb(c, r)[comp] for r in range(H) for c in range(W)))
with open("grey12.raw", "wb") as f:
    f.write(b"".join(struct.pack(">H", grey12(c, r)) for r in range(H) for c in range(W)))
with open("sub.raw", "wb") as f:
    f.write(bytes(W * H) + bytes((W // 2) * (H // 2)) * 2)

run("rgb8.raw", "rgb8.jp2", f"{W},{H},3,8,u")
run("rgb8.raw", "rgb8.j2k", f"{W},{H},3,8,u")
run("grey12.raw", "grey12.jp2", f"{W},{H},1,12,u")
run("sub.raw", "sub.jp2", f"{W},{H},3,8,u@1x1:2x2:2x2")
for raw in ("rgb8.raw", "grey12.raw", "sub.raw"):
    subprocess.run(["rm", raw], check=True)
