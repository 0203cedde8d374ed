#!/usr/bin/env python3
"""Times glimmer-pack's short command on 100 pictures made in a temporary folder; see run.sh."""
import concurrent.futures
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

KINDS = [  # count, file name, ImageMagick arguments before the output name
    (60, "camera_%03d.jpg", lambda i: ["-size", "800x600", "plasma:", "-seed", str(i),
                                       "-resize", "4000x3000!", "-quality", "90"]),
    (25, "screen_%03d.png", lambda i: ["-size", "1920x1080", "gradient:", "-seed", str(i),
                                       "-swirl", str(30 + i), "-fill", "navy", "-draw",
                                       "rectangle 100,100 %d,400" % (200 + 20 * i)]),
    (15, "scan_%03d.bmp", lambda i: ["-size", "800x600", "plasma:", "-seed", str(500 + i),
                                     "-colors", "256", "-type", "Palette", "-compress", "None",
                                     "BMP3:"]),
]


def make(folder):
    jobs = []
    for count, pattern, arguments in KINDS:
        for i in range(count):
            args = arguments(i)
            path = os.path.join(folder, pattern % i)
            if args[-1].endswith(":"):
                args, path = args[:-1], args[-1] + path
            jobs.append(["convert", *args, path])
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as pool:
        for job in pool.map(lambda j: subprocess.run(j, check=True, capture_output=True), jobs):
            pass


def measure(tool, workers, work, *options):
    """Runs one build in this process's only child, so that its peak memory is the tool's."""
    start = time.monotonic()
    r = subprocess.run([tool, "build", "-o", "Holiday.exe", "--name", "Holiday", "--jobs",
                        workers, *options, "holiday/"], cwd=work, capture_output=True, text=True)
    wall = time.monotonic() - start
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    if r.returncode != 0:
        sys.stderr.write(r.stderr)
        sys.exit(1)
    label = workers + (" " + " ".join(options) if options else "")
    print("%-10s %8.1f %8.1f %10.2f %10.0f" % (label, wall, usage.ru_utime + usage.ru_stime,
                                             wall / 100, usage.ru_maxrss / 1024))
    sys.stderr.write(r.stdout + r.stderr)


def main():
    tool = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="glimmer-pack-bench-")
    try:
        folder = os.path.join(work, "holiday")
        os.makedirs(folder)
        start = time.monotonic()
        make(folder)
        size = sum(os.path.getsize(os.path.join(folder, f)) for f in os.listdir(folder))
        print("100 pictures made in %.1f s (%.0f MB of files)" % (time.monotonic() - start,
                                                                  size / 1e6))
        print("%-10s %8s %8s %10s %10s" % ("workers", "wall s", "cpu s", "s/picture",
                                          "peak MB"))
        sys.stdout.flush()
        # The last run packs large true-colour slides (9.4 MB each, 943 MB in all): its peak
        # shows what a build holds at once, since each slide is written as soon as it is ready.
        workers = str(os.cpu_count() or 1)
        for run in [["1"], [workers], [workers, "--size", "2048x1536", "--bits", "24"]]:
            closing = subprocess.run([sys.executable, __file__, "--measure", tool, run[0], work,
                                      *run[1:]], stderr=subprocess.PIPE, text=True)
            if closing.returncode != 0:
                sys.exit(1)
            last = closing.stderr.strip()
        print(last)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if sys.argv[1] == "--measure":
        measure(*sys.argv[2:])
    else:
        main()
