#!/usr/bin/env python3
"""Checking an image file against the albums (fotolark-disc --compare) against a plain read.

An image of a 1.5 GB layout is written with --iso; then --compare of it and dd of it to
/dev/null are timed, each after the file was dropped from the page cache, so both read from the
storage. It prints the throughputs, their ratio and the peak memory of --compare. The read-back
after writing has its own benchmark, verify_bench.

usage: compare_bench.py FOTOLARK_DISC [--image-mb 1536] [--runs 3]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_iso_tools import make_layout  # noqa: E402

PHOTO_BYTES = 2_500_000


def drop_from_cache(path):
    os.sync()
    fd = os.open(path, os.O_RDONLY)
    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    os.close(fd)


def run(command, env=None):
    """Seconds and the peak resident memory in MB of one run of `command` in a child."""
    child = subprocess.Popen([sys.executable, "-c", WRAPPER] + command, env=env, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL)
    out, _ = child.communicate()
    if child.returncode != 0:
        sys.exit("failed: " + " ".join(command))
    seconds, peak_kb = out.split()
    return float(seconds), int(peak_kb) / 1024


WRAPPER = """
import resource, subprocess, sys, time
start = time.monotonic()
status = subprocess.call(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
seconds = time.monotonic() - start
print(seconds, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
sys.exit(status)
"""


def dd_seconds(path):
    drop_from_cache(path)
    return run(["dd", "if=" + path, "of=/dev/null", "bs=1M"])[0]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("fotolark_disc")
    parser.add_argument("--image-mb", type=int, default=1536)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    print("load average before: %.1f %.1f %.1f" % os.getloadavg())
    with tempfile.TemporaryDirectory() as scratch:
        viewer = os.path.join(scratch, "Diorama.exe")
        with open(viewer, "wb") as f:
            f.write(b"MZ" + bytes(100000))
        base = os.path.join(scratch, "albums")
        make_layout(base, 4, args.image_mb * 1_000_000 // PHOTO_BYTES, PHOTO_BYTES)
        iso = os.path.join(scratch, "out.iso")
        run([args.fotolark_disc, "--iso", iso, "--base", base, "--viewer", viewer, "--no-web", "--no-verify"])
        times, peak = [], 0
        for _ in range(args.runs):
            drop_from_cache(iso)
            seconds, mem = run([args.fotolark_disc, "--compare", iso, "--base", base])
            times.append(seconds)
            peak = max(peak, mem)
        mb_total = os.path.getsize(iso) / 1e6
        dd = statistics.median(dd_seconds(iso) for _ in range(args.runs))
        compare = statistics.median(times)
        print("%-22s %7.0f MB  compare %5.1f MB/s  dd %6.1f MB/s  ratio %.2f  peak %5.1f MB" %
              ("--compare image file", mb_total, mb_total / compare, mb_total / dd, dd / compare, peak))
    print("load average after: %.1f %.1f %.1f" % os.getloadavg())


if __name__ == "__main__":
    main()
