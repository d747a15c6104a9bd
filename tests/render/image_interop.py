#!/usr/bin/python3
"""Image files against other tools: PNGs of every colour type and depth written by pypng and lossless
JPEG 2000 files written by Pillow and opj_compress read as Pillow reads them; Pillow reads our PNG,
16-bit PNG and TGA files as our values. Usage: image_interop.py PM_IMAGE"""
import hashlib
import os
import struct
import subprocess
import sys
import tempfile
import unittest

import png
from PIL import Image

PM_IMAGE = sys.argv.pop(1) if len(sys.argv) > 1 else "pm-image"
W, H = 7, 5


def run(*args):
    return subprocess.run([PM_IMAGE, *args], capture_output=True, text=True)


def read_bmg(path):
    """(bytes per pixel, width, height, rows top first) of a BMG file's top level."""
    with open(path, "rb") as f:
        data = f.read()
    _, _, _, bpp, w, h, _ = struct.unpack(">3sBIHHHH", data[:16])
    stride = w * bpp
    rows = [data[16 + y * stride:16 + (y + 1) * stride] for y in range(h)]
    return bpp, w, h, rows[::-1]


def write_bmg(path, bpp, w, h, rows_top_first):
    with open(path, "wb") as f:
        f.write(struct.pack(">3sBIHHHH", b"BMG", 1, 0, bpp, w, h, 1))
        for row in reversed(rows_top_first):
            f.write(bytes(row))


def pil_expected(path, mode=None):
    """Pillow's pixels in our channel layout: palette as RGB(A), tRNS as alpha, 16 bits by the high byte.
    `mode` names the layout where Pillow's differs (it reads 16-bit grey + alpha as RGBA)."""
    im = Image.open(path)
    im.load()
    if mode:
        im = im.convert(mode)
    mode = im.mode
    if mode == "P" or (mode in ("L", "1", "RGB") and "transparency" in im.info):
        trns = "transparency" in im.info
        grey = mode in ("L", "1")
        im = im.convert("RGBA" if trns else "RGB")
        if grey:
            im = im.convert("LA") if trns else im.convert("L")
        mode = im.mode
    if mode == "1":
        im, mode = im.convert("L"), "L"
    if mode in ("I", "I;16", "I;16B"):
        values = list(im.getdata())
        return 1, bytes(v >> 8 for v in values)
    bpp = {"L": 1, "LA": 2, "RGB": 3, "RGBA": 4}[mode]
    return bpp, im.tobytes()


