#!/usr/bin/env bash
# Set-up and build of Valkron Engine.
#
#   ./valkron.sh play       install what is missing, build, start the game
#   ./valkron.sh test       install what is missing, build, run every test
#   ./valkron.sh sanitize   the same tests in an AddressSanitizer/UBSan build
#   ./valkron.sh fuzz [S]   build the libFuzzer targets and run each S seconds
#   ./valkron.sh soak [T]   T ticks (100,000) of random keys through valkron-sim
#                           in the sanitizer build
#   ./valkron.sh windows [test]
#                           cross-build the Windows game into
#                           build-windows/valkron-windows.zip; with "test",
#                           then run it under Wine against valkron-sim
#
# Every step is incremental: a second run rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(
  g++ cmake make pkg-config
  libgtest-dev libbenchmark-dev libpng-dev
  libsdl2-dev libsdl2-mixer-dev libenet-dev
  clang libclang-rt-14-dev
  libx11-dev xvfb xauth xdotool imagemagick x11-utils python3
)
# Only for the windows command: the cross compiler (with DirectDraw's and
# DirectSound's headers and import libraries) and Wine for its tests.
windows_packages=(g++-mingw-w64-x86-64 wine64)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# build_tree DIR [cmake options...]: configure once, then build incrementally.
build_tree() {
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -DVALKRON_WERROR=ON "$@" >/dev/null
  fi
  cmake --build "$dir" -j "$jobs"
}

# The sanitizer build and how its programs run.
sanitize_build() {
  build_tree build-asan -DCMAKE_BUILD_TYPE=Debug -DVALKRON_SANITIZE=ON -DVALKRON_BENCH=OFF
}
sanitized() {
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$root/tests/lsan.supp "$@"
}

case "${1:-}" in
  play)
    install_missing
    build_tree build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVALKRON_WINDOWS_BUILD="$root/build-windows"
    cd build/game
    exec ../valkron
    ;;
  test)
    install_missing
    build_tree build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVALKRON_WINDOWS_BUILD="$root/build-windows"
    ctest --test-dir build --output-on-failure -j "$jobs" -LE wine
    ;;
  sanitize)
    install_missing
    sanitize_build
    sanitized ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE wine
    ;;
  soak)
    install_missing
    sanitize_build
    sanitized python3 fuzz/soak.py build-asan/valkron-sim build-asan/game "${2:-100000}"
    ;;
  fuzz)
    install_missing
    seconds=${2:-60}
    build_tree build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVALKRON_WINDOWS_BUILD="$root/build-windows"  # its game data seeds the corpora
    build_tree build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVALKRON_FUZZ=ON \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    # The seeds: the generator's own files, and settings files with and
    # without the window's options.
    seeds=$root/build-fuzz/seeds
    rm -rf "$seeds"
    mkdir -p "$seeds"/{load_scene,pictures,wave,settings,help_text,replay,net_message}
    cp build/game/*/*.3ds "$seeds/load_scene/"
    if [ -d tests/corpus/3ds ]; then cp tests/corpus/3ds/* "$seeds/load_scene/"; fi
    cp build/game/*.tex build/game/*/*.tex "$seeds/pictures/"
    cp build/generated/*.wav "$seeds/wave/"
    printf 'ResX=640\nResY=480\nLimit=3\nPlane.0=5\nPlane.1=2\nName.0=Ann\nName.1=Bob\n' >"$seeds/settings/seven"
    printf 'ResX=400\r\nResY=300\r\nLimit=10\r\nPlane.0=0\r\nPlane.1=0\r\nName.0=Player 1\r\nName.1=Player 2\r\nFullscreen=0\r\nWindow=800x600\r\n' \
      >"$seeds/settings/options"
    cp docs/replay.keys "$seeds/replay/"
    # A hello, a ticks message with inputs and hashes, a bye.
    printf 'V\001\003\061.0\003Ann\005\003\037\000\000\000\003\000\000\000\200\002\340\001' >"$seeds/net_message/hello"
    printf 'V\002\011\000\000\000\012\000\000\000\003\001\100\000\010\000\000\000\002\001\002\003\004\005\006\007\010' \
      >"$seeds/net_message/ticks"
    printf 'V\003\001' >"$seeds/net_message/bye"
    for width in 0 5; do  # the first byte picks the screen width
      { printf "\\$(printf %o $width)"; cat build/game/Data/pak0.pak; } >"$seeds/help_text/pak0-$width"
    done
    for fuzzer in build-fuzz/fuzz/fuzz_*; do
      [ -x "$fuzzer" ] || continue
      name=$(basename "$fuzzer")
      mkdir -p "build-fuzz/corpus-$name"
      echo "== $name"
      # The pictures' loaders read every byte alike: short inputs go further.
      limit=(); [ "$name" != fuzz_pictures ] || limit=(-max_len=4096)
      if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 "${limit[@]}" \
        "$root/build-fuzz/corpus-$name" "$seeds/${name#fuzz_}" >"build-fuzz/$name.log" 2>&1; then
        tail -n 40 "build-fuzz/$name.log"
        echo "$name failed"
        exit 1
      fi
      grep -E "^stat::(number_of_executed_units|peak_rss_mb)" "build-fuzz/$name.log"
    done
    ;;
  windows)
    packages+=("${windows_packages[@]}")
    install_missing
    # The game data and the five WAVE files come from the Linux build's
    # generator; the cross build compiles the game around them.
    if [ ! -f build/CMakeCache.txt ]; then
      cmake -S "$root" -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVALKRON_WINDOWS_BUILD="$root/build-windows" >/dev/null
    fi
    cmake --build build -j "$jobs" --target game_data
    build_tree build-windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DVALKRON_DATA_BUILD="$root/build"
    echo "Made build-windows/valkron-windows.zip"
    if [ "${2:-}" = test ]; then
      cmake -S "$root" -B build -DVALKRON_WINDOWS_BUILD="$root/build-windows" >/dev/null
      cmake --build build -j "$jobs" --target test_e2e_wine
      ctest --test-dir build --output-on-failure -L wine
    fi
    ;;
  *)
    sed -n '2,14p' "$0"
    exit 2
    ;;
esac
