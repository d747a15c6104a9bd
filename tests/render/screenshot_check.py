#!/usr/bin/env python3
"""Screenshot checks of drawn scenes: runs pm-run on a scene script under the display given by $DISPLAY,
compares the PNG it writes with a reference image (each channel within 3, at most 0.2 % of the pixels
beyond; a diff image beside the output on failure) and checks exact pixels and the printed statistics.

    screenshot_check.py PM_RUN CASE [CASE...]

Cases are the entries of CASES below, by name. A reference is (re)written with PM_WRITE_REFERENCES=1."""
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from reference_image import compare  # noqa: E402

here = os.path.dirname(os.path.abspath(__file__))
scripts = os.path.join(here, "..", "scripts", "render")
references = os.path.join(here, "reference")



def run(pm_run, args, cwd, out, expect_failure=False):
    cmd = [pm_run, "--log-level", "2"] + args + (["--screenshot", out] if out else [])
    r = subprocess.run(cmd, cwd=cwd, capture_output=True, text=True, timeout=240)
    if (r.returncode != 0) != expect_failure:
        raise AssertionError(f"{' '.join(cmd)} exited {r.returncode}\n{r.stderr[-3000:]}")
    return r.stdout, r.stderr


def stat(stdout, name):
    for line in stdout.splitlines():
        if line.startswith(name + " "):
            return line[len(name) + 1:]
    raise AssertionError(f"no '{name}' in the statistics:\n{stdout}")


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


def textures(pm_run, tmp):
    # The texture loader writes its caches beside the images: run on a copy of the scenes.
    work = os.path.join(tmp, "scenes")
    shutil.copytree(os.path.join(here, "scenes"), work)
    shots = {}
    for scene in ("checker", "checker_sync"):  # loaded on a thread of its own, and on the drawing thread
        shots[scene] = os.path.join(tmp, scene + ".png")
        run(pm_run, ["--frames", "3", scene + ".bs"], work, shots[scene])
    compare(shots["checker"], os.path.join(references, "checker.png"))
    compare(shots["checker_sync"], os.path.join(references, "checker.png"))
    # A 256 x 256 texture with its mip chain: 16 bits a texel as RGB_565, the driver's size as DXT1.
    for scene, memory in (("ramp565", "174762"), ("rampdxt", "43704")):
        stdout, _ = run(pm_run, ["--frames", "2", "--stats", scene + ".bs"], work, None)
        if stat(stdout, "texture memory") != memory or stat(stdout, "textures") != "1":
            raise AssertionError(f"{scene}: statistics\n{stdout}")
    out = os.path.join(tmp, "odd.png")
    _, stderr = run(pm_run, ["--frames", "2", "odd.bs"], work, out, expect_failure=True)
    if 'file "Images/odd"\n  size 300x200x12 not supported.' not in stderr:
        raise AssertionError("no refusal of the 300 x 200 image:\n" + stderr[-2000:])
    near(pixel(Image.open(out), 32, 32), (229, 51, 229), 0, "DefaultColor fallback")


def scene_copy(tmp, name):
    # The scenes with the example effect shaders beside them (the effect node reads them from its folder).
    work = os.path.join(tmp, name)
    shutil.copytree(os.path.join(here, "scenes"), work)
    shutil.copytree(os.path.join(here, "..", "..", "examples", "Shaders"), os.path.join(work, "Shaders"))
    return work


def programs(pm_run, tmp):
    work = scene_copy(tmp, "programs")
    out = os.path.join(tmp, "program.png")
    _, stderr = run(pm_run, ["--frames", "2", "program.bs"], work, out)
    # The checker's texels times the program's tint (1, 0.5, 0.25).
    near(pixel(Image.open(out), 2, 32), (203, 90, 14), 1, "tinted light texel")
    compare(out, os.path.join(references, "program.png"))
    # The window's system report.
    for line in ("Timer speed: 1000000000 ticks/s", "Display: 1280x1024x24@", "DeviceName: "):
        if "Info  " + line not in stderr:
            raise AssertionError(f"no '{line}' in the log")
    # Programs that do not build: a fragment shader that does not compile, a file that is not there, a
    # file with a zero byte. Each failure is one error naming the program and its files, given once over
    # three frames, and the quad is drawn as if it had no program: the plain checker.
    broken = open(os.path.join(work, "broken.bs"), encoding="utf-8").read()
    with open(os.path.join(work, "Images", "zero.fs"), "wb") as f:
        f.write(b"#version 110\nvoid main() { gl_FragColor = vec4(1.0); }\n\0 after the end")
    cases = {
        "broken": ['Error ShaderProgram "tint" (Images/broken.fs): Fragmentshader failed to compile.\n----\n0:2(',
                   'Error ShaderProgram "tint" (Images/tint.vs, Images/broken.fs): Shader failed to link.\n----\n'],
        "nosuch": ['Error ShaderProgram "tint" (Images/nosuch.fs): the fragment shader file is not found; '
                   'nothing is compiled.\n'],
        "zero": ['Error ShaderProgram "tint" (Images/zero.fs): the fragment shader file holds a zero byte at '
                 'offset 55; nothing is compiled.\n'],
    }
    for name, wanted in cases.items():
        with open(os.path.join(work, name + "_program.bs"), "w", encoding="utf-8") as f:
            f.write(broken.replace("'broken'", f"'{name}'"))
        out = os.path.join(tmp, name + "_program.png")
        _, stderr = run(pm_run, ["--frames", "3", name + "_program.bs"], work, out, expect_failure=True)
        errors = [line for line in stderr.splitlines() if line.startswith("Error")]
        if len(errors) != len(wanted) or any(w not in stderr for w in wanted):
            raise AssertionError(f"{name}: expected the errors {wanted}, got:\n" + stderr[-3000:])
        # The program that did not build is not bound, so no frame adds GL errors; nothing else is read.
        if "GL.GetError" in stderr or "FileNotFound" in stderr:
            raise AssertionError(f"{name}: more than the one report:\n" + stderr[-3000:])
        compare(out, os.path.join(references, "checker.png"))


