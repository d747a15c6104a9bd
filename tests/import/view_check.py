#!/usr/bin/env python3
"""Checks of `pm-run --view` on model files: the summary line against Assimp's own figures, and the
drawn model on both engines. OpenGL's frame is compared with the reference PNG of tests/import/reference
(each channel within 3, at most 0.2 % of the pixels beyond), the Direct3D 8 frame with the same reference
by the cross-back-end rule (pm-cross-image-check); some cases check exact pixels on both.

    view_check.py PM_RUN VIEW_PEER CROSS_IMAGE_CHECK CASE

A reference is (re)written from the OpenGL frame with PM_WRITE_REFERENCES=1."""
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFilter

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from reference_image import compare  # noqa: E402

here = os.path.dirname(os.path.abspath(__file__))
references = os.path.join(here, "reference")
data = os.path.join(here, "data")
corpus = "/usr/share/assimp/models"

# The frames are drawn small, straight on where a case needs known pixels.
SMALL = "RenderPipe:Pipe.Resolution (200, 150);"
STRAIGHT = "STransform:SviewOrbit.Rotation (0, 0, 0);"
SUMMARY = re.compile(r"^(.*): (\d+) nodes, (\d+) geometries, (\d+) triangles, (\d+) lines, (\d+) points, "
                     r"(\d+) textures, (\d+) joints, (\d+) clips, (\d+) cameras, (\d+) lights; bounds \((\S+), (\S+), (\S+)\) - \((\S+), (\S+), (\S+)\)$")


# Files whose textures lie in a sibling folder of the corpus (`../X/`, `\..\LWO\...`): viewed as a user
# would view them, with the asset root widened to the corpus.
WIDE_ROOT = set()


def view(pm_run, model, engine, tmp, extra="", out=None, options=(), frames=3):
    cmd = [pm_run, "--log-level", "2", "--engine", engine, "--view", model, "--frames", str(frames), *options]
    if model in WIDE_ROOT:
        cmd += ["--asset-root", corpus]
    if extra:
        cmd += ["-e", extra]
    if out:
        cmd += ["--screenshot", out]
    env = dict(os.environ, PM_LOG_DIR=tmp)
    r = subprocess.run(cmd, cwd=tmp, capture_output=True, text=True, timeout=240, env=env)
    if r.returncode != 0 or (out and not os.path.exists(out)):
        said = [l for l in r.stderr.splitlines() if not l.startswith(("Debug", "Info"))]
        raise AssertionError(f"{' '.join(cmd)} exited {r.returncode}\n" + "\n".join(said[-40:]))
    return r.stdout, r.stderr


def summary(stdout):
    lines = [l for l in stdout.splitlines() if SUMMARY.match(l)]
    if len(lines) != 1:
        raise AssertionError(f"not one summary line:\n{stdout}")
    return SUMMARY.match(lines[0]).groups()


def cross(checker, got, reference, base):
    r = subprocess.run([checker, got, reference, base], capture_output=True, text=True, timeout=120)
    if r.returncode != 0:
        raise AssertionError(f"{got} against {reference}: {r.stdout.strip()}{r.stderr[-2000:]}")


def exact(image_file, engine, wanted, tolerance=2):
    image = Image.open(image_file).convert("RGB")
    for (x, y), colour in wanted.items():
        for dx in range(-2, 3):
            for dy in range(-2, 3):
                got = image.getpixel((x + dx, y + dy))
                if any(abs(g - w) > tolerance for g, w in zip(got, colour)):
                    raise AssertionError(f"{engine}: pixel ({x + dx}, {y + dy}) is {got}, expected {colour}")


def counts(model):
    # The summary's counts and bounds equal those of Assimp itself, triangulated, for the same file.
    def case(pm_run, peer, checker, tmp):
        ours = summary(view(pm_run, model, "OpenGL", tmp)[0])
        r = subprocess.run([peer, model], capture_output=True, text=True, timeout=120)
        theirs = SUMMARY.match(r.stdout.strip())
        if not theirs:
            raise AssertionError(f"the peer printed {r.stdout!r} {r.stderr[-2000:]}")
        theirs = theirs.groups()
        # The counts but that of textures (Assimp counts only embedded ones) exactly; the bounds within a
        # float's rounding of the node transforms, relative to the model's size.
        bounds = [(float(a), float(b)) for a, b in zip(ours[11:], theirs[11:])]
        size = max([abs(b) for _, b in bounds] + [1e-30])
        if ours[:6] != theirs[:6] or ours[7:11] != theirs[7:11] or any(abs(a - b) > 1e-5 * size for a, b in bounds):
            raise AssertionError(f"ours   {ours}\nAssimp {theirs}")
        print(f"{os.path.basename(model)}: {ours[1]} nodes, {ours[2]} geometries, {ours[3]} triangles")
    return case


def sphere_eye(peer, model, farther=1.0):
    # The eye where the sphere round the model's bounds (Assimp's: the view peer's summary line) fills the
    # height with a margin: nearer, as the view's box framing puts it, a textured or shiny model shows
    # the engines' deliberate differences (the Direct3D 8 device's local viewer, texture filtering)
    # beyond the cross-back-end rule.
    r = subprocess.run([peer, model], capture_output=True, text=True, timeout=120)
    bounds = SUMMARY.match(r.stdout.strip())
    if not bounds:
        raise AssertionError(f"the peer printed {r.stdout!r} {r.stderr[-2000:]}")
    lo, hi = [float(v) for v in bounds.groups()[11:14]], [float(v) for v in bounds.groups()[14:17]]
    distance = math.dist(lo, hi) / 2 / math.sin(math.radians(22.5)) * 1.1 * farther
    return f"STransform:SviewEye.Translation (0, 0, {distance!r});"


def picture(model, reference, extra=SMALL, wanted=None, warnings=(), options=(), sphere=False):
    # The model through both engines: OpenGL against the reference, Direct3D 8 by the cross-back-end rule;
    # from the distance of its bounds' sphere (times `sphere`) when `sphere` is set.
    def case(pm_run, peer, checker, tmp):
        ref = os.path.join(references, reference) if reference else None
        script = extra + (sphere_eye(peer, model, sphere) if sphere else "")
        for engine in ("OpenGL", "DirectX8"):
            out = os.path.join(tmp, f"{engine}.png")
            _, stderr = view(pm_run, model, engine, tmp, script, out, options)
            warns = [l for l in stderr.splitlines() if l.startswith("Warn ")]
            if sorted(warns) != sorted(warnings):
                raise AssertionError(f"{engine}: warnings {warns}, expected {list(warnings)}")
            if wanted:
                exact(out, engine, wanted)
            if not ref:
                continue
            if engine == "OpenGL":
                compare(out, ref)
            else:
                cross(checker, out, ref, os.path.join(tmp, "cross"))
    return case


def missing(name):
    # The places looked at: the name as written and with "/" for "\\" (relative to the model's folder),
    # then its base name in the model's folder.
    written = f"D:\\projects\\assimp_int\\test\\models\\OBJ\\{name}"
    folder = f"{corpus}/FBX"
    places = [f"{folder}/{written}", f"{folder}/{written.replace(chr(92), '/')}", f"{folder}/{name}"]
    tried = ", ".join(f'"{p}"' for p in places)
    return (f'Warn  Import("{folder}/spider.fbx"): the texture "{written}" is missing (looked for at {tried}, '
            f'in any letter case); its materials keep their colours.')


def unknown(model, said, what="camera"):
    # A camera (or clip) the file does not have: one Error naming the file's cameras (clips), and exit status 1.
    def case(pm_run, peer, checker, tmp):
        cmd = [pm_run, "--view", model, f"--{what}", "nowhere", "--frames", "1"]
        r = subprocess.run(cmd, cwd=tmp, capture_output=True, text=True, timeout=240,
                           env=dict(os.environ, PM_LOG_DIR=tmp))
        errors = [l for l in r.stderr.splitlines() if l.startswith("Error ")]
        want = f'Error pm-run: --{what}: "{model}" has no {what} "nowhere"; its {what}s: {said}.'
        if r.returncode != 1 or errors != [want]:
            raise AssertionError(f"exit {r.returncode}, errors {errors}, expected [{want!r}]")
    return case


def motion(model):
    # The first clip plays: the frame differs from --clip none (the pose the file's nodes give) where the
    # figure moved, and Direct3D 8 draws each as OpenGL does (the cross-back-end rule).
    def case(pm_run, peer, checker, tmp):
        shots = {}
        for engine in ("OpenGL", "DirectX8"):
            for clip in ("first", "none"):
                out = os.path.join(tmp, f"{engine}-{clip}.png")
                view(pm_run, model, engine, tmp, SMALL, out, ("--clip", "none") if clip == "none" else ())
                shots[engine, clip] = out
        first = Image.open(shots["OpenGL", "first"]).convert("RGB")
        still = Image.open(shots["OpenGL", "none"]).convert("RGB")
        moved = sum(1 for a, b in zip(first.getdata(), still.getdata()) if a != b)
        if moved < 200:
            raise AssertionError(f"the clip moved {moved} pixels")
        for clip in ("first", "none"):
            cross(checker, shots["DirectX8", clip], shots["OpenGL", clip], os.path.join(tmp, f"cross-{clip}"))
        print(f"{os.path.basename(model)}: the clip moved {moved} pixels")
    return case


