#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs them all: the whole-process
# start-up under Xvfb beside the floor any Japanese Qt window pays (a bare
# window showing one line of Japanese) and beside TIPP10, a Qt typing tutor
# players already use; then the in-process benchmarks of the real window
# offscreen. Ends with every figure beside its budget.
#
#   scripts/bench.sh [BUILD_DIR]    BUILD_DIR defaults to build-bench in the checkout
#   ROUNDS=n scripts/bench.sh       whole-process rounds (default 21)
#   BENCH_FILTER=regex ...          only the in-process benchmarks that match
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench"}
rounds=${ROUNDS:-21}

"$root/scripts/setup.sh"
cmake -S "$root" --preset bench -B "$build" >/dev/null
cmake --build "$build" -j2 --target kotobaru kotobaru_chart bare_window startup_probe kb_bench kb_bench_make_files

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/bare" "$work/empty" "$work/largest" "$work/questions" "$work/tipp10" "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
# Every program runs in the same fresh HOME: TIPP10 keeps its settings and
# lessons there, and none of them sees the player's own.
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
tipp10=$(command -v tipp10) || { echo "bench.sh: tipp10 is missing; run scripts/setup.sh" >&2; exit 1; }
"$build/bench/kb_bench_make_files" "$work/empty" empty
"$build/bench/kb_bench_make_files" "$work/largest" largest
# The largest files again with 出題記録.txt of 655,320 lines, which start-up must not read.
"$build/bench/kb_bench_make_files" "$work/questions" largest-questions

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || { cat "$work/xvfb.log" >&2; exit 1; }
display=":$(head -n1 "$work/display")"

echo "== Whole process under Xvfb: exec to first frame, idle resident memory ($rounds rounds)"
env -u QT_QPA_PLATFORM DISPLAY="$display" "$build/bench/startup_probe" -n "$rounds" \
    -- floor "$work/bare" "$build/bench/bare_window" --text \
    -- game-empty "$work/empty" "$build/app/kotobaru" \
    -- game-largest "$work/largest" "$build/app/kotobaru" \
    -- game-questions "$work/questions" "$build/app/kotobaru" \
    -- tipp10 "$work/tipp10" "$tipp10" \
    -- bare "$work/bare" "$build/bench/bare_window" 2>"$work/probe.log" | tee "$work/probe.txt"

echo
echo "== In process, offscreen"
QT_QPA_PLATFORM=offscreen "$build/bench/kb_bench" --benchmark_counters_tabular=true \
    ${BENCH_FILTER:+--benchmark_filter="$BENCH_FILTER"} 2>"$work/bench.log" | tee "$work/bench.txt"

echo
echo "== Summary, medians; machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)"
awk '
    $1 == "figure" { for (i = 3; i <= NF; i++) { split($i, kv, "="); f[$2, kv[1]] = kv[2] } }
    $1 == "pair" { for (i = 4; i <= NF; i++) { split($i, kv, "="); p[$2, $3, kv[1]] = kv[2] } }
    function row(what, measured, budget, met) {
        printf "%-58s %-26s %-22s %s\n", what, measured, budget, met ? "met" : "MISSED"
    }
    function ref(what, measured) { printf "%-58s %-26s %-22s %s\n", what, measured, "-", "-" }
    END {
        printf "%-58s %-26s %-22s %s\n", "figure (whole process)", "measured", "budget", "verdict"
        printf "%-58s %-26s %-22s %s\n", "start: floor / empty / largest files / TIPP10 / bare",
            sprintf("%.0f / %.0f / %.0f / %.0f / %.0f ms", f["floor", "frame_ms"],
                    f["game-empty", "frame_ms"], f["game-largest", "frame_ms"],
                    f["tipp10", "frame_ms"], f["bare", "frame_ms"]), "-", "-"
        row("start, largest files / floor", sprintf("%.2f x", f["game-largest", "frame_ratio"]),
            "<= 1.3 x", f["game-largest", "frame_ratio"] <= 1.3)
        row("start, largest files / TIPP10", sprintf("%.2f x", p["game-largest", "tipp10", "frame_ratio"]),
            "< 1 x", p["game-largest", "tipp10", "frame_ratio"] < 1)
        row("start, largest + 出題記録.txt / largest", sprintf("%.3f x",
            p["game-questions", "game-largest", "frame_ratio"]), "<= 1.05 x",
            p["game-questions", "game-largest", "frame_ratio"] <= 1.05)
        row("idle RSS, largest + 出題記録.txt / largest", sprintf("%.3f x",
            p["game-questions", "game-largest", "rss_ratio"]), "<= 1.05 x",
            p["game-questions", "game-largest", "rss_ratio"] <= 1.05)
        ref("start, empty files / floor", sprintf("%.2f x", f["game-empty", "frame_ratio"]))
        ref("start, TIPP10 / floor", sprintf("%.2f x", f["tipp10", "frame_ratio"]))
        row("idle RSS, largest files / floor", sprintf("%.2f x (%.1f / %.1f MB)",
            f["game-largest", "rss_ratio"], f["game-largest", "rss_mb"], f["floor", "rss_mb"]),
            "<= 1.3 x", f["game-largest", "rss_ratio"] <= 1.3)
        ref("idle RSS, TIPP10 / floor", sprintf("%.2f x (%.1f MB)", f["tipp10", "rss_ratio"],
            f["tipp10", "rss_mb"]))
    }' "$work/probe.txt"
sed -n '/^figure (in process)/,$p' "$work/bench.txt"
