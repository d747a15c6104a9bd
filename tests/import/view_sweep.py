#!/usr/bin/env python3
"""The visibility sweep of the model corpus: every model file outside invalid/ that loads with at least
one triangle is drawn on one engine, framed as `pm-run --view FILE --frames 3` frames it, and covers at
least MIN_COVER of the picture, but for the files listed below. One pm-view-sweep process draws them all,
or with PART/PARTS every PARTS-th of them (the corpus and the mutants) from the PART-th on, so that the
parts of a sweep run at once.

    view_sweep.py PM_VIEW_SWEEP PM_IMPORT_PEER ENGINE [PART/PARTS]

A pixel is the model's when it differs from the view's clear colour by more than the rasterizers'
rounding in some channel. The pictures of the files that draw too little are kept, named after the file
(all of them with PM_SWEEP_KEEP=1); the folder is named at the end."""
import collections
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops

corpus = "/usr/share/assimp/models"
WIDTH, HEIGHT, FRAMES = 160, 120, 3
MIN_COVER = 0.003
# Fewer files drawn means the importer lost some: the sweep would pass on what is left.
MIN_DRAWN = 300
# The view clears to (0.2, 0.2, 0.252): (51, 51, 64) in 8 bits a channel, give or take a rounding.
CLEAR = (51, 51, 64)
ROUNDING = 4
# Seconds for all the files of a run: within ctest's 300 a test.
TIMEOUT = 270
BOTH = None

# Files that draw less by their nature: (file in the corpus, engine or BOTH, why). Each is drawn and
# measured all the same; one that draws enough is reported.
EXCEPTIONS = [
    ("OBJ/number_formats.obj", BOTH, "its one face is degenerate: (0, 0, 0), (1, 2, 3) and (-1, -2, -3) lie on a line"),
    ("AMF/test8.amf", BOTH, "Assimp (its bounds are ours) places the two instances by their rotation angles (rx 45 and "
     "-45) instead of their offsets (deltax 5 and -5): two objects 1.5 units across, 90 apart, a few pixels each"),
    ("AMF/test9.amf", BOTH, "as test8.amf: eight instances placed by their angles (45, 20), spread over 130 units"),
    ("BVH/01_01.bvh", BOTH, "the view frames the 67 units its walk covers: the walker is a few pixels tall at 160 x 120"),
    ("Collada/anims_with_full_rotations_between_keys.DAE", BOTH, "64 boxes a unit across strung over 120 units: "
     "about 0.3 % of the picture as the clip turns them, on either side of the line"),
]

# Files that draw too little through a fault not yet mended: (file, engine or BOTH, cause). One listed here
# that draws enough is reported, so that its entry can go.
KNOWN_FAULTS = []


# The robustness run: small corpus files of several formats (skins, clips and blend shapes among them) with
# a few of their numbers made hostile, drawn after the corpus in the same process. Each ends in a picture
# or one logged error, and nothing crashes or trips the sanitizers; their pictures are not judged.
MUTANT_SEEDS = [
    "OBJ/cube_with_vertexcolors.obj", "PLY/cube_uv.ply", "OFF/Cube.off", "STL/triangle.stl",
    "Collada/cube_triangulate.dae", "X/test_cube_text.x", "glTF2/simple_skin/simple_skin.gltf",
    "glTF2/glTF-Sample-Models/AnimatedMorphCube-glTF/AnimatedMorphCube.gltf", "MD5/SimpleCube.md5mesh",
    "SMD/triangle.smd",
]
MUTANTS_EACH = 6
HOSTILE = ["nan", "-nan", "inf", "-inf", "3.4e39", "1e38", "-1e38", "1e-38", "0", "-0", "1e6", "-1e6"]
# Values (a point or an exponent), not counts or indices: one made large only measures the reader's memory
# limit, seconds a file.
NUMBER = re.compile(rb"(?<![\w.])-?\d*(?:\.\d+|\d\.|\d(?=[eE]))\d*(?:[eE][-+]?\d+)?(?![\w.])")


