#!/usr/bin/env python3
"""Reading back after writing, and checking a disc against the albums, against a plain read.

For an image file (--iso, 1.5 GB by default) and the virtual recorder (--drive, 600 MB on a
DVD-R), this times the job with --verify and with --no-verify; the difference is the time the
read-back took. The plain read is dd of the same image file to /dev/null after the file was
dropped from the page cache, as the verification drops it before reading back, so both read
from the storage. fotolark-disc --compare of the image file is timed the same way. It prints
the throughputs, the ratios to dd (goal at least 0.9) and the peak memory of each run (goal
under 64 MB).

usage: verify_bench.py FOTOLARK_DISC WNASPI32_DIR [--image-mb 1536] [--drive-mb 600] [--runs 3]
"""
import argparse
import os
import resource
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


def verify_figures(name, job, image, env, runs):
    verified, plain, reads, peaks = [], [], [], []
    for _ in range(runs):
        seconds, peak = run(job + ["--verify"], env)
        verified.append(seconds)
        peaks.append(peak)
        plain.append(run(job + ["--no-verify"], env)[0])
        reads.append(dd_seconds(image))
    mb = os.path.getsize(image) / 1e6
    verify = max(statistics.median(verified) - statistics.median(plain), 1e-6)
    dd = statistics.median(reads)
    print("%-22s %7.0f MB  verify %6.1f MB/s  dd %6.1f MB/s  ratio %.2f  peak %5.1f MB" %
          (name, mb, mb / verify, mb / dd, dd / verify, max(peaks)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("fotolark_disc")
    parser.add_argument("wnaspi32_dir")
    parser.add_argument("--image-mb", type=int, default=1536)
    parser.add_argument("--drive-mb", type=int, default=600)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    print("load average before: %.1f %.1f %.1f" % os.getloadavg())
    with tempfile.TemporaryDirectory() as scratch:
        viewer = os.path.join(scratch, "Diorama.exe")
        with open(viewer, "wb") as f:
            f.write(b"MZ" + bytes(100000))
        for name, mb in (("image file", args.image_mb), ("virtual recorder", args.drive_mb)):
            base = os.path.join(scratch, name.replace(" ", "-"))
            make_layout(base, 4, mb * 1_000_000 // PHOTO_BYTES, PHOTO_BYTES)
            common = ["--base", base, "--viewer", viewer, "--no-web"]
            iso = os.path.join(scratch, "out.iso")
            if name == "image file":
                verify_figures(name, [args.fotolark_disc, "--iso", iso] + common, iso, None, args.runs)
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
                os.remove(iso)
            else:
                disc = os.path.join(scratch, "disc.img")
                env = dict(os.environ, LD_LIBRARY_PATH=args.wnaspi32_dir,
                           VREC_DRIVES="letter=D,medium=dvdr,image=" + disc)
                verify_figures(name, [args.fotolark_disc, "--drive", "D"] + common, disc, env, args.runs)
    print("load average after: %.1f %.1f %.1f" % os.getloadavg())


if __name__ == "__main__":
    main()
