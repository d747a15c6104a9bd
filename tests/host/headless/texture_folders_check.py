#!/usr/bin/env python3
"""pm-run --view on a game pack's layout made here: a model whose textures lie in a folder beside its own.
--list says why a texture is not drawn (outside the asset root, not a regular file, over the reader's memory
budget) with one warning naming the way out, and draws it once --texture-path or --asset-root takes its
folder in, through a symbolic link to the model too; the pictures of both engines show the texture's colour
then, and the material's grey without it. Drawn with DISPLAY unset (into memory).

    texture_folders_check.py PM_RUN"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

from PIL import Image

ENGINES = ("OpenGL", "DirectX8")
GREEN = (40, 200, 40)
WIDEN = "ImportModel's second argument widens the root"
TEXTURE_PATH = "ImportModel's third argument or ImportOptions::texturePath looks for textures elsewhere too"


def png(width, height, bits, colour):
    # 8-bit RGB of one colour, or (bits 1) 1-bit grey, which keeps a huge picture a few kilobytes.
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    row = b"\0" + (bytes(colour) * width if bits == 8 else b"\xff" * ((width + 7) // 8))
    header = struct.pack(">IIBBBBB", width, height, bits, 2 if bits == 8 else 0, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(row * height, 9)) +
            chunk(b"IEND", b""))


def obj(name, texture):
    # A square facing +Z over the view's centre, its material "wood" naming `texture`.
    return {f"{name}.mtl": f"newmtl wood\nKd 1 1 1\nmap_Kd {texture}\n".encode(),
            f"{name}.obj": (f"mtllib {name}.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                            "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl wood\nf 1/1 2/2 3/3 4/4\n").encode()}


def make_pack(tmp):
    files = {"textures/wood.png": png(4, 4, 8, GREEN), "models/huge.png": png(16384, 16384, 1, None)}
    for name, texture in (("door", "../textures/wood.png"), ("fifo", "fifo.png"), ("huge", "huge.png")):
        files.update({f"models/{k}": v for k, v in obj(name, texture).items()})
    for path, data in files.items():
        os.makedirs(os.path.join(tmp, os.path.dirname(path)), exist_ok=True)
        with open(os.path.join(tmp, path), "wb") as f:
            f.write(data)
    os.mkfifo(os.path.join(tmp, "models", "fifo.png"))
    os.makedirs(os.path.join(tmp, "elsewhere"))
    os.symlink(os.path.join(tmp, "models", "door.obj"), os.path.join(tmp, "elsewhere", "door.obj"))


def run(pm_run, tmp, args):
    env = dict(os.environ, PM_LOG_DIR=tmp)
    env.pop("DISPLAY", None)
    r = subprocess.run([pm_run, *args], cwd=tmp, env=env, capture_output=True, text=True, timeout=240)
    warnings = [l for l in r.stderr.splitlines() if l.startswith(("Warn", "Error"))]
    if r.returncode != 0:
        raise AssertionError(f"{args} exited {r.returncode}\n{r.stderr[-3000:]}")
    return r.stdout.splitlines()[1:], warnings


def listing(pm_run, tmp, model, args, material, warnings):
    lines, said = run(pm_run, tmp, ["--view", model, "--list", *args])
    if lines != [material] or said != warnings:
        raise AssertionError(f"{model} {args}:\n{lines}\n{said}\nwanted\n{[material]}\n{warnings}")


def centre(pm_run, tmp, engine, args):
    shot = os.path.join(tmp, f"shot-{engine}-{len(args)}.png")
    run(pm_run, tmp, ["--engine", engine, "--view", "models/door.obj", "--frames", "1", "--screenshot", shot,
                      "-e", "RenderPipe:Pipe.Resolution (64, 48);", *args])
    return Image.open(shot).convert("RGB").getpixel((32, 24))


def main():
    pm_run = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        tmp = os.path.realpath(tmp)
        make_pack(tmp)
        models = os.path.join(tmp, "models")
        found = 'material "wood" texture "../textures/wood.png"'
        refused = (f'Warn  Import("models/door.obj"): "{models}/../textures/wood.png" is not opened: it lies outside '
                   f'the asset root "{models}" ({WIDEN}; {TEXTURE_PATH}).')
        # pm-run's own line after the library's: its options that reach such a texture.
        outside = ('Warn  pm-run: "{}" names textures outside its asset root; --asset-root DIR widens the root, '
                   '--texture-path DIR looks for them in DIR too.')
        cases = [
            ("models/door.obj", [], found + " outside the asset root", [refused, outside.format("models/door.obj")]),
            ("models/door.obj", ["--texture-path", "nowhere", "--texture-path", "textures"], found,
             [f'Warn  Import("models/door.obj"): the texture folder "{tmp}/nowhere" is not a folder; no texture is '
              'looked for there.']),
            ("models/door.obj", ["--asset-root", "."], found, []),
            # A file named as a texture folder is warned of and skipped; the next folder still serves.
            ("models/door.obj", ["--texture-path", "models/door.mtl", "--texture-path", "textures"], found,
             [f'Warn  Import("models/door.obj"): the texture folder "{models}/door.mtl" is not a folder; no texture '
              'is looked for there.']),
            ("elsewhere/door.obj", ["--texture-path", "textures"], found, []),
            ("elsewhere/door.obj", [], found + " outside the asset root",
             [refused.replace('"models/door.obj"', '"elsewhere/door.obj"'), outside.format("elsewhere/door.obj")]),
            ("models/fifo.obj", [], 'material "wood" texture "fifo.png" not a regular file',
             [f'Warn  Import("models/fifo.obj"): "{models}/fifo.png" is not opened: it is not a regular file '
              '(a FIFO).']),
            ("models/huge.obj", [], 'material "wood" texture "huge.png" over the reader\'s memory budget',
             ['Warn  Import("models/huge.obj"): the texture "huge.png" is not read: decoding it needs more than the '
              "reader's memory budget of 1 GiB (ImportOptions::readerMemory raises it).",
              'Warn  pm-run: "models/huge.obj" has textures over the reader\'s memory budget; --reader-memory MIB '
              'raises it.']),
        ]
        for model, args, material, warnings in cases:
            try:
                listing(pm_run, tmp, model, args, material + "", warnings)
            except AssertionError as e:
                failures.append(str(e))
        # An empty folder name is a bad command line, told.
        r = subprocess.run([pm_run, "--view", "models/door.obj", "--list", "--texture-path", ""], cwd=tmp,
                           capture_output=True, text=True, timeout=60)
        if r.returncode != 2 or r.stderr != "pm-run: --texture-path takes a folder, not an empty name.\n":
            failures.append(f"an empty --texture-path: exit {r.returncode}, {r.stderr!r}")
        # An asset root that is a file: one error naming the option, before any import.
        r = subprocess.run([pm_run, "--view", "models/door.obj", "--list", "--asset-root", "models/door.mtl"],
                           cwd=tmp, capture_output=True, text=True, timeout=60)
        if r.returncode != 2 or r.stderr != ("pm-run: --asset-root models/door.mtl: that is a file; the option "
                                             "takes a folder.\n"):
            failures.append(f"a file as --asset-root: exit {r.returncode}, {r.stderr!r}")
        # ImportModel's root argument a file: the import fails saying so, not with the confinement's words.
        r = subprocess.run([pm_run, "-e", "ImportModel('models/door.obj', 'models/door.mtl');"], cwd=tmp,
                           env=dict(os.environ, PM_LOG_DIR=tmp), capture_output=True, text=True, timeout=60)
        if "is not a folder" not in r.stderr or "Landlock" in r.stderr:
            failures.append(f"a file as ImportModel's root: {r.stderr[-2000:]!r}")
        for engine in ENGINES:
            try:
                r, g, b = centre(pm_run, tmp, engine, ["--texture-path", "textures"])
                grey = centre(pm_run, tmp, engine, [])
                # Lit, the texture's green stays far above its red and blue; the material alone is grey.
                if not (g > 2 * r and g > 2 * b and g > 60):
                    raise AssertionError(f"{engine}: the square with its texture is {(r, g, b)}, not green")
                if max(grey) - min(grey) > 12 or max(grey) < 60:
                    raise AssertionError(f"{engine}: the square without its texture is {grey}, not grey")
            except AssertionError as e:
                failures.append(str(e))
    for f in failures:
        print(f)
    print("texture folders: " + ("FAILED" if failures else "all cases as expected"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
