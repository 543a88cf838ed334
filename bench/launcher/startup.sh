#!/usr/bin/env bash
# Start-up figures of the launcher against a bare Qt Widgets program that shows one window, in
# the same run: time from process start until the window is mapped on the X display, and the
# peak resident memory of a process that has shown its window. The local letter service answers
# the launcher's requests at once. Prints medians and ratios; asserts nothing.
#   bench/launcher/startup.sh [runs]      (default 9; builds the release tree first)
set -euo pipefail
cd "$(dirname "$0")/../.."

if [ -z "${DISPLAY:-}" ]; then
  # -noreset: a server that resets whenever its last client leaves turns the next one away.
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$@"
fi

runs=${1:-9}
bash scripts/build.sh release >/dev/null
dir=build
program=$dir/src/app/xingfan
bare=$dir/bench/launcher/bench_bare_window
service=$(find "$dir/tools" -type f -name letter-service -perm -u+x 2>/dev/null | head -n 1)
mailbox=tools/letter-service/sample-mailbox.txt
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1

log=$(mktemp)
"$service" 0 "$mailbox" >"$log" 2>&1 &
service_pid=$!
trap 'kill "$service_pid" 2>/dev/null || true; rm -f "$log" "$log".*' EXIT
for _ in $(seq 100); do
  case "$(head -n 1 "$log")" in "listening on "*) break ;; esac
  sleep 0.05
done
port=$(head -n 1 "$log")
port=${port##*:}
export XINGFAN_LETTER_SERVICE="http://127.0.0.1:$port/"

now_us() { echo $(( $(date +%s%N) / 1000 )); }

# One run: "<microseconds until the window named $1 is viewable> <peak kB>".
measure() {
  local title=$1; shift
  local start end
  start=$(now_us)
  /usr/bin/time -f '%M' -o "$log.rss" "$@" >/dev/null 2>&1 &
  local pid=$!
  until xwininfo -name "$title" 2>/dev/null | grep -q 'IsViewable'; do
    kill -0 "$pid" 2>/dev/null || { echo "startup.sh: $* ended without showing its window" >&2; exit 1; }
    sleep 0.005  # a gentler poll: a flood of connections makes the X server turn the program away
  done
  end=$(now_us)
  sleep 0.3  # let it settle after showing, so the memory figure is that of a shown window
  pkill -TERM -P "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$((end - start)) $(tail -n 1 "$log.rss")"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >"$log.launcher"
: >"$log.bare"
for _ in $(seq "$runs"); do
  measure "bare window" "$bare" >>"$log.bare"
  measure "星帆导航V1.2" "$program" >>"$log.launcher"
done

launcher_ms=$(cut -d' ' -f1 "$log.launcher" | median)
bare_ms=$(cut -d' ' -f1 "$log.bare" | median)
launcher_kb=$(cut -d' ' -f2 "$log.launcher" | median)
bare_kb=$(cut -d' ' -f2 "$log.bare" | median)
awk -v l="$launcher_ms" -v b="$bare_ms" -v lk="$launcher_kb" -v bk="$bare_kb" -v n="$runs" 'BEGIN {
  printf "runs each:                         %d\n", n
  printf "start -> window shown, median:     launcher %.1f ms, bare window %.1f ms, ratio %.2f (target <= 1.5)\n", l / 1000, b / 1000, l / b
  printf "peak resident memory, median:      launcher %d kB, bare window %d kB, ratio %.2f (target <= 1.5)\n", lk, bk, lk / bk
}'
