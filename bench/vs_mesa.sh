#!/usr/bin/env bash
# Our fills against Mesa's llvmpipe on one thread, on the same triangles, in
# one run.
#
#   bench/vs_mesa.sh [BUILD_DIR] [ROUNDS]
#
# Builds the peer (osmesa_scene.c from tools/peer of the shared folder
# beside the repository, or from $VALKRON_PEER_DIR) when OSMesa is
# installed (apt-get install libosmesa6-dev), writes bench_raster's scene
# for it, then takes turns ROUNDS times (default 5): bench_raster, the peer
# textured, the peer flat. Prints the median milliseconds of one whole view
# (clear plus draw) of each and the peer's time over ours.
#
# The machine may be shared, so the figures are CPU time: bench_raster's
# thread CPU time per view, and for the peer the CPU time of a run of 25
# views per repetition less that of a run of 5 (its start-up, the same in
# both, drops out), per view. The peer's own wall-clock figure is printed
# beside it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-5}
peer_dir=${VALKRON_PEER_DIR:-$root/../shared/tools/peer}
bench=$build/bench/bench_raster

if [ ! -x "$bench" ]; then
  echo "vs_mesa: no $bench; build the bench programs first" >&2
  exit 1
fi
if [ ! -f /usr/include/GL/osmesa.h ]; then
  echo "vs_mesa: OSMesa is not installed (apt-get install libosmesa6-dev): no peer to compare with"
  exit 0
fi
if [ ! -f "$peer_dir/osmesa_scene.c" ]; then
  echo "vs_mesa: no peer source at $peer_dir (set VALKRON_PEER_DIR)" >&2
  exit 1
fi

work=$build/bench/peer
mkdir -p "$work"
peer=$work/osmesa_scene
if [ ! -x "$peer" ] || [ "$peer_dir/osmesa_scene.c" -nt "$peer" ]; then
  cc -O2 -o "$peer" "$peer_dir/osmesa_scene.c" -lOSMesa -lm
fi
"$bench" --runs 1 --frames 1 --dump "$work/scene.bin" > /dev/null

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# CPU seconds (user + system) of one peer run; its wall-clock ms per view
# goes to $work/wall.txt.
peer_cpu() {
  local TIMEFORMAT='%3U %3S' times
  times=$( { time LP_NUM_THREADS=0 "$peer" "$work/scene.bin" "$1" "$2" "$reps" > "$work/result.txt"; } 2>&1 )
  sed -n 's/^RESULT .* ms=\([0-9.]*\).*/\1/p' "$work/result.txt" > "$work/wall.txt"
  echo "$times" | awk '{ print $1 + $2 }'
}

reps=5
: > "$work/ours.txt"
: > "$work/peer.txt"
for ((round = 1; round <= rounds; ++round)); do
  "$bench" | awk '/^whole view, textured/ { t = $4 } /^whole view, flat/ { f = $4 } END { print t, f }' >> "$work/ours.txt"
  line=""
  for mode in tex flat; do
    short=$(peer_cpu "$mode" 5)
    long=$(peer_cpu "$mode" 25)
    wall=$(cat "$work/wall.txt")
    line="$line $(awk -v a="$short" -v b="$long" -v r="$reps" 'BEGIN { printf "%.3f", (b - a) * 1000 / (20 * r) }') ${wall:-nan}"
  done
  echo "$line" >> "$work/peer.txt"
  echo "round $round of $rounds: ours $(tail -n 1 "$work/ours.txt"); llvmpipe (CPU, wall)$(tail -n 1 "$work/peer.txt")" >&2
done

column() { awk -v c="$2" '{ print $c }' "$1" | median; }
ours_tex=$(column "$work/ours.txt" 1)
ours_flat=$(column "$work/ours.txt" 2)
peer_tex=$(column "$work/peer.txt" 1)
peer_tex_wall=$(column "$work/peer.txt" 2)
peer_flat=$(column "$work/peer.txt" 3)
peer_flat_wall=$(column "$work/peer.txt" 4)

echo "one whole view of the bench_raster scene, CPU ms, median of $rounds rounds"
printf "%-10s %10s %10s %8s %18s\n" "fill" "ours" "llvmpipe" "ratio" "(llvmpipe wall)"
awk -v o="$ours_tex" -v p="$peer_tex" -v w="$peer_tex_wall" \
  'BEGIN { printf "%-10s %10.3f %10.3f %8.2f %18.3f\n", "textured", o, p, p / o, w }'
awk -v o="$ours_flat" -v p="$peer_flat" -v w="$peer_flat_wall" \
  'BEGIN { printf "%-10s %10.3f %10.3f %8.2f %18.3f\n", "flat", o, p, p / o, w }'
