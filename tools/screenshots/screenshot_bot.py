#!/usr/bin/env python3
# The bot behind docs/match.png and docs/explosion.png. To re-make both
# pictures and their key scripts, run tools/screenshots/make_screenshots.sh
# (after a build); it runs this bot and then checks that each key script
# alone gives the same frame again.
#
#   screenshot_bot.py match|explosion --sim build/valkron-sim --game DIR
#                     --keys docs/match.keys [--seed S] [--ticks N]
#                     [--log TRACE] [--verbose] [--param NAME=VALUE]...
#
# DIR is a copy of build/game whose settings.ini sets 640 x 480 (see
# make_screenshots.sh). The bot runs valkron-sim there with "--keys -" and
# "--trace -": it skips the intro, starts a new game and steers both
# aeroplanes tick by tick from the trace (rows 0-2 of each matrix are the
# aeroplane's right, down and forward axes, row 3 its place). It plays a few
# rounds so that the frags are not all 0, then sets up the picture:
#
#   match      both stop, land a few hits on each other, turn so that a
#              run-in with the accelerator and the trigger held ends with
#              each seeing the other 120 units away above his sights and
#              the other's newest shot flying past below; the picture is
#              the last frame of the run-in.
#   explosion  Ann wears Bob down, then shoots him as he dashes across her
#              sights; the picture shows the fifth explosion picture.
#
# Every key line sent goes into the key script (with a header saying how to
# replay it); the bot prints "seed S tick N frame HASH" for the picture.
# --param overrides a setting of the scene (see Scene and SCENES).
import argparse
import ast
import json
import math
import subprocess
import sys

# The settings of the two pictures: seed and the scene's parameters.
SCENES = {
    "match": dict(seed=1, frags=[0, 1, 0], hits=(5, 3), gap=120.0, offset1=(0.55, -0.3),
                  offset2=(-0.55, -0.3), bank=(0.6, -0.6), run_in=10),
    "explosion": dict(seed=1, frags=[0, 1, 0], hits=(4, 0), blast_gap=200.0, dash=6, blast=4),
}

ACCELERATE, BRAKE, LEFT, RIGHT, UP, DOWN, FIRE = range(7)
KEY_NAMES = (
    ("Insert", "Delete", "Left", "Right", "Up", "Down", "Home"),
    ("1", "2", "A", "D", "W", "S", "3"),
)


def sight(me, other):
    """The other aeroplane seen from me: offsets along my right, down and
    forward axes, the distance, and the angles to the right and down."""
    m = me["matrix"]
    d = [other["pos"][k] - me["pos"][k] for k in range(3)]
    local = []
    for row in range(3):
        axis = m[4 * row:4 * row + 3]
        length = sum(a * a for a in axis)
        local.append(sum(d[k] * axis[k] for k in range(3)) / length)
    x, y, z = local
    return {
        "x": x, "y": y, "z": z,
        "distance": math.sqrt(sum(c * c for c in d)),
        "right": math.atan2(x, z),
        "down": math.atan2(y, z),
    }


def coasting_angle(w):
    """The angle still turned after letting go of a turn at rate w."""
    total, a = 0.0, abs(w)
    while True:
        a -= 0.03
        if a <= 0:
            break
        total += a
    return -total if w < 0 else total


def next_rate(w, key):
    """The game's turn rate after one frame with the key for +1, the one for
    -1 or neither (0)."""
    if key > 0:
        return w + 0.015 if w < 0.15707963 else 0.15707964
    if key < 0:
        return w - 0.015 if w > -0.15707963 else -0.15707964
    if w > 0:
        return max(0.0, w - 0.03)
    return min(0.0, w + 0.03)


def steer(e, w):
    """+1 to turn so that the error e shrinks, -1 the other way, 0 to let
    go; w is the present rate in the direction that shrinks e. Picks what
    brings the point where the turn comes to rest nearest to e."""
    best, best_miss = 0, None
    for key in (0, 1, -1):
        rate = next_rate(w, key)
        miss = abs(e - rate - coasting_angle(rate))
        if best_miss is None or miss < best_miss - 1e-9:
            best, best_miss = key, miss
    return best


def aim(keys, me, other, right=0.0, down=0.0):
    """Turns so that the other aeroplane is seen at the given angles (radians
    right of and below the nose)."""
    s = sight(me, other)
    yaw = steer(s["right"] - right, -me["yaw_rate"])
    keys[RIGHT] = yaw > 0
    keys[LEFT] = yaw < 0
    pitch = steer(s["down"] - down, -me["pitch_rate"])
    keys[DOWN] = pitch > 0
    keys[UP] = pitch < 0
    return s


