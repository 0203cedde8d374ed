#!/usr/bin/env python3
"""The programs allocate only through MemoryAllocate and MemoryFree (common/allocation.cpp), so an
allocation that fails always ends the program cleanly: no other file of common/, engine/ or
setup/ calls the C heap directly.

    one_allocation_path_test.py SOURCE_DIR
"""
import os
import re
import sys

HEAP_CALL = re.compile(r"\b(malloc|calloc|realloc|free|strdup|_strdup)\s*\(|\bnew\s+\w|\bdelete\b")
ALLOWED = {os.path.join("common", "allocation.cpp")}


def code_lines(path):
    """The file's lines with // comments and string literals blanked."""
    for number, line in enumerate(open(path, encoding="latin-1"), 1):
        line = re.sub(r'"(\\.|[^"\\])*"', '""', line)
        yield number, line.split("//", 1)[0]


def main():
    root = sys.argv[1]
    found = []
    for folder in ("common", "engine", "setup"):
        for name in sorted(os.listdir(os.path.join(root, folder))):
            relative = os.path.join(folder, name)
            if not name.endswith((".cpp", ".h")) or relative in ALLOWED:
                continue
            for number, code in code_lines(os.path.join(root, relative)):
                if HEAP_CALL.search(code):
                    found.append("%s:%d: %s" % (relative, number, code.strip()))
    for line in found:
        print("allocation outside the checked path:", line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
