#!/usr/bin/env python3
"""Opening the resource window against a bare program that shows one web view.

Prints, over several alternating runs of each, the median time from the trigger (standing in for
the version gate's click) to the window shown and to its start page loaded, and the median of
each run's peak memory (proportional set size summed over the program and every web engine
process it starts), with the ratios resource window / bare. Both start pages are local files.

    python3 bench/resources/window_open.py [build dir] [runs]

Runs itself under xvfb-run when no display is set.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def descendants(pid):
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                ppid = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, IndexError, ValueError):
            continue
        children.setdefault(ppid, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        found.append(p)
        todo.extend(children.get(p, []))
    return found


def pss_kib(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def run_once(program, mode, start, hidden):
    proc = subprocess.Popen([program, mode, start, hidden, "0", "1500"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    peak = [0]

    def sample():
        while proc.poll() is None:
            peak[0] = max(peak[0], sum(pss_kib(p) for p in descendants(proc.pid)))
            time.sleep(0.05)

    sampler = threading.Thread(target=sample)
    sampler.start()
    out, _ = proc.communicate(timeout=120)
    sampler.join()
    figures = dict(item.split("=") for item in out.split())
    return int(figures["shown_ms"]), int(figures["loaded_ms"]), peak[0]


def main():
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", sys.executable] + sys.argv)
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    program = os.path.join(build, "bench", "resources", "bench_resource_window")
    if os.geteuid() == 0 and "QTWEBENGINE_DISABLE_SANDBOX" not in os.environ:
        print("running as root: the web engine's sandbox is turned off (QTWEBENGINE_DISABLE_SANDBOX=1)")
        os.environ["QTWEBENGINE_DISABLE_SANDBOX"] = "1"

    with tempfile.TemporaryDirectory() as pages:
        start = os.path.join(pages, "start.html")
        hidden = os.path.join(pages, "hidden.html")
        with open(start, "w") as f:
            f.write("<html><head><meta charset='utf-8'><title>start</title></head><body>"
                    + "<p>星帆导航 start page</p>" * 200 + "</body></html>")
        with open(hidden, "w") as f:
            f.write("<html><body>" + "<p>search result</p>" * 50 + "</body></html>")
        start_url, hidden_url = "file://" + start, "file://" + hidden

        results = {"bare": [], "window": []}
        run_once(program, "bare", start_url, hidden_url)  # warms the file cache
        for _ in range(runs):
            for mode in ("bare", "window"):
                results[mode].append(run_once(program, mode, start_url, hidden_url))

    def median(mode, index):
        return statistics.median(r[index] for r in results[mode])

    print(f"runs per program: {runs}")
    print(f"{'':28}{'bare view':>12}{'window':>12}{'ratio':>8}")
    for label, index, unit in (("trigger -> shown", 0, "ms"), ("trigger -> start page", 1, "ms"),
                               ("peak memory (PSS, all)", 2, "MiB")):
        bare, window = median("bare", index), median("window", index)
        scale = 1024 if unit == "MiB" else 1
        print(f"{label + ' (' + unit + ')':28}{bare / scale:12.1f}{window / scale:12.1f}{window / bare:8.2f}")


if __name__ == "__main__":
    main()
