#!/usr/bin/env python3
"""pm-run's frames without an X display: a script scene and the view of a corpus model, through both
engines, drawn with DISPLAY unset (the pipe draws into memory: OpenGL on an EGL pbuffer, Direct3D 8 on the
device's own buffers). Each picture is compared by the cross-back-end rule (pm-cross-image-check) with the
one the same engine draws in a window when a display is there, and with the other engine's; the model's
OpenGL picture also with the reference its windowed view was checked against (tests/import/reference).

    headless_check.py PM_RUN CROSS_IMAGE_CHECK"""
import math
import os
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
source = os.path.normpath(os.path.join(here, "..", "..", ".."))
sys.path.insert(0, os.path.join(source, "tests", "support"))
from reference_image import compare  # noqa: E402

OFFSCREEN = "drawing off-screen at"
ENGINES = ("OpenGL", "DirectX8")
# The eye of view_check's box: where the sphere round the unit cube fills the height with a margin.
BOX_EYE = math.sqrt(3) / 2 / math.sin(math.radians(22.5)) * 1.1
# The guide's turning quad after 20 frames, and the textured box of the corpus as view_check draws it.
SCENES = {
    "spin": ([os.path.join(source, "examples", "guide", "spin.bs"), "--frames", "20"], None),
    "box": (["--view", "/usr/share/assimp/models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", "--frames", "3",
             "-e", f"RenderPipe:Pipe.Resolution (200, 150); STransform:SviewEye.Translation (0, 0, {BOX_EYE!r});"],
            os.path.join(source, "tests", "import", "reference", "box.png")),
}


def draw(pm_run, args, engine, out, tmp, display):
    env = dict(os.environ, PM_LOG_DIR=tmp)
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    cmd = [pm_run, "--log-level", "2", "--engine", engine, *args, "--screenshot", out]
    r = subprocess.run(cmd, cwd=tmp, env=env, capture_output=True, text=True, timeout=240)
    said = [l for l in r.stderr.splitlines() if OFFSCREEN in l]
    errors = [l for l in r.stderr.splitlines() if l.startswith(("Error", "Warn"))]
    if r.returncode != 0 or errors or not os.path.exists(out):
        raise AssertionError(f"{' '.join(cmd)} (DISPLAY {display!r}) exited {r.returncode}\n{r.stderr[-3000:]}")
    if len(said) != (0 if display else 1):
        raise AssertionError(f"{engine} (DISPLAY {display!r}): lines of off-screen drawing {said}")
    return out


def cross(checker, got, reference, base):
    r = subprocess.run([checker, got, reference, base], capture_output=True, text=True, timeout=120)
    if r.returncode != 0:
        raise AssertionError(f"{got} against {reference}: {r.stdout.strip()}{r.stderr[-2000:]}")


def main():
    pm_run, checker = sys.argv[1:3]
    display = os.environ.get("DISPLAY", "")
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        for scene, (args, reference) in SCENES.items():
            shots = {}
            for engine in ENGINES:
                for windowed in ((False, True) if display else (False,)):
                    name = f"{scene}-{engine}-{'window' if windowed else 'memory'}"
                    try:
                        shots[engine, windowed] = draw(pm_run, args, engine, os.path.join(tmp, name + ".png"), tmp,
                                                       display if windowed else "")
                    except AssertionError as e:
                        failures.append(str(e))
            pairs = [((e, False), (e, True)) for e in ENGINES]
            pairs.append((("DirectX8", False), ("OpenGL", False)))
            for got, wanted in pairs:
                if got in shots and wanted in shots:
                    try:
                        cross(checker, shots[got], shots[wanted], os.path.join(tmp, f"cross-{scene}-{got[0]}"))
                    except AssertionError as e:
                        failures.append(str(e))
            if reference and ("OpenGL", False) in shots:
                try:
                    compare(shots["OpenGL", False], reference)
                except AssertionError as e:
                    failures.append(str(e))
    for f in failures:
        print(f)
    print(f"{len(SCENES)} scenes, {len(ENGINES)} engines, {'with' if display else 'without'} a display to compare")
    sys.exit(1 if failures else 0)


main()