def add(a, b, k=1.0):
    return [x + k * y for x, y in zip(a, b)]


def scale(a, k):
    return [x * k for x in a]


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


def cross(a, b):
    return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]


def unit(a):
    return scale(a, 1.0 / math.sqrt(dot(a, a)))


def axes(me):
    """Right, down and forward axes (right x down = forward)."""
    m = me["matrix"]
    return unit(m[0:3]), unit(m[4:7]), unit(m[8:11])


def yawed(frame, angle):
    """The frame turned right by angle."""
    r, d, f = frame
    c, s = math.cos(angle), math.sin(angle)
    return add(scale(r, c), f, -s), d, add(scale(f, c), r, s)


def pitched(frame, angle):
    """The frame with its nose raised by angle."""
    r, d, f = frame
    c, s = math.cos(angle), math.sin(angle)
    return r, add(scale(d, c), f, s), add(scale(f, c), d, -s)


def rolled(frame, angle):
    """The frame rolled to the right (right wing down) by angle."""
    r, d, f = frame
    c, s = math.cos(angle), math.sin(angle)
    return add(scale(r, c), d, s), add(scale(d, c), r, -s), f


class Turner:
    """Turns towards a frame (right, down, forward) with only the two turns
    there are: a yaw that lays the right axis across the wanted down axis, a
    pitch onto that down axis, a yaw onto the wanted nose. Each step leaves
    what the steps before it did nearly as it is; a step once done is not
    gone back to (a touch of a key turns by 0.015 at least)."""

    def __init__(self, target, tolerance=0.008):
        self.target = target
        self.tolerance = tolerance
        self.step = 0

    def keys(self, keys, me):
        """Sets the turn keys; true once there and at rest."""
        r, d, f = axes(me)
        want_d, want_f = self.target[1], self.target[2]
        yaw_rate, pitch_rate = me["yaw_rate"], me["pitch_rate"]
        keys[LEFT] = keys[RIGHT] = keys[UP] = keys[DOWN] = False
        while self.step < 3:
            if self.step == 0:
                # Yaw a: the right axis r cos a - f sin a across want_d.
                rd, fd = dot(r, want_d), dot(f, want_d)
                angle = math.atan2(rd, fd) if abs(fd) > 1e-9 else math.copysign(math.pi / 2, rd)
                if angle > math.pi / 2:
                    angle -= math.pi
                elif angle < -math.pi / 2:
                    angle += math.pi
            elif self.step == 1:
                # Pitch b (nose up): the down axis d cos b + f sin b onto want_d.
                angle = math.atan2(dot(f, want_d), dot(d, want_d))
            else:
                # Yaw c (to the right): the nose onto want_f.
                angle = math.atan2(dot(r, want_f), dot(f, want_f))
            pitching = self.step == 1
            rate = pitch_rate if pitching else -yaw_rate
            if abs(angle) <= self.tolerance and yaw_rate == 0 and pitch_rate == 0:
                self.step += 1
                continue
            turn = steer(angle, rate)
            if pitching:
                keys[UP], keys[DOWN] = turn > 0, turn < 0
            else:
                keys[RIGHT], keys[LEFT] = turn > 0, turn < 0
            return False
        return yaw_rate == 0 and pitch_rate == 0


def view_frame(line_frame, right, down, bank):
    """The frame of a pilot who sees along line_frame's forward axis an
    aeroplane at the given angles right of and below his nose, banked by
    bank to the right."""
    return rolled(pitched(yawed(line_frame, -right), down), bank)


def run_in_speeds(frames):
    """The speeds of the frames of a start from rest with the accelerator
    held (the game's rule: the thrust grows by 0.5 a frame)."""
    speeds, speed, thrust = [], 0.0, 0.0
    for _ in range(frames):
        if speed < 50.0:
            thrust += 0.5
            speed += thrust
        else:
            speed = 50.0
        speeds.append(speed)
    return speeds


