#!/usr/bin/env python3
"""Times the whole program on a large station file beside the floor program,
which makes the same system calls and converts nothing, and reports the peak
memory of each.

  bench/time_program.py [BUILD_DIR] [--blocks N] [--runs R]

BUILD_DIR holds tsf and tsf_floor (default: build-bench, from the bench
preset). Console output goes to /dev/null, then to a pipe.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def run_once(program, folder, console):
    """The seconds that one run takes."""
    start = time.perf_counter()
    if console == "devnull":
        with open(os.devnull, "wb") as sink:
            child = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=sink, cwd=folder)
            child.communicate(b"station.txt\n")
    else:
        child = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                 cwd=folder)
        child.stdin.write(b"station.txt\n")
        child.stdin.close()
        while child.stdout.read(65536):
            pass
        child.wait()
    seconds = time.perf_counter() - start
    if child.returncode != 0:
        sys.exit("%s failed with status %d" % (program, child.returncode))
    return seconds


def peak_kib(peak, program, folder):
    """Peak resident set of one run, as tsf_peak measures it."""
    out = subprocess.run([peak, program], input=b"station.txt\n", stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, cwd=folder, check=True)
    return int(out.stderr.split()[1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build-bench")
    parser.add_argument("--blocks", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="tsf_bench_")
    try:
        for name in ("tsf", "tsf_floor", "tsf_peak"):
            shutil.copy(os.path.join(args.build, name), folder)
        with open(os.path.join(folder, "station.txt"), "w") as station:
            subprocess.run([sys.executable, os.path.join(HERE, "make_station.py"),
                            str(args.blocks)], stdout=station, check=True)
        size = os.path.getsize(os.path.join(folder, "station.txt"))
        print("station file: %d blocks, %.1f MB" % (args.blocks, size / 1e6))
        results = {}
        for console in ("devnull", "pipe"):
            for name in ("tsf", "tsf_floor"):
                program = os.path.join(folder, name)
                times = [run_once(program, folder, console) for _ in range(args.runs)]
                results[(name, console)] = statistics.median(times)
        for console in ("devnull", "pipe"):
            tsf = results[("tsf", console)]
            floor = results[("tsf_floor", console)]
            print("console to %-7s  tsf %.3f s  floor %.3f s  ratio %.2f"
                  % (console, tsf, floor, tsf / floor))
        for name in ("tsf", "tsf_floor"):
            print("peak memory %-9s %d KiB"
                  % (name, peak_kib(os.path.join(folder, "tsf_peak"), os.path.join(folder, name),
                                    folder)))
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
