#!/usr/bin/env python3
"""Checks of the scripts in tools/.

    check_tools.py deps ROOT        tools/install-deps asks apt for the packages of each mode: --run only what
                                    building and running the library and its programs needs, no mode also
                                    the tests' tools, --bench also the peers; tools/run and
                                    tools/build-programs ask for --run, tools/test for the full set.
    check_tools.py variables ROOT   every setting a script of tools/ takes from the environment with a
                                    default (${PM_NAME:-default}) is named in README.md.

install-deps runs with stand-ins for dpkg-query (nothing is installed), id (root, so no sudo) and apt-get
(which notes what it is asked for) first on PATH."""
import os
import re
import subprocess
import sys
import tempfile

# What running needs, and what only the tests, fuzzing, formatting or the benchmarks do.
RUN_NEEDS = {"cmake", "ninja-build", "g++", "pkg-config", "libpng-dev", "libx11-dev", "libxtst-dev",
             "libgl1-mesa-dri", "libegl-dev", "libegl-mesa0", "fonts-dejavu-core", "libopenal-dev", "libavcodec-dev",
             "libfreetype-dev"}
TEST_ONLY = {"clang", "libclang-rt-14-dev", "clang-format", "clang-tidy-22", "googletest", "libgtest-dev",
             "libgmock-dev", "libcgal-demo", "xvfb", "python3-pil", "libopenjp2-tools", "zip"}
BENCH_ONLY = {"libbenchmark-dev", "libopenscenegraph-dev", "libirrlicht-dev"}


def asked(root, stand_ins, args):
    """The packages install-deps asks apt-get to install, and its exit status."""
    noted = os.path.join(stand_ins, "asked.txt")
    if os.path.exists(noted):
        os.remove(noted)
    env = dict(os.environ, PATH=stand_ins + os.pathsep + os.environ["PATH"])
    r = subprocess.run(["bash", os.path.join(root, "tools", "install-deps")] + args, env=env,
                       capture_output=True, text=True, timeout=60)
    if not os.path.exists(noted):
        return r.returncode, set()
    words = set()
    for line in open(noted, encoding="utf-8"):
        if line.split()[:1] == ["install"]:
            words |= {w for w in line.split()[1:] if not w.startswith("-")}
    return r.returncode, words


def stand_in(folder, name, body):
    path = os.path.join(folder, name)
    with open(path, "w", encoding="utf-8") as f:
        f.write("#!/bin/sh\n" + body + "\n")
    os.chmod(path, 0o755)


def deps(root):
    with tempfile.TemporaryDirectory() as stand_ins:
        stand_in(stand_ins, "dpkg-query", "exit 1")
        stand_in(stand_ins, "id", 'echo 0')
        stand_in(stand_ins, "apt-get", 'echo "$@" >> "$(dirname "$0")/asked.txt"')
        status, run = asked(root, stand_ins, ["--run"])
        assert status == 0, f"install-deps --run exited {status}"
        assert RUN_NEEDS <= run, f"--run lacks {sorted(RUN_NEEDS - run)}"
        assert not run & (TEST_ONLY | BENCH_ONLY), f"--run installs {sorted(run & (TEST_ONLY | BENCH_ONLY))}"
        status, full = asked(root, stand_ins, [])
        assert status == 0 and run | TEST_ONLY <= full, f"the full set lacks {sorted(run | TEST_ONLY - full)}"
        assert not full & BENCH_ONLY, f"the full set installs {sorted(full & BENCH_ONLY)}"
        status, bench = asked(root, stand_ins, ["--bench"])
        assert status == 0 and full | BENCH_ONLY <= bench, f"--bench lacks {sorted(full | BENCH_ONLY - bench)}"
        status, none = asked(root, stand_ins, ["--tests"])
        assert status == 2 and not none, f"an unknown mode: exit {status}, asked {sorted(none)}"
    # Who asks for which set.
    for script, mode in (("build-programs", "--run"), ("test", ""), ("bench", "--bench")):
        text = open(os.path.join(root, "tools", script), encoding="utf-8").read()
        calls = re.findall(r"tools/install-deps( --[a-z]+)?", text)
        assert calls == [(" " + mode) if mode else ""], f"tools/{script} runs install-deps as {calls}"
    run_script = open(os.path.join(root, "tools", "run"), encoding="utf-8").read()
    assert "tools/build-programs" in run_script and "install-deps" not in run_script, "tools/run"


def variables(root):
    tools = os.path.join(root, "tools")
    readme = open(os.path.join(root, "README.md"), encoding="utf-8").read()
    missing = set()
    for name in sorted(os.listdir(tools)):
        path = os.path.join(tools, name)
        if not os.path.isfile(path):
            continue
        try:
            text = open(path, encoding="utf-8").read()
        except UnicodeDecodeError:
            continue
        for variable in re.findall(r"\$\{(PM_[A-Z0-9_]+):-[^}]", text):
            if not re.search(r"`" + variable + r"\b", readme):
                missing.add(f"{variable} (tools/{name})")
    assert not missing, "README.md does not name " + ", ".join(sorted(missing))


if __name__ == "__main__":
    {"deps": deps, "variables": variables}[sys.argv[1]](sys.argv[2])
    print(f"check_tools {sys.argv[1]}: ok")
