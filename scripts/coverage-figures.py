#!/usr/bin/env python3
"""Line and branch coverage of src/ per folder, from gcovr's JSON report
(`make coverage` runs it). Prints a table and writes the figures as
tab-separated rows (folder, lines taken, lines, branches taken, branches) for
scripts/reliability-report.py.

usage: coverage-figures.py GCOVR.json OUT.tsv
"""
import json
import os
import sys


def folder_of(path):
    parts = path.split("/")
    return "/".join(parts[:-1]) + "/"


def main():
    report, output = sys.argv[1], sys.argv[2]
    with open(report, encoding="utf-8") as handle:
        files = json.load(handle)["files"]
    totals = {}
    for entry in files:
        counts = totals.setdefault(folder_of(entry["file"]), [0, 0, 0, 0])
        for line in entry["lines"]:
            if line.get("gcovr/noncode") or line.get("gcovr/excluded"):
                continue
            counts[0] += line["count"] > 0
            counts[1] += 1
            counts[2] += sum(branch["count"] > 0 for branch in line["branches"])
            counts[3] += len(line["branches"])
    rows = sorted(totals.items())
    rows.append(("total", [sum(counts[k] for _, counts in rows) for k in range(4)]))

    def percent(taken, count):
        return f"{100.0 * taken / count:.1f} %" if count else "--"

    print(f"{'folder':<24} {'lines':>18} {'branches':>18}")
    for name, (lines, lineCount, branches, branchCount) in rows:
        print(f"{name:<24} {percent(lines, lineCount):>8} {lines:>4}/{lineCount:<4} "
              f"{percent(branches, branchCount):>8} {branches:>4}/{branchCount:<4}")
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    with open(output, "w", encoding="utf-8") as handle:
        for name, counts in rows:
            handle.write("\t".join([name] + [str(c) for c in counts]) + "\n")


if __name__ == "__main__":
    main()
