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

# The best of `runs` measurements of kivg on the spec in DIR.
best_kivg() {
  local dir=$1 runs=$2 best_wall="" best_kb=""
  for ((i = 0; i < runs; ++i)); do
    measure "$dir" /dev/null env KIV_SPEC_INCLUDE= "$bin/kivg" -q main.kivs
    if [ "$status" != 0 ]; then
      echo "kivg failed on $dir:" >&2
      cat "$work/measure" >&2
      exit 1
    fi
    if [ -z "$best_wall" ] || awk "BEGIN { exit !($wall < $best_wall) }"; then
      best_wall=$wall
      best_kb=$kb
    fi
  done
  wall=$best_wall
  kb=$best_kb
}

echo "## kivg on synthetic specs"
echo
echo "Best of five runs (two for 1,000,000). Growth: time ratio to the size"
echo "ten times smaller; n log n: the ratio that n log n growth would give."
echo
echo "| Definitions | Spec source | Wall time | Throughput | Peak memory | Growth | n log n |"
echo "|---:|---:|---:|---:|---:|---:|---:|"
previous_wall=""
for n in 1000 10000 100000 1000000; do
  dir=$work/spec_$n
  mkdir -p "$dir"
  read -r count bytes < <("$bin/kiv_synthetic_spec" "$n" "$dir")
  runs=5
  [ "$n" -ge 1000000 ] && runs=2
  best_kivg "$dir" "$runs"
  growth="" reference=""
  if [ -n "$previous_wall" ]; then
    growth=$(awk "BEGIN { printf \"%.1f\", $wall / $previous_wall }")
    reference=$(awk "BEGIN { printf \"%.1f\", 10 * log($n) / log($n / 10) }")
  fi
  awk -v n="$count" -v bytes="$bytes" -v wall="$wall" -v kb="$kb" \
      -v growth="$growth" -v reference="$reference" 'BEGIN {
    printf "| %d | %.2f MB | %.3f s | %.1f MB/s | %.1f MB | %s | %s |\n",
           n, bytes / 1e6, wall, bytes / 1e6 / wall, kb / 1024, growth, reference
  }'
  previous_wall=$wall
  rm -rf "$dir"
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
