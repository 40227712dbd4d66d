#!/usr/bin/env python3
"""Times fotolark-disc --iso against xorriso -as mkisofs -J and genisoimage -J on one layout.

The layout: ALBUMS albums with PHOTOS photos in all, each PHOTO_MB megabytes with a small
thumbnail, stored as Fotolark stores them. The other tools get the same files (hard links)
in the same disc tree. Caches are warmed first; every tool runs RUNS times; the peak memory
of fotolark-disc is its maximum resident set size.

The images are written into --out (default /dev/shm when it exists), so that the disk's
write-back does not drown the difference between the tools.

usage: compare_iso_tools.py FOTOLARK_DISC [--work DIR] [--out DIR] [--albums 6]
                            [--photos 600] [--photo-mb 2.5] [--runs 3]
"""
import argparse
import os
import resource
import shutil
import statistics
import struct
import subprocess
import tempfile
import time


def counted(text):
    data = text.encode()
    return struct.pack("<i", len(data)) + data


def album_bytes(title, file_name, position, photos):
    out = counted(title) + counted("") + counted(file_name) + struct.pack("<ii", 0, position)
    out += counted(title) + struct.pack("<i", len(photos))
    for name, image_size, thumb_size in photos:
        out += counted(name) + counted("Caption " + name) + counted("") + bytes(8)
        out += struct.pack("<ii", image_size, thumb_size) + struct.pack("<q", 0)
    return out


def make_layout(base, albums, photos, photo_bytes):
    images, thumbs, album_dir = (os.path.join(base, p) for p in ("Images", "Albums/Thumbs", "Albums"))
    for folder in (images, thumbs):
        os.makedirs(folder, exist_ok=True)
    block = os.urandom(photo_bytes)
    per_album = [[] for _ in range(albums)]
    for n in range(photos):
        name = "20040612%05d.jpg" % n
        with open(os.path.join(images, name), "wb") as f:
            f.write(struct.pack("<i", n) + block[4:])
        thumb = block[:9000 + n % 1000]
        with open(os.path.join(thumbs, name), "wb") as f:
            f.write(thumb)
        per_album[n % albums].append((name, photo_bytes, len(thumb)))
    for a, photo_list in enumerate(per_album):
        file_name = "2004061200%04d.alb" % a
        with open(os.path.join(album_dir, file_name), "wb") as f:
            f.write(album_bytes("Album %d" % (a + 1), file_name, a, photo_list))


def make_tree(base, tree, viewer):
    """The disc tree for the other tools: hard links to the very same files."""
    os.makedirs(os.path.join(tree, "Images"))
    os.makedirs(os.path.join(tree, "Thumbs"))
    for src, dst in (("Images", "Images"), ("Albums/Thumbs", "Thumbs")):
        for name in os.listdir(os.path.join(base, src)):
            os.link(os.path.join(base, src, name), os.path.join(tree, dst, name))
    shutil.copy(viewer, os.path.join(tree, "Diorama.exe"))
    with open(os.path.join(tree, "autorun.inf"), "wb") as f:
        f.write(b"[autorun]\r\nopen=Diorama.exe\r\nicon=Diorama.exe\r\nlabel=Photo Album Viewer\r\n")
    with open(os.path.join(tree, "Albums.dat"), "wb") as f:
        f.write(bytes(1000))


def warm(folder):
    for root, _, files in os.walk(folder):
        for name in files:
            with open(os.path.join(root, name), "rb") as f:
                while f.read(1 << 20):
                    pass


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def peak_memory_mb(command):
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, check=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(result.stderr.strip().splitlines()[-1]) / 1024


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("fotolark_disc")
    parser.add_argument("--work", default=None)
    parser.add_argument("--out", default="/dev/shm" if os.path.isdir("/dev/shm") else None)
    parser.add_argument("--albums", type=int, default=6)
    parser.add_argument("--photos", type=int, default=600)
    parser.add_argument("--photo-mb", type=float, default=2.5)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="fotolark-bench-", dir=args.work)
    try:
        base, tree = (os.path.join(work, p) for p in ("base", "tree"))
        out = tempfile.mkdtemp(prefix="fotolark-bench-out-", dir=args.out)
        viewer = os.path.join(work, "Diorama.exe")
        with open(viewer, "wb") as f:
            f.write(os.urandom(200000))
        make_layout(base, args.albums, args.photos, int(args.photo_mb * 1024 * 1024))
        make_tree(base, tree, viewer)
        warm(base)
        iso = os.path.join(out, "out.iso")
        tools = {
            "fotolark-disc": [args.fotolark_disc, "--iso", iso, "--base", base, "--viewer", viewer],
            "xorriso -as mkisofs -J": ["xorriso", "-as", "mkisofs", "-quiet", "-J", "-o", iso, tree],
            "genisoimage -J": ["genisoimage", "-quiet", "-J", "-o", iso, tree],
        }
        print("layout: %d albums, %d photos of %.1f MB with thumbnails" % (args.albums, args.photos, args.photo_mb))
        results = {}
        for run in range(args.runs):  # interleaved, so that every tool meets the same cache state
            for name, command in tools.items():
                results.setdefault(name, []).append(timed(command))
                os.remove(iso)
        for name, times in results.items():
            print("%-24s median %6.2f s   runs %s" % (name, statistics.median(times),
                                                     " ".join("%.2f" % t for t in times)))
        ratio = statistics.median(results["fotolark-disc"]) / statistics.median(results["xorriso -as mkisofs -J"])
        print("fotolark-disc / xorriso: %.2f" % ratio)
        print("fotolark-disc peak memory: %.1f MB" % peak_memory_mb(tools["fotolark-disc"]))
    finally:
        shutil.rmtree(work, ignore_errors=True)
        if "out" in locals():
            shutil.rmtree(out, ignore_errors=True)


if __name__ == "__main__":
    main()
