#!/usr/bin/env python3
"""The cross-back-end check for pm-run scenes: each scene is drawn through the Direct3D 8 engine
(`--engine DirectX8 --frames 3 --screenshot`) and compared by the cross-back-end rule with its OpenGL
picture: the reference PNG where the OpenGL screenshots keep one, else the same scene drawn through OpenGL
in this run. The rule itself is pm-cross-image-check's.

    crossbackend_check.py PM_RUN CROSS_IMAGE_CHECK CASE

Direct3D 8 puts pixel centres on whole coordinates, half a pixel right of and below OpenGL's, and scenes
whose texels meet the pixels one to one show it at every texel edge; those scenes run a follow-up script
(quad_half_pixel.bs) that moves their quad back by half a pixel on Direct3D 8."""
import os
import shutil
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
source = os.path.join(here, "..", "..", "..")
render_scripts = os.path.join(source, "tests", "scripts", "render")
extra = os.path.join(render_scripts, "crossbackend")
references = os.path.join(source, "tests", "render", "reference")


def shot_printing(pm_run, engine, cwd, scripts, out, extra_args=()):
    """The screenshot's file and what the run printed."""
    cmd = [pm_run, "--log-level", "2", "--engine", engine, "--frames", "3"] + list(extra_args) + scripts
    r = subprocess.run(cmd + ["--screenshot", out], cwd=cwd, capture_output=True, text=True, timeout=240)
    if not os.path.exists(out):
        raise AssertionError(f"{' '.join(cmd)} exited {r.returncode} and wrote no screenshot\n{r.stderr[-3000:]}")
    return out, r.stdout


def shot(pm_run, engine, cwd, scripts, out, extra_args=()):
    return shot_printing(pm_run, engine, cwd, scripts, out, extra_args)[0]


def check(checker, got, want, base):
    r = subprocess.run([checker, got, want, base], capture_output=True, text=True, timeout=120)
    if r.returncode != 0:
        raise AssertionError(f"{got} against {want}: {r.stdout.strip()}{r.stderr[-2000:] if r.returncode != 1 else ''}")
    print(f"{os.path.basename(want)}: {r.stdout.strip()}")


def scene_folder(tmp):
    # The texture loader writes its caches beside the images: the scenes run from a copy.
    work = os.path.join(tmp, "scenes")
    if not os.path.isdir(work):
        shutil.copytree(os.path.join(source, "tests", "render", "scenes"), work)
        shutil.copy(os.path.join(extra, "quad_half_pixel.bs"), work)
    return work


def against_reference(scene, reference, cwd_of, follow=()):
    def case(pm_run, checker, tmp):
        cwd = cwd_of(tmp)
        got = shot(pm_run, "DirectX8", cwd, [scene] + list(follow), os.path.join(tmp, "d3d8.png"))
        check(checker, got, os.path.join(references, reference), os.path.join(tmp, "cross"))
    return case


def against_opengl(scenes, cwd_of, follow=()):
    def case(pm_run, checker, tmp):
        cwd = cwd_of(tmp)
        want = shot(pm_run, "OpenGL", cwd, list(scenes), os.path.join(tmp, "opengl.png"))
        got = shot(pm_run, "DirectX8", cwd, list(scenes) + list(follow), os.path.join(tmp, "d3d8.png"))
        check(checker, got, want, os.path.join(tmp, "cross"))
    return case


def exact_pixels(image_file, engine, wanted):
    from PIL import Image
    image = Image.open(image_file).convert("RGB")
    for (x, y), colour in wanted.items():
        block = {image.getpixel((x + dx, y + dy)) for dx in range(-2, 3) for dy in range(-2, 3)}
        if block != {colour}:
            raise AssertionError(f"{engine}: the 5 x 5 pixels around ({x}, {y}) are {sorted(block)}, expected {colour}")


