#!/usr/bin/env python3
"""Layers of the library that only point down: reads every #include "..."
of the C++ files under src/ and fails when a file includes a layer above its
own (`make test` runs it as `make check-layers`).

The layers, lowest first (a file may include its own layer and those below):

  platform     the only operating-system code, and the library's load/unload
  text         bounded texts, character classes, byte order, buffer sizes
  conversions  pure converters: rate, channel, power index tables
  connection   the transports: open, close, telnet, serial, UDP exchanges
  commands     the command catalogue, line composition, the answer scanner
  testmode     the board test commands and queries (one command each)
  procedures   procedures made of several test commands

A file's layer is the first folder of its path under src/; an include names
its layer the same way ("text/bounded_text.h"). Includes outside src/ (the
public "mpdll/mpdll.h") belong to no layer. A source file in a folder that
is no layer is reported too, so a new folder gets its place here.

usage: check-layers.py [SRC_DIR]
"""
import pathlib
import re
import sys

LAYERS = ["platform", "text", "conversions", "connection", "commands", "testmode", "procedures"]
RANK = {name: rank for rank, name in enumerate(LAYERS)}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_SUFFIXES = {".cpp", ".h"}


def layer_violations(src):
    """Every (file, line number, include, reason) that breaks the order."""
    found = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        relative = path.relative_to(src)
        own = relative.parts[0]
        if own not in RANK:
            found.append((relative, 0, "", f"folder {own}/ is no layer"))
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
            match = INCLUDE.match(line)
            if not match:
                continue
            included = match.group(1)
            target = included.split("/")[0]
            if target in RANK and RANK[target] > RANK[own]:
                found.append((relative, number, included, f"{own} includes {target}, a layer above it"))
    return found


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    if not src.is_dir():
        print(f"check-layers: {src} is not a folder", file=sys.stderr)
        return 2
    found = layer_violations(src)
    for relative, number, included, reason in found:
        where = f"src/{relative}:{number}" if number else f"src/{relative}"
        print(f"{where}: {reason}" + (f' ("{included}")' if included else ""), file=sys.stderr)
    if found:
        print(f"check-layers: {len(found)} include(s) point up; order, lowest first: {', '.join(LAYERS)}",
              file=sys.stderr)
        return 1
    print(f"check-layers: every include under {src}/ points down ({' < '.join(LAYERS)})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
