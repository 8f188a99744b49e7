#!/bin/bash
# Times kivls through the protocol client library on synthetic specs of
# 1,000 and 100,000 definitions: from a one-character didChange in the
# middle of the spec to the publishDiagnostics of that version, against a
# whole kivg run on the same spec; and kivls's resident memory while the
# 1,000-definition spec is edited 10,000 times. Prints Markdown tables.
#   bench/run_kivls_bench.sh BUILD_DIR
# BUILD_DIR is a build configured with -DKIV_BENCH=ON in which kivg, kivls,
# kiv_synthetic_spec and kiv_run_measured have been built, and whose tests'
# npm packages are installed (tests/language_server/client/node_modules).
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
bin=$build/bin
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export NODE_PATH=$build/tests/language_server/client/node_modules

kivg_best() {  # DIR: best wall and best processor time of five kivg runs, in ms
  local best="" best_cpu="" wall kb user system cpu
  for _ in 1 2 3 4 5; do
    rm -f "$1/main.kivec" "$1/main.h" "$1/main.c"
    (cd "$1" && env KIV_SPEC_INCLUDE= /usr/bin/time -f "%U %S" -o "$work/cpu" \
       "$bin/kiv_run_measured" "$bin/kivg" -q main.kivs > /dev/null 2> "$work/measure")
    read -r wall kb < <(tail -n 1 "$work/measure")
    read -r user system < "$work/cpu"
    cpu=$(awk "BEGIN { print $user + $system }")
    if [ -z "$best" ] || awk "BEGIN { exit !($wall < $best) }"; then best=$wall; fi
    if [ -z "$best_cpu" ] || awk "BEGIN { exit !($cpu < $best_cpu) }"; then best_cpu=$cpu; fi
  done
  awk "BEGIN { printf \"%.1f %.0f\\n\", $best * 1000, $best_cpu * 1000 }"
}

echo "## kivls: from a didChange to its publishDiagnostics"
echo
echo "One character inserted or deleted at the start of a function definition"
echo "in the middle of the main spec, through vscode-jsonrpc; each edit waits"
echo "for the diagnostics of its version. kivg: best of five whole runs with -q."
echo "Processor time: kivls's per edit (user + system, from /proc), kivg's best"
echo "of the five runs; unlike wall time it does not grow when the shared cores"
echo "are busy."
echo
echo "| Definitions | Lines | Edits | Best | Median | Worst | kivg run | Median / kivg | kivls CPU per edit | kivg CPU | CPU ratio |"
echo "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for n in 1000 100000; do
  mkdir -p "$work/spec_$n"
  "$bin/kiv_synthetic_spec" "$n" "$work/spec_$n" > /dev/null
  edits=200
  [ "$n" -gt 10000 ] && edits=20
  result=$(node "$here/kivls_bench.js" "$bin/kivls" "$work/spec_$n" "$edits")
  read -r kivg kivg_cpu < <(kivg_best "$work/spec_$n")
  node -e '
    const r = JSON.parse(process.argv[1]);
    const [n, edits, kivg, kivgCpu] = process.argv.slice(2).map(Number);
    const f = (x) => x.toFixed(2) + " ms";
    // Processor times are counted in 10 ms ticks: too coarse below 100 ms.
    const cpu = kivgCpu >= 100
      ? `${f(r.cpuPerEditMs)} | ${kivgCpu} ms | ${(r.cpuPerEditMs / kivgCpu).toFixed(2)}`
      : `${f(r.cpuPerEditMs)} | - | -`;
    console.log(`| ${n} | ${r.lines} | ${edits} | ${f(r.bestMs)} | ` +
      `${f(r.medianMs)} | ${f(r.worstMs)} | ${kivg} ms | ` +
      `${(r.medianMs / kivg).toFixed(2)} | ${cpu} |`);
  ' "$result" "$n" "$edits" "$kivg" "$kivg_cpu"
done

echo
echo "## kivls: memory while one document is edited 10,000 times"
echo
echo "The 1,000-definition spec; resident memory of the server (VmRSS) after"
echo "the given number of edits."
echo
result=$(node "$here/kivls_bench.js" "$bin/kivls" "$work/spec_1000" 0 10000)
node -e '
  const r = JSON.parse(process.argv[1]);
  console.log("| Edits | " + r.memory.map((m) => m[0]).join(" | ") + " |");
  console.log("|---|" + r.memory.map(() => "---:").join("|") + "|");
  console.log("| Resident memory | " +
    r.memory.map((m) => (m[1] / 1024).toFixed(1) + " MB").join(" | ") + " |");
' "$result"
