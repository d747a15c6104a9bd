#!/usr/bin/env python3
"""A host's window destroyed by another X client, as `xdotool windowclose` does: the host must end its
loop and exit 0. Each run gets an Xvfb of its own, so the one top-level window shown there is the host's.
With --valgrind the host runs under memcheck, which sees what the sanitizers cannot: reads and writes
inside libX11 (a Display used after it was closed). It needs a build without sanitizers.

  window_end_check.py [--valgrind] PROGRAM [ARG...]
"""
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile
import time

# Generous bounds: under memcheck a host takes tens of seconds to open its window.
WINDOW_SECONDS = 180
EXIT_SECONDS = 180


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("c_class", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


def xlib():
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                             ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                             ctypes.POINTER(ctypes.c_uint)]
    x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(XWindowAttributes)]
    x.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XFree.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x.XGetImage.restype = ctypes.c_void_p
    x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                            ctypes.c_ulong, ctypes.c_int]
    x.XGetPixel.restype = ctypes.c_ulong
    x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
    x.XSetErrorHandler.restype = ctypes.c_void_p
    x.XSetErrorHandler.argtypes = [ctypes.c_void_p]
    return x


ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)


def drawn(x, display, window):
    """Whether the window shows something other than its black background: the host draws frames."""
    a = XWindowAttributes()
    if not x.XGetWindowAttributes(display, window, ctypes.byref(a)) or a.width < 1 or a.height < 1:
        return False
    image = x.XGetImage(display, window, 0, 0, a.width, a.height, 0xFFFFFFFF, 2)  # AllPlanes, ZPixmap
    if not image:
        return False
    step = max(1, min(a.width, a.height) // 16)
    return any(x.XGetPixel(image, px, py) & 0xFFFFFF for py in range(0, a.height, step)
               for px in range(0, a.width, step))


def shown_windows(x, display):
    """The viewable children of the root window."""
    root = x.XDefaultRootWindow(display)
    r, p = ctypes.c_ulong(), ctypes.c_ulong()
    children = ctypes.POINTER(ctypes.c_ulong)()
    count = ctypes.c_uint()
    if not x.XQueryTree(display, root, ctypes.byref(r), ctypes.byref(p), ctypes.byref(children), ctypes.byref(count)):
        return []
    found = []
    for i in range(count.value):
        a = XWindowAttributes()
        if x.XGetWindowAttributes(display, children[i], ctypes.byref(a)) and a.map_state == 2:  # IsViewable
            found.append(children[i])
    if children:
        x.XFree(children)
    return found


def start_server():
    """An Xvfb on a free display number; the process and the number."""
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                              pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    with os.fdopen(read, "rb") as f:
        while not number.endswith(b"\n"):
            c = f.read(1)
            if not c:
                break
            number += c
    if not number.strip():
        server.kill()
        sys.exit("window_end_check: Xvfb did not start")
    return server, ":" + number.decode().strip()


def main():
    args = sys.argv[1:]
    valgrind = bool(args) and args[0] == "--valgrind"
    if valgrind:
        args = args[1:]
    if not args:
        sys.exit(__doc__)
    program = os.path.basename(args[0])
    if valgrind:
        # Only what memcheck is for here: invalid reads, writes and frees. The GL driver's uninitialised
        # values and the leaks are other tools' business (LeakSanitizer in the test tree).
        supp = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "valgrind.supp")
        args = ["valgrind", "--error-exitcode=99", "--undef-value-errors=no", "--leak-check=no", "-q",
                "--suppressions=" + os.path.normpath(supp)] + args
    x = xlib()
    server, name = start_server()
    tmp = tempfile.mkdtemp(prefix="pm-window-end.")
    err_path = os.path.join(tmp, "stderr.txt")
    host = None
    try:
        env = dict(os.environ, DISPLAY=name, PM_LOG_DIR=tmp)
        with open(err_path, "wb") as err:
            host = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=err, env=env)
        display = None
        for _ in range(50):
            display = x.XOpenDisplay(name.encode())
            if display:
                break
            time.sleep(0.1)
        if not display:
            sys.exit("window_end_check: cannot open " + name)
        x.XSetErrorHandler(ERROR_HANDLER)  # a window gone while it is looked at is no failure here
        deadline = time.monotonic() + WINDOW_SECONDS
        windows = []
        while not windows and time.monotonic() < deadline and host.poll() is None:
            windows = shown_windows(x, display)
            time.sleep(0.1)
        if not windows:
            with open(err_path, errors="replace") as f:
                sys.exit("window_end_check: %s showed no window (status %s):\n%s" % (args[0], host.poll(), f.read()))
        # Destroyed once frames are on screen (a window destroyed while the engine starts is another case).
        while time.monotonic() < deadline and host.poll() is None and not any(drawn(x, display, w) for w in windows):
            time.sleep(0.2)
        time.sleep(0.5)
        for w in windows:
            x.XDestroyWindow(display, w)
        x.XSync(display, 0)
        try:
            status = host.wait(EXIT_SECONDS)
        except subprocess.TimeoutExpired:
            status = "still running %d s after its window was destroyed" % EXIT_SECONDS
        x.XCloseDisplay(display)
        with open(err_path, errors="replace") as f:
            said = f.read()
        if status != 0:
            sys.exit("window_end_check: %s ended with %s after its window was destroyed:\n%s" %
                     (" ".join(args), status, said))
        print("window_end_check: %s ended with 0 after its window was destroyed%s" %
              (program, " (valgrind clean)" if valgrind else ""))
    finally:
        if host and host.poll() is None:
            host.kill()
            host.wait()
        server.terminate()
        server.wait()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
