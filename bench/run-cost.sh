#!/usr/bin/env bash
# Per-run cost of sealforge next to the floor of a process (/bin/true) and a
# plain copy of a marker (cp): instructions per run under callgrind, which
# are repeatable, and wall time of many runs under hyperfine. It measures and
# prints; it does not judge.
#
#   bash bench/run-cost.sh [RUNS]      (default 200 runs per command)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-200}

missing=()
command -v valgrind >/dev/null || missing+=(valgrind)
command -v hyperfine >/dev/null || missing+=(hyperfine)
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" = 0 ]; then
        apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    else
        echo "run-cost: needs ${missing[*]} (apt-get install ${missing[*]})" >&2
        exit 1
    fi
fi

cmake --workflow --preset release >/dev/null
sealforge=$PWD/build/release/sealforge
true_bin=$(command -v true)
cp_bin=$(command -v cp)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
"$sealforge" source.tqv some-id >/dev/null || [ $? -eq 1 ]

# Instructions executed by one run, from process start to exit.
# (valgrind passes on the program's status, and sealforge's success is 1.)
instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null --log-file=callgrind.log "$@" >/dev/null || true
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' callgrind.log | grep . || {
        echo "run-cost: callgrind gave no count for $*" >&2
        exit 1
    }
}
ir_sealforge=$(instructions "$sealforge" marker.tqv some-id)
ir_true=$(instructions "$true_bin")
ir_cp=$(instructions "$cp_bin" source.tqv copy.tqv)

# Mean wall time of each command over $runs runs, no shell in between.
hyperfine -N -i --warmup 20 --runs "$runs" --style none --export-csv times.csv \
    "$sealforge marker.tqv some-id" "$true_bin" "$cp_bin source.tqv copy.tqv" >hyperfine.log 2>&1 ||
    { cat hyperfine.log >&2; exit 1; }
mean() { awk -F, -v row="$1" 'NR == row + 1 { printf "%.1f", $2 * 1e6 }' times.csv; }
us_sealforge=$(mean 1) us_true=$(mean 2) us_cp=$(mean 3)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
printf '%-34s %14s %16s\n' "command" "instructions" "mean wall time"
printf '%-34s %14s %13s us\n' "sealforge marker.tqv some-id" "$ir_sealforge" "$us_sealforge" \
    "true" "$ir_true" "$us_true" "cp source.tqv copy.tqv" "$ir_cp" "$us_cp"
echo
printf 'sealforge / true: %s instructions, %s wall time\n' \
    "$(ratio "$ir_sealforge" "$ir_true")" "$(ratio "$us_sealforge" "$us_true")"
printf 'sealforge / cp:   %s instructions, %s wall time   (%d runs each)\n' \
    "$(ratio "$ir_sealforge" "$ir_cp")" "$(ratio "$us_sealforge" "$us_cp")" "$runs"
