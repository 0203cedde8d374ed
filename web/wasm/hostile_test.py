#!/usr/bin/env python3
"""Hostile pictures are refused by the WebAssembly photo import as by the native one, within
its memory bound: every file of the hostile fixtures (a PNG chunk bomb, a HEIF grid bomb, HEIF
identity items libheif would assert on) goes through photo-dib.js --heap under node and through
the host build's photo-dib; both must refuse it with the same reason, the module must end
normally (no abort), report the stated bound as its maximum, and have grown its memory no
further than refusing takes.

    hostile_test.py PHOTO_DIB_JS NATIVE_PHOTO_DIB FIXTURE_DIR MAXIMUM_MEMORY

NODE names node (default: node on the PATH).
"""
import glob
import os
import re
import subprocess
import sys
import tempfile

WASM, NATIVE, FIXTURES, MAXIMUM = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
NODE = os.environ.get("NODE", "node")
# WebAssembly memory allowed after refusing one of these files, in bytes: far below what they
# declare (gigabytes), far above what reading their headers takes.
REFUSAL_BYTES = 64 << 20
failures = []

pictures = sorted(glob.glob(os.path.join(FIXTURES, "*")))
if not pictures:
    failures.append("no fixtures in " + FIXTURES)
with tempfile.TemporaryDirectory() as d:
    out = os.path.join(d, "out.dib")
    for picture in pictures:
        name = os.path.basename(picture)
        native = subprocess.run([NATIVE, picture, out], capture_output=True, text=True,
                                timeout=120)
        wasm = subprocess.run([NODE, WASM, "--heap", picture, out], capture_output=True,
                              text=True, timeout=120)
        heap = re.fullmatch(r"heap (\d+) of (\d+)\n", wasm.stdout)
        print("%s: native exit %d, WebAssembly exit %d, %s; %s" %
              (name, native.returncode, wasm.returncode, wasm.stdout.strip(),
               wasm.stderr.strip()))
        if native.returncode != 1 or wasm.returncode != 1:
            failures.append("%s: exit codes %d (native) and %d (WebAssembly), not 1" %
                            (name, native.returncode, wasm.returncode))
        if native.stderr != wasm.stderr or not native.stderr.startswith(picture + ": "):
            failures.append("%s: reasons differ: %r and %r" % (name, native.stderr, wasm.stderr))
        if not heap:
            failures.append("%s: no heap line: %r" % (name, wasm.stdout))
            continue
        size, bound = int(heap.group(1)), int(heap.group(2))
        if bound != MAXIMUM:
            failures.append("%s: the module's bound is %d bytes, not %d" % (name, bound, MAXIMUM))
        if size > REFUSAL_BYTES:
            failures.append("%s: memory grew to %d bytes, above %d" % (name, size, REFUSAL_BYTES))

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
