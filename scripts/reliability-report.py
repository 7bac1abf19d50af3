#!/usr/bin/env python3
"""Writes docs/reliability.md from the figures that the reliability targets
measured (`make reliability-report` runs them all first). Every number in the
document comes from a figure file; nothing is typed in by hand.

usage: reliability-report.py FIGURES_DIR OUTPUT.md [COVERAGE_FIGURES_DIR]
"""
import datetime
import os
import subprocess
import sys


def rows(figures, name):
    path = os.path.join(figures, name)
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as handle:
        return [line.rstrip("\n").split("\t") for line in handle if line.strip()]


def table(header, body):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(cell.replace("|", "\\|") for cell in row) + " |" for row in body]
    return "\n".join(lines)


def commit():
    try:
        return subprocess.run(["git", "rev-parse", "--short", "HEAD"], capture_output=True, text=True,
                              check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


def fuzz_section(figures):
    out = ["## Fuzzing (libFuzzer, clang-14, ASan + UBSan)", ""]
    runs = {}
    for label in ("short", "long"):
        for row in rows(figures, f"fuzz-{label}.tsv"):
            harness, executed, corpus, seconds, result = row
            entry = runs.setdefault(harness, {"runs": 0, "seconds": 0, "corpus": 0, "results": []})
            entry["runs"] += int(executed)
            entry["seconds"] += int(seconds)
            entry["corpus"] = int(corpus)
            entry["results"].append(f"{label}: {result}")
    if not runs:
        return out + ["No fuzzing figures were measured.", ""]
    body = [[h, f"{e['runs']:,}", str(e["corpus"]), str(e["seconds"]), "; ".join(e["results"])]
            for h, e in sorted(runs.items())]
    total = sum(e["runs"] for e in runs.values())
    out.append(table(["harness", "inputs run", "corpus files", "seconds", "result"], body))
    out += ["", f"{len(runs)} harnesses, {total:,} inputs in all. Seeds: `fuzz/corpus/<harness>/` "
            "(written by `fuzz/make_seeds.py`); every seed and every kept crash reproducer "
            "(`fuzz/regressions/<harness>/`) is replayed by `ctest --test-dir build/fuzz -L fuzz` (in `make fuzz-short`).", ""]
    return out


def tsan_section(figures):
    out = ["## ThreadSanitizer", ""]
    body = [[row[0], row[2], row[3], row[1]] for row in rows(figures, "tsan.tsv")]
    if not body:
        return out + ["Not measured.", ""]
    return out + [table(["test", "races reported", "seconds", "result"], body), ""]


def faults_section(figures):
    out = ["## Fault injection (board simulator)", ""]
    found = rows(figures, "faults.tsv")
    if not found:
        return out + ["Not measured.", ""], 0, 0
    body = sorted([[r[0], r[1], r[3], r[2], f"{float(r[4]):.2f}", r[5]] for r in found])
    survived = sum(1 for r in found if r[5] == "ok")
    out.append(table(["transport", "fault", "expected status", "status", "seconds", "result"], body))
    out += ["", f"{len(found)} faults injected, {survived} handled with the expected status within "
            "the time bound.", ""]
    failed = [r for r in found if r[5] != "ok"]
    if failed:
        out += ["Cases that did not behave as expected (open library faults):", ""]
        out += [f"- {r[0]} {r[1]}: status {r[2]} (expected {r[3]}) in {float(r[4]):.2f} s" for r in failed]
        out.append("")
    return out, len(found), survived


def soak_section(figures):
    out = ["## Soak", ""]
    found = rows(figures, "soak.tsv")
    leaks = 0
    if found:
        body = []
        for r in found:
            what, cycles, failures, f0, f1, n0, n1, h0, h1, m0, m1, seconds = r
            grew = int(f1) != int(f0) or int(n1) != int(n0) or int(h1) - int(h0) > 64 * 1024
            leaks += 1 if grew else 0
            body.append([what, cycles, failures, f"{f0} → {f1}", f"{n0} → {n1}",
                         f"{int(h1) - int(h0):+,} B", f"{m0} → {m1}", f"{float(seconds):.1f}",
                         "growth" if grew else "none"])
        out.append(table(["run", "cycles", "failed cycles", "open files", "named objects", "heap change",
                          "resident kB", "seconds", "growth"], body))
        out.append("")
    else:
        out += ["Not measured.", ""]
    valgrind = rows(figures, "valgrind.tsv")
    if valgrind:
        cycles, errors, definite, indirect, possible, result = valgrind[0]
        out += [f"valgrind memcheck over a {cycles}-cycle soak per transport (and 5 failed opens of each kind): "
                f"{errors} errors, definitely lost {definite} B, indirectly lost {indirect} B, "
                f"possibly lost {possible} B: {result}.", ""]
        leaks += 1 if result != "ok" or definite not in ("0", "") else 0
    return out, leaks


def coverage_section(coverage):
    out = ["## Coverage", ""]
    measured = rows(coverage, "coverage.tsv") if coverage else []
    if not measured:
        return out + ["Not measured: `make coverage` writes the figures this section shows.", ""]

    def percent(taken, count):
        return f"{100.0 * int(taken) / int(count):.1f} % ({taken} of {count})" if int(count) else "--"

    out += ["Line and branch coverage of `src/` by the native test suite, from the last `make coverage` "
            "(a gcc `--coverage -O0` build in `build/coverage`, `ctest`, then gcovr over `src/` only with "
            "`--exclude-throw-branches --exclude-unreachable-branches`; the per-file table it prints names "
            "the lines whose branches are not all taken).", ""]
    out.append(table(["folder", "lines", "branches"],
                     [[name, percent(lines, lineCount), percent(branches, branchCount)]
                      for name, lines, lineCount, branches, branchCount in measured]))
    return out + [""]


def main():
    figures, output = sys.argv[1], sys.argv[2]
    coverage = sys.argv[3] if len(sys.argv) > 3 else None
    fault_lines, injected, survived = faults_section(figures)
    soak_lines, leaks = soak_section(figures)
    fuzz_rows = rows(figures, "fuzz-short.tsv") + rows(figures, "fuzz-long.tsv")
    soak_rows = rows(figures, "soak.tsv")
    lines = [
        "# Reliability figures",
        "",
        f"Measured on {datetime.date.today().isoformat()} at commit {commit()} by `make reliability-report`, "
        "which runs `make fuzz-short fuzz tsan faults soak` and writes this file from their figures "
        f"(`{figures}`). Do not edit by hand.",
        "",
        "## Summary",
        "",
        table(["what", "figure"], [
            ["inputs fuzzed", f"{sum(int(r[1]) for r in fuzz_rows):,} over {len({r[0] for r in fuzz_rows})} harnesses"],
            ["faults injected / handled as expected", f"{injected} / {survived}"],
            ["cycles soaked", f"{sum(int(r[1]) for r in soak_rows if not r[0].startswith('failed')):,} "
                              f"open/command/close, {sum(int(r[1]) for r in soak_rows if r[0].startswith('failed')):,} failed opens"],
            ["leaks or growth found", str(leaks)],
        ]),
        "",
    ]
    lines += fuzz_section(figures) + tsan_section(figures) + fault_lines + soak_lines + coverage_section(coverage)
    lines += [
        "## Commands",
        "",
        "- `make fuzz-short` (part of `make test`): every harness for `FUZZ_SHORT_SECONDS` (10) seconds.",
        "- `make fuzz`: every harness for `FUZZ_SECONDS` (120) seconds; the working corpus in `build/fuzz/corpus` grows from run to run.",
        "- `make tsan`: the concurrency test built with ThreadSanitizer.",
        "- `make faults`: the fault-injection cases with their figures (they also run in `make test`, natively and under ASan + UBSan).",
        "- `make soak`: `SOAK_CYCLES` (2000) cycles per transport and `SOAK_FAILED_OPENS` (200) failed opens of each kind, then valgrind memcheck over `VALGRIND_CYCLES` (20) cycles.",
        "- `make reliability-report`: all of the above, then this file.",
        "- `make coverage` (not part of `make test` nor of the report run): the coverage build, the native suite and the figures of the Coverage section.",
        "",
    ]
    with open(output, "w", encoding="utf-8") as handle:
        handle.write("\n".join(lines))


if __name__ == "__main__":
    main()
