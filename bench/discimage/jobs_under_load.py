#!/usr/bin/env python3
"""The disc jobs on a machine that is busy with other work.

For each kind of load (none; two busy loops; one busy process pinned to processor 0 with
taskset -c 0), this times:
  - the image-file job (fotolark-disc --iso) against xorriso -as mkisofs -J on the same files
    (the layout of compare_iso_tools.py), interleaved, RUNS times each;
  - the drive job on the virtual recorder against the image-file job on one layout, both from
    drive_job_bench in the same run, interleaved (the drive's own waits left out). Both send
    their output to /dev/null: on a virtual machine the cost of finding memory for a new image
    swings by a factor of four from run to run and would decide the ratio, not the engines.
It prints the medians and the two ratios the jobs are held to: image-file job / xorriso (goal
at most 1.0) and drive job throughput / image-file job throughput (goal at least 0.9).

usage: jobs_under_load.py FOTOLARK_DISC DRIVE_JOB_BENCH [--photos 300] [--photo-mb 2.5]
                          [--runs 3] [--loads none,busy,pinned]
"""
import argparse
import contextlib
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_iso_tools import make_layout, make_tree, timed, warm  # noqa: E402

BUSY_LOOP = ["bash", "-c", "while :; do :; done"]


@contextlib.contextmanager
def load(kind):
    """Starts the load of `kind` and stops it afterwards."""
    commands = {"none": [], "busy": [BUSY_LOOP, BUSY_LOOP], "pinned": [["taskset", "-c", "0"] + BUSY_LOOP]}[kind]
    processes = [subprocess.Popen(command) for command in commands]
    try:
        yield
    finally:
        for process in processes:
            process.kill()
            process.wait()


def image_job_against_xorriso(fotolark_disc, base, tree, out, viewer, runs):
    iso = os.path.join(out, "out.iso")
    tools = {
        "fotolark-disc": [fotolark_disc, "--iso", iso, "--base", base, "--viewer", viewer],
        "xorriso": ["xorriso", "-as", "mkisofs", "-quiet", "-J", "-o", iso, tree],
    }
    times = {name: [] for name in tools}
    for _ in range(runs):
        for name, command in tools.items():
            times[name].append(timed(command))
            os.remove(iso)
    return {name: statistics.median(values) for name, values in times.items()}


def drive_against_image_job(drive_job_bench, megabytes, runs):
    # The virtual recorder's blank CD-R holds 650 MB.
    environment = dict(os.environ, FOTOLARK_BENCH_MB=str(min(megabytes, 600)), FOTOLARK_BENCH_DISCARD="1")
    result = subprocess.run([drive_job_bench, "--benchmark_format=json",
                             "--benchmark_repetitions=%d" % runs,
                             "--benchmark_enable_random_interleaving=true"],
                            check=True, capture_output=True, text=True, env=environment)
    medians = {}
    for entry in json.loads(result.stdout)["benchmarks"]:
        if entry.get("aggregate_name", "median") == "median":
            medians[entry["run_name"].split("/")[0]] = entry
    return medians["IsoFileJob"], medians["DriveJob"]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("fotolark_disc")
    parser.add_argument("drive_job_bench")
    parser.add_argument("--photos", type=int, default=300)
    parser.add_argument("--photo-mb", type=float, default=2.5)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--loads", default="none,busy,pinned")
    args = parser.parse_args()

    scratch = "/dev/shm" if os.path.isdir("/dev/shm") else None
    work = tempfile.mkdtemp(prefix="fotolark-load-bench-", dir=scratch)
    try:
        base, tree, out = (os.path.join(work, p) for p in ("base", "tree", "out"))
        os.makedirs(out)
        viewer = os.path.join(work, "Diorama.exe")
        with open(viewer, "wb") as f:
            f.write(os.urandom(200000))
        make_layout(base, 6, args.photos, int(args.photo_mb * 1024 * 1024))
        make_tree(base, tree, viewer)
        warm(base)
        megabytes = int(args.photos * args.photo_mb)
        print("layout: %d photos of %.1f MB (%d MB), %d runs each, in %s" %
              (args.photos, args.photo_mb, megabytes, args.runs, work))
        for kind in args.loads.split(","):
            with load(kind):
                iso = image_job_against_xorriso(args.fotolark_disc, base, tree, out, viewer, args.runs)
                image_job, drive_job = drive_against_image_job(args.drive_job_bench, megabytes, args.runs)
            image_rate, drive_rate = image_job["bytes_per_second"], drive_job["bytes_per_second"]
            print("%-6s image job %6.2f s, xorriso %6.2f s: %.2fx | drive job %5.0f MB/s, image job %5.0f MB/s: "
                  "%.2fx, cache waits %.0f" %
                  (kind, iso["fotolark-disc"], iso["xorriso"], iso["fotolark-disc"] / iso["xorriso"],
                   drive_rate / 1048576, image_rate / 1048576, drive_rate / image_rate, drive_job["cache_waits"]))
            sys.stdout.flush()
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