def foreground(image_file):
    # The pixels other than the view's background (0.2, 0.2, 0.252), as (x, y).
    image = Image.open(image_file).convert("RGB")
    w, h = image.size
    return [(k % w, k // w) for k, p in enumerate(image.getdata())
            if abs(p[0] - 51) > 6 or abs(p[1] - 51) > 6 or abs(p[2] - 64) > 6], w, h


def framed(model, frame_counts, least):
    # The view frames the bounds the playing clip sweeps: at every frame count the figure is seen (at least
    # `least` pixels) and touches no edge of the picture, on both engines.
    def case(pm_run, peer, checker, tmp):
        for engine in ("OpenGL", "DirectX8"):
            for n in frame_counts:
                out = os.path.join(tmp, f"{engine}-{n}.png")
                view(pm_run, model, engine, tmp, SMALL, out, frames=n)
                seen, w, h = foreground(out)
                edge = [p for p in seen if p[0] in (0, w - 1) or p[1] in (0, h - 1)]
                if len(seen) < least or edge:
                    raise AssertionError(f"{engine}, frame {n}: {len(seen)} model pixels, {len(edge)} on the edge")
                print(f"{os.path.basename(model)} {engine} frame {n}: {len(seen)} model pixels, none on the edge")
    return case


def long_load(pm_run, peer, checker, tmp):
    # A load of more than a second (a million-triangle terrain the reader takes seconds over) writes one
    # progress line on a terminal, rewritten in place and cleared at the end; nothing with --quiet or
    # when standard error is not a terminal.
    import pty
    model = os.path.join(tmp, "terrain.obj")
    n = 700
    with open(model, "w") as f:
        f.writelines(f"v {x} {y} {(x * 7 + y * 13) % 17 * 0.1}\n" for y in range(n + 1) for x in range(n + 1))
        f.writelines(f"f {y * (n + 1) + x + 1} {y * (n + 1) + x + 2} {(y + 1) * (n + 1) + x + 2} "
                     f"{(y + 1) * (n + 1) + x + 1}\n" for y in range(n) for x in range(n))
    env = dict(os.environ, PM_LOG_DIR=tmp)

    def run(options, terminal):
        cmd = [pm_run, "--view", model, "--list", *options]
        if not terminal:
            r = subprocess.run(cmd, cwd=tmp, capture_output=True, timeout=240, env=env)
            return r.returncode, r.stderr
        main, side = pty.openpty()
        p = subprocess.Popen(cmd, cwd=tmp, stdout=subprocess.DEVNULL, stderr=side, env=env)
        os.close(side)
        said = b""
        while True:
            try:
                part = os.read(main, 4096)
            except OSError:  # the terminal's other side closed
                break
            if not part:
                break
            said += part
        os.close(main)
        return p.wait(timeout=240), said

    line = f"\r\x1b[KLoading {model}: the reader reads the file (1 s)".encode()
    code, shown = run((), True)
    said = shown
    if code != 0 or line not in said or not said.endswith(b"\r\x1b[K") or b"\n" in said:
        raise AssertionError(f"on a terminal: exit {code}, {said[-600:]!r}")
    for options, terminal in (((), False), (("--quiet",), True)):
        code, said = run(options, terminal)
        if code != 0 or b"Loading" in said:
            raise AssertionError(f"{options} terminal {terminal}: exit {code}, {said[-600:]!r}")
    print(f"a progress line on the terminal: {shown.count(b'Loading')} rewrites; none with --quiet or a pipe")


def script_culling(model):
    # What ImportModel returns to a script draws the sides as the file says; an HMP file cannot say, so
    # its terrain, whose faces face -z, shows from in front and from behind, on both engines.
    def case(pm_run, peer, checker, tmp):
        for engine in ("OpenGL", "DirectX8"):
            seen = {}
            for side, place in (("front", "(80, 80, 300); .Rotation (0, 0, 0)"), ("back", "(80, 80, -300); .Rotation (0, 180, 0)")):
                script = os.path.join(tmp, f"{side}.bs")
                with open(script, "w") as f:
                    f.write("RenderPipe:Pipe . { .Resolution (200, 150); .ColorBits 24; .DepthBits 24; };\n"
                            "TTransform:root . { };\n"
                            f"STransform:eyeS . {{ .Translation {place}; }};\n"
                            "TTransform:eye . { .SNode STransform:eyeS; .Parent TTransform:root; };\n"
                            "SCamera:lens . { .FieldOfView 45.0; };\n"
                            "TCamera:camera . { .SNode SCamera:lens; .Parent TTransform:eye; };\n"
                            "RenderChannel:Channel0 . { .SceneRoot TTransform:root; .Camera TCamera:camera; "
                            ".Clipping (1, 2000); .ColorClearValue (0.2, 0.2, 0.252); };\n"
                            f"var :model ImportModel('{model}');\n:model.Parent TTransform:root;\n")
                out = os.path.join(tmp, f"{engine}-{side}.png")
                r = subprocess.run([pm_run, "--engine", engine, script, "--frames", "3", "--screenshot", out], cwd=tmp,
                                   capture_output=True, text=True, timeout=240, env=dict(os.environ, PM_LOG_DIR=tmp))
                if r.returncode != 0:
                    raise AssertionError(f"{engine} {side}: exit {r.returncode}\n{r.stderr[-2000:]}")
                seen[side] = len(foreground(out)[0])
            if seen["front"] < 5000 or seen["back"] < 5000:
                raise AssertionError(f"{engine}: {seen['front']} pixels from in front, {seen['back']} from behind")
            print(f"{engine}: {seen['front']} pixels from in front, {seen['back']} from behind")
    return case


# A white quad facing +z and a red point light before it: nothing else lights it.
RED_LIT_DAE = """<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><up_axis>Y_UP</up_axis></asset>
  <library_lights><light id="red" name="red"><technique_common><point><color>1 0 0</color></point>
  </technique_common></light></library_lights>
  <library_effects><effect id="white-fx"><profile_COMMON><technique sid="common"><lambert>
    <diffuse><color>1 1 1 1</color></diffuse></lambert></technique></profile_COMMON></effect></library_effects>
  <library_materials><material id="white" name="white"><instance_effect url="#white-fx"/></material>
  </library_materials>
  <library_geometries><geometry id="quad" name="quad"><mesh>
    <source id="p"><float_array id="pa" count="12">-1 -1 0 1 -1 0 1 1 0 -1 1 0</float_array><technique_common>
      <accessor source="#pa" count="4" stride="3"><param name="X" type="float"/><param name="Y" type="float"/>
      <param name="Z" type="float"/></accessor></technique_common></source>
    <source id="n"><float_array id="na" count="3">0 0 1</float_array><technique_common>
      <accessor source="#na" count="1" stride="3"><param name="X" type="float"/><param name="Y" type="float"/>
      <param name="Z" type="float"/></accessor></technique_common></source>
    <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
    <triangles material="white" count="2"><input semantic="VERTEX" source="#v" offset="0"/>
      <input semantic="NORMAL" source="#n" offset="1"/><p>0 0 1 0 2 0 0 0 2 0 3 0</p></triangles>
  </mesh></geometry></library_geometries>
  <library_visual_scenes><visual_scene id="scene">
    <node id="quadNode" name="quadNode"><instance_geometry url="#quad"><bind_material><technique_common>
      <instance_material symbol="white" target="#white"/></technique_common></bind_material></instance_geometry></node>
    <node id="lamp" name="lamp"><translate>0 0 3</translate><instance_light url="#red"/></node>
  </visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>
"""


def file_lights_alone(pm_run, peer, checker, tmp):
    # A file with lights keeps a dim lamp beside them: the white quad under the red light is red, not
    # washed towards white, and the same quad with the light behind it is grey, not black, on both engines.
    lamps = "pl 'lamps ' SLight:viewLampS.Visibility? ' ' SLight:viewSkyS.Visibility?;"
    for name, light, lit in (("red_lit", "0 0 3", True), ("back_lit", "0 0 -3", False)):
        model = os.path.join(tmp, f"{name}.dae")
        with open(model, "w") as f:
            f.write(RED_LIT_DAE.replace("<translate>0 0 3</translate>", f"<translate>{light}</translate>"))
        for engine in ("OpenGL", "DirectX8"):
            out = os.path.join(tmp, f"{name}-{engine}.png")
            stdout, _ = view(pm_run, model, engine, tmp, SMALL + STRAIGHT + lamps, out)
            if "lamps 1 1" not in stdout.splitlines():
                raise AssertionError(f"{engine}: the view's lamps are off: {stdout}")
            image = Image.open(out).convert("RGB")
            for x, y in ((100, 75), (80, 60), (120, 90)):
                r, g, b = image.getpixel((x, y))
                if lit and (r < 200 or g > 130 or b > 130 or r - max(g, b) < 100):
                    raise AssertionError(f"{engine}: the quad at ({x}, {y}) is {(r, g, b)}, not red")
                if not lit and (min(r, g, b) < 60 or max(r, g, b) - min(r, g, b) > 12 or r > 160):
                    raise AssertionError(f"{engine}: the quad the light misses is {(r, g, b)} at ({x}, {y}), "
                                         "not a dim grey")
    print("the red light dominates the white quad with the dim lamp, which keeps the unlit side grey, "
          "on both engines")


# The stick colour of a skeleton without a mesh, as the engines draw it unlit.
STICK = (242, 191, 51)

# Two joints and an end: a hip that moves up 5 units and turns its spine 45 degrees over a second.
SKELETON_BVH = """HIERARCHY
ROOT hip
{
  OFFSET 0 0 0
  CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation
  JOINT spine
  {
    OFFSET 0 10 0
    CHANNELS 3 Zrotation Xrotation Yrotation
    End Site
    {
      OFFSET 0 10 0
    }
  }
}
MOTION
Frames: 3
Frame Time: 0.5
0 0 0 0 0 0 0 0 0
0 2.5 0 0 0 0 22.5 0 0
0 5 0 0 0 0 45 0 0
"""


def stick_pixels(image_file):
    image = Image.open(image_file).convert("RGB")
    return sum(1 for p in image.getdata() if all(abs(a - b) <= 8 for a, b in zip(p, STICK)))


def skeleton_sticks(pm_run, peer, checker, tmp):
    # A file with joints and no mesh of its own (a BVH the test writes) draws its bones as sticks of the
    # stick colour that follow the clip (its first frame and its pose at 0.75 s differ); a skinned
    # mesh's file draws none, nor does a file of cameras alone. Both engines alike (the cross-back-end rule).
    model = os.path.join(tmp, "skeleton.bvh")
    with open(model, "w") as f:
        f.write(SKELETON_BVH)
    shots = {}
    for engine in ("OpenGL", "DirectX8"):
        for frames in (1, 45):
            out = os.path.join(tmp, f"{engine}-{frames}.png")
            view(pm_run, model, engine, tmp, SMALL, out, frames=frames)
            if stick_pixels(out) < 300:
                raise AssertionError(f"{engine}, frame {frames}: {stick_pixels(out)} pixels of the stick colour")
            shots[engine, frames] = out
        first, last = (Image.open(shots[engine, n]).convert("RGB") for n in (1, 45))
        moved = sum(1 for a, b in zip(first.getdata(), last.getdata()) if a != b)
        if moved < 200:
            raise AssertionError(f"{engine}: the sticks moved {moved} pixels")
        skinned = os.path.join(tmp, f"{engine}-skinned.png")
        view(pm_run, os.path.join(corpus, "glTF2", "simple_skin", "simple_skin.gltf"), engine, tmp, SMALL, skinned)
        if stick_pixels(skinned):
            raise AssertionError(f"{engine}: a skinned mesh drawn with {stick_pixels(skinned)} stick pixels")
        # Cameras alone get Assimp's stand-in over their nodes too, but they are a setting, not a skeleton.
        setting = os.path.join(tmp, f"{engine}-cameras.png")
        view(pm_run, os.path.join(corpus, "Collada", "cameras.dae"), engine, tmp, SMALL, setting)
        if stick_pixels(setting):
            raise AssertionError(f"{engine}: a file of cameras drawn with {stick_pixels(setting)} stick pixels")
        print(f"{engine}: {stick_pixels(shots[engine, 1])} stick pixels; the clip moved {moved}")
    for n in (1, 45):
        cross(checker, shots["DirectX8", n], shots["OpenGL", n], os.path.join(tmp, f"cross-{n}"))


def star_bvh(arms, joints):
    # A hub with `arms` arms in the xy plane (each in the middle of its eighth of the turn), each a chain
    # of `joints` joints half a unit apart and an end one unit out of the plane.
    lines = ["HIERARCHY", "ROOT hub", "{", "  OFFSET 0 0 0",
             "  CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation"]
    for k in range(arms):
        a = 2 * math.pi * (k + 0.5) / arms
        for j in range(joints):
            pad = "  " * (j + 1)
            lines += [f"{pad}JOINT arm{k}_{j}", f"{pad}{{",
                      f"{pad}  OFFSET {0.5 * math.cos(a):.4f} {0.5 * math.sin(a):.4f} 0",
                      f"{pad}  CHANNELS 3 Zrotation Xrotation Yrotation"]
        pad = "  " * (joints + 1)
        lines += [f"{pad}End Site", f"{pad}{{", f"{pad}  OFFSET 0 0 1", f"{pad}}}"]
        lines += [f"{'  ' * (j + 1)}}}" for j in reversed(range(joints))]
    lines += ["}", "MOTION", "Frames: 2", "Frame Time: 0.5"] + [" ".join(["0"] * (6 + 3 * arms * joints))] * 2
    return "\n".join(lines) + "\n"


def skeleton_many_joints(pm_run, peer, checker, tmp):
    # 169 joints, more than one geometry of sticks and markers holds: every arm of the star is drawn, in
    # each eighth of the turn round the hub (beyond half the arms' reach, where they part), on both
    # engines. A hub with nine arms is a marker set, not a skeleton: no sticks.
    model = os.path.join(tmp, "star.bvh")
    with open(model, "w") as f:
        f.write(star_bvh(8, 21))
    for engine in ("OpenGL", "DirectX8"):
        out = os.path.join(tmp, f"{engine}.png")
        view(pm_run, model, engine, tmp, SMALL + STRAIGHT, out)
        drawn = [(x - WIDTH / 2, y - HEIGHT / 2) for x, y in foreground(out)[0]]
        reach = max((math.hypot(x, y) for x, y in drawn), default=0)
        eighths = [0] * 8
        for x, y in drawn:
            if math.hypot(x, y) > reach / 2:
                eighths[int((math.atan2(-y, x) % (2 * math.pi)) / (2 * math.pi) * 8) % 8] += 1
        if reach < 30 or min(eighths) < max(eighths) / 3 or not stick_pixels(out):
            raise AssertionError(f"{engine}: the arms reach {reach:.0f} pixels, drawn pixels by eighth {eighths}, "
                                 f"{stick_pixels(out)} of the sticks' colour")
        print(f"{engine}: drawn pixels by eighth {eighths}")
        cloud = os.path.join(tmp, f"{engine}-cloud.png")
        with open(model, "w") as f:
            f.write(star_bvh(9, 1))
        view(pm_run, model, engine, tmp, SMALL + STRAIGHT, cloud)
        with open(model, "w") as f:
            f.write(star_bvh(8, 21))
        if stick_pixels(cloud):
            raise AssertionError(f"{engine}: a hub of nine drawn with {stick_pixels(cloud)} stick pixels")


def walk_seen(model, frames, share):
    # The walk at 640 x 480, framed over the box its clip sweeps: at each frame count the figure covers at
    # least `share` of the picture, and the frames differ where it walked, on both engines.
    def case(pm_run, peer, checker, tmp):
        for engine in ("OpenGL", "DirectX8"):
            shots = []
            for n in frames:
                out = os.path.join(tmp, f"{engine}-{n}.png")
                view(pm_run, model, engine, tmp, "", out, frames=n)
                got = foreground_share(out)
                if got < share:
                    raise AssertionError(f"{engine}, frame {n}: {got:.2%} of the picture drawn")
                print(f"{os.path.basename(model)} {engine} frame {n}: {got:.2%} of the picture drawn")
                shots.append(Image.open(out).convert("RGB"))
            moved = sum(1 for a, b in zip(shots[0].getdata(), shots[-1].getdata()) if a != b)
            if moved < 1000:
                raise AssertionError(f"{engine}: the walk moved {moved} pixels")
            print(f"{engine}: the walk moved {moved} pixels")
    return case


# The joint markers' colour, drawn unlit under the sticks.
MARKER = (204, 204, 204)


def skeleton_alike(model):
    # The walk's skeleton on both engines: the sticks drawn over the markers (most of the figure is of the
    # sticks' colour, the markers show round them), in one order on both, so their pictures agree by the
    # cross-back-end rule and their counts of each colour within 5 %.
    def case(pm_run, peer, checker, tmp):
        colours = {}
        for engine in ("OpenGL", "DirectX8"):
            out = os.path.join(tmp, f"{engine}.png")
            view(pm_run, model, engine, tmp, "", out)
            image = Image.open(out).convert("RGB")
            figure = len(foreground(out)[0])
            sticks = stick_pixels(out)
            markers = sum(1 for p in image.getdata() if all(abs(a - b) <= 8 for a, b in zip(p, MARKER)))
            print(f"{engine}: {figure} pixels drawn, {sticks} of the sticks, {markers} of the markers")
            if sticks < figure / 2 or markers < figure / 10:
                raise AssertionError(f"{engine}: of {figure} pixels drawn {sticks} are the sticks', {markers} "
                                     "the markers'")
            colours[engine] = (sticks, markers)
        for k in (0, 1):
            a, b = colours["OpenGL"][k], colours["DirectX8"][k]
            if abs(a - b) > 0.05 * max(a, b):
                raise AssertionError(f"the engines' {('sticks', 'markers')[k]}: {a} against {b} pixels")
        cross(checker, os.path.join(tmp, "DirectX8.png"), os.path.join(tmp, "OpenGL.png"), os.path.join(tmp, "x"))
    return case


BAR_OBJ = "v -10 -0.5 -0.5\nv 10 -0.5 -0.5\nv 10 0.5 -0.5\nv -10 0.5 -0.5\n" \
          "v -10 -0.5 0.5\nv 10 -0.5 0.5\nv 10 0.5 0.5\nv -10 0.5 0.5\n" \
          "f 1 2 3 4\nf 5 8 7 6\nf 1 5 6 2\nf 2 6 7 3\nf 3 7 8 4\nf 4 8 5 1\n"


def framed_bar(pm_run, peer, checker, tmp):
    # A bar twenty times as long as it is thick is framed by its box: from the view's first side it spans
    # more than 70 % of the picture's width (its bounding sphere left it 54 %) and touches no edge.
    model = os.path.join(tmp, "bar.obj")
    with open(model, "w") as f:
        f.write(BAR_OBJ)
    for engine in ("OpenGL", "DirectX8"):
        out = os.path.join(tmp, f"{engine}.png")
        view(pm_run, model, engine, tmp, SMALL, out)
        seen, w, h = foreground(out)
        xs = [x for x, _ in seen]
        edge = [p for p in seen if p[0] in (0, w - 1) or p[1] in (0, h - 1)]
        span = (max(xs) - min(xs) + 1) / w if xs else 0
        if span < 0.7 or edge:
            raise AssertionError(f"{engine}: the bar spans {span:.0%} of the width, {len(edge)} pixels on the edge")
        print(f"{engine}: the bar spans {span:.0%} of the width, none on the edge")


def shiny_alike(pm_run, peer, checker, tmp):
    # A shiny ball: its highlight where the OpenGL engine puts it (a viewer far along the view axis), the same
    # on Direct3D 8, whose device would light it from the eye (12,678 pixels apart).
    rings, segs = 12, 24
    lines = ["mtllib shiny.mtl", "usemtl shiny"]
    for i in range(rings + 1):
        t = math.pi * i / rings
        lines += [f"v {math.sin(t) * math.cos(2 * math.pi * j / segs):.5f} {math.cos(t):.5f} "
                  f"{math.sin(t) * math.sin(2 * math.pi * j / segs):.5f}" for j in range(segs)]
    for i in range(rings):
        for j in range(segs):
            a, b = i * segs + j + 1, i * segs + (j + 1) % segs + 1
            lines.append(f"f {a} {b} {b + segs} {a + segs}")
    with open(os.path.join(tmp, "shiny.mtl"), "w") as f:
        f.write("newmtl shiny\nKd 0.3 0.3 0.4\nKs 1 1 1\nNs 20\n")
    model = os.path.join(tmp, "shiny.obj")
    with open(model, "w") as f:
        f.write("\n".join(lines) + "\n")
    for engine in ("OpenGL", "DirectX8"):
        view(pm_run, model, engine, tmp, "", os.path.join(tmp, f"{engine}.png"))
    cross(checker, os.path.join(tmp, "DirectX8.png"), os.path.join(tmp, "OpenGL.png"), os.path.join(tmp, "x"))


def fails(model):
    # A file that does not load ends the run at once: exit 1, one Error naming it, and no window opened
    # (the run has no display to open one on, and would say so), whatever --window asks.
    def case(pm_run, peer, checker, tmp):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        env["PM_LOG_DIR"] = tmp
        r = subprocess.run([pm_run, "--view", model, "--window", "-e", "pl 'ran';"], cwd=tmp, capture_output=True,
                           text=True, timeout=60, env=env)
        errors = [l for l in r.stderr.splitlines() if l.startswith("Error ")]
        if r.returncode != 1 or len(errors) != 1 or model not in errors[0] or "ran" in r.stdout:
            raise AssertionError(f"exit {r.returncode}\n{r.stdout}{r.stderr[-2000:]}")
    return case


NOT_FOUND = " not found"


def texture(line):
    # The last word of a material line, after its " not found" if any: the texture's path.
    return line.removesuffix(NOT_FOUND).rsplit(" ", 1)[1]


def clip_named(model, name):
    # --clip takes the name the file gives a clip, which its engine object may not have (a node took it):
    # the clip plays, with no error, and the statistics line names it so.
    def case(pm_run, peer, checker, tmp):
        r = subprocess.run([pm_run, "--view", model, "--clip", name, "--frames", "1"], cwd=tmp,
                           capture_output=True, text=True, timeout=240, env=dict(os.environ, PM_LOG_DIR=tmp))
        errors = [l for l in r.stderr.splitlines() if l.startswith("Error")]
        if r.returncode != 0 or errors:
            raise AssertionError(f"--clip {name}: exit {r.returncode}\n" + "\n".join(errors))
    return case


def listed(model, expected):
    # --list's lines after the summary, exactly.
    def case(pm_run, peer, checker, tmp):
        r = subprocess.run([pm_run, "--view", model, "--list"], cwd=tmp, capture_output=True, text=True,
                           timeout=240, env=dict(os.environ, PM_LOG_DIR=tmp))
        if r.returncode != 0 or r.stdout.splitlines()[1:] != expected:
            raise AssertionError(f"exit {r.returncode}\n{r.stdout}{r.stderr[-2000:]}")
    return case


def listing(model, expected):
    # --list prints the summary line and then exactly `expected`, without drawing (no display needed);
    # its figures are Assimp's: the clips' lengths in order, the cameras' and lights' names, and the
    # textures of the materials drawn (the peer's --list: every material, by Assimp's names).
    def case(pm_run, peer, checker, tmp):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        env["PM_LOG_DIR"] = tmp
        r = subprocess.run([pm_run, "--view", model, "--list"], cwd=tmp, capture_output=True, text=True,
                           timeout=240, env=env)
        lines = r.stdout.splitlines()
        if r.returncode != 0 or len(lines) < 1 or not SUMMARY.match(lines[0]) or lines[1:] != expected:
            raise AssertionError(f"exit {r.returncode}\n{r.stdout}{r.stderr[-2000:]}")
        # The same summary line as the view prints (drawn off-screen: no display here either).
        v = subprocess.run([pm_run, "--view", model, "--frames", "1"], cwd=tmp, capture_output=True, text=True,
                           timeout=240, env=env)
        if v.stdout.splitlines()[:1] != lines[:1]:
            raise AssertionError(f"--list says {lines[0]}\n--view says {v.stdout}{v.stderr[-2000:]}")
        p = subprocess.run([peer, "--list", model], capture_output=True, text=True, timeout=120)
        theirs = p.stdout.splitlines()
        clips = [float(l.rsplit(" ", 1)[1]) for l in theirs if l.startswith("clip ")]
        ours = [float(l.rsplit(" ", 2)[1]) for l in expected if l.startswith("clip ")]
        named = lambda kind, ls: [l.split(" ", 1)[1].strip('"') for l in ls if l.startswith(kind + " ")]
        textures = {texture(l) for l in theirs if l.startswith("material ")}
        used = {texture(l).strip('"') for l in expected if l.startswith("material ") and "texture" in l}
        # Textures not found: Assimp's paths that are not files where the importer looks, against ours.
        lost = lambda ls: {texture(l).strip('"') for l in ls if l.startswith("material ") and l.endswith(NOT_FOUND)}
        if (ours != clips or named("camera", expected) != named("camera", theirs)
                or named("light", expected) != named("light", theirs) or not used <= textures
                or lost(expected) != lost(theirs)):
            raise AssertionError(f"ours {expected}\nAssimp {theirs}")
        print(f"{os.path.basename(model)}: {len(expected)} lines as Assimp has them")
    return case


# Two poses of a clip, each drawn by `--frames N` (the schedulers stand at N/60 s in the last frame).
FRAME = 1 / 60
WIDTH, HEIGHT = 200, 150
DILATION = 2  # pixels around the moved triangles' outlines: edge smoothing and rasterisation


def straight_camera(peer, model):
    # The view's framing of the model's bounds (Assimp's: the view peer's summary line), looked at straight
    # on: the eye on the bounds' centre plus z, far enough that their sphere fills the height with a margin.
    r = subprocess.run([peer, model], capture_output=True, text=True, timeout=120)
    bounds = SUMMARY.match(r.stdout.strip())
    if not bounds:
        raise AssertionError(f"the peer printed {r.stdout!r} {r.stderr[-2000:]}")
    lo, hi = [float(v) for v in bounds.groups()[11:14]], [float(v) for v in bounds.groups()[14:17]]
    centre = [(a + b) / 2 for a, b in zip(lo, hi)]
    radius = math.dist(lo, hi) / 2
    distance = radius / math.sin(math.radians(22.5)) * 1.1
    script = (f"RenderPipe:Pipe.Resolution ({WIDTH}, {HEIGHT}); STransform:SviewOrbit . {{ .Translation "
              f"({centre[0]!r}, {centre[1]!r}, {centre[2]!r}); .Rotation (0, 0, 0); }}; "
              f"STransform:SviewEye.Translation (0, 0, {distance!r});")
    return centre, distance, script


def project(point, centre, distance):
    # The view's camera: looking along -z from the centre plus (0, 0, distance), 45 degrees high.
    depth = distance - (point[2] - centre[2])
    scale = 1 / (math.tan(math.radians(22.5)) * depth)
    x = (point[0] - centre[0]) * scale / (WIDTH / HEIGHT)
    y = (point[1] - centre[1]) * scale
    return ((x + 1) / 2 * WIDTH, (1 - y) / 2 * HEIGHT)


def peer_time(pose):
    clip, frames = pose
    return "none" if clip == "none" else repr(frames * FRAME)


def moved_mask(peer, model, animation, poses, centre, distance):
    # Where the bones moved, from Assimp alone: the moved triangles in both poses, projected, filled and
    # widened by DILATION pixels; the number of triangles left in place.
    r = subprocess.run([peer, "--moved", str(animation), *map(peer_time, poses), model],
                       capture_output=True, text=True, timeout=120)
    mask = Image.new("L", (WIDTH, HEIGHT), 0)
    draw = ImageDraw.Draw(mask)
    still = -1
    for line in r.stdout.splitlines():
        words = line.split() or [""]
        if words[0] == "triangle":
            v = [float(w) for w in words[1:]]
            for corners in (v[:9], v[9:]):
                draw.polygon([project(corners[k:k + 3], centre, distance) for k in (0, 3, 6)], fill=255, outline=255)
        elif words[0] == "still":
            still = int(words[1])
    if r.returncode != 0 or still < 0:
        raise AssertionError(f"the peer printed {r.stdout[-2000:]!r} {r.stderr[-2000:]}")
    return mask.filter(ImageFilter.MaxFilter(2 * DILATION + 1)), still


def two_poses(model, animation, poses):
    # A skinned model in two poses, each a clip's name (its index in the file `animation`) and the frames
    # that take it to its time, or "none" for the pose the file's nodes give, through both engines: the
    # pictures differ inside the screen region where Assimp's bones moved the mesh (its moved triangles,
    # projected with the view's camera) and are equal outside it, where the still parts and the background
    # are seen.
    def case(pm_run, peer, checker, tmp):
        centre, distance, script = straight_camera(peer, model)
        mask, still = moved_mask(peer, model, animation, poses, centre, distance)
        mask.save(os.path.join(tmp, "moved.png"))
        inside = [m > 0 for m in mask.getdata()]
        shots = {}
        for engine in ("OpenGL", "DirectX8"):
            for k, (clip, frames) in enumerate(poses):
                out = os.path.join(tmp, f"{engine}-{k}.png")
                view(pm_run, model, engine, tmp, script, out, ("--clip", clip), frames)
                shots[engine, k] = out
            a, b = (list(Image.open(shots[engine, k]).convert("RGB").getdata()) for k in (0, 1))
            differs = [max(abs(x - y) for x, y in zip(p, q)) for p, q in zip(a, b)]
            moved = sum(1 for d, i in zip(differs, inside) if i and d > 3)
            outside = [(k % WIDTH, k // WIDTH, d) for k, (d, i) in enumerate(zip(differs, inside)) if not i and d > 2]
            # The still parts are in the picture: model pixels outside the region, not only background.
            background = a[0]
            seen = sum(1 for p, i in zip(a, inside) if not i and max(abs(x - y) for x, y in zip(p, background)) > 8)
            if moved < 100 or outside or seen < 100 or still == 0:
                raise AssertionError(f"{engine}: {moved} pixels moved inside the region, {len(outside)} outside it "
                                     f"(first {outside[:5]}); {seen} still model pixels, {still} still triangles")
            print(f"{os.path.basename(model)} {engine}: {moved} pixels moved where the bones moved, none elsewhere; "
                  f"{seen} still model pixels, {still} still triangles")
        for k in (0, 1):
            cross(checker, shots["DirectX8", k], shots["OpenGL", k], os.path.join(tmp, f"cross-{k}"))
    return case


def mean_green(image_file):
    # The green cubes' pixels (green above red and blue by more than 20) and their mean green.
    pixels = [p for p in Image.open(image_file).convert("RGB").getdata() if p[1] > max(p[0], p[2]) + 20]
    return len(pixels), sum(p[1] for p in pixels) / max(1, len(pixels))


def lit_as_unmirrored(model, twin):
    # A model drawn under a mirror shows the outside of its faces, lit: the mean green of its green pixels
    # within a quarter of its unmirrored twin's (a file with the same cubes placed otherwise), on both
    # engines, and Direct3D 8 draws it as OpenGL does (the cross-back-end rule).
    def case(pm_run, peer, checker, tmp):
        shots = {}
        for engine in ("OpenGL", "DirectX8"):
            for name, file in (("mirrored", model), ("twin", twin)):
                shots[engine, name] = os.path.join(tmp, f"{engine}-{name}.png")
                view(pm_run, file, engine, tmp, SMALL, shots[engine, name])
            (count, green), (_, want) = (mean_green(shots[engine, n]) for n in ("mirrored", "twin"))
            if count < 500 or abs(green - want) > 0.25 * want:
                raise AssertionError(f"{engine}: {count} green pixels of mean green {green:.1f}; the twin's {want:.1f}")
            print(f"{engine}: {count} green pixels of mean green {green:.1f}; the twin's {want:.1f}")
        cross(checker, shots["DirectX8", "mirrored"], shots["OpenGL", "mirrored"], os.path.join(tmp, "cross"))
    return case


def foreground_share(image_file):
    # The share of the picture that differs from the view's clear colour.
    seen, w, h = foreground(image_file)
    return len(seen) / (w * h)


def draws(model, reference, share):
    # A skinned model draws where its joints put it, on both engines, in its first clip's pose and in the
    # file's own (--clip none): at least `share` of the picture; the first clip's frame is the reference on
    # OpenGL and by the cross-back-end rule on Direct3D 8.
    def case(pm_run, peer, checker, tmp):
        for engine in ("OpenGL", "DirectX8"):
            for clip in ((), ("--clip", "none")):
                out = os.path.join(tmp, f"{engine}{'-none' if clip else ''}.png")
                view(pm_run, model, engine, tmp, SMALL, out, clip)
                got = foreground_share(out)
                if got < share:
                    raise AssertionError(f"{engine} {' '.join(clip)}: {got:.2%} of the picture drawn, expected "
                                         f"at least {share:.2%}")
                print(f"{os.path.basename(model)} {engine} {' '.join(clip)}: {got:.2%} of the picture drawn")
                if clip:
                    continue
                if engine == "OpenGL":
                    compare(out, os.path.join(references, reference))
                else:
                    cross(checker, out, os.path.join(references, reference), os.path.join(tmp, "cross"))
    return case


box = os.path.join(corpus, "glTF2", "BoxTextured-glTF")
man = os.path.join(corpus, "MDL", "MDL (HL1)", "man.mdl")
CASES = {
    "counts_gltf": counts(os.path.join(corpus, "glTF2", "BoxTextured-glTF-Binary", "BoxTextured.glb")),
    "counts_fbx": counts(os.path.join(corpus, "FBX", "cubes_with_names.fbx")),
    "counts_fbx_mirrored": counts(os.path.join(corpus, "FBX", "cubes_with_mirroring_and_pivot.fbx")),
    "counts_obj": counts(os.path.join(corpus, "OBJ", "spider.obj")),
    "counts_obj_mixed": counts(os.path.join(corpus, "OBJ", "testmixed.obj")),
    # Meshes that several nodes use count once for each.
    "counts_shared_gltf": counts(os.path.join(corpus, "glTF2", "textureTransform", "TextureTransformTest.gltf")),
    "counts_shared_dae": counts(os.path.join(corpus, "Collada", "teapot_instancenodes.DAE")),
    "counts_lights_dae": counts(os.path.join(corpus, "Collada", "lights.dae")),
    "counts_camera_light_dae": counts(os.path.join(corpus, "Collada", "duck.dae")),
    "counts_cameras_3ds": counts(os.path.join(corpus, "3DS", "CameraRollAnim.3ds")),
    "counts_skin_x": counts(os.path.join(corpus, "X", "BCN_Epileptic.X")),
    "counts_skin_gltf": counts(os.path.join(corpus, "glTF2", "simple_skin", "simple_skin.gltf")),
    "counts_skin_fbx": counts(os.path.join(corpus, "FBX", "huesitos.fbx")),
    "counts_cameras_gltf": counts(os.path.join(corpus, "glTF2", "cameras", "Cameras.gltf")),
    # The textured box in its three forms: its logo on the faces, one picture for all three.
    "box_gltf": picture(os.path.join(box, "BoxTextured.gltf"), "box.png", sphere=True),
    "box_glb": picture(os.path.join(corpus, "glTF2", "BoxTextured-glTF-Binary", "BoxTextured.glb"), "box.png",
                       sphere=True),
    "box_embedded": picture(os.path.join(corpus, "glTF2", "BoxTextured-glTF-Embedded", "BoxTextured.gltf"),
                            "box.png", sphere=True),
    # JPEG textures whose sides are not powers of two (249 x 250, 250 x 250, 768 x 768).
    "spider_jpeg": picture(os.path.join(corpus, "OBJ", "spider.obj"), "spider.png", sphere=True),
    # The same spider with its textures missing: one Warn for each, and the materials' colours.
    "spider_missing": picture(os.path.join(corpus, "FBX", "spider.fbx"), "spider_missing.png",
                              warnings=[missing(n) for n in ("drkwood2.jpg", "wal67ar_small.jpg",
                                                             "engineflare1.jpg", "SpiderTex.jpg")] +
                              [f'Warn  pm-run: "{corpus}/FBX/spider.fbx" misses textures; --texture-path DIR '
                               'looks for them by name in another folder too.']),
    # Material colours under the view's light (0.75 along the view, ambient 0.25), faces turned to the
    # camera: each shows its diffuse colour; the green one's white specular colour at an exponent below 1
    # gives no highlight; the blue one's full ambient colour is not drawn as emission, its emission is.
    # The duck through the file's own camera, lit by the file's own point light and the view's dim lamp.
    "camera_light_dae": picture(os.path.join(corpus, "Collada", "duck.dae"), "camera_light_dae.png",
                                options=("--camera", "camera1")),
    "file_lights_alone": file_lights_alone,
    "camera_unknown": unknown(os.path.join(corpus, "Collada", "cameras.dae"), '"Camera_003", "Camera_002", "Camera"'),
    # Animations count as clips; the first plays unless --clip names another (or none).
    "counts_anim_bvh": counts(os.path.join(corpus, "BVH", "01_01.bvh")),
    "clip_unknown": unknown(os.path.join(corpus, "BVH", "01_01.bvh"), '"Motion"', "clip"),
    "clip_motion_bvh": motion(os.path.join(corpus, "BVH", "01_01.bvh")),
    "clip_motion_gltf": motion(os.path.join(corpus, "glTF2", "simple_skin", "simple_skin.gltf")),
    # The man walks (the file's second animation, named by the file's name though a node took it): his legs,
    # arms and body move, his head stays; from 0.25 s to 0.75 s, and from the pose the file's nodes give to 0.5 s.
    "two_poses_mdl": two_poses(man, 1, (("walk", 15), ("walk", 45))),
    "two_poses_mdl_bind": two_poses(man, 1, (("none", 3), ("walk", 30))),
    # Blender rigs: the mesh's node and the armature under a node scaled by 100 and turned -90 degrees.
    "skin_fbx_huesitos": draws(os.path.join(corpus, "FBX", "huesitos.fbx"), "skin_huesitos.png", 0.03),
    "skin_fbx_skeleton": draws(os.path.join(corpus, "FBX", "animation_with_skeleton.fbx"), "skin_skeleton.png",
                               0.006),
    "colours": picture(os.path.join(data, "colours.obj"), "colours.png", SMALL + STRAIGHT,
                       {(41, 75): (204, 51, 25), (100, 75): (51, 153, 76), (158, 75): (25, 76, 230)}),
    # A colour set: the vertices' colours take the place of the material's.
    "vertex_colours": picture(os.path.join(corpus, "OBJ", "cube_with_vertexcolors.obj"), "vertex_colours.png"),
    # Sizes far from the channel's default clipping (0.5 to 1024): the view clips from the bounds.
    "scale_tiny": picture(os.path.join(data, "tiny.obj"), None, SMALL + STRAIGHT, {(100, 75): (204, 51, 25)}),
    # --list: clips and materials with their textures; a camera, a light and a material.
    # The clips by the file's names, though its nodes took them first.
    "list_mdl": listing(man, ['clip "reference" 2 s', 'clip "walk" 26 s', 'clip "arms_up" 2 s',
                              'clip "arms_up" 2 s', 'clip "arms_up" 2 s', 'clip "arms_up" 2 s',
                              'material "material_3" texture "Material1.bmp"',
                              'material "material_2" texture "Material3.bmp"',
                              'material "material" texture "Material2.bmp"']),
    # A material named as its object and mesh are: still by the file's name.
    "list_names_obj": listed(os.path.join(data, "named_alike.obj"), ['material "walls" no texture']),
    "clip_file_name_mdl": clip_named(man, "walk"),
    "list_dae": listing(os.path.join(corpus, "Collada", "duck.dae"),
                        ['camera "camera1"', 'light "directionalLight1"', 'material "blinn3" texture "./duckCM.tga"']),
    # Textures the file names that are not beside it (they lie in ../OBJ): named as not found.
    "list_missing": listing(os.path.join(corpus, "FBX", "spider.fbx"),
                            ['camera "Camera"', 'light "Lamp"'] +
                            [f'material "{m}" texture "D:\\projects\\assimp_int\\test\\models\\OBJ\\{t}" not found'
                             for m, t in (("Augentex", "engineflare1.jpg"), ("BeinTex", "drkwood2.jpg"),
                                          ("Skin", "wal67ar_small.jpg"), ("HLeibTex", "SpiderTex.jpg"))]),
    # Framing over the clip: the walk (67 units) and the jump stay in view from start to end.
    "framed_walk_bvh": framed(os.path.join(corpus, "BVH", "01_01.bvh"), (3, 120, 240), 15),
    # A skeleton without a mesh: sticks with joint markers, big enough to see the walk at 640 x 480.
    "skeleton_sticks": skeleton_sticks,
    "skeleton_many_joints": skeleton_many_joints,
    "skeleton_walk_bvh": walk_seen(os.path.join(corpus, "BVH", "01_01.bvh"), (3, 60), 0.01),
    "skeleton_alike_bvh": skeleton_alike(os.path.join(corpus, "BVH", "01_01.bvh")),
    "framed_bar": framed_bar,
    "shiny_alike": shiny_alike,
    "framed_jump_x": framed(os.path.join(corpus, "X", "BCN_Epileptic.X"), (3, 60, 100), 300),
    # Both sides by default: a terrain whose faces face away from the view (nothing drawn when culled).
    "two_sided_hmp": picture(os.path.join(corpus, "HMP", "formatDetection"), "two_sided_hmp.png"),
    "long_load": long_load,
    "two_sided_script": script_culling(os.path.join(corpus, "HMP", "formatDetection")),
    "import_fails": fails(os.path.join(corpus, "invalid", "empty.obj")),
    "scale_huge": picture(os.path.join(data, "huge.obj"), None, SMALL + STRAIGHT, {(100, 75): (204, 51, 25)}),
    # Cubes under a node scaled -0.1 (a mirror): culled and lit as the same cubes without it.
    "mirrored_fbx": lit_as_unmirrored(os.path.join(corpus, "FBX", "cubes_with_mirroring_and_pivot.fbx"),
                                      os.path.join(corpus, "FBX", "cubes_with_names.fbx")),
}

# Morph targets: the cube's clip thins it by its blend shapes. At 1 s (frame 60) OpenGL's frame equals the
# reference and differs from the first frame's (the targets' weights near 0) where the faces moved;
# Direct3D 8 draws both frames as OpenGL does (the cross-back-end rule).
def morph(model, reference, frames=("1", "60")):
    def case(pm_run, peer, checker, tmp):
        shots = {}
        for engine in ("OpenGL", "DirectX8"):
            for n in frames:
                out = os.path.join(tmp, f"{engine}-{n}.png")
                _, stderr = view(pm_run, model, engine, tmp, SMALL, out, ("--frames", n))
                warns = [l for l in stderr.splitlines() if l.startswith(("Warn ", "Error "))]
                if warns:
                    raise AssertionError(f"{engine}: {warns}")
                shots[engine, n] = out
        compare(shots["OpenGL", frames[1]], os.path.join(references, reference))
        early = Image.open(shots["OpenGL", frames[0]]).convert("RGB")
        late = Image.open(shots["OpenGL", frames[1]]).convert("RGB")
        moved = sum(1 for a, b in zip(early.getdata(), late.getdata()) if a != b)
        if moved < 500:
            raise AssertionError(f"the blend shapes moved {moved} pixels")
        for n in frames:
            cross(checker, shots["DirectX8", n], shots["OpenGL", n], os.path.join(tmp, f"cross-{n}"))
        print(f"{os.path.basename(model)}: the blend shapes moved {moved} pixels")
    return case


def foreground_box(image_file):
    # The bounding box of the pixels that differ from the corner's (the background): left, top, right,
    # bottom, and their number.
    image = Image.open(image_file).convert("RGB")
    background = image.getpixel((0, 0))
    xs, ys = [], []
    for k, p in enumerate(image.getdata()):
        if max(abs(a - b) for a, b in zip(p, background)) > 8:
            xs.append(k % image.width)
            ys.append(k // image.width)
    if not xs:
        return None, 0
    return (min(xs), min(ys), max(xs), max(ys)), len(xs)


def shown(model, warnings, share=0.01, options=()):
    # A model whose materials would hide it draws on both engines (at least `share` of the picture), with
    # exactly the Warn lines given, and Direct3D 8 as OpenGL (the cross-back-end rule).
    def case(pm_run, peer, checker, tmp):
        shots = {}
        for engine in ("OpenGL", "DirectX8"):
            out = os.path.join(tmp, f"{engine}.png")
            _, stderr = view(pm_run, model, engine, tmp, SMALL, out, options)
            warns = [l for l in stderr.splitlines() if l.startswith("Warn ")]
            if warns != warnings:
                raise AssertionError(f"{engine}: warnings {warns}, expected {warnings}")
            _, count = foreground_box(out)
            if count < share * WIDTH * HEIGHT:
                raise AssertionError(f"{engine}: {count} pixels drawn")
            shots[engine] = out
        cross(checker, shots["DirectX8"], shots["OpenGL"], os.path.join(tmp, "cross"))
        print(f"{os.path.basename(model)}: {count} pixels drawn")
    return case


def opaque(model, materials):
    return (f'Warn  Import("{model}"): the material{"s" if len(materials) > 1 else ""} '
            + ", ".join(f'"{m}"' for m in materials)
            + f' {"have" if len(materials) > 1 else "has"} an opacity of 0 and no opacity or alpha texture; drawn opaque.')


def twins(model, twin, warnings):
    # A model whose texture reads a texture-coordinate set its meshes lack draws as its twin in another
    # format that names set 0 (OpenGL's frames compared by the reference rule, Direct3D 8's by the
    # cross-back-end rule), with exactly the Warn lines given.
    def case(pm_run, peer, checker, tmp):
        for engine in ("OpenGL", "DirectX8"):
            out, ref = os.path.join(tmp, f"{engine}.png"), os.path.join(tmp, f"{engine}-twin.png")
            _, stderr = view(pm_run, model, engine, tmp, SMALL, out)
            warns = [l for l in stderr.splitlines() if l.startswith("Warn ")]
            if warns != warnings:
                raise AssertionError(f"{engine}: warnings {warns}, expected {warnings}")
            view(pm_run, twin, engine, tmp, SMALL, ref)
            if engine == "OpenGL":
                os.environ.pop("PM_WRITE_REFERENCES", None)
                compare(out, ref)
            else:
                cross(checker, out, ref, os.path.join(tmp, "cross"))
    return case


def ortho(model, camera, warnings):
    # An orthographic camera drawn as a perspective one: the model fills, within a few pixels, the box
    # the orthographic projection gives it (the quad (0, 0, 0) - (1, 1, 0) turned 45 degrees about x,
    # seen from (0.5, 0.5) with a half height of 1), on both engines alike.
    def case(pm_run, peer, checker, tmp):
        shots = {}
        corners = [(0, 0), (1, 0), (0, math.sqrt(0.5)), (1, math.sqrt(0.5))]
        xs = [((x - 0.5) / (WIDTH / HEIGHT) + 1) / 2 * WIDTH for x, _ in corners]
        ys = [(1 - (y - 0.5)) / 2 * HEIGHT for _, y in corners]
        want = (min(xs), min(ys), max(xs), max(ys))
        for engine in ("OpenGL", "DirectX8"):
            out = os.path.join(tmp, f"{engine}.png")
            _, stderr = view(pm_run, model, engine, tmp, SMALL, out, ("--camera", camera))
            warns = [l for l in stderr.splitlines() if l.startswith("Warn ")]
            if warns != warnings:
                raise AssertionError(f"{engine}: warnings {warns}, expected {warnings}")
            box, _ = foreground_box(out)
            if not box or any(abs(a - b) > 5 for a, b in zip(box, want)):
                raise AssertionError(f"{engine}: the model fills {box}, the orthographic view {want}")
            shots[engine] = out
        cross(checker, shots["DirectX8"], shots["OpenGL"], os.path.join(tmp, "cross"))
        print(f"{os.path.basename(model)}: the model fills {box}, the orthographic view {want}")
    return case


def up_turn(model):
    # The up turn: by default the file's Z-up frame turned, the bounds Assimp's with (x, y, z) as
    # (x, z, -y); --up y leaves Assimp's; a script giving the turn "ModelUp" an identity STransform draws
    # what --up y draws (the guide's way to undo the turn); --up with another word is a usage error.
    def case(pm_run, peer, checker, tmp):
        r = subprocess.run([peer, model], capture_output=True, text=True, timeout=120)
        theirs = SUMMARY.match(r.stdout.strip())
        if not theirs:
            raise AssertionError(f"the peer printed {r.stdout!r} {r.stderr[-2000:]}")
        lo, hi = [float(v) for v in theirs.groups()[11:14]], [float(v) for v in theirs.groups()[14:17]]
        size = max(abs(v) for v in lo + hi)
        turned_lo, turned_hi = [lo[0], lo[2], -hi[1]], [hi[0], hi[2], -lo[1]]
        shots = {}
        _, _, framed = straight_camera(peer, model)  # the file's own frame, for both pictures of it
        for name, options, extra, want in (
                ("turned", (), SMALL, turned_lo + turned_hi),
                ("file", ("--up", "y"), framed, lo + hi),
                ("undone", (), framed + "STransform:unturned . { }; TTransform:ModelUp.SNode STransform:unturned;",
                 None)):
            out = os.path.join(tmp, f"{name}.png")
            stdout, _ = view(pm_run, model, "OpenGL", tmp, extra, out, options)
            counts, peer_counts = summary(stdout), theirs.groups()  # the turn is not one of the file's nodes
            if counts[1:6] + counts[7:11] != peer_counts[1:6] + peer_counts[7:11]:
                raise AssertionError(f"{name}: counts {counts[1:11]}, Assimp's {peer_counts[1:11]}")
            ours = [float(v) for v in summary(stdout)[11:]]
            if want and any(abs(a - b) > 1e-5 * size for a, b in zip(ours, want)):
                raise AssertionError(f"{name}: bounds {ours}, expected {want}")
            shots[name] = out
        os.environ.pop("PM_WRITE_REFERENCES", None)
        compare(shots["undone"], shots["file"])
        first, _ = foreground_box(shots["turned"])
        second, _ = foreground_box(shots["file"])
        if first == second:
            raise AssertionError("the turn changed nothing drawn")
        r = subprocess.run([pm_run, "--view", model, "--up", "w", "--frames", "1"], cwd=tmp, capture_output=True,
                           text=True, timeout=60, env=dict(os.environ, PM_LOG_DIR=tmp))
        if r.returncode != 2 or "pm-run: --up w: the axis is one of x, y, z, -x, -y, -z." not in r.stderr:
            raise AssertionError(f"--up w: exit {r.returncode}, {r.stderr[-500:]}")
        print(f"{os.path.basename(model)}: bounds turned to {turned_lo} - {turned_hi}")
    return case


# Where --up AXIS takes a point of the file: the file's AXIS to +Y, its front (-Y for z up, +Y for -z up,
# else +Z) to +Z.
UP_TURNS = {
    "y": lambda x, y, z: (x, y, z),
    "x": lambda x, y, z: (-y, x, z),
    "-x": lambda x, y, z: (y, -x, z),
    "z": lambda x, y, z: (x, z, -y),
    "-z": lambda x, y, z: (x, -z, y),
    "-y": lambda x, y, z: (-x, -y, z),
}


def up_axes(model):
    # Each --up AXIS turns the bounds of a Y-up file as the axis says (Assimp's bounds, their corners
    # turned), and the summary still counts the file's nodes.
    def case(pm_run, peer, checker, tmp):
        r = subprocess.run([peer, model], capture_output=True, text=True, timeout=120)
        theirs = SUMMARY.match(r.stdout.strip()).groups()
        lo, hi = [float(v) for v in theirs[11:14]], [float(v) for v in theirs[14:17]]
        size = max(abs(v) for v in lo + hi)
        for axis, turn in UP_TURNS.items():
            corners = [turn(x, y, z) for x in (lo[0], hi[0]) for y in (lo[1], hi[1]) for z in (lo[2], hi[2])]
            want = [min(c[k] for c in corners) for k in range(3)] + [max(c[k] for c in corners) for k in range(3)]
            ours = summary(view(pm_run, model, "OpenGL", tmp, options=("--up", axis), frames=1)[0])
            if ours[1] != theirs[1] or any(abs(float(a) - b) > 1e-5 * size for a, b in zip(ours[11:], want)):
                raise AssertionError(f"--up {axis}: {ours[1]} nodes, bounds {ours[11:]}; expected {theirs[1]}, {want}")
        print(f"{os.path.basename(model)}: six turns")
    return case


collada = os.path.join(corpus, "Collada")
clearcoat = os.path.join(corpus, "glTF2", "ClearCoat-glTF", "ClearCoatTest.gltf")
cameras = os.path.join(corpus, "glTF2", "cameras", "Cameras.gltf")
# Materials with an opacity of 0 (the teapots' and the earth's read from decimal commas) or a diffuse
# alpha of 0 (the concave polygon) are drawn opaque with one Warn: three opaque teapots, the earth
# texture on the first, as the corpus's teapots_reference.png shows them (seen from its side).
WIDE_ROOT.update(os.path.join(collada, f) for f in ("teapots.DAE", "earthCylindrical.DAE", "kwxport_test_vcolors.dae"))
# AC3D as its file means it (written here): a white quad of `trans 1` over the red one is hidden (not a
# white block), a quad of graded alpha from an SGI texture blends over it (not cut at one half), and an
# object of lines alone stands at its loc to the right (Assimp 5.2 drops it), the view framing it.
def ac3d_as_said(pm_run, peer, checker, tmp):
    import struct
    width = 16
    # Alpha rising from 0 at both sides to 255 in the middle, so the texture's repeat adds no seam.
    alpha = [255 - abs(2 * x - (width - 1)) * 255 // (width - 1) for x in range(width)]
    planes = [bytes([255] * width * 2)] * 3 + [bytes(alpha * 2)]
    header = struct.pack(">HBBHHHHIII", 474, 0, 1, 3, width, 2, 4, 0, 255, 0) + bytes(80) + struct.pack(">I", 0)
    with open(os.path.join(tmp, "soft.rgb"), "wb") as f:
        f.write(header + bytes(512 - len(header)) + b"".join(planes))

    def quad(name, mat, x0, x1, y0, y1, z, texture=""):
        tex = f'texture "{texture}"\n' if texture else ""
        return (f'OBJECT poly\nname "{name}"\n{tex}numvert 4\n{x0} {y0} {z}\n{x1} {y0} {z}\n{x1} {y1} {z}\n'
                f'{x0} {y1} {z}\nnumsurf 1\nSURF 0x20\nmat {mat}\nrefs 4\n0 0 0\n1 1 0\n2 1 1\n3 0 1\nkids 0\n')
    ac = ('AC3Db\n'
          'MATERIAL "red" rgb 1 0 0 amb 0.2 0.2 0.2 emis 0 0 0 spec 0 0 0 shi 0 trans 0\n'
          'MATERIAL "hidden" rgb 1 1 1 amb 0.2 0.2 0.2 emis 0 0 0 spec 0 0 0 shi 0 trans 1\n'
          'MATERIAL "white" rgb 1 1 1 amb 0.2 0.2 0.2 emis 0 0 0 spec 0 0 0 shi 0 trans 0\n'
          'OBJECT world\nkids 4\n'
          + quad("red", 0, -1, 1, -1, 1, 0) + quad("hidden", 1, -1, 0, -1, 1, 0.5)
          + quad("soft", 2, 0, 1, -1, 1, 0.3, "soft.rgb")
          + 'OBJECT poly\nname "line"\nloc 2 0 0\nnumvert 2\n0 -1 0\n0 1 0\nnumsurf 1\nSURF 0x2\nmat 2\n'
            'refs 2\n0 0 0\n1 0 0\nkids 0\n')
    model = os.path.join(tmp, "as_said.ac")
    with open(model, "w") as f:
        f.write(ac)
    picture(model, "ac3d_as_said.png", "RenderPipe:Pipe.Resolution (320, 240); STransform:SviewOrbit.Rotation (0, 0, 0);")(
        pm_run, peer, checker, tmp)


CASES["ac3d_as_said"] = ac3d_as_said
CASES["opacity_teapots"] = picture(os.path.join(collada, "teapots.DAE"), "teapots.png",
                                   "RenderPipe:Pipe.Resolution (320, 240); STransform:SviewOrbit.Rotation (-30, -40, 0);",
                                   warnings=[opaque(os.path.join(collada, "teapots.DAE"),
                                                    ["_01___Default", "_08___Default", "_07___Default"])],
                                   sphere=True)
CASES["opacity_earth"] = shown(os.path.join(collada, "earthCylindrical.DAE"),
                               [opaque(os.path.join(collada, "earthCylindrical.DAE"), ["_01___Default"])])
CASES["opacity_concave"] = shown(os.path.join(collada, "ConcavePolygon.dae"),
                                 [opaque(os.path.join(collada, "ConcavePolygon.dae"), ["test_Smoothing"])], 0.001)
# Textures on texture-coordinate set 1, which the meshes lack: set 0, as the file's .x twin draws them.
CASES["uv_fallback_dae"] = twins(
    os.path.join(collada, "kwxport_test_vcolors.dae"), os.path.join(corpus, "X", "kwxport_test_cubewithvcolors.x"),
    [f'Warn  Import("{collada}/kwxport_test_vcolors.dae"): the meshes "Box01_mesh", "Box01_mesh_2", "Box01_mesh_3" '
     'lack the texture-coordinate set 1 their textures read; set 0 is used.'])
# Clear-coated materials equal their base ones in what the engines draw: the "Coated" column as the
# "Base" one on both engines, the labels' emissive texture (not drawn) leaving them their black.
def same_cells(model, reference, cells):
    # Pairs of screen boxes drawn with materials the engines cannot tell apart: each pair's mean colours
    # equal within 2 on both engines; OpenGL's frame against the reference, Direct3D 8's by the
    # cross-back-end rule.
    def case(pm_run, peer, checker, tmp):
        for engine in ("OpenGL", "DirectX8"):
            out = os.path.join(tmp, f"{engine}.png")
            view(pm_run, model, engine, tmp, "RenderPipe:Pipe.Resolution (480, 360);" + STRAIGHT, out)
            image = Image.open(out).convert("RGB")

            def mean(box):
                pixels = [image.getpixel((x, y)) for x in range(box[0], box[2]) for y in range(box[1], box[3])]
                return [sum(p[c] for p in pixels) / len(pixels) for c in range(3)]
            for a, b in cells:
                if any(abs(x - y) > 2 for x, y in zip(mean(a), mean(b))):
                    raise AssertionError(f"{engine}: {a} is {mean(a)}, {b} is {mean(b)}")
            if engine == "OpenGL":
                compare(out, os.path.join(references, reference))
            else:
                cross(checker, out, os.path.join(references, reference), os.path.join(tmp, "cross"))
    return case


# Drawn at 480 x 360: the cells' thin borders would take more than the cross-back-end rule's share of a
# smaller picture.
CASES["clearcoat_gltf"] = same_cells(clearcoat, "clearcoat.png", [
    ((229, 51, 252, 90), (275, 51, 298, 90)),  # the simple coat: base and coated red
    ((229, 104, 252, 135), (275, 104, 298, 135)),  # the partial coat: base and coated blue
])
CASES["ortho_camera_gltf"] = ortho(cameras, "nodes[2]", [
    f'Warn  Import("{cameras}"): the camera "nodes[2]" is orthographic, which the engines do not draw; it comes '
    'in as a perspective camera of 33.2 degrees framing its height at the model\'s centre.'])
CASES["missing_mtl_obj"] = shown(os.path.join(corpus, "OBJ", "cube_mtllib_after_g.obj"), [
    f'Warn  Import("{corpus}/OBJ/cube_mtllib_after_g.obj"): the material library "cube_mtllib_after_g.mat" it '
    'names is missing; the model\'s own ".mtl" was read instead.'])
# Z-up files stand up: Blender's man and the SMD ox (pictures), the turn and its undoing (bounds).
# Lit by the file's point light alone, whose highlights the engines draw apart (the Direct3D 8 device's
# local viewer): seen from a little farther, which keeps them within the cross-back-end rule.
CASES["up_blend"] = picture(os.path.join(corpus, "BLEND", "HUMAN.blend"), "up_blend.png", sphere=1.25)
CASES["up_smd"] = picture(os.path.join(corpus, "SMD", "WusonSMD.smd"), "up_smd.png", warnings=[
    f'Warn  Import("{corpus}/SMD/WusonSMD.smd"): the texture "default.bmp" is missing (looked for at '
    f'"{corpus}/SMD/default.bmp", in any letter case); its materials keep their colours.',
    f'Warn  pm-run: "{corpus}/SMD/WusonSMD.smd" misses textures; --texture-path DIR looks for them by name in '
    'another folder too.'])
CASES["up_turn_blend"] = up_turn(os.path.join(corpus, "BLEND", "HUMAN.blend"))
CASES["up_axes_obj"] = up_axes(os.path.join(corpus, "OBJ", "spider.obj"))

CASES["morph_cube_gltf"] = morph(
    os.path.join(corpus, "glTF2", "glTF-Sample-Models", "AnimatedMorphCube-glTF", "AnimatedMorphCube.gltf"),
    "morph_cube.png")

if __name__ == "__main__":
    pm_run, peer, checker, name = sys.argv[1:5]
    tmp = tempfile.mkdtemp(prefix=f"pm-view-{name}-")
    try:
        CASES[name](pm_run, peer, checker, tmp)
    except AssertionError as e:
        print(f"{name}: FAILED: {e}\n  images kept in {tmp}")
        sys.exit(1)
    shutil.rmtree(tmp)
    print(f"{name}: ok")
