#!/usr/bin/env python3
"""mpctl on a serial console: the time of the bundled short check run through
the simulator's console, with mpctl's read time-outs that return what the port
holds and with `--read-interval 100` (reads that end 100 ms after the last
byte, the library's default). Prints one JSON object.

  mpctl_serial.py --mpctl PATH --mpboard PATH --plan PLAN [--runs N]
"""
import argparse
import json
import statistics
import subprocess
import time


def start_board(mpboard):
    board = subprocess.Popen([mpboard, "--telnet-port", "-1", "--udp-port", "-1"], stdout=subprocess.PIPE, text=True)
    words = dict(word.split("=", 1) for word in board.stdout.readline().split()[1:] if "=" in word)
    if "serial" not in words:
        board.kill()
        raise RuntimeError("the simulator did not start its serial console")
    return board, words["serial"]


def timed_run(command):
    started = time.monotonic()
    result = subprocess.run(command, capture_output=True, text=True, timeout=120)
    seconds = time.monotonic() - started
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s" % (" ".join(command), result.stdout[-300:] + result.stderr[-300:]))
    return seconds


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mpctl", required=True)
    parser.add_argument("--mpboard", required=True)
    parser.add_argument("--plan", required=True)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()

    with open(args.plan) as plan:
        steps = sum(1 for line in plan if line.strip() and not line.lstrip().startswith("#"))
    board, console = start_board(args.mpboard)
    try:
        results = {"plan_steps": steps}
        for label, extra in (("holds", []), ("interval_100", ["--read-interval", "100"])):
            seconds = [timed_run([args.mpctl, "--serial", console] + extra + ["run", args.plan]) for _ in range(args.runs)]
            results[label] = {"median_s": statistics.median(seconds), "runs_s": seconds}
    finally:
        board.terminate()
        board.wait(timeout=10)
    print(json.dumps(results))


if __name__ == "__main__":
    main()