def mutants(folder):
    # MUTANTS_EACH copies of each seed, each with one to four of its numbers replaced, the same every run;
    # a seed's neighbours (its buffers) are copied beside them.
    made = []
    for k, seed in enumerate(MUTANT_SEEDS):
        source = os.path.join(corpus, seed)
        place = os.path.join(folder, str(k))
        os.makedirs(place)
        for name in os.listdir(os.path.dirname(source)):
            if name.endswith((".bin", ".mtl")):
                shutil.copy(os.path.join(os.path.dirname(source), name), place)
        with open(source, "rb") as f:
            data = f.read()
        numbers = list(NUMBER.finditer(data))
        # JSON has no words for the special values: there they would only test the parser's refusal.
        values = [v for v in HOSTILE if v[-1].isdigit()] if seed.endswith(".gltf") else HOSTILE
        for n in range(MUTANTS_EACH):
            pick = random.Random(f"{seed} {n}")
            changed = bytearray(data)
            for m in sorted(pick.sample(numbers, min(len(numbers), pick.randint(1, 4))), key=lambda m: -m.start()):
                changed[m.start():m.end()] = pick.choice(values).encode()
            base, ext = os.path.splitext(os.path.basename(seed))
            path = os.path.join(place, f"{base}-{n}{ext}")
            with open(path, "wb") as f:
                f.write(changed)
            made.append(path)
    return made


def model_files(peer):
    # The files with an extension Assimp reads and those with none (its format detection tests), as the
    # corpus load test lists them.
    listed = subprocess.run([peer, "--extensions"], capture_output=True, text=True, timeout=60).stdout
    extensions = {e.strip().rsplit(".", 1)[-1].lower() for e in listed.split(";") if e.strip()}
    files = []
    for root, dirs, names in os.walk(corpus):
        if os.path.relpath(root, corpus).split(os.sep)[0] == "invalid":
            dirs[:] = []
            continue
        for name in names:
            path = os.path.join(root, name)
            ext = os.path.splitext(name)[1][1:].lower()
            if os.path.isfile(path) and (not ext or ext in extensions):
                files.append(path)
    return sorted(files)


def cover(image):
    # The share of pixels beyond the rounding from the clear colour in any channel.
    diff = ImageChops.difference(image, Image.new("RGB", image.size, CLEAR)).split()
    beyond = ImageChops.lighter(ImageChops.lighter(diff[0], diff[1]), diff[2]).point(lambda v: v > ROUNDING and 255)
    return beyond.histogram()[255] / (image.size[0] * image.size[1])


def listed(table, engine):
    return {f: why for f, e, why in table if e in (BOTH, engine)}


def sweep(program, engine, files, out):
    # The program's lines for the files: (word, index, triangles or None, path); a failure or "".
    try:
        r = subprocess.run([program, engine, str(FRAMES), str(WIDTH), str(HEIGHT), out],
                           input="\n".join(files) + "\n", capture_output=True, text=True, timeout=TIMEOUT,
                           env=dict(os.environ, PM_LOG_DIR=out))
        stdout, stderr, status = r.stdout, r.stderr, f"exited {r.returncode}" if r.returncode else ""
    except subprocess.TimeoutExpired as e:
        # What it wrote before, as bytes or nothing.
        stdout, stderr = (t.decode(errors="replace") if isinstance(t, bytes) else t or "" for t in (e.stdout, e.stderr))
        status = "ran out of time"
    with open(os.path.join(out, "log.txt"), "w") as log:
        log.write(stderr)
    lines = []
    for line in stdout.splitlines():
        words = line.split(" ", 3)
        if words[0] in ("view", "fail") and len(words) == 4:
            lines.append((words[0], int(words[1]), int(words[2]), words[3]))
        elif words[0] in ("unread", "empty") and len(words) >= 3:
            lines.append((words[0], int(words[1]), None, line.split(" ", 2)[2]))
        # else: the viewer's summary line
    if not status and len(lines) != len(files):
        status = "ended early"
    if status:
        status = (f"pm-view-sweep {status} after {len(lines)} of {len(files)} files (the corpus, then the mutants); "
                  f"its log: {os.path.join(out, 'log.txt')}")
    return lines, status


