#!/usr/bin/env python3
"""WebAssembly memory of the photo import over the most demanding pictures the limits let in,
beside the native build's peak: figures, not a pass-or-fail test.

    bench/wasm/memory.py [BUILD]     (default: build)

The inputs are bench/photo/memory.py's (pictures of 100 megapixels in every format, the
largest BMP files, HEIF grids, the hostile files). Each goes once through BUILD/wasm/tree's
photo-dib.js --heap under node, which prints the size its memory grew to, and once through
BUILD/host's native photo-dib, whose peak resident memory wait4 gives. Default options: fitted
into 800 x 600, 256 colours.
"""
import importlib.util
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
WASM = os.path.join(BUILD, "wasm", "tree", "photo-dib.js")
NATIVE = os.path.join(BUILD, "host", "web", "wasm", "photo-dib")
NODE = os.environ.get("NODE", "node")

spec = importlib.util.spec_from_file_location("photo_memory",
                                              os.path.join(ROOT, "bench", "photo", "memory.py"))
photo_memory = importlib.util.module_from_spec(spec)
spec.loader.exec_module(photo_memory)


def native_peak(path, out):
    child = subprocess.Popen([NATIVE, path, out], stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True)
    _, status, usage = os.wait4(child.pid, 0)
    return os.waitstatus_to_exitcode(status), usage.ru_maxrss / 1024


def main():
    print("%-40s %9s %5s %7s %9s %5s  %s" % ("input", "wasm MB", "exit", "seconds",
                                             "native MB", "exit", "WebAssembly says"))
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "out.dib")
        for title, name, make in photo_memory.CASES:
            if name:
                path = os.path.join(work, name)
                make(path)
            else:
                path = make
            start = time.monotonic()
            r = subprocess.run([NODE, WASM, "--heap", path, out], capture_output=True,
                               text=True)
            seconds = time.monotonic() - start
            heap = re.search(r"heap (\d+) of (\d+)", r.stdout)
            heap_mb = int(heap.group(1)) / (1 << 20) if heap else float("nan")
            said = (r.stderr.strip().splitlines() or ["ok"])[-1].replace(path + ": ", "")
            code, peak = native_peak(path, out)
            print("%-40s %9.0f %5d %7.1f %9.0f %5d  %s" % (title, heap_mb, r.returncode,
                                                           seconds, peak, code, said[:90]))
            if name:
                os.remove(path)
        if heap:
            print("bound: %d MB" % (int(heap.group(2)) >> 20))


if __name__ == "__main__":
    main()
