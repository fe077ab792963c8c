#!/bin/sh
# Re-makes docs/match.png and docs/explosion.png from the real game, with
# their key scripts docs/match.keys and docs/explosion.keys:
#
#   tools/screenshots/make_screenshots.sh      # after a build (build/)
#
# In a scratch copy of build/game set to 640 x 480 (Ann flies the Titan Hs,
# Bob the Happy) tools/screenshots/screenshot_bot.py plays each picture's
# match through "valkron-sim --keys - --trace -" and records the keys; then
# valkron-sim replays each key script alone, writes the PNG and must show
# the same frame (the trace's frame hash) as the bot's run.
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
    png=$root/docs/$scene.png
    result=$(python3 "$root/tools/screenshots/screenshot_bot.py" "$scene" \
        --sim "$sim" --game "$scratch/game" --keys "$keys")
    set -- $result # seed S tick N frame HASH
    seed=$2 tick=$4 frame=$6
    (cd "$scratch/game" &&
        "$sim" --seed "$seed" --ticks "$tick" --keys "$keys" --png "$tick:$png" \
            --trace "$scratch/$scene.trace")
    replayed=$(tail -n 1 "$scratch/$scene.trace" | sed -n 's/.*"frame":"\([0-9a-f]*\)".*/\1/p')
    if [ "$replayed" != "$frame" ]; then
        echo "$scene: the key script gives frame $replayed at tick $tick, the bot saw $frame" >&2
        exit 1
    fi
    echo "docs/$scene.png: seed $seed, tick $tick, frame $frame"
done
