#!/usr/bin/env python3
"""A long game of random keys through valkron-sim: menus, names, help,
credits, resolution changes, matches flown at random (to a winner screen when a
frag ends one), for TICKS ticks in all (several runs when the game ends early).

    fuzz/soak.py SIM GAME_DIR [TICKS] [SEED]

Meant for the sanitizer build (./valkron.sh soak): any fault the sanitizers
find ends valkron-sim with an error, and so this script. Each run starts
from random settings in a fresh copy of GAME_DIR. The key script is made in
rounds that leave the menu only where a key cannot end the program: Escape
is pressed only in a match, the help, the credits or an intro, and Enter
only on an item that is not Exit."""
import os
import random
import shutil
import subprocess
import sys
import tempfile

FLIGHT = ['Up', 'Down', 'Left', 'Right', 'Insert', 'Delete', 'Home', 'End', 'F1', 'F12',
          'W', 'S', 'A', 'D', '1', '2', '3', 'Q', 'E', 'Space', 'Enter', 'Backspace']
TYPED = [chr(c) for c in range(ord('A'), ord('Z') + 1)] + ['Space', 'Backspace', '7', 'Num3', 'F2', '0']
RESOLUTIONS = [(400, 300), (512, 384), (640, 400), (640, 480), (800, 600), (1024, 768)]


def script(r, ticks, resolution):
    lines, t = [], 2

    def press(key, gap=1):
        nonlocal t
        lines.extend([f'{t} down {key}', f'{t} up {key}'])
        t += gap

    def to_item(item):  # from anywhere in the menu: the top, then down
        for _ in range(10):
            press('Up')
        for _ in range(item):
            press('Down')

    press('Escape', 5)  # the first intro
    while t < ticks:
        kind = r.choice(['match', 'match', 'resolution', 'name', 'help', 'credits', 'settings'])
        if kind == 'match':
            to_item(0)
            press('Enter', 2)
            held, end = set(), t + r.randrange(100, 2500)
            while t < end:
                if r.random() < 0.3:
                    key = r.choice(FLIGHT)
                    lines.append(f'{t} {"up" if key in held else "down"} {key}')
                    held ^= {key}
                t += 1
            for key in sorted(held):
                lines.append(f'{t} up {key}')
            press('Escape', r.randrange(3, 400))  # out of the match, or past its winner screen
        elif kind == 'resolution':
            to_item(8)
            step = r.choice([step for step in (-1, 1) if 0 <= resolution + step < len(RESOLUTIONS)])
            resolution += step
            press('Left' if step < 0 else 'Right', r.randrange(2, 150))
            press('Escape', 3)  # the intro at the new size, before it ends by itself
        elif kind == 'name':
            to_item(r.choice([2, 3]))
            press('Enter')
            for _ in range(r.randrange(0, 40)):
                press(r.choice(TYPED))
            if r.random() < 0.5:
                press(r.choice(['Down', 'Up']))  # typing goes on while moving
            press('Enter', 2)
        elif kind in ('help', 'credits'):
            to_item(6 if kind == 'help' else 7)
            press('Enter', 2)
            for _ in range(r.randrange(0, 60)):
                press(r.choice(['Up', 'Down', 'Left', 'Right', 'A']), r.randrange(1, 6))
            press('Escape', 3)
        else:
            to_item(r.randrange(1, 6))
            for _ in range(r.randrange(1, 12)):
                press(r.choice(['Left', 'Right']))
    return lines


def main():
    sim, game = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    total = int(sys.argv[3]) if len(sys.argv) > 3 else 100000
    r = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 1)
    done, runs = 0, 0
    work = tempfile.mkdtemp(prefix='valkron-soak-')
    try:
        while done < total:
            runs += 1
            copy = os.path.join(work, 'game')
            shutil.rmtree(copy, ignore_errors=True)
            shutil.copytree(game, copy, ignore=shutil.ignore_patterns('[Ss]ettings.ini*'))
            resolution = r.randrange(len(RESOLUTIONS))
            width, height = RESOLUTIONS[resolution]
            with open(os.path.join(copy, 'settings.ini'), 'w') as f:
                f.write(f'ResX={width}\nResY={height}\nLimit={r.randrange(1, 4)}\nPlane.0={r.randrange(6)}\n'
                        f'Plane.1={r.randrange(6)}\nName.0=Player 1\nName.1=Player 2\n')
            ticks = total - done
            keys = os.path.join(work, 'keys')
            with open(keys, 'w') as f:
                f.write('\n'.join(script(r, ticks, resolution)) + '\n')
            process = subprocess.Popen([sim, '--seed', str(r.randrange(1 << 30)), '--ticks', str(ticks), '--keys', keys,
                                        '--trace', '-'], cwd=copy, stdout=subprocess.PIPE)
            ran = 0
            while chunk := process.stdout.read(1 << 16):
                ran += chunk.count(b'\n')
            if process.wait() != 0:
                print(f'soak: valkron-sim failed (exit {process.returncode}) in run {runs} at tick {ran}; '
                      f'keys in {keys}', file=sys.stderr)
                work = None
                return 1
            done += ran
            print(f'soak: run {runs}: {ran} ticks at {width}x{height}', flush=True)
        print(f'soak: {done} ticks in {runs} runs, clean')
        return 0
    finally:
        if work:
            shutil.rmtree(work)


if __name__ == '__main__':
    sys.exit(main())
