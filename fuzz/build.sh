#!/usr/bin/env bash
# Builds every fuzz target (fuzz/fuzz_NAME.cpp) with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into fuzz/out/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out="$here/out"
mkdir -p "$out"

# The project sources each target exercises (only what it needs, so no media libraries).
sources_for() {
  case "$1" in
    metafile) ls "$root"/src/pictures/metafile/*.cpp ;;
    midi) echo "$root/src/media/midi/midisong.cpp"; echo "$root/src/media/midi/miditempomap.cpp" ;;
    *) echo "no source list for fuzz target $1" >&2; return 1 ;;
  esac
}

flags=(-std=c++17 -g -O1 -fPIC -fno-omit-frame-pointer
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
read -r -a qt <<<"$(pkg-config --cflags --libs Qt6Gui)"
for target in "$here"/fuzz_*.cpp; do
  name=$(basename "$target" .cpp)
  name=${name#fuzz_}
  mapfile -t sources < <(sources_for "$name")
  echo "building fuzz_$name"
  clang++ "${flags[@]}" -I"$root/src" "$target" "${sources[@]}" "${qt[@]}" -o "$out/fuzz_$name"
done