def effects(pm_run, tmp):
    work = scene_copy(tmp, "effects")
    out = os.path.join(tmp, "colorfilter.png")
    run(pm_run, ["--frames", "2", "colorfilter.bs"], work, out)
    image = Image.open(out).convert("RGB")
    coloured = [p for p in image.getdata() if not p[0] == p[1] == p[2]]
    if coloured:
        raise AssertionError(f"{len(coloured)} pixels keep a colour after the grey filter, e.g. {coloured[0]}")
    compare(out, os.path.join(references, "colorfilter.png"))
    out = os.path.join(tmp, "bloom.png")
    run(pm_run, ["--frames", "2", "bloom.bs"], work, out)
    image = Image.open(out)
    # The quad covers x 97..158 of the black view: the blurred bright parts light its surroundings.
    near(pixel(image, 128, 128), (255, 255, 255), 0, "quad centre")
    if pixel(image, 95, 128)[0] < 15 or pixel(image, 160, 128)[0] < 15:
        raise AssertionError(f"no glow beside the quad: {pixel(image, 95, 128)}, {pixel(image, 160, 128)}")
    near(pixel(image, 10, 10), (0, 0, 0), 0, "far corner")
    compare(out, os.path.join(references, "bloom.png"))


def fire_smoke(pm_run, tmp):
    # Bursts on updates 1, 9, ..., 57 of 1/60 s and nobody dead yet: 8 x 16 fire and 8 x 10 smoke sprites.
    args = ["--seed", "7", "--frames", "60", "--fire", "flame", "--smoke", "plume", "--stats", "fire_smoke.bs"]
    out = os.path.join(tmp, "fire_smoke.png")
    stdout, _ = run(pm_run, args, scripts, out)
    if stat(stdout, "primitives") != "208":
        raise AssertionError(f"statistics:\n{stdout}")
    compare(out, os.path.join(references, "fire_smoke.png"))
    again = os.path.join(tmp, "fire_smoke_again.png")
    run(pm_run, args, scripts, again)
    if open(out, "rb").read() != open(again, "rb").read():
        raise AssertionError("a second run with the same seed drew another picture")
    r = subprocess.run([pm_run, "--frames", "1", "--fire", "nosuch", "fire_smoke.bs"], cwd=scripts,
                       capture_output=True, text=True, timeout=240)
    if r.returncode != 1 or 'Error pm-run: no TSpriteGeometry "nosuch" for --fire.' not in r.stderr:
        raise AssertionError(f"--fire nosuch exited {r.returncode}\n{r.stderr[-3000:]}")


def particles(pm_run, tmp):
    # 100 particles at most, drawn as quads: 200 triangles; the seed fixes the picture.
    shots = []
    for seed in ("7", "7", "8"):
        shots.append(os.path.join(tmp, f"particles_{len(shots)}.png"))
        stdout, _ = run(pm_run, ["--seed", seed, "--frames", "60", "--stats", "particles.bs"], scripts, shots[-1])
        if stat(stdout, "primitives") != "200":
            raise AssertionError(f"statistics:\n{stdout}")
    compare(shots[0], os.path.join(references, "particles.png"))
    data = [open(f, "rb").read() for f in shots]
    if data[0] != data[1]:
        raise AssertionError("a second run with seed 7 drew another picture")
    if data[0] == data[2]:
        raise AssertionError("seed 8 drew the same picture as seed 7")


def sample_style(pm_run, tmp, name, frames):
    # A scene of the sample style, photographed on frame `frames`: the window and the style scripts
    # first, run from a copy with the skin in its Images folder (the loader writes its cache beside the
    # image, and reads images from Images/ beside the script naming them).
    work = os.path.join(tmp, name)
    os.makedirs(os.path.join(work, "Images"))
    ui = os.path.join(here, "..", "ui")
    examples = os.path.join(here, "..", "..", "examples", "ui")
    shutil.copy(os.path.join(examples, "skin.png"), os.path.join(work, "Images"))
    files = [os.path.join(ui, "data", "window.bs"), os.path.join(examples, "style.bs"),
             os.path.join(here, "..", "scripts", "ui", name + ".bs")]
    for f in files:
        shutil.copy(f, work)
    files = [os.path.basename(f) for f in files]
    out = os.path.join(tmp, name + ".png")
    run(pm_run, ["--frames", str(frames)] + files, work, out)
    compare(out, os.path.join(ui, "reference", name + ".png"))


