#!/usr/bin/env python3
"""Compares two recordings the DLL wrote (MPDLL_RECORD): the session with a
board and the same program's session with that board's replay. They match
when the calls ended in the same order with the same statuses, and the bytes
each way are the same (however the reads and writes cut them). Prints one
PASS/FAIL line per comparison; exits 1 when one fails.

  same_session.py RECORDED.cast REPLAYED.cast
"""
import json
import sys


def read_session(path):
    """The recording's mode, the calls' ends and the bytes each way."""
    ends, sent, received = [], [], []
    with open(path, encoding="utf-8", newline="") as recording:
        header = json.loads(recording.readline())
        for number, line in enumerate(recording, start=2):
            if not line.strip():
                continue
            seconds, code, data = json.loads(line)
            if not isinstance(seconds, (int, float)):
                raise ValueError("%s:%d: the time is not a number" % (path, number))
            if code == "i":
                sent.append(data)
            elif code == "o":
                received.append(data)
            elif code == "m" and data.startswith("end "):
                ends.append(data[len("end "):])
    return header["mpdll"]["mode"], ends, "".join(sent), "".join(received)


def first_difference(a, b):
    at = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
    return "from character %d: %r against %r" % (at, a[at:at + 40], b[at:at + 40])


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    recorded, replayed = read_session(sys.argv[1]), read_session(sys.argv[2])
    mode = recorded[0]
    failed = False
    if replayed[0] != mode:
        failed = True
        print("FAIL %s replay: the replay's recording is of a %s session" % (mode, replayed[0]))
    checks = (("calls and statuses", recorded[1], replayed[1]),
              ("bytes sent to the board", recorded[2], replayed[2]),
              ("bytes from the board", recorded[3], replayed[3]))
    for what, a, b in checks:
        if a == b:
            print("PASS %s replay: the same %s (%d %s)" % (mode, what, len(a), "calls" if isinstance(a, list) else "characters"))
        else:
            failed = True
            detail = first_difference(a, b) if isinstance(a, str) else "%r against %r" % (a, b)
            print("FAIL %s replay: %s differ, %s" % (mode, what, detail))
    if not recorded[1]:
        failed = True
        print("FAIL %s replay: the recording holds no call" % mode)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
