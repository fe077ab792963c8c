#!/usr/bin/env python3
"""Start-up time and CPU use of the real game on a private X server.

    bench/startup_cpu.py GAME GAME_DIR [--screen 1280x1024] [--runs 5] [--seconds 10]

Each run starts Xvfb, then the game in a copy of GAME_DIR (sound on SDL's
dummy driver), and prints:

  first frame  milliseconds from starting the game to the first pixel that
               is not black on the screen (polled through Xlib every
               millisecond on a line and a column across the screen), and
               the CPU time the game had used by then (which a busy machine
               does not stretch)
  match cpu    the game's CPU time (user + system, /proc/PID/stat) over
               SECONDS of a running match, in % of one core

Environment is passed on, so SDL_RENDER_DRIVER=opengl (or software) picks
SDL's renderer by hand for a comparison.
"""
import argparse
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile
import time

xlib = ctypes.CDLL("libX11.so.6")
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XDefaultRootWindow.restype = ctypes.c_ulong
xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
xlib.XGetImage.restype = ctypes.c_void_p
xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                           ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
xlib.XGetPixel.restype = ctypes.c_ulong
xlib.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
xlib.XDestroyImage.argtypes = [ctypes.c_void_p]
xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
ALL_PLANES, Z_PIXMAP = 0xFFFFFFFF, 2


def start_x(width, height):
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
                               "-nolisten", "tcp", "-noreset"], pass_fds=(write_fd,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_fd, 16)
        if not chunk:
            raise SystemExit("Xvfb did not start")
        number += chunk
    os.close(read_fd)
    return server, ":" + number.decode().strip()


def drawn(display, root, width, height):
    """Whether a line or a column across the middle of the screen holds a
    pixel that is not black."""
    for x, y, w, h in ((0, height // 2, width, 1), (width // 2, 0, 1, height), (0, height // 3, width, 1)):
        image = xlib.XGetImage(display, root, x, y, w, h, ALL_PLANES, Z_PIXMAP)
        if not image:
            continue
        try:
            for i in range(0, max(w, h), 2):
                if xlib.XGetPixel(image, i if h == 1 else 0, 0 if h == 1 else i) & 0xFFFFFF:
                    return True
        finally:
            xlib.XDestroyImage(image)
    return False


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def keys(display, *names):
    subprocess.run(["xdotool", "key", "--delay", "40", *names], env=dict(os.environ, DISPLAY=display), check=True)


def one_run(game, game_dir, width, height, seconds):
    server, display_name = start_x(width, height)
    work = tempfile.mkdtemp()
    try:
        copy = os.path.join(work, "game")
        shutil.copytree(game_dir, copy, ignore=shutil.ignore_patterns("[Ss]ettings.ini*"))
        display = xlib.XOpenDisplay(display_name.encode())
        root = xlib.XDefaultRootWindow(display)
        env = dict(os.environ, DISPLAY=display_name, SDL_AUDIODRIVER="dummy")
        env.pop("WAYLAND_DISPLAY", None)
        start = time.monotonic()
        process = subprocess.Popen([game], cwd=copy, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        first = None
        hz = os.sysconf("SC_CLK_TCK")
        while time.monotonic() - start < 20 and process.poll() is None:
            if drawn(display, root, width, height):
                first = (time.monotonic() - start) * 1000
                first_cpu = cpu_ticks(process.pid) * 1000 / hz
                break
            time.sleep(0.001)
        xlib.XCloseDisplay(display)
        if first is None:
            raise SystemExit("the game drew nothing")
        time.sleep(0.5)
        keys(display_name, "Escape")   # the intro ends
        time.sleep(0.5)
        keys(display_name, "Return")   # New game
        time.sleep(1.0)
        before, t0 = cpu_ticks(process.pid), time.monotonic()
        time.sleep(seconds)
        used, elapsed = (cpu_ticks(process.pid) - before) / hz, time.monotonic() - t0
        process.terminate()
        process.wait(5)
        return first, first_cpu, 100 * used / elapsed
    finally:
        server.terminate()
        server.wait(5)
        shutil.rmtree(work)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("game")
    parser.add_argument("game_dir")
    parser.add_argument("--screen", default="1280x1024")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=10)
    args = parser.parse_args()
    width, height = (int(v) for v in args.screen.split("x"))
    game = os.path.abspath(args.game)
    results = [one_run(game, os.path.abspath(args.game_dir), width, height, args.seconds) for _ in range(args.runs)]
    for run, (first, first_cpu, cpu) in enumerate(results):
        print(f"run {run + 1}: first frame {first:.0f} ms ({first_cpu:.0f} ms of CPU), match cpu {cpu:.1f} %")

    def median(values):
        values = sorted(values)
        return f"{values[len(values) // 2]:.1f} (min {values[0]:.1f}, max {values[-1]:.1f})"
    print(f"screen {args.screen}: first frame median {median([r[0] for r in results])} ms, "
          f"CPU by then {median([r[1] for r in results])} ms; match cpu median {median([r[2] for r in results])} % of a core")


if __name__ == "__main__":
    sys.exit(main())
