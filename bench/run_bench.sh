#!/bin/bash
# Times kivg on synthetic specs of 1,000 to 1,000,000 definitions and kivs on
# large script executables, and prints the figures as Markdown tables.
#   bench/run_bench.sh BUILD_DIR
# BUILD_DIR is a build configured with -DKIV_BENCH=ON (a release-like build:
# the default RelWithDebInfo) in which kivg, kivc, kivs, kiv_synthetic_spec
# and kiv_run_measured have been built. Nothing here is part of the tests.
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
bin=$build/bin
specs=$build/standalone
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# measure DIR STDOUT PROGRAM [ARG]...: runs the program in DIR with its
# standard output to STDOUT; sets wall (seconds), kb (peak resident memory)
# and status.
measure() {
  local dir=$1 out=$2
  shift 2
  status=0
  (cd "$dir" && "$bin/kiv_run_measured" "$@" > "$out" 2> "$work/measure") ||
    status=$?
  read -r wall kb < <(tail -n 1 "$work/measure")
}

# One measurement of kivg on the spec of size N; keeps the best wall time and
# its peak memory per size. Every run starts without outputs, so that no run
# pays for the filesystem dropping the outputs of the run before it.
declare -A best_wall best_kb spec_count spec_bytes
measure_kivg() {
  local n=$1 dir=$work/spec_$1
  rm -f "$dir/main.kivec" "$dir/main.h" "$dir/main.c"
  measure "$dir" /dev/null env KIV_SPEC_INCLUDE= "$bin/kivg" -q main.kivs
  if [ "$status" != 0 ]; then
    echo "kivg failed on $dir:" >&2
    cat "$work/measure" >&2
    exit 1
  fi
  if [ -z "${best_wall[$n]:-}" ] || awk "BEGIN { exit !($wall < ${best_wall[$n]}) }"; then
    best_wall[$n]=$wall
    best_kb[$n]=$kb
  fi
}

sizes=(1000 10000 100000 1000000)
for n in "${sizes[@]}"; do
  mkdir -p "$work/spec_$n"
  read -r "spec_count[$n]" "spec_bytes[$n]" < <("$bin/kiv_synthetic_spec" "$n" "$work/spec_$n")
done
# The sizes take turns, so that a busy spell of the shared cores slows every
# size alike instead of skewing the growth between two of them.
for ((round = 0; round < 5; ++round)); do
  for n in "${sizes[@]}"; do
    if [ "$n" -lt 1000000 ] || [ $((round % 2)) = 0 ]; then measure_kivg "$n"; fi
  done
done

echo "## kivg on synthetic specs"
echo
echo "Best of five runs (three for 1,000,000), taken in turns across the sizes,"
echo "each without earlier outputs. Growth: time ratio to the size"
echo "ten times smaller; n log n: the ratio that n log n growth would give."
echo
echo "| Definitions | Spec source | Wall time | Throughput | Peak memory | Growth | n log n |"
echo "|---:|---:|---:|---:|---:|---:|---:|"
previous_wall=""
for n in "${sizes[@]}"; do
  wall=${best_wall[$n]}
  growth="" reference=""
  if [ -n "$previous_wall" ]; then
    growth=$(awk "BEGIN { printf \"%.1f\", $wall / $previous_wall }")
    reference=$(awk "BEGIN { printf \"%.1f\", 10 * log($n) / log($n / 10) }")
  fi
  awk -v n="${spec_count[$n]}" -v bytes="${spec_bytes[$n]}" -v wall="$wall" \
      -v kb="${best_kb[$n]}" -v growth="$growth" -v reference="$reference" 'BEGIN {
    printf "| %d | %.2f MB | %.3f s | %.1f MB/s | %.1f MB | %s | %s |\n",
           n, bytes / 1e6, wall, bytes / 1e6 / wall, kb / 1024, growth, reference
  }'
  previous_wall=$wall
  rm -rf "$work/spec_$n"
done

# kivs: one executable of about 10 MB, loaded in the three modes, and one of
# 1,000,000 print calls; script output goes to a file.
prints() {  # COUNT FILE: a script of COUNT print calls
  awk -v count="$1" 'BEGIN { for (i = 1; i <= count; ++i) printf "print(%d)\n", i }' > "$2"
}
prints 480000 "$work/big.kiv"
prints 1000000 "$work/million.kiv"
"$bin/kivc" "$specs/standalone.kivec" "$work/big.kiv" > /dev/null
"$bin/kivc" "$specs/standalone.kivec" "$work/million.kiv" > /dev/null
big_size=$(stat -c %s "$work/big.kive")
million_size=$(stat -c %s "$work/million.kive")

echo
echo "## kivs at scale"
echo
echo "| Run | Executable | Wall time | Peak memory | Code page reads |"
echo "|---|---:|---:|---:|---:|"
kivs_row() {  # LABEL EXECUTABLE KIVS-OPTION...
  local label=$1 executable=$2 size
  shift 2
  size=$(stat -c %s "$work/$executable.kive")
  measure "$work" "$work/output.txt" "$bin/kivs" -v "$@" "$executable"
  if [ "$status" != 0 ]; then
    echo "kivs failed ($label):" >&2
    cat "$work/measure" >&2
    exit 1
  fi
  local reads
  reads=$(sed -n 's/^Code page read count: //p' "$work/output.txt")
  awk -v label="$label" -v size="$size" -v wall="$wall" -v kb="$kb" \
      -v reads="${reads:--}" 'BEGIN {
    printf "| %s | %.1f MB | %.3f s | %.1f MB | %s |\n",
           label, size / 1e6, wall, kb / 1024, reads
  }'
}
code_area=$((big_size + 4096))
kivs_row "10 MB executable, whole" big
kivs_row "10 MB executable, byte by byte" big -c "$code_area"
kivs_row "10 MB executable, paged (16 pages of 4 KB)" big -c 65536 -p 4096
kivs_row "10 MB executable, paged (255 pages of 256 B)" big -c 65280 -p 256
kivs_row "1,000,000 print calls to a file, whole" million
echo
echo "Executables: $big_size and $million_size bytes."
