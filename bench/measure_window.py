#!/usr/bin/env python3
"""Runs the game window (under Xvfb, from measure-window.sh) and prints what it measured.

The game writes the timer value of every frame start to the file named by KB_FRAME_LOG. The
timer is CLOCK_MONOTONIC in milliseconds, the same clock as Python's time.monotonic(), so the
launch time and the first frame can be compared directly.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS  # utime + stime


def frame_times(path):
    with open(path) as f:
        return [int(line) for line in f if line.strip()]


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True).stdout


def measure_phase(pid, log, seconds):
    """Processor share and frame spacing over the next `seconds`."""
    start_cpu, start_wall = cpu_seconds(pid), time.monotonic()
    first_ms = int(start_wall * 1000)
    time.sleep(seconds)
    cpu = cpu_seconds(pid) - start_cpu
    wall = time.monotonic() - start_wall
    frames = [t for t in frame_times(log) if t >= first_ms]
    gaps = [b - a for a, b in zip(frames, frames[1:])]
    return 100.0 * cpu / wall, gaps


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100.0 * (len(ordered) - 1))))]


def main():
    game, seconds = sys.argv[1], float(sys.argv[2])
    log = tempfile.NamedTemporaryFile(prefix="kb-frames-", delete=False).name
    env = dict(os.environ, KB_FRAME_LOG=log)
    launched_ms = time.monotonic() * 1000
    proc = subprocess.Popen([game], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        while not frame_times(log):
            if proc.poll() is not None:
                print("measure-window: the game ended at start-up:", proc.stderr.read().decode())
                return
            time.sleep(0.002)
        startup_ms = frame_times(log)[0] - launched_ms
        window = xdotool("search", "--sync", "--name", "Kanaburst Ver1.1").split()[0]
        time.sleep(1.0)
        title_cpu, title_gaps = measure_phase(proc.pid, log, seconds)
        # The first menu item is a computer match; Enter starts it on release.
        xdotool("windowfocus", "--sync", window)
        xdotool("key", "--window", window, "Return")
        time.sleep(5.0)  # the start count-down
        match_cpu, match_gaps = measure_phase(proc.pid, log, seconds)
        with open(f"/proc/{proc.pid}/status") as f:
            status = {l.split(":")[0]: l.split()[1] for l in f if l.startswith(("VmHWM:", "RssAnon:"))}
        peak_kb, anon_kb = int(status["VmHWM"]), int(status["RssAnon"])
    finally:
        proc.terminate()
        proc.wait(timeout=10)
        os.unlink(log)
    gaps = title_gaps + match_gaps
    print(f"window start-up to first frame: {startup_ms:.0f} ms (target < 250 ms; "
          f"67 ms of it is the frame loop's first interval)")
    print(f"processor use, idle on the title: {title_cpu:.1f}% of a core (target < 3%)")
    print(f"processor use, during a match:    {match_cpu:.1f}% of a core (target < 3%)")
    print(f"frame start spacing over {len(gaps)} frames: median {statistics.median(gaps):.0f} ms "
          f"(target 67), 99th percentile {percentile(gaps, 99)} ms (target < 75), "
          f"max {max(gaps)} ms")
    print(f"window program peak resident memory: {peak_kb / 1024:.1f} MB (target < 80 MB), "
          f"of it {anon_kb / 1024:.1f} MB the program's own (not shared libraries' pages)")


if __name__ == "__main__":
    main()
