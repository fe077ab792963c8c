#!/bin/sh
# Re-makes docs/match.png and docs/explosion.png with the game itself:
# valkron-sim replays each picture's committed key script (docs/match.keys,
# docs/explosion.keys; the header gives the seed and the tick) in a scratch
# copy of build/game set to 640 x 480 (Ann flies the Titan Hs, Bob the
# Happy) and writes the frame of that tick; the whole-program tests check
# that the committed pictures are those frames.
#
#   tools/screenshots/make_screenshots.sh      # after a build (build/)
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${VALKRON_BUILD:-$root/build}
sim=$build/valkron-sim
[ -x "$sim" ] && [ -d "$build/game" ] || {
    echo "no $sim or $build/game: build first" >&2
    exit 1
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -R "$build/game" "$scratch/game"
rm -f "$scratch/game/Settings.ini" "$scratch/game/settings.ini"
printf 'ResX=640\nResY=480\nLimit=10\nPlane.0=2\nPlane.1=0\nName.0=Ann\nName.1=Bob\n' \
    >"$scratch/game/settings.ini"

for scene in match explosion; do
    keys=$root/docs/$scene.keys
    set -- $(sed -n 's/.*--seed \([0-9]*\) --ticks \([0-9]*\).*/\1 \2/p' "$keys")
    seed=$1 tick=$2
    (cd "$scratch/game" && "$sim" --seed "$seed" --ticks "$tick" --keys "$keys" --png "$tick:$scratch/$scene.png")
    if cmp -s "$scratch/$scene.png" "$root/docs/$scene.png"; then
        echo "docs/$scene.png: the same (seed $seed, tick $tick)"
    else
        cp "$scratch/$scene.png" "$root/docs/$scene.png"
        echo "docs/$scene.png: re-made (seed $seed, tick $tick)"
    fi
done
