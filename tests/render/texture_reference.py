#!/usr/bin/env python3
"""Composes the layered texture of data/texture/layers.bs with pm-run --texture in a scratch copy of
the folder (the loader writes its cache beside the source image) and compares the PNG byte for byte
with data/texture/layers.png."""
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
pm_run = sys.argv[1]
with tempfile.TemporaryDirectory() as tmp:
    work = os.path.join(tmp, "texture")
    shutil.copytree(os.path.join(here, "data", "texture"), work)
    out = os.path.join(tmp, "out.png")
    for attempt in ("fresh", "cached"):
        r = subprocess.run([pm_run, "--log-level", "5", os.path.join(work, "layers.bs"), "--texture", "layered", out])
        if r.returncode != 0:
            sys.exit(f"pm-run failed ({attempt}): {r.returncode}")
        if not filecmp.cmp(out, os.path.join(here, "data", "texture", "layers.png"), shallow=False):
            sys.exit(f"composed texture differs from layers.png ({attempt} cache)")
    if not os.path.exists(os.path.join(work, "Images", "checker.cache.bmg")):
        sys.exit("no cache written beside the source image")