def picture_layout(gap, offset1, offset2, bank, run_in):
    """The two aeroplanes as they are to be in the picture, in a frame of
    their own (player 1 at the origin, player 2 at gap along z, down along
    y): their frames, and where both start their run-in from rest."""
    line1 = ([1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, 1.0])
    line2 = ([-1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, -1.0])
    frames = (view_frame(line1, offset1[0], offset1[1], bank[0]),
              view_frame(line2, offset2[0], offset2[1], bank[1]))
    final = ([0.0, 0.0, 0.0], [0.0, 0.0, gap])
    travel = sum(run_in_speeds(run_in))
    start = [add(final[i], frames[i][2], -travel) for i in range(2)]
    return frames, final, start


class Scene:
    """One match, round by round. In each round both fly at each other and
    stop. In the rounds before the last one the player named in `frags`
    (0 Ann, 1 Bob) shoots the other down. In the last round:

    "match": both land `hits` (taken by Ann, taken by Bob) on each other;
    then each turns so that, after a run-in of `run_in` frames with the
    accelerator and the trigger held, he sees the other `gap` units away at
    the angles `offset1` / `offset2` (radians right of and below his nose),
    both upright in one common sense of down and banked by `bank`. Every
    shot starts 131 units ahead of its shooter, so only this far apart can
    each see the other and the other's newest shot flying past. The picture
    is the last frame of the run-in.

    "explosion": from `blast_gap` units Ann takes Bob's energy down to 0
    while Bob lands `hits[0]` hits on her; Bob turns to fly across her
    view to her left and sets off; in frame `dash` of his dash Ann fires
    the shot that kills him, so that his wreck drifts on to the left. The
    picture is the frame that shows explosion picture `blast`."""

    def __init__(self, kind, frags=(), hits=(0, 0), gap=120.0, offset1=(0.3, -0.4),
                 offset2=(-0.3, -0.4), bank=(0.0, 0.0), run_in=8, settle=5, blast=4,
                 away=(0.5, 0.0), dash=3, blast_gap=231.0):
        self.kind = kind
        self.frags = list(frags)
        self.hits = hits
        self.layout = picture_layout(gap, offset1, offset2, bank, run_in)
        frames, final, start = self.layout
        self.start_gap = math.sqrt(sum((start[1][k] - start[0][k]) ** 2 for k in range(3)))
        # Player 1 is hit only by a shot that ends a frame within 30 units
        # of him; from a shooter at rest the shots end their frames 131, 231,
        # 331 ... units away. The shooting happens at such a distance.
        self.shooting_gap = 231.0
        while kind == "match" and self.shooting_gap < self.start_gap + 20:
            self.shooting_gap += 100.0
        self.stand = self.shooting_gap
        self.run_in = run_in
        self.settle = settle
        self.blast = blast
        self.away = away
        self.dash = dash
        self.blast_gap = blast_gap
        self.pending = []
        self.round = 0
        self.phase = "approach"
        self.turners = None
        self.phase_start = 0
        self.fired = [0, 0]
        self.picture = None  # the tick of the picture

    def killer(self):
        """Who shoots the other down in this round, or None."""
        if self.round < len(self.frags):
            return self.frags[self.round]
        return None

    def approach(self, wish, p):
        """Both fly at each other and stop `stand` units apart; true once
        they rest there."""
        s = sight(p[0], p[1])
        room = s["distance"] - self.stand  # each flies half of it
        for i in range(2):
            me, other = p[i], p[1 - i]
            si = aim(wish[i], me, other)
            aligned = abs(si["right"]) < 0.2 and abs(si["down"]) < 0.2
            if not aligned:
                wanted = 3.0 if room > 300 else 0.0
            else:
                wanted = min(50.0, 0.8 * math.sqrt(1.1 * max(0.0, room)))
            speed, thrust = me["speed"], me["thrust"]
            # The accelerator adds the thrust grown by 0.5; at the end a
            # touch of it creeps on by 0.6.
            wish[i][ACCELERATE] = room > 1.5 and (speed + thrust + 0.5 <= wanted
                                                  or (aligned and speed <= 0.0))
            wish[i][BRAKE] = not wish[i][ACCELERATE] and speed > wanted + 0.5
        return room <= 1.5 and p[0]["speed"] <= 0 and p[1]["speed"] <= 0

    def plan(self, p):
        """Lays the layout into the world: its start line along the line
        between the two, its down as near player 1's down as can be."""
        frames, final, start = self.layout
        a_f = unit([start[1][k] - start[0][k] for k in range(3)])
        a_d = unit(add([0.0, 1.0, 0.0], a_f, -a_f[1]))
        a_r = cross(a_d, a_f)
        w_f = unit([p[1]["pos"][k] - p[0]["pos"][k] for k in range(3)])
        d = axes(p[0])[1]
        w_d = unit(add(d, w_f, -dot(d, w_f)))
        w_r = cross(w_d, w_f)

        def world(v):
            return add(add(scale(w_r, dot(v, a_r)), w_d, dot(v, a_d)), w_f, dot(v, a_f))

        self.turners = [Turner(tuple(world(axis) for axis in frames[i])) for i in range(2)]

    def shoot(self, wish, p, shooter, shots=None):
        """The shooter holds the other in his sights and fires while he is
        there (at most `shots` times). True when he fires."""
        target = p[1 - shooter]
        s = aim(wish[shooter], p[shooter], target)
        aligned = abs(s["right"]) < 0.02 and abs(s["down"]) < 0.02
        if aligned and (shots is None or self.fired[shooter] < shots):
            wish[shooter][FIRE] = True
            self.fired[shooter] += 1
            return True
        return False

    def keys(self, t, line):
        wish = [[False] * 7, [False] * 7]
        p = line["players"]
        timer = line["frag_timer"]
        if self.phase == "frag":
            if timer <= 0:  # the next round has begun
                self.round += 1
                self.phase = "approach"
            return wish
        if self.phase == "approach":
            if self.approach(wish, p):
                if self.killer() is not None:
                    self.phase = "kill"
                elif self.kind == "explosion" and self.stand != self.blast_gap:
                    self.stand = self.blast_gap  # on to the distance of the picture
                elif self.kind == "explosion":
                    self.phase = "wound"
                    self.fired = [0, 0]
                elif self.kind == "match":
                    self.phase = "exchange"
                    self.fired = [0, 0]
                    self.phase_start = 0
            return wish
        if self.phase == "close in":
            if self.approach(wish, p):
                self.plan(p)
                self.phase = "turn"
            return wish
        if self.phase == "kill":
            if timer > 0:
                self.phase = "frag"
                return wish
            killer = self.killer()
            self.shoot(wish, p, killer)
            aim(wish[1 - killer], p[1 - killer], p[killer], *self.away)
            return wish
        if self.phase == "wound":
            # Ann takes Bob's energy down to 0: one more hit kills him. A
            # shot reaches him in the frame after it is fired. Bob lands
            # hits[0] hits on her.
            self.pending = [f for f in self.pending if f >= t - 2]
            if p[1]["energy"] - 5 * len(self.pending) > 0:
                if self.shoot(wish, p, 0):
                    self.pending.append(t)
            else:
                aim(wish[0], p[0], p[1])
            if self.fired[1] < self.hits[0]:
                self.shoot(wish, p, 1, self.hits[0])
            else:
                aim(wish[1], p[1], p[0], *self.away)
            if p[1]["energy"] == 0 and not self.pending and self.fired[1] >= self.hits[0]:
                self.phase = "line up"
                # Bob is to fly across Ann's view, to her left.
                r, d, f = axes(p[0])
                self.turners = [None, Turner((f, d, scale(r, -1)))]
            return wish
        if self.phase == "line up":
            # Ann holds her nose where Bob will be when the shot she fires
            # in frame `dash` of his dash reaches him (a frame later).
            lead = sum(run_in_speeds(self.dash + 2))
            distance = sight(p[0], p[1])["distance"]
            aim(wish[0], p[0], p[1], math.atan2(lead, distance), 0.0)
            if (self.turners[1].keys(wish[1], p[1]) and p[0]["yaw_rate"] == 0
                    and p[0]["pitch_rate"] == 0):
                self.phase, self.phase_start = "dash", t
            return wish
        if self.phase == "dash":
            if timer > 0:
                self.phase = "blast"
                return wish
            wish[1][ACCELERATE] = True
            wish[0][FIRE] = t - self.phase_start == self.dash
            return wish
        if self.phase == "blast":
            if p[1]["explosion_frame"] == self.blast:
                self.picture = t - 1  # the frame just traced
                self.phase = "picture"
            return wish
        if self.phase == "exchange":
            for i in range(2):
                self.shoot(wish, p, i, self.hits[1 - i])
            if self.fired[0] >= self.hits[1] and self.fired[1] >= self.hits[0]:
                # The last shots still have to arrive.
                self.phase_start = self.phase_start or t
                if t - self.phase_start >= 3:
                    self.stand = self.start_gap
                    self.phase = "close in"
            return wish
        if self.phase == "turn":
            done = [self.turners[i].keys(wish[i], p[i]) for i in range(2)]
            if all(done):
                self.phase, self.phase_start = "settle", t
            return wish
        if self.phase == "settle" and t - self.phase_start >= self.settle:
            self.phase, self.phase_start = "run-in", t
        if self.phase == "run-in":
            for i in range(2):
                wish[i][ACCELERATE] = wish[i][FIRE] = True
            if t - self.phase_start == self.run_in - 1:
                self.picture = t
                self.phase = "picture"
        return wish


