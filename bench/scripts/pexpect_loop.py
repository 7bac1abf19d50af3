#!/usr/bin/env python3
"""The users' alternative to the library: the same command loop written with
pexpect, over the system's telnet client or directly on the serial console's
pseudo-terminal, against the same simulated board. Prints one JSON line with
the per-command median and 99th percentile and the commands per second.

  pexpect_loop.py --telnet PORT | --serial PATH  [--tuned] [--count N]

Default pexpect settings sleep 50 ms before every send (delaybeforesend);
--tuned sets delaybeforesend=None, the usual advice for speed.
"""
import argparse
import json
import math
import os
import time
import tty

import pexpect
from pexpect import fdpexpect

USER, PASSWORD, PROMPT = "root", "root", b"# "
COMMAND = "iwpriv wlan0 mp_query"
TIMEOUT_S = 10


def open_telnet(port):
    child = pexpect.spawn("telnet", ["127.0.0.1", str(port)], timeout=TIMEOUT_S)
    child.expect_exact(b"login: ")
    child.sendline(USER)
    child.expect_exact(b"Password: ")
    child.sendline(PASSWORD)
    child.expect_exact(PROMPT)
    return child


def open_serial(path):
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)
    child = fdpexpect.fdspawn(fd, timeout=TIMEOUT_S)
    child.send("\r")
    child.expect_exact(PROMPT)
    return child


def percentile(sorted_values, fraction):
    rank = max(1, math.ceil(fraction * len(sorted_values)))
    return sorted_values[min(rank, len(sorted_values)) - 1]


def main():
    parser = argparse.ArgumentParser()
    target = parser.add_mutually_exclusive_group(required=True)
    target.add_argument("--telnet", type=int, metavar="PORT")
    target.add_argument("--serial", metavar="PATH")
    parser.add_argument("--tuned", action="store_true")
    parser.add_argument("--count", type=int, default=100)
    args = parser.parse_args()

    child = open_telnet(args.telnet) if args.telnet else open_serial(args.serial)
    if args.tuned:
        child.delaybeforesend = None
    times = []
    for _ in range(args.count):
        start = time.perf_counter()
        child.send(COMMAND + "\r")
        child.expect_exact(PROMPT)
        times.append(time.perf_counter() - start)
    child.close()

    ordered = sorted(times)
    print(json.dumps({
        "transport": "telnet" if args.telnet else "serial",
        "settings": "tuned" if args.tuned else "default",
        "count": len(times),
        "p50_us": percentile(ordered, 0.5) * 1e6,
        "p99_us": percentile(ordered, 0.99) * 1e6,
        "cmd_per_s": len(times) / sum(times),
    }))


if __name__ == "__main__":
    main()