def default_material(pm_run, checker, tmp):
    # Lit quads without a material: the default grey 0.8, times the geometry's ColorMul plus its ColorAdd,
    # exactly on both engines (default_material.bs gives the arithmetic), and the pictures alike.
    cwd = render_folder(tmp)
    scenes = ["crossbackend/default_material.bs"]
    wanted = {(25, 16): (204, 245, 163), (48, 16): (102, 122, 163), (71, 16): (122, 143, 102)}
    want = shot(pm_run, "OpenGL", cwd, scenes, os.path.join(tmp, "opengl.png"))
    exact_pixels(want, "OpenGL", wanted)
    got = shot(pm_run, "DirectX8", cwd, scenes + ["crossbackend/default_material_half_pixel.bs"],
               os.path.join(tmp, "d3d8.png"))
    exact_pixels(got, "DirectX8", wanted)
    check(checker, got, want, os.path.join(tmp, "cross"))


def mirror(pm_run, checker, tmp):
    # Quads with culling on under a mirror (mirror.bs) draw as the unmirrored quads turned to match
    # (mirror_turned.bs) on each engine, by the render tests' image compare; the two engines agree by the
    # rule. The quad facing the eye is there (its outside lit: brighter than the ambient light alone gives)
    # and the one facing away is not.
    from PIL import Image
    sys.path.insert(0, os.path.join(source, "tests", "support"))
    from reference_image import MAX_BEYOND, TOLERANCE
    cwd = render_folder(tmp)
    scenes = ["crossbackend/mirror.bs"]
    shots = {}
    for engine in ("OpenGL", "DirectX8"):
        half = ["crossbackend/mirror_half_pixel.bs"] if engine == "DirectX8" else []
        for name, follow in (("mirrored", []), ("turned", ["crossbackend/mirror_turned.bs"])):
            shots[engine, name] = shot(pm_run, engine, cwd, scenes + follow + half,
                                       os.path.join(tmp, f"{engine}-{name}.png"))
        mirrored, turned = (Image.open(shots[engine, n]).convert("RGB") for n in ("mirrored", "turned"))
        width, height = mirrored.size
        background = mirrored.getpixel((0, 0))
        left = [mirrored.getpixel((x, y)) for x in range(width // 2) for y in range(height)]
        right = [mirrored.getpixel((x, y)) for x in range(width // 2, width) for y in range(height)]
        front = [p for p in left if p != background]
        back = [p for p in right if p != background]
        bright = sum(1 for p in front if p[0] > 0.5 * 255)
        if len(front) < 400 or bright < 0.9 * len(front) or back:
            raise AssertionError(f"{engine}: the front quad covers {len(front)} pixels ({bright} lit beyond the "
                                 f"ambient light), the culled one {len(back)}")
        beyond = sum(1 for a, b in zip(mirrored.getdata(), turned.getdata())
                     if max(abs(x - y) for x, y in zip(a, b)) > TOLERANCE)
        if beyond > MAX_BEYOND * width * height:
            raise AssertionError(f"{engine}: {beyond} pixels of the mirrored quads differ from the turned ones")
        print(f"{engine}: the mirrored front quad covers {len(front)} pixels as the turned one does")
    check(checker, shots["DirectX8", "mirrored"], shots["OpenGL", "mirrored"], os.path.join(tmp, "cross"))


def sample_folder(tmp):
    # The every-widget sample from a copy of examples/ui, with its variants beside it.
    work = os.path.join(tmp, "every_widget")
    shutil.copytree(os.path.join(source, "examples", "ui"), work)
    for variant in ("every_widget_no_text.bs", "every_widget_depth.bs"):
        shutil.copy(os.path.join(extra, variant), work)
    return work


# The labels' check: text pixels are those where the OpenGL picture differs from the same scene drawn without
# text (every_widget_no_text.bs), widened by one pixel so a glyph or shadow moved by one pixel counts too; at
# most TEXT_LIMIT of them may differ by more than TEXT_DIFFERENCE in a channel between the two engines.
TEXT_DIFFERENCE = 32
TEXT_LIMIT = 60


def text_pixels_apart(gl_text, gl_plain, d3d8_text):
    from PIL import Image, ImageChops, ImageFilter

    def load(f):
        return Image.open(f).convert("RGB")

    def widest(a, b, limit):
        # 255 where some channel differs by more than limit, else 0.
        r, g, b = ImageChops.difference(a, b).split()
        return ImageChops.lighter(ImageChops.lighter(r, g), b).point(lambda v: 255 if v > limit else 0)

    text, plain, got = load(gl_text), load(gl_plain), load(d3d8_text)
    if got.size != text.size:
        raise AssertionError(f"sizes differ: {got.size} against {text.size}")
    mask = widest(text, plain, 16).filter(ImageFilter.MaxFilter(3))
    apart = ImageChops.multiply(widest(text, got, TEXT_DIFFERENCE), mask)
    return apart.histogram()[255], mask.histogram()[255], apart


def printed_viewport(stdout):
    lines = [line for line in stdout.splitlines() if line.startswith("Viewport ")]
    if len(lines) != 1:
        raise AssertionError(f"every_widget.then printed no one Viewport line:\n{stdout[-2000:]}")
    return lines[0]


def every_widget(follow):
    # The sample with its labels, text and shadows against OpenGL in the same run: by the rule over the whole
    # picture, and pixel by pixel where text lies. The channel widget's Viewport, which a host hands its
    # render channel, is the same on both engines.
    def case(pm_run, checker, tmp):
        cwd = sample_folder(tmp)
        scenes = ["window.bs", "style.bs", "every_widget.bs"] + list(follow)
        then = ["--then", "every_widget.then"]
        want, gl_printed = shot_printing(pm_run, "OpenGL", cwd, scenes + then, os.path.join(tmp, "opengl.png"))
        plain = shot(pm_run, "OpenGL", cwd, scenes + ["every_widget_no_text.bs"], os.path.join(tmp, "no_text.png"))
        got, d3d8_printed = shot_printing(pm_run, "DirectX8", cwd, scenes + then, os.path.join(tmp, "d3d8.png"))
        if printed_viewport(d3d8_printed) != printed_viewport(gl_printed):
            raise AssertionError(f"the channel widget's {printed_viewport(d3d8_printed)} on Direct3D 8, "
                                 f"{printed_viewport(gl_printed)} on OpenGL")
        check(checker, got, want, os.path.join(tmp, "cross"))
        apart, of, image = text_pixels_apart(want, plain, got)
        if of < 2000:
            raise AssertionError(f"only {of} text pixels found: the sample drew no text through OpenGL")
        if apart > TEXT_LIMIT:
            image.save(os.path.join(tmp, "text_apart.png"))
            raise AssertionError(f"{apart} of {of} text pixels differ by more than {TEXT_DIFFERENCE} "
                                 f"(at most {TEXT_LIMIT}); text_apart.png shows them")
        print(f"text: {apart} of {of} pixels differ by more than {TEXT_DIFFERENCE} (at most {TEXT_LIMIT})")
    return case


def guide_folder(tmp):
    work = os.path.join(tmp, "guide")
    if not os.path.isdir(work):
        shutil.copytree(os.path.join(source, "examples", "guide"), work)
    return work


def render_folder(tmp):
    work = os.path.join(tmp, "render")
    if not os.path.isdir(work):
        shutil.copytree(render_scripts, work)
    return work


CASES = {
    "lit_scene": against_reference("lit_scene.bs", "lit_scene.png", render_folder),
    "transparency": against_opengl(["lit_scene.bs", "crossbackend/transparency.bs"], render_folder),
    "checker": against_reference("checker.bs", "checker.png", scene_folder, ["quad_half_pixel.bs"]),
    "checker_sync": against_reference("checker_sync.bs", "checker.png", scene_folder, ["quad_half_pixel.bs"]),
    "ramp565": against_opengl(["ramp565.bs"], scene_folder, ["quad_half_pixel.bs"]),
    "default_color": against_opengl(["odd.bs"], scene_folder),
    "default_material": default_material,
    "mirror": mirror,
    # The lit quad turning about the view's vertical axis: its diagonal shared by two triangles.
    "spin": against_opengl(["spin.bs"], guide_folder),
    # The sample as shipped (an orthographic window), and on the perspective path.
    "every_widget": every_widget([]),
    "every_widget_depth": every_widget(["every_widget_depth.bs"]),
}

if __name__ == "__main__":
    pm_run, checker, name = sys.argv[1:4]
    tmp = tempfile.mkdtemp(prefix=f"pm-crossbackend-{name}-")
    try:
        CASES[name](pm_run, checker, tmp)
    except AssertionError as e:
        print(f"{name}: FAILED: {e}\n  images kept in {tmp}")
        sys.exit(1)
    shutil.rmtree(tmp)
    print(f"{name}: ok")