class Base(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def ours(self, path):
        out = self.path("out.bmg")
        r = run("convert", path, out)
        self.assertEqual(r.returncode, 0, r.stderr)
        bpp, w, h, rows = read_bmg(out)
        return bpp, w, h, b"".join(rows)


def grey_rows(depth):
    top = (1 << depth) - 1
    return [[(x * 3 + y * 5) % (top + 1) for x in range(W)] for y in range(H)]


class PypngFiles(Base):
    CASES = {
        # name: (writer arguments, rows)
        "grey1": (dict(greyscale=True, bitdepth=1), grey_rows(1)),
        "grey2_adam7": (dict(greyscale=True, bitdepth=2, interlace=True), grey_rows(2)),
        "grey4_trns": (dict(greyscale=True, bitdepth=4, transparent=3), grey_rows(4)),  # alpha: see below
        "grey8_trns": (dict(greyscale=True, bitdepth=8, transparent=12), grey_rows(8)),
        "grey16": (dict(greyscale=True, bitdepth=16), [[v * 4099 % 65536 for v in r] for r in grey_rows(8)]),
        "greyalpha16": (dict(greyscale=True, alpha=True, bitdepth=16),
                        [[v * 997 % 65536 for v in r for _ in (0, 1)] for r in grey_rows(8)]),
        "palette2": (dict(palette=[(255, 0, 0), (0, 128, 0), (1, 2, 3), (9, 9, 9)], bitdepth=2), grey_rows(2)),
        "palette_trns": (dict(palette=[(255, 0, 0, 0), (0, 128, 0, 77), (1, 2, 3)], bitdepth=4),
                         [[v % 3 for v in r] for r in grey_rows(8)]),
        "rgb8_trns": (dict(greyscale=False, transparent=(12, 12, 12)), [[v for v in r for _ in range(3)] for r in grey_rows(8)]),
        "rgb16_adam7": (dict(greyscale=False, bitdepth=16, interlace=True),
                        [[(v * 251 + c * 4000) % 65536 for v in r for c in range(3)] for r in grey_rows(8)]),
        "rgba16": (dict(greyscale=False, alpha=True, bitdepth=16),
                   [[(v * 313 + c * 9000) % 65536 for v in r for c in range(4)] for r in grey_rows(8)]),
        "rgba8_adam7": (dict(greyscale=False, alpha=True, interlace=True),
                        [[(v * 7 + c * 50) % 256 for v in r for c in range(4)] for r in grey_rows(8)]),
    }

    def test_every_colour_type_and_depth_reads_as_pillow_reads_it(self):
        for name, (args, rows) in self.CASES.items():
            with self.subTest(name):
                path = self.path(name + ".png")
                with open(path, "wb") as f:
                    png.Writer(W, H, **args).write(f, rows)
                want_bpp, want = pil_expected(path, "LA" if name == "greyalpha16" else None)
                if name == "grey4_trns":
                    # Pillow compares the tRNS sample with samples already scaled to 8 bits; the PNG rule
                    # (and libpng) compare the stored samples: alpha from the rows as written.
                    alpha = [0 if v == 3 else 255 for r in rows for v in r]
                    want = bytes(b for i, a in enumerate(alpha) for b in (want[2 * i], a))
                bpp, w, h, got = self.ours(path)
                self.assertEqual((bpp, w, h), (want_bpp, W, H))
                self.assertEqual(got, want)


class Jpeg2000Files(Base):
    def test_lossless_files_of_one_to_four_components(self):
        for mode in ("L", "LA", "RGB", "RGBA"):
            with self.subTest(mode):
                n = len(mode)
                data = bytes((x * 37 + y * 11 + c * 71) % 256 for y in range(H) for x in range(W) for c in range(n))
                path = self.path(mode + ".jp2")
                Image.frombytes(mode, (W, H), data).save(path, irreversible=False)
                want_bpp, want = pil_expected(path)
                self.assertEqual(want, data)  # lossless
                bpp, w, h, got = self.ours(path)
                self.assertEqual((bpp, w, h), (n, W, H))
                self.assertEqual(got, want)

    def opj(self, raw, out, form, values, fmt):
        with open(self.path(raw), "wb") as f:
            f.write(b"".join(struct.pack(fmt, v) for v in values))
        subprocess.run(["opj_compress", "-i", self.path(raw), "-o", self.path(out), "-F", form, "-n", "2"],
                       check=True, stdout=subprocess.DEVNULL)
        return self.path(out)

    def test_sixteen_and_twelve_bit_samples_keep_their_high_bits(self):
        for bits in (16, 12):
            with self.subTest(bits):
                values = [(x * 9001 + y * 3333) % (1 << bits) for y in range(H) for x in range(W)]
                path = self.opj("g.raw", "g%d.jp2" % bits, "%d,%d,1,%d,u" % (W, H, bits), values, ">H")
                bpp, w, h, got = self.ours(path)
                self.assertEqual((bpp, w, h), (1, W, H))
                self.assertEqual(got, bytes(v >> (bits - 8) for v in values))
                if bits == 16:
                    self.assertEqual(got, pil_expected(path)[1])

    def test_subsampled_components_are_refused(self):
        path = self.opj("s.raw", "s.jp2", "8,4,3,8,u@1x1:2x2:2x2", [1] * 32 + [2] * 16, "B")
        r = run("convert", path, self.path("s.bmg"))
        self.assertEqual(r.returncode, 1)
        self.assertIn("jas_image_readcmpt failed in", r.stderr)


class PillowReadsOurFiles(Base):
    def source(self, bpp):
        rows = [[(x * 29 + y * 61 + c * 97) % 256 for x in range(W) for c in range(bpp)] for y in range(H)]
        path = self.path("src%d.bmg" % bpp)
        write_bmg(path, bpp, W, H, rows)
        return path, bytes(v for r in rows for v in r)

    def convert(self, src, name, *extra):
        out = self.path(name)
        r = run("convert", src, out, *extra)
        self.assertEqual(r.returncode, 0, r.stderr)
        return Image.open(out)

    def test_png_and_tga(self):
        modes = {1: "L", 2: "LA", 3: "RGB", 4: "RGBA"}
        for bpp in (1, 2, 3, 4):
            with self.subTest(bpp):
                src, pixels = self.source(bpp)
                im = self.convert(src, "o%d.png" % bpp)
                self.assertEqual((im.mode, im.size), (modes[bpp], (W, H)))
                self.assertEqual(im.tobytes(), pixels)
                if bpp >= 3:
                    im = self.convert(src, "o%d.tga" % bpp)
                    self.assertEqual((im.mode, im.size), (modes[bpp], (W, H)))
                    self.assertEqual(im.tobytes(), pixels)

    def test_sixteen_bit_png_holds_the_two_bytes_first_high(self):
        src, pixels = self.source(2)
        im = self.convert(src, "d.png", "--png16")
        self.assertEqual(im.size, (W, H))
        self.assertIn(im.mode, ("I", "I;16", "I;16B"))
        self.assertEqual(list(im.getdata()), [pixels[i] << 8 | pixels[i + 1] for i in range(0, len(pixels), 2)])

    def test_info_names_size_format_levels_and_digest(self):
        src, pixels = self.source(3)
        r = run("info", src)
        self.assertEqual(r.returncode, 0, r.stderr)
        bottom_first = b"".join(pixels[y * W * 3:(y + 1) * W * 3] for y in reversed(range(H)))
        self.assertEqual(r.stdout, "size %dx%d\nbytes per pixel 3\nmip levels 0\nmd5 %s\n"
                         % (W, H, hashlib.md5(bottom_first).hexdigest()))
        self.assertEqual(run("info").returncode, 2)
        self.assertEqual(run("info", self.path("missing.png")).returncode, 1)


class ConvertKeepsItsTarget(Base):
    def test_a_failed_conversion_leaves_the_target_as_it_was(self):
        keep = self.path("keep.png")
        good, _ = PillowReadsOurFiles.source(self, 3)
        self.assertEqual(run("convert", good, keep).returncode, 0)
        with open(keep, "rb") as f:
            before = f.read()
        bad = self.path("bad.bmg")
        with open(bad, "wb") as f:
            f.write(b"BMG\x01" + b"\0" * 5)
        r = run("convert", bad, keep)
        self.assertEqual(r.returncode, 1)
        self.assertIn('failed to read "%s": the header is cut short.' % bad, r.stderr)
        with open(keep, "rb") as f:
            self.assertEqual(f.read(), before)
        self.assertEqual(sorted(os.listdir(self.dir.name)), ["bad.bmg", "keep.png", "src3.bmg"])

    def test_a_conversion_replaces_the_target_whole_and_keeps_its_mode(self):
        keep = self.path("keep.tga")
        with open(keep, "wb") as f:
            f.write(b"x" * 100000)
        os.chmod(keep, 0o640)
        src, pixels = PillowReadsOurFiles.source(self, 3)
        self.assertEqual(run("convert", src, keep).returncode, 0)
        self.assertEqual(Image.open(keep).tobytes(), pixels)
        self.assertEqual(os.stat(keep).st_mode & 0o777, 0o640)

    def test_empty_images_are_refused_on_read(self):
        for name, bpp, w, h in (("zero.bmg", 3, 0, 0), ("flat.bmg", 3, 4, 0), ("nobits.bmg", 0, 4, 4)):
            with self.subTest(name):
                write_bmg(self.path(name), bpp, w, h, [])
                r = run("info", self.path(name))
                self.assertEqual(r.returncode, 1)
                self.assertIn("failed to read", r.stderr)
                self.assertEqual(run("convert", self.path(name), self.path("out.tga")).returncode, 1)
                self.assertFalse(os.path.exists(self.path("out.tga")))

    def test_an_unknown_output_extension_names_the_known_ones(self):
        src, _ = PillowReadsOurFiles.source(self, 3)
        for out in ("out.jpg", "out", "dir.png/out"):
            with self.subTest(out):
                r = run("convert", src, self.path(out))
                self.assertEqual(r.returncode, 1)
                self.assertIn("the output extensions known are .bmg, .png and .tga", r.stderr)

    def test_a_link_in_place_of_the_target_is_refused(self):
        src, _ = PillowReadsOurFiles.source(self, 3)
        victim = self.path("victim.png")
        with open(victim, "wb") as f:
            f.write(b"victim")
        os.symlink(victim, self.path("link.png"))
        r = run("convert", src, self.path("link.png"))
        self.assertEqual(r.returncode, 1)
        self.assertTrue(os.path.islink(self.path("link.png")))
        with open(victim, "rb") as f:
            self.assertEqual(f.read(), b"victim")


if __name__ == "__main__":
    unittest.main()