def judge(lines, engine, out, keep, min_drawn):
    # The corpus files' pictures against MIN_COVER and the lists: what failed, and what to note.
    exceptions, known = listed(EXCEPTIONS, engine), listed(KNOWN_FAULTS, engine)
    failed, notes, colours = [], [], collections.Counter()
    for word, index, triangles, path in lines:
        name = os.path.relpath(path, corpus)
        if word == "fail":
            failed.append(f"{name}: its frames could not be drawn")
        if word != "view":
            continue
        picture = os.path.join(out, f"{index}.png")
        image = Image.open(picture).convert("RGB")
        colours.update({colour: n for n, colour in image.getcolors(WIDTH * HEIGHT)})
        share = cover(image)
        low = share < MIN_COVER
        said = f"{name}: {share:.2%} of the picture ({triangles} triangles)"
        if name in exceptions or name in known:
            kind, why = ("excepted", exceptions[name]) if name in exceptions else ("known fault", known[name])
            if low:
                print(f"{kind}: {said}: {why}")
            else:
                notes.append(f"{kind}, yet draws enough: {said}" + ("; its entry can go" if name in known else ""))
        elif low:
            failed.append(said)
        if low or keep:
            os.rename(picture, os.path.join(out, name.replace("/", "_") + ".png"))
    # The clear colour is the pictures' commonest: a changed clear colour would count every pixel as the model's.
    common = colours.most_common(1)[0][0] if colours else CLEAR
    if max(abs(a - b) for a, b in zip(common, CLEAR)) > ROUNDING:
        failed.append(f"the pictures' commonest colour is {common}, not the clear colour {CLEAR}")
    drawn = sum(word == "view" for word, *_ in lines)
    if drawn < min_drawn:
        failed.append(f"only {drawn} files drawn, of the {min_drawn} or more that load with a triangle")
    return failed, notes


def main():
    program, peer, engine = sys.argv[1:4]
    part, parts = (int(n) for n in (sys.argv[4] if len(sys.argv) > 4 else "0/1").split("/"))
    files = model_files(peer)
    if len(files) < 400:
        print(f"only {len(files)} model files under {corpus}")
        return 1
    out = tempfile.mkdtemp(prefix=f"pm-view-sweep-{engine}-{part}-")
    keep = os.environ.get("PM_SWEEP_KEEP") == "1"
    hostile = mutants(os.path.join(out, "mutants"))[part::parts]
    min_drawn = MIN_DRAWN * len(files[part::parts]) // len(files)
    files = files[part::parts]
    start = time.monotonic()
    lines, status = sweep(program, engine, files + hostile, out)
    seconds = time.monotonic() - start
    is_mutant = set(hostile)
    robust = [line for line in lines if line[3] in is_mutant]
    lines = [line for line in lines if line[3] not in is_mutant]
    failed, notes = judge(lines, engine, out, keep, min_drawn)
    failed += [f"{path}: its frames could not be drawn" for word, _, _, path in robust if word == "fail"]
    failed += [status] if status else []
    counts = collections.Counter(word for word, *_ in lines)
    print(f"{engine} {part}/{parts}: {counts['view']} files drawn, {counts['empty']} without a triangle, {counts['unread']} not "
          f"loaded, of {len(files)}; of {len(hostile)} mutants {sum(w == 'view' for w, *_ in robust)} drawn, "
          f"{sum(w == 'unread' for w, *_ in robust)} refused; {seconds:.1f} s")
    for note in notes:
        print(note)
    for f in failed:
        print(f"FAILED: {f}")
    if failed or keep:
        print(f"pictures kept in {out}")
        return 1 if failed else 0
    shutil.rmtree(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
