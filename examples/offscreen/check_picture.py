"""The offscreen example's picture: an uncompressed TGA whose centre is the quad's orange and whose corner
is the clear colour (the channel's quarter grey).
  check_picture.py PICTURE.tga"""
import struct
import sys

data = open(sys.argv[1], "rb").read()
kind, width, height, bits = data[2], *struct.unpack("<HH", data[12:16]), data[16]
assert kind == 2 and bits in (24, 32), f"not an uncompressed true-colour TGA (type {kind}, {bits} bits)"
step = bits // 8


def pixel(x, y):
    at = 18 + data[0] + (y * width + x) * step
    b, g, r = data[at:at + 3]
    return r, g, b


centre, corner = pixel(width // 2, height // 2), pixel(0, 0)
assert all(abs(c - 64) <= 1 for c in corner), f"corner {corner}, not the clear colour"
r, g, b = centre
assert r > 150 and r > g > b, f"centre {centre}, not the lit orange quad"
print(f"{sys.argv[1]}: {width} x {height}, centre {centre}, corner {corner}")
