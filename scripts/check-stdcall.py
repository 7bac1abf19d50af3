#!/usr/bin/env python3
"""Checks in the 32-bit DLL's machine code that every export removes its own
arguments (stdcall): each of its returns is `ret $N` with N the byte count of
the export list (a plain `ret` when it takes none), or it tail-jumps to a
function with the same byte count.

Usage: check-stdcall.py DLL EXPORT_LIST
"""
import re
import subprocess
import sys


def main() -> int:
    dll, export_list = sys.argv[1], sys.argv[2]
    expected = {}
    with open(export_list) as f:
        for line in f:
            m = re.match(r"^([A-Za-z_][A-Za-z0-9_]*)\s+(\d+)", line)
            if m:
                expected[m.group(1)] = int(m.group(2))

    objdump = subprocess.run(["i686-w64-mingw32-objdump", "-d", "--no-show-raw-insn", dll],
                             check=True, capture_output=True, text=True).stdout
    bodies = {}
    current = None
    for line in objdump.splitlines():
        label = re.match(r"^[0-9a-f]+ <_?([A-Za-z0-9_]+)@(\d+)>:$", line)
        if label:
            current = (label.group(1), int(label.group(2)))
            bodies[current] = []
            continue
        if re.match(r"^[0-9a-f]+ <", line):
            current = None
        elif current:
            bodies[current].append(line)

    failures = []
    checked = 0
    for name, size in expected.items():
        built = [key for key in bodies if key[0] == name]
        if not built:
            continue  # not built yet; the export-table check names it
        if (name, size) not in bodies:
            failures.append(f"{name}: built as @{built[0][1]}, listed as @{size}")
            continue
        body = bodies[(name, size)]
        checked += 1
        returns = [l for l in body if re.search(r"\tret\b", l)]
        tail_jumps = re.findall(r"\tjmp\s+[0-9a-f]+ <_?[A-Za-z0-9_]+@(\d+)>", "\n".join(body))
        pops = r"ret\s*$" if size == 0 else r"ret\s+\$0x%x\b" % size
        wrong = [l.strip() for l in returns if not re.search(pops, l)]
        wrong_jumps = [j for j in tail_jumps if int(j) != size]
        if wrong or wrong_jumps or (not returns and not tail_jumps):
            failures.append(f"{name}@{size}: {wrong or wrong_jumps or 'no return found'}")
    for failure in failures:
        print("not stdcall:", failure)
    print(f"stdcall check: {checked} exports, {len(failures)} wrong")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