def run(args, scene):
    sim = subprocess.Popen(
        [args.sim, "--seed", str(args.seed), "--keys", "-", "--trace", "-",
         "--ticks", str(args.ticks)],
        cwd=args.game, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
    script = []
    held = [[False] * 7, [False] * 7]

    def send(line, record=True):
        sim.stdin.write(line)
        if record:
            script.append(line)

    send("1 go\n", record=False)
    entered = False
    frames = {}
    log = open(args.log, "w") if args.log else None
    for text in sim.stdout:
        line = json.loads(text)
        tick = line["tick"]
        nxt = tick + 1
        mode = line["mode"]
        frames[tick] = line["frame"]
        if log:
            log.write(text)
        if nxt > args.ticks or scene.phase == "picture":
            if not sim.stdin.closed:
                sim.stdin.close()  # the run goes on to --ticks without keys
            continue
        wish = [[False] * 7, [False] * 7]
        if mode == "intro" and tick == 1:
            send("%d down Escape\n" % nxt)
        elif mode == "intro" and tick == 2:
            send("%d up Escape\n" % nxt)
        elif mode == "menu" and not entered:
            send("%d down Enter\n" % nxt)  # "New game"
            entered = True
        elif mode == "match":
            if entered is True:
                send("%d up Enter\n" % nxt)
                entered = "released"
            before = (scene.phase, scene.round)
            wish = scene.keys(nxt, line)
            if args.verbose and (scene.phase, scene.round) != before:
                print("tick %d: round %d, %s" % (nxt, scene.round + 1, scene.phase), file=sys.stderr)
        for p in range(2):
            for k in range(7):
                if wish[p][k]:
                    send("%d down %s\n" % (nxt, KEY_NAMES[p][k]))  # like the keyboard's repeat
                elif held[p][k]:
                    send("%d up %s\n" % (nxt, KEY_NAMES[p][k]))
        held = wish
        send("%d go\n" % nxt, record=False)
    code = sim.wait()
    if log:
        log.close()
    if code != 0 or scene.picture is None:
        print("valkron-sim exited with %d; picture: %s" % (code, scene.picture), file=sys.stderr)
        return 1
    settings = ""
    for name in ("settings.ini", "Settings.ini"):
        try:
            with open("%s/%s" % (args.game, name)) as f:
                settings = ", ".join(f.read().split())
            break
        except OSError:
            pass
    name = args.keys.rsplit("/", 1)[-1].rsplit(".", 1)[0]
    with open(args.keys, "w") as out:
        out.write("# Keys for docs/%s.png, written by tools/screenshots/screenshot_bot.py.\n"
                  "# Replay in a copy of build/game whose settings.ini holds the lines\n"
                  "# %s:\n"
                  "#   valkron-sim --seed %d --ticks %d --keys REPO/docs/%s.keys \\\n"
                  "#       --png %d:REPO/docs/%s.png\n"
                  % (name, settings, args.seed, scene.picture, name, scene.picture, name))
        out.writelines(script)
    print("seed %d tick %d frame %s" % (args.seed, scene.picture, frames.get(scene.picture)))
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scene", choices=sorted(SCENES))
    parser.add_argument("--sim", required=True)
    parser.add_argument("--game", required=True)
    parser.add_argument("--keys", required=True)
    parser.add_argument("--seed", type=int)
    parser.add_argument("--ticks", type=int, default=5000)
    parser.add_argument("--log", help="a copy of the trace")
    parser.add_argument("--verbose", action="store_true", help="the phases on standard error")
    parser.add_argument("--param", action="append", default=[],
                        help="NAME=PYTHON_LITERAL, passed to the scene")
    args = parser.parse_args()
    params = dict(SCENES[args.scene])
    for p in args.param:
        name, value = p.split("=", 1)
        params[name] = ast.literal_eval(value)
    seed = params.pop("seed")
    if args.seed is None:
        args.seed = seed
    sys.exit(run(args, Scene(args.scene, **params)))


if __name__ == "__main__":
    main()
