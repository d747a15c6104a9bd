#!/usr/bin/env python3
"""Pipe resolutions beyond what the window system or the engine holds, through pm-run on both engines:
each is refused before a frame with exit 1 and one Error naming the size and the limit (no crash, no
picture of another size); sizes of 1 pixel and less give a 1 x 1 picture. Usage: window_size_check.py PM_RUN"""
import os
import struct
import subprocess
import sys
import tempfile

pm_run = sys.argv[1]
X_LIMIT = "exceeds the largest window, 32767 x 32767."
# resolution -> {engine: words of the one Error line}, None for sizes drawn at 1 x 1
CASES = {
    "100000, 100000": {"OpenGL": ["Resolution 100000 x 100000", X_LIMIT], "DirectX8": ["Resolution 100000 x 100000", X_LIMIT]},
    "100000, 10": {"OpenGL": ["Resolution 100000 x 10", X_LIMIT], "DirectX8": ["Resolution 100000 x 10", X_LIMIT]},
    "40000, 10": {"OpenGL": ["Resolution 40000 x 10", X_LIMIT], "DirectX8": ["Resolution 40000 x 10", X_LIMIT]},
    # Within X's limit, beyond the engines': llvmpipe draws at most 16384 wide, our device holds 8192.
    "20000, 10": {"OpenGL": ["The window of 20000 x 10 pixels is larger than OpenGL draws: at most "],
                  "DirectX8": ["cannot hold a back buffer of 20000 x 10 pixels (D3DERR_OUTOFVIDEOMEMORY)."]},
    "0, 0": None,
    "1, 1": None,
    "-5, -7": None,
}

failures = []
with tempfile.TemporaryDirectory() as tmp:
    script = os.path.join(tmp, "pipe.bs")
    shot = os.path.join(tmp, "shot.png")
    for size, refusals in CASES.items():
        with open(script, "w") as f:
            f.write(f"RenderPipe:Pipe . {{ .Resolution ({size}); .ColorBits 24; .DepthBits 24; .SwapInterval 0; }};\n")
        for engine in ("OpenGL", "DirectX8"):
            if os.path.exists(shot):
                os.remove(shot)
            r = subprocess.run([pm_run, script, "--engine", engine, "--frames", "2", "--screenshot", shot],
                               capture_output=True, text=True, timeout=120)
            what = f"({size}) on {engine}"
            errors = [line for line in r.stderr.splitlines() if line.startswith("Error ")]
            if refusals is None:
                if r.returncode != 0 or errors:
                    failures.append(f"{what}: exit {r.returncode}, errors {errors}")
                    continue
                with open(shot, "rb") as f:
                    width, height = struct.unpack(">II", f.read(24)[16:24])
                if (width, height) != (1, 1):
                    failures.append(f"{what}: a {width} x {height} picture, not 1 x 1")
                continue
            if r.returncode != 1:
                failures.append(f"{what}: exit {r.returncode}, not 1\n{r.stderr[-2000:]}")
            if len(errors) != 1 or not all(w in errors[0] for w in refusals[engine]):
                failures.append(f"{what}: not one Error naming {refusals[engine]}: {errors}")
            if os.path.exists(shot):
                failures.append(f"{what}: wrote a picture")
if failures:
    sys.exit("\n".join(failures))
print(f"{2 * len(CASES)} passed, 0 failed")
