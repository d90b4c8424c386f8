#!/bin/bash
# Before and after in one run: builds bench/speed_table.cpp against another
# checkout's libraries (BEFORE, default /work/baseline, whose native tree
# must be built) and runs it and this tree's quib_speed_table one after the
# other, so that both tables come from the same machine state.
#   bench/speed_compare.sh [quib_speed_table options, e.g. --quick --cap 10]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
before=${BEFORE:-/work/baseline}
after_bin=${AFTER_BIN:-$here/build/native/bench/quib_speed_table}
out=$here/build/before
mkdir -p "$out"
g++ -O2 -std=c++20 -I"$before" "$here/bench/speed_table.cpp" -o "$out/quib_speed_table" \
  "$before/build/native/libquib_numtext.a" "$before/build/native/libquib_arith.a" \
  -lmpfr -lgmp -lpthread
echo "== before ($before)"
"$out/quib_speed_table" "$@"
echo
echo "== after ($here)"
"$after_bin" "$@"