def frames_buttons(pm_run, tmp):
    # Frames and buttons, on the second frame.
    sample_style(pm_run, tmp, "frames_buttons", 2)


def scroll_menus(pm_run, tmp):
    # Scrolling and menus, on the third frame.
    sample_style(pm_run, tmp, "scroll_menus", 3)


class Skip(Exception):
    """A case whose engine cannot draw its scene yet."""


def d3d8_textures(pm_run, tmp):
    # The "RGB_565" quad through the Direct3D 8 engine: pm-run asks for a lockable back buffer, the
    # screenshot is written, and the texture's chain is 16 bits a texel as on OpenGL.
    work = os.path.join(tmp, "d3d8_scenes")
    shutil.copytree(os.path.join(here, "scenes"), work)
    out = os.path.join(tmp, "d3d8_ramp565.png")
    stdout, _ = run(pm_run, ["--engine", "DirectX8", "--frames", "3", "--stats", "ramp565.bs"], work, out)
    if stat(stdout, "primitives") == "0":
        raise Skip("the Direct3D 8 engine draws no polygons yet")
    if Image.open(out).size != (64, 64):
        raise AssertionError(f"screenshot size {Image.open(out).size}")
    if stat(stdout, "texture memory") != "174762" or stat(stdout, "textures") != "1":
        raise AssertionError(f"d3d8 ramp565: statistics\n{stdout}")


def every_widget(pm_run, tmp):
    # The every-widget sample as the guide runs it, from a copy of examples/ui: three frames, then the
    # --then script prints the channel widget's Viewport, which must be the one the script gives the
    # second channel.
    work = os.path.join(tmp, "every_widget")
    shutil.copytree(os.path.join(here, "..", "..", "examples", "ui"), work)
    out = os.path.join(tmp, "every_widget.png")
    stdout, _ = run(pm_run, ["window.bs", "style.bs", "every_widget.bs", "--frames", "3", "--then",
                             "every_widget.then"], work, out)
    printed = stdout.strip().split(" ", 1)[1].strip("()").split(",")
    script = open(os.path.join(work, "every_widget.bs"), encoding="utf-8").read()
    given = script.split("RenderChannel:Channel1", 1)[1].split(".Viewport (", 1)[1].split(")", 1)[0].split(",")
    near([float(v) for v in printed], [float(v) for v in given], 1e-6, "the widget's Viewport against Channel1's")
    compare(out, os.path.join(here, "..", "ui", "reference", "every_widget.png"))
    # The second channel fills the widget's rectangle (pixels 244-307 across, 248-343 from the top of the
    # 480 x 360 window): its clear colour inside the corners, the dialog just beside it, and the cube in
    # the middle.
    image = Image.open(out)
    clear = (31, 36, 56)
    for x, y in ((245, 340), (306, 250)):
        near(pixel(image, x, y), clear, 1, f"the channel's clear colour at ({x}, {y})")
    for x, y in ((241, 300), (310, 300)):
        if max(abs(a - b) for a, b in zip(pixel(image, x, y), clear)) <= 1:
            raise AssertionError(f"the channel's clear colour outside the widget at ({x}, {y})")
    if max(abs(a - b) for a, b in zip(pixel(image, 276, 296), clear)) <= 8:
        raise AssertionError("no cube in the middle of the channel widget")


CASES = {"particles": particles, "lit_scene": lit_scene, "fog_depth": fog_depth, "textures": textures,
         "fire_smoke": fire_smoke, "programs": programs, "effects": effects,
         "frames_buttons": frames_buttons, "scroll_menus": scroll_menus, "d3d8_textures": d3d8_textures,
         "every_widget": every_widget}

if __name__ == "__main__":
    pm_run = sys.argv[1]
    failed = skipped = 0
    with tempfile.TemporaryDirectory() as tmp:
        for name in sys.argv[2:]:
            try:
                CASES[name](pm_run, tmp)
                print(f"{name}: ok")
            except Skip as e:
                skipped += 1
                print(f"{name}: skipped: {e}")
            except AssertionError as e:
                failed += 1
                print(f"{name}: FAILED: {e}")
                keep = os.path.join(os.environ.get("PM_SCREENSHOT_KEEP", tempfile.gettempdir()), "pm-screenshots")
                os.makedirs(keep, exist_ok=True)
                for f in os.listdir(tmp):
                    # A folder kept by an earlier failure is replaced, not merged.
                    if os.path.isdir(os.path.join(keep, f)):
                        shutil.rmtree(os.path.join(keep, f))
                    os.replace(os.path.join(tmp, f), os.path.join(keep, f))
                print(f"  images kept in {keep}")
    sys.exit(1 if failed else 77 if skipped == len(sys.argv) - 2 else 0)
