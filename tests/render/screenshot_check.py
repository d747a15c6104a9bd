#!/usr/bin/env python3
"""Screenshot checks of drawn scenes: runs pm-run on a scene script under the display given by $DISPLAY,
compares the PNG it writes with a reference image (each channel within 3, at most 0.2 % of the pixels
beyond; a diff image beside the output on failure) and checks exact pixels and the printed statistics.

    screenshot_check.py PM_RUN CASE [CASE...]

Cases are the entries of CASES below, by name. A reference is (re)written with PM_WRITE_REFERENCES=1."""
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops

here = os.path.dirname(os.path.abspath(__file__))
scripts = os.path.join(here, "..", "scripts", "render")
references = os.path.join(here, "reference")

TOLERANCE = 3
MAX_BEYOND = 0.002


def run(pm_run, args, cwd, out):
    cmd = [pm_run, "--log-level", "2"] + args + (["--screenshot", out] if out else [])
    r = subprocess.run(cmd, cwd=cwd, capture_output=True, text=True, timeout=240)
    if r.returncode != 0:
        raise AssertionError(f"{' '.join(cmd)} exited {r.returncode}\n{r.stderr[-3000:]}")
    return r.stdout, r.stderr


def stat(stdout, name):
    for line in stdout.splitlines():
        if line.startswith(name + " "):
            return line[len(name) + 1:]
    raise AssertionError(f"no '{name}' in the statistics:\n{stdout}")


def compare(out, reference):
    if os.environ.get("PM_WRITE_REFERENCES") == "1":
        Image.open(out).convert("RGB").save(reference)
        return
    got = Image.open(out).convert("RGB")
    want = Image.open(reference).convert("RGB")
    if got.size != want.size:
        raise AssertionError(f"{out}: size {got.size}, reference {want.size}")
    diff = ImageChops.difference(got, want)
    beyond = sum(1 for p in diff.getdata() if max(p) > TOLERANCE)
    if beyond > MAX_BEYOND * got.size[0] * got.size[1]:
        diff_file = out[:-4] + ".diff.png"
        diff.point(lambda v: 255 if v > TOLERANCE else 0).save(diff_file)
        raise AssertionError(f"{out}: {beyond} pixels differ from {reference} by more than {TOLERANCE} "
                             f"(diff image {diff_file})")


def near(got, want, tolerance, what):
    if any(abs(g - w) > tolerance for g, w in zip(got, want)):
        raise AssertionError(f"{what}: {got}, expected {want} within {tolerance}")


def pixel(image, x, y_from_top):
    return image.convert("RGB").getpixel((x, y_from_top))


def lit_scene(pm_run, tmp):
    out = os.path.join(tmp, "lit_scene.png")
    stdout, stderr = run(pm_run, ["--frames", "3", "--stats", "lit_scene.bs"], scripts, out)
    if stat(stdout, "primitives") != "22" or stat(stdout, "textures") != "0":
        raise AssertionError(f"statistics:\n{stdout}")
    if "OpenGL: MaxTextureUnits=8 Configured=2." not in stderr:
        raise AssertionError("no MaxTextureUnits line in the log")
    image = Image.open(out)
    near(pixel(image, 4, 4), (64, 64, 64), 0, "clear colour")
    # The unlit quad nearer than the fog start shows its ColorMul exactly: (0.2, 0.8, 0.4) x 255.
    near(pixel(image, 175, 177), (51, 204, 102), 0, "unlit ColorMul")
    compare(out, os.path.join(references, "lit_scene.png"))
    # The same scene with the cube moved behind the camera: its 12 triangles leave the count.
    stdout, _ = run(pm_run, ["--frames", "1", "--stats", "lit_scene.bs", "cube_behind.bs"], scripts, None)
    if stat(stdout, "primitives") != "10":
        raise AssertionError(f"culled cube still counted:\n{stdout}")


def fog_depth(pm_run, tmp):
    # A white unlit quad 16 units away in linear fog from 7 to 25 towards black: f = (25 - 16) / 18.
    out = os.path.join(tmp, "fog_depth.png")
    run(pm_run, ["--frames", "1", "fog_depth.bs"], scripts, out)
    f = (25.0 - 16.0) / (25.0 - 7.0)
    near(pixel(Image.open(out), 32, 32), (255 * f,) * 3, 2, "fogged colour")


CASES = {"lit_scene": lit_scene, "fog_depth": fog_depth}

if __name__ == "__main__":
    pm_run = sys.argv[1]
    failed = 0
    with tempfile.TemporaryDirectory() as tmp:
        for name in sys.argv[2:]:
            try:
                CASES[name](pm_run, tmp)
                print(f"{name}: ok")
            except AssertionError as e:
                failed += 1
                print(f"{name}: FAILED: {e}")
                keep = os.path.join(os.environ.get("PM_SCREENSHOT_KEEP", tempfile.gettempdir()), "pm-screenshots")
                os.makedirs(keep, exist_ok=True)
                for f in os.listdir(tmp):
                    os.replace(os.path.join(tmp, f), os.path.join(keep, f))
                print(f"  images kept in {keep}")
    sys.exit(1 if failed else 0)
