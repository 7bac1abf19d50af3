#!/usr/bin/env python3
"""Layers of the library that only point down: reads every #include "..."
of the C++ files under src/ and fails when a file includes a layer above its
own (`make test` runs it as `make check-layers`).

The layers, lowest first (a file may include its own layer and those below):

  platform     the only operating-system code, and the library's load/unload
  text         bounded texts, character classes, byte order, buffer sizes
  conversions  pure converters: rate, channel, power index tables
  connection   the record's connections: open, close, SendCommand, the
               session log and the trace (connection/ itself), the framing
               of an answer (answer/), one backend per transport (telnet/,
               serial/, udp/) behind the table in connection/transport.h
  commands     the command catalogue, line composition, the answer scanner
  testmode     the board test commands and queries (one command each)
  procedures   procedures made of several test commands

A file's layer is the first folder of its path under src/ (a subfolder
such as connection/telnet/ belongs to the layer of its first folder); an
include names its layer the same way ("text/bounded_text.h"). Includes
outside src/ (the public "mpdll/mpdll.h") belong to no layer. A source file
in a folder that is no layer is reported too, so a new folder gets its place
here.

Inside connection/ the transports' folders stay apart: a transport's folder
includes no other transport's folder, and answer/, which every transport
shares, includes none of them. The record-level files may include any.

usage: check-layers.py [SRC_DIR]
"""
import pathlib
import re
import sys

LAYERS = ["platform", "text", "conversions", "connection", "commands", "testmode", "procedures"]
RANK = {name: rank for rank, name in enumerate(LAYERS)}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_SUFFIXES = {".cpp", ".h"}
TRANSPORT_FOLDERS = {"telnet", "serial", "udp"}


def transport_folder_crossing(relative, included):
    """Why an include inside connection/ crosses into another transport's
    folder, or None."""
    own, target = relative.parts, included.split("/")
    if own[0] != "connection" or target[0] != "connection" or len(own) < 3 or len(target) < 3:
        return None
    if target[1] not in TRANSPORT_FOLDERS or own[1] == target[1]:
        return None
    if own[1] in TRANSPORT_FOLDERS:
        return f"connection/{own[1]}/ includes connection/{target[1]}/, another transport's folder"
    if own[1] == "answer":
        return f"connection/answer/ includes connection/{target[1]}/, a transport's folder"
    return None


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
            crossing = transport_folder_crossing(relative, included)
            if crossing:
                found.append((relative, number, included, crossing))
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
        print(f"check-layers: {len(found)} include(s) point up or across transports; order, lowest first: "
              f"{', '.join(LAYERS)}", file=sys.stderr)
        return 1
    print(f"check-layers: every include under {src}/ points down ({' < '.join(LAYERS)}), "
          f"and no transport's folder includes another's")
    return 0


if __name__ == "__main__":
    sys.exit(main())
