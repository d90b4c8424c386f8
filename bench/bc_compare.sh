#!/bin/bash
# Times the functions of transcend_bench in `bc -l` at scale 33 and 65, so
# that the two can be compared as ratios measured in the same run:
#   build/<dir>/bench/quib_transcend_bench --benchmark_min_time=0.05
#   bench/bc_compare.sh
# Each expression is evaluated N times in one bc process; the CPU time
# (user + system, as the benchmark's CPU column) of the same loop around a
# plain assignment is taken off, so start-up and the loop do not count.
# N33 and N65 set the evaluations per measurement at each scale.
set -eu
N33=${N33:-1000}
N65=${N65:-300}
TIMEFORMAT='%3U %3S'

# CPU seconds of bc running `expr` n times at `scale`.
cpu_seconds() {
  local scale=$1 n=$2 expr=$3 t
  t=$( { time printf 'scale=%s\nfor (i = 0; i < %s; i++) { x = %s }\n' \
      "$scale" "$n" "$expr" | bc -l >/dev/null; } 2>&1 )
  echo "$t" | awk '{ print $1 + $2 }'
}

# Microseconds per evaluation of `expr` at `scale`.
per_call() {
  local scale=$1 n=$2 expr=$3 busy idle
  busy=$(cpu_seconds "$scale" "$n" "$expr")
  idle=$(cpu_seconds "$scale" "$n" "1.2345")
  awk -v b="$busy" -v i="$idle" -v n="$n" 'BEGIN { printf "%.1f", (b - i) / n * 1e6 }'
}

printf '%-14s %12s %12s\n' "bc -l (us)" "scale 33" "scale 65"
while IFS='|' read -r name expr; do
  printf '%-14s %12s %12s\n' "$name" "$(per_call 33 "$N33" "$expr")" \
    "$(per_call 65 "$N65" "$expr")"
done <<'LIST'
Exponential|e(1.2345)
NaturalLog|l(1.2345)
CommonLog|l(1000)/l(10)
Power|e(0.7*l(2.5))
Root|e(l(27)/3)
ArcSine|a(0.5/sqrt(1-0.5^2))
ArcTangent|a(3)
LIST
