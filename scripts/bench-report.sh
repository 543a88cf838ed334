#!/usr/bin/env bash
# One report of every benchmark of bench/: builds the release tree, runs each benchmark that was
# built and prints one table, each figure beside its target and the peer it is measured against
# in the same run. A benchmark that is not in the tree is reported as "not built"; one that
# fails to run is reported as such, and the script then exits non-zero. Asserts nothing else.
#   scripts/bench-report.sh            (see bench/README.md)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh release >/dev/null
build=build
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1

# run <name> <needed file>... -- <command>...: the command's output goes to $logs/<name>.out;
# $logs/<name>.status says "not built", "failed" or "ok".
run() {
  local name=$1; shift
  local needed=()
  while [ "$1" != "--" ]; do needed+=("$1"); shift; done
  shift
  for file in "${needed[@]}"; do
    if [ ! -e "$file" ]; then
      echo "not built" >"$logs/$name.status"
      echo "== $name: not built ($file is missing)" >&2
      return 0
    fi
  done
  echo "== $name" >&2
  if QT_QPA_PLATFORM=offscreen "$@" >"$logs/$name.out" 2>"$logs/$name.err"; then
    echo "ok" >"$logs/$name.status"
  else
    echo "failed" >"$logs/$name.status"
    tail -n 20 "$logs/$name.err" >&2
  fi
}

run http "$build/bench/bench_http" -- \
  "$build/bench/bench_http" --benchmark_out="$logs/http.json" --benchmark_out_format=json
run listing "$build/bench/letters/bench_listing" -- \
  "$build/bench/letters/bench_listing" --benchmark_out="$logs/listing.json" --benchmark_out_format=json
run launcher "$build/bench/launcher/bench_bare_window" bench/launcher/startup.sh -- \
  env -u QT_QPA_PLATFORM bash bench/launcher/startup.sh
run resources "$build/bench/resources/bench_resource_window" bench/resources/window_open.py -- \
  env -u QT_QPA_PLATFORM python3 bench/resources/window_open.py "$build"

python3 - "$logs" <<'PY'
import json, os, re, sys

logs = sys.argv[1]
rows = []  # benchmark, figure, value, target, peer, peer value, ratio
failed = False


def status(name):
    path = os.path.join(logs, name + ".status")
    return open(path).read().strip() if os.path.exists(path) else "not built"


def output(name):
    path = os.path.join(logs, name + ".out")
    return open(path, errors="replace").read() if os.path.exists(path) else ""


def unavailable(name, what):
    global failed
    state = status(name)
    if state == "ok":
        return False
    failed |= state == "failed"
    rows.append((name, what, state, "", "", "", ""))
    return True


def section(name):
    """Closes a section that found no figure in its benchmark's output."""
    if status(name) == "ok" and not any(r[0] == name for r in rows):
        rows.append((name, "-", "no figure in its output", "", "", "", ""))


def fmt(value, unit):
    return f"{value:.3g} {unit}" if value >= 100 else f"{value:.3f} {unit}".replace(".000 ", " ")


NS_PER = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}


def ratio(a, b):
    """Ratio of two Google Benchmark runs' real times, whatever their units."""
    value = (a["real_time"] * NS_PER[a["time_unit"]]) / (b["real_time"] * NS_PER[b["time_unit"]])
    return f"{value:.2f}" if value >= 0.01 else f"{value:.1e}"


def gbench(name):
    """Google Benchmark JSON: name -> (real time, unit, counters), medians where repeated."""
    with open(os.path.join(logs, name + ".json")) as f:
        data = json.load(f)
    runs = {}
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        # "BM_Parse_20Letters/min_time:1.000" and "BM_X/repeats:15/real_time" are BM_Parse_20Letters, BM_X.
        key = b.get("run_name", b["name"]).split("/")[0]
        if b.get("run_type") == "aggregate" or key not in runs:
            runs[key] = b
    return runs


# bench_http: the request call and the platform beside one bare libcurl transfer.
if not unavailable("http", "HTTP request round trip"):
    runs = gbench("http")
    text = output("http")
    bare = runs.get("BM_BareCurlPost")
    target = re.search(r"httpRequest POST round trip / bare libcurl.*\(target (.*?)\)", text)
    for key, figure, goal in (("BM_HttpRequestPost", "httpRequest POST round trip, median",
                               "ratio " + target.group(1) if target else "none stated"),
                              ("BM_InetPost", "HTTP platform alone, POST, median", "none stated")):
        if key in runs and bare:
            ours, theirs = runs[key]["real_time"], bare["real_time"]
            unit = runs[key]["time_unit"]
            rows.append(("http", figure, fmt(ours, unit), goal, "bare libcurl POST",
                         fmt(theirs, bare["time_unit"]), ratio(runs[key], bare)))
    lateness = re.search(r"GUI timer lateness while a request waits, median: ([-\d.]+) ms \(target (.*?)\)", text)
    if lateness:
        rows.append(("http", "GUI timer lateness while a request waits, median", lateness.group(1) + " ms",
                     lateness.group(2), "(its own due time)", "", ""))

section("http")

# bench_listing: the bounded parse beside the plain repeated search of the same page, and its
# time per byte beside that of the smallest page (it should stay flat).
if not unavailable("listing", "listing parse"):
    runs = gbench("listing")

    def per_byte(b):
        return 1e9 / b["bytes_per_second"] if b.get("bytes_per_second") else None

    small = runs.get("BM_Parse_20Letters")
    for key, b in runs.items():
        page = key.split("_", 2)[-1]
        if key.startswith("BM_Parse_"):
            plain = runs.get("BM_PlainSearch_" + page)
            if plain:
                refused = " (gave up)" if plain.get("refused") else ""
                rows.append(("listing", f"parse, {page}", fmt(b["real_time"], b["time_unit"]), "none stated",
                             f"plain search, {page}{refused}", fmt(plain["real_time"], plain["time_unit"]),
                             ratio(b, plain)))
            if small and key != "BM_Parse_20Letters" and per_byte(b) and per_byte(small):
                rows.append(("listing", f"parse, {page}, per byte", fmt(per_byte(b), "ns/B"),
                             "flat per byte", "parse, 20Letters, per byte", fmt(per_byte(small), "ns/B"),
                             f"{per_byte(b) / per_byte(small):.2f}"))
        elif key.startswith("BM_FindRuns_"):
            plain = runs.get("BM_PlainSearch_" + page)
            same = {1: "same runs", 0: "DIFFERENT runs"}.get(b.get("same_as_plain"), "")
            if plain:
                rows.append(("listing", f"find runs, {page} ({same})", fmt(b["real_time"], b["time_unit"]),
                             "none stated", f"plain search, {page}", fmt(plain["real_time"], plain["time_unit"]),
                             ratio(b, plain)))

section("listing")

# bench/launcher/startup.sh: the launcher beside a bare Qt Widgets window.
if not unavailable("launcher", "launcher start-up"):
    text = output("launcher")
    for label, unit in (("start -> window shown", "ms"), ("peak resident memory", "kB")):
        m = re.search(re.escape(label) + r", median:\s+launcher ([\d.]+) " + unit + r", bare window ([\d.]+) "
                      + unit + r", ratio ([\d.]+) \(target (.*?)\)", text)
        if m:
            rows.append(("launcher", label + ", median", f"{m.group(1)} {unit}", "ratio " + m.group(4),
                         "bare Qt Widgets window", f"{m.group(2)} {unit}", m.group(3)))
        else:
            rows.append(("launcher", label, "no figure in its output", "", "", "", ""))

section("launcher")

# bench/resources/window_open.py: the resource window beside a bare web view.
if not unavailable("resources", "resource window"):
    text = output("resources")
    for line in text.splitlines():
        m = re.match(r"(.+?) \((ms|MiB)\)\s+([\d.]+)\s+([\d.]+)\s+([\d.]+)$", line.strip())
        if m:
            label, unit, bare, window, ratio = m.groups()
            rows.append(("resources", label + ", median", f"{window} {unit}", "none stated",
                         "bare web view", f"{bare} {unit}", ratio))

section("resources")

def verdict(row):
    """met / MISSED for a target "ratio <= x" (on the ratio) or "<= x unit" (on the value)."""
    m = re.match(r"(ratio )?<= ([\d.]+)", row[3])
    if not m:
        return ""
    figure = row[6] if m.group(1) else row[2].split(" ")[0]
    try:
        return "met" if float(figure) <= float(m.group(2)) else "MISSED"
    except ValueError:
        return ""


rows = [r + (verdict(r),) for r in rows]
header = ("benchmark", "figure", "value", "target", "peer (same run)", "peer value", "ratio", "target met")
widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
line = "  ".join("-" * w for w in widths)
print(line)
print("  ".join(h.ljust(w) for h, w in zip(header, widths)).rstrip())
print(line)
for r in rows:
    print("  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip())
print(line)
print("ratio: value / peer value; a target on a ratio applies to that column.")
sys.exit(1 if failed else 0)
PY
