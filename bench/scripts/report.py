#!/usr/bin/env python3
"""Writes docs/performance.md from one run of the suite and prints its summary.

  report.py --gbench bench_mpdll.json --side side_by_side.json --out docs/performance.md

Every number in the report comes from the two result files; nothing is typed
in. Where a result is missing (a benchmark failed or was filtered out) the
report says so.
"""
import argparse
import json
import math

PEXPECT_RATE_FACTOR = 20      # our command rate against tuned pexpect
OVERHEAD_LIMIT_US = 100       # library minus raw baseline, telnet median
NAGLE_RATIO_LIMIT = 1.2       # library against the raw client with immediate ACKs
IDLE_CPU_LIMIT_PCT = 2.0      # one core, during a 5 s wait
LINEAR_EXPONENT_LIMIT = 1.3   # cost ~ size^k; quadratic would be k = 2
FD_SETSIZE = 1024             # where a fixed-size descriptor set ends


def short_name(name):
    parts = [p for p in name.split("/") if not (p.startswith("min_time:") or p.startswith("iterations:")
                                                 or p == "real_time")]
    return "/".join(parts)


def load_gbench(path):
    with open(path) as f:
        data = json.load(f)
    runs = {}
    for entry in data.get("benchmarks", []):
        if entry.get("run_type", "iteration") != "iteration":
            continue
        runs[short_name(entry["name"])] = entry
    return data.get("context", {}), runs


def fmt(value, digits=1):
    if value is None or (isinstance(value, float) and math.isnan(value)):
        return "n/a"
    if abs(value) >= 1000:
        return "{:,.0f}".format(value)
    return "{:.{}f}".format(value, digits)


def get(runs, name, counter):
    entry = runs.get(name)
    if entry is None or entry.get("error_occurred"):
        return None
    return entry.get(counter)


def missing_note(runs, name):
    entry = runs.get(name)
    if entry is None:
        return "not run"
    if entry.get("error_occurred"):
        return "failed: " + entry.get("error_message", "")
    return None


def verdict(ok):
    if ok is None:
        return "not measured"
    return "met" if ok else "**missed**"


def ratio(a, b):
    return a / b if a is not None and b not in (None, 0) else None


def diff(a, b):
    return a - b if a is not None and b is not None else None


def exponent(cost_small, cost_big, size_small, size_big):
    if not cost_small or not cost_big or cost_small <= 0 or cost_big <= 0:
        return None
    return math.log(cost_big / cost_small) / math.log(size_big / size_small)


class Report:
    def __init__(self):
        self.lines = []

    def add(self, *lines):
        self.lines.extend(lines)

    def table(self, header, rows):
        self.add("| " + " | ".join(header) + " |", "|" + "|".join("---" for _ in header) + "|")
        for row in rows:
            self.add("| " + " | ".join(str(c) for c in row) + " |")
        self.add("")

    def text(self):
        return "\n".join(self.lines) + "\n"


def round_trip_rows(runs):
    rows = []
    cases = [
        ("round_trip/telnet_nagle", "telnet, board writes echo/output/prompt separately, Nagle on",
         "raw TCP, immediate ACK"),
        ("round_trip/telnet_single_write", "telnet, board writes each answer at once (TCP_NODELAY)",
         "raw TCP, immediate ACK"),
        ("round_trip/udp", "UDP datagram", "raw UDP socket"),
        ("round_trip/serial", "serial (pty), default port time-outs", "raw pty"),
        ("round_trip/serial_immediate_reads", "serial (pty), read time-outs 'return what is queued'", "raw pty"),
    ]
    for name, what, baseline in cases:
        note = missing_note(runs, name)
        if note:
            rows.append([what, baseline] + [note] + [""] * 7)
            continue
        raw50, lib50 = get(runs, name, "raw_p50_us"), get(runs, name, "lib_p50_us")
        rows.append([what, baseline, fmt(raw50), fmt(get(runs, name, "raw_p99_us")), fmt(lib50),
                     fmt(get(runs, name, "lib_p99_us")), fmt(ratio(lib50, raw50), 2) + "x", fmt(diff(lib50, raw50)),
                     fmt(get(runs, name, "raw_cmd_per_s"), 0), fmt(get(runs, name, "lib_cmd_per_s"), 0)])
    return rows


def pass_ns(runs, name):
    """A loop benchmark's CPU time per pass in ns; None when it did not run."""
    entry = runs.get(name)
    if entry is None or entry.get("error_occurred"):
        return None
    return entry.get("cpu_time") * {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[entry.get("time_unit", "ns")]


def log_handler_figures(runs):
    """The log handler's figures: the three SendCommand series, the 95 %
    interval of the no-handler median, the events a command tells, and what
    the hooks can add at most to a command with no handler set: one export
    wrapper and an event hook for every other event, each counted as a whole
    pass of its loop (loop included, so an upper bound)."""
    name = "log_handler/send_command"
    f = dict(none=get(runs, name, "none_p50_us"), again=get(runs, name, "none_again_p50_us"),
             handler=get(runs, name, "handler_p50_us"), low=get(runs, name, "none_p50_low_us"),
             high=get(runs, name, "none_p50_high_us"), events=get(runs, name, "events_per_command"),
             hook_ns=pass_ns(runs, "log_handler/event_hook"), wrapper_ns=pass_ns(runs, "log_handler/export_wrapper"))
    f["half_width_us"] = (f["high"] - f["low"]) / 2 if f["low"] is not None and f["high"] is not None else None
    f["again_us"] = diff(f["again"], f["none"])
    f["handler_us"] = diff(f["handler"], f["none"])
    known = all(f[k] is not None for k in ("events", "hook_ns", "wrapper_ns"))
    f["bound_ns"] = f["wrapper_ns"] + max(f["events"] - 1, 0) * f["hook_ns"] if known else None
    return f


def signed(value, digits):
    return ("+" if value is not None and value >= 0 else "") + fmt(value, digits)


def log_handler_target(f):
    """Measured text and verdict: with no handler set, the most the hooks can
    add to a command is less than the half-width of the 95 % interval of the
    command's median."""
    if f["bound_ns"] is None or f["half_width_us"] is None:
        return "not measured", None
    measured = ("at most %s ns per command (1 export wrapper and %s event hooks, each at most %s ns in a tight loop) "
                "against a 95 %% "
                "interval of %s us on the %s us median; a second no-handler series: %s us; a handler that only "
                "counts: %s us" % (
                    fmt(f["bound_ns"], 1), fmt(f["events"] - 1, 2), fmt(max(f["wrapper_ns"], f["hook_ns"]), 2),
                    "+-" + fmt(f["half_width_us"], 3), fmt(f["none"], 2), signed(f["again_us"], 2),
                    signed(f["handler_us"], 2)))
    return measured, f["bound_ns"] / 1000 < f["half_width_us"]


def log_handler_section(r, runs, f):
    r.add("## 7. The log handler's cost", "",
          "`SendCommand` of `%s` over telnet (the Nagle board of section 1, in-process, on the same CPU) in three "
          "series taking turns command by command, which goes first changing every command: no handler set, a "
          "second series with no handler set (the same thing measured twice), and a handler set "
          "(`MpdllSetLogHandler`) that only counts its events. The handler is set just before its series' command "
          "and taken away just after, outside the timed call. The 95 %% interval of the first series' median is "
          "that of its order statistics (n/2 -+ 1.96 sqrt(n)/2)." % "iwpriv wlan0 mp_query", "")
    name = "log_handler/send_command"
    note = missing_note(runs, name)
    rows = []
    for prefix, what in (("none_", "no handler"), ("none_again_", "no handler, second series"),
                         ("handler_", "a handler that counts its events")):
        if note:
            rows.append([what, note, "", "", "", ""])
            continue
        p50 = get(runs, name, prefix + "p50_us")
        rows.append([what, fmt(p50, 2), signed(diff(p50, f["none"]), 2), fmt(get(runs, name, prefix + "p99_us")),
                     fmt(get(runs, name, prefix + "cpu_us"), 2), fmt(get(runs, name, prefix + "samples"), 0)])
    r.table(["Series", "p50 us", "against no handler, us", "p99 us", "CPU us per command (mean)", "commands"], rows)
    r.add("95 %% interval of the no-handler median: %s to %s us. The handler heard %s events per command (the bytes "
          "sent, each piece received, the call's end)." % (fmt(f["low"], 2), fmt(f["high"], 2), fmt(f["events"], 2)),
          "")
    rows = []
    for hooked, alone, what in (("log_handler/event_hook", "log_handler/event_loop_alone",
                                 "event hook (each piece sent or received)"),
                                ("log_handler/export_wrapper", "log_handler/export_body_alone",
                                 "export wrapper (each export that talks to a board)")):
        with_it, without = pass_ns(runs, hooked), pass_ns(runs, alone)
        rows.append([what, fmt(with_it, 2) if with_it is not None else missing_note(runs, hooked),
                     fmt(without, 2) if without is not None else missing_note(runs, alone),
                     signed(diff(with_it, without), 2)])
    r.add("With no handler set and no recording open, each hook is one relaxed load of the listening flag. Each "
          "measured alone, in a loop beside the same loop without it (CPU time per pass):", "")
    r.table(["Path, no handler set", "ns per pass", "the loop without it, ns", "difference, ns"], rows)
    r.add("With no handler set a command passes one export wrapper and an event hook for each event but the call's "
          "end. Counting each as a whole pass of its loop, the loop's own work included (the flag in the cache, as "
          "in a tight loop), they add at most %s ns to a command: %s of the half-width of the median's 95 %% "
          "interval (%s us)." % (
              fmt(f["bound_ns"], 1),
              (fmt(100 * f["bound_ns"] / 1000 / f["half_width_us"], 1) + " %")
              if f["bound_ns"] is not None and f["half_width_us"] else "n/a",
              fmt(f["half_width_us"], 3)), "")


def scale_runs(scale):
    """The scale run's results that came back, by pool size."""
    runs = []
    for key, entry in sorted(scale.items()):
        if key.startswith("threads_") and isinstance(entry, dict):
            runs.append((int(key[len("threads_"):]), entry))
    return sorted(runs)


def scale_target(scale):
    """Measured text and verdict of the scale target."""
    runs = scale_runs(scale)
    if not runs:
        return "not run", None
    errors = [e["error"] for _, e in runs if "error" in e]
    if errors:
        return "failed: " + errors[0], False
    boards = scale.get("boards", 0)
    opened = min(e["boards"] - e["open_failures"] for _, e in runs)
    commands = sum(e["commands"] for _, e in runs)
    failures = sum(e["command_failures"] + e["warm_up_failures"] for _, e in runs)
    past = min(e["boards_past_1024"] for _, e in runs)
    highest = max(e["highest_descriptor"] for _, e in runs)
    rates = ", ".join("%s cmd/s with %d threads" % (fmt(e["cmd_per_s"], 0), t) for t, e in runs)
    measured = "%s of %s open in every run (%d of them on descriptors past %d, up to %d); %d failures in %s commands; %s" % (
        fmt(opened, 0), fmt(boards, 0), past, FD_SETSIZE, highest, failures, fmt(commands, 0), rates)
    return measured, opened == boards and failures == 0 and past > 0


def scale_section(r, scale):
    r.add("## 6. Many boards at once", "",
          "bench_many_boards opens %s telnet boards through the library from one process, all held open at once, "
          "against one board host (bench_board_host: one simulator process, a thread per session), then runs `%s` "
          "on every board %s times over from a pool of threads, each thread going round its own share of the boards "
          "one command per board in turn, and closes them. Before the opens it holds %s descriptors of its own "
          "(standing in for the station program's files, logs and instruments), so the later boards get descriptor "
          "numbers past %d. Unlike the sections above, neither process is pinned: the pool is meant to use both "
          "CPUs, which the board host shares. cmd/s is all commands over the wall-clock time of the whole command "
          "phase; CPU us is this process's CPU time (every thread, getrusage) per command." % (
              fmt(scale.get("boards"), 0), "iwpriv wlan0 mp_query", scale.get("rounds", "?"),
              next((e.get("files") for _, e in scale_runs(scale) if "files" in e), "?"), FD_SETSIZE), "")
    runs = scale_runs(scale)
    if not runs:
        r.add("Not measured: not run", "")
        return
    rows, memory = [], []
    for threads, e in runs:
        if "error" in e:
            rows.append([threads, e["error"], "", "", "", "", "", "", "", ""])
            continue
        rows.append([threads, "%d of %d" % (e["boards"] - e["open_failures"], e["boards"]),
                     "%d (%d past %d)" % (e["highest_descriptor"], e["boards_past_1024"], FD_SETSIZE),
                     fmt(e["open_seconds"], 2), fmt(e["commands"], 0), e["command_failures"] + e["warm_up_failures"],
                     fmt(e["cmd_per_s"], 0), fmt(e["p50_us"]), fmt(e["p99_us"]), fmt(e["process_cpu_us"])])
        boards = e["boards"]
        memory.append([threads, e["rss_kib_start"], e["rss_kib_records"], e["rss_kib_open"], e["rss_kib_commands"],
                       e["peak_rss_kib"], fmt((e["rss_kib_open"] - e["rss_kib_start"]) / boards, 2),
                       fmt(e["record_bytes"] / 1024, 2), e["rss_kib_open"] - e["rss_kib_records"]])
    r.table(["Pool threads", "boards open", "highest descriptor", "open s (all)", "commands", "failures", "cmd/s",
             "p50 us", "p99 us", "CPU us per command"], rows)
    r.add("Resident memory (VmRSS) of bench_many_boards: at the start (after each pool thread has opened, used and "
          "closed one board of its own, so its stack and the library's process-wide state are in), with the %s "
          "records allocated and filled, with every board open, and after the commands; then the peak (VmHWM). "
          "Memory per open board = growth from the start to all open, over the boards; it splits into the record "
          "(`DevContext`, the caller's) and what the open added beyond it (the library's own). The kernel's socket "
          "buffers are not in a process's resident memory." % fmt(scale.get("boards"), 0), "")
    r.table(["Pool threads", "start KiB", "records KiB", "all open KiB", "after commands KiB", "peak KiB",
             "per open board KiB", "of it the record KiB", "the opens added, KiB in all"], memory)
    added = [e["rss_kib_open"] - e["rss_kib_records"] for _, e in runs if "error" not in e]
    if added and max(abs(a) for a in added) < 0.1 * scale.get("boards", 1000):
        r.add("The opens themselves add nothing measurable to the process's resident memory (under 0.1 KiB a board; "
              "the resident size moves by whole pages as the allocator returns or takes them): the library keeps no "
              "heap per connection, so a board costs the caller its record, and the system its socket.", "")


def loop_rate(entry):
    """A side-by-side loop's command rate, None when it did not run."""
    return entry.get("cmd_per_s") if isinstance(entry, dict) and "error" not in entry else None


def loop_row(label, entry, pexpect_ref=None):
    if not isinstance(entry, dict) or "error" in entry or not entry:
        return [label, (entry or {}).get("error", "not run") if isinstance(entry, dict) else "not run", "", "", "", "", ""]
    multiple = ratio(pexpect_ref, entry.get("cmd_per_s")) if pexpect_ref else None
    return [label, entry.get("count"), fmt(entry.get("p50_us")), fmt(entry.get("p99_us")), fmt(entry.get("cmd_per_s"), 1),
            (fmt(multiple, 0 if multiple >= 10 else 3) + "x") if multiple else "",
            ", ".join(fmt(v, 0) for v in entry.get("runs_cmd_per_s", []))]


def headline_figures(runs, side):
    """The targets table's rows and the figures the later sections quote."""
    nagle, single = side.get("nagle", {}), side.get("single_write", {})
    # ---- the targets ------------------------------------------------------
    n_raw, n_lib = get(runs, "round_trip/telnet_nagle", "raw_p50_us"), get(runs, "round_trip/telnet_nagle", "lib_p50_us")
    s_raw, s_lib = (get(runs, "round_trip/telnet_single_write", "raw_p50_us"),
                    get(runs, "round_trip/telnet_single_write", "lib_p50_us"))
    n_default = get(runs, "round_trip/telnet_nagle_default_ack", "raw_p50_us")
    nagle_ratio = ratio(n_lib, n_raw)
    overheads = [d for d in (diff(n_lib, n_raw), diff(s_lib, s_raw)) if d is not None]
    worst_overhead = max(overheads) if overheads else None

    multiples = {}
    for label, board in (("Nagle board", nagle), ("single-write board", single)):
        multiples[label] = ratio(loop_rate(board.get("library_telnet", {})), loop_rate(board.get("pexpect_telnet_tuned", {})))
    known_multiples = [m for m in multiples.values() if m is not None]
    least_multiple = min(known_multiples) if known_multiples else None

    idle_t = get(runs, "idle/telnet_no_prompt", "cpu_pct")
    idle_s = get(runs, "idle/serial_no_prompt", "cpu_pct")
    idle_known = [v for v in (idle_t, idle_s) if v is not None]

    size_small, size_big = 1024, 16384
    cpu_small = get(runs, "growth/answer_bytes/%d" % size_small, "lib_cpu_us")
    cpu_big = get(runs, "growth/answer_bytes/%d" % size_big, "lib_cpu_us")
    size_exp = exponent(cpu_small, cpu_big, size_small, size_big)
    chunk_exp = exponent(get(runs, "growth/chunks/10", "lib_cpu_us"), get(runs, "growth/chunks/100", "lib_cpu_us"), 10, 100)
    growth_known = [e for e in (size_exp, chunk_exp) if e is not None]

    scale = side.get("many_boards", {})
    scale_measured, scale_ok = scale_target(scale)
    log_handler = log_handler_figures(runs)
    log_measured, log_ok = log_handler_target(log_handler)

    targets = [
        ["Nagle board: library per command within %.1fx of a raw client with immediate ACKs" % NAGLE_RATIO_LIMIT,
         "%s x (%s us against %s us; raw client with default ACKs: %s us)" % (fmt(nagle_ratio, 2), fmt(n_lib), fmt(n_raw), fmt(n_default)),
         verdict(None if nagle_ratio is None else nagle_ratio <= NAGLE_RATIO_LIMIT)],
        ["Library overhead per telnet command, median, under %d us" % OVERHEAD_LIMIT_US,
         "Nagle board %s us, single-write board %s us" % (fmt(diff(n_lib, n_raw)), fmt(diff(s_lib, s_raw))),
         verdict(None if worst_overhead is None else worst_overhead < OVERHEAD_LIMIT_US)],
        ["Command rate at least %dx tuned pexpect (telnet)" % PEXPECT_RATE_FACTOR,
         ", ".join("%s %sx" % (k, fmt(v, 0)) for k, v in multiples.items()),
         verdict(None if least_multiple is None else least_multiple >= PEXPECT_RATE_FACTOR)],
        ["Idle CPU under %.0f %% of one core while waiting for a silent board" % IDLE_CPU_LIMIT_PCT,
         "telnet %s %%, serial %s %%" % (fmt(idle_t, 3), fmt(idle_s, 3)),
         verdict(None if not idle_known else max(idle_known) < IDLE_CPU_LIMIT_PCT)],
        ["Linear growth with the answer (library CPU ~ size^k, k below %.1f)" % LINEAR_EXPONENT_LIMIT,
         "k = %s for 1 KiB to 16 KiB, k = %s for 10 to 100 chunks" % (fmt(size_exp, 2), fmt(chunk_exp, 2)),
         verdict(None if not growth_known else max(growth_known) < LINEAR_EXPONENT_LIMIT)],
        ["%s telnet boards open at once in one process, descriptors past %d, every open and command answered" % (
            fmt(scale.get("boards", 1000), 0), FD_SETSIZE), scale_measured, verdict(scale_ok)],
        ["No log handler set: the most the hooks can add to a telnet SendCommand is below the uncertainty of its "
         "median (half the 95 % interval)", log_measured, verdict(log_ok)],
    ]
    return targets, dict(nagle_ratio=nagle_ratio, n_raw=n_raw, n_lib=n_lib, n_default=n_default,
                         multiples=multiples, size_exp=size_exp, chunk_exp=chunk_exp, log_handler=log_handler)


def intro_section(r, context, machine):
    r.add("# Performance", "",
          "Generated by `make bench` (bench/scripts/run_suite.py and report.py) from one run; do not edit by hand.",
          "",
          "Run: %s, commit %s (%s); %s, %s CPUs (%s), Linux %s; library, simulator and benchmarks built Release "
          "(the Debian Google Benchmark package calls itself a %s build; it only drives the timing loop); pexpect %s." % (
              machine.get("date_utc", "?"), machine.get("commit", "?"), machine.get("tree", "?"),
              context.get("host_name", "?"), machine.get("cpus", "?"), machine.get("cpu_model", "?"),
              machine.get("kernel", "?"), context.get("library_build_type", "?"), machine.get("pexpect", "?")),
          "Load average before and after the run: %s and %s; the suite took %s s." % (
              " / ".join(fmt(v, 2) for v in machine.get("load_before", [])),
              " / ".join(fmt(v, 2) for v in machine.get("load_after", [])), fmt(machine.get("suite_seconds"), 0)),
          "",
          "The machine is shared (other builds and test runs on its cores), so single numbers are noisy, most of all the 99th percentiles. "
          "To keep load from favouring one side, the library and its raw baseline take turns command by command "
          "in the same process and against the same simulated board (`mpboard_lib`, in-process, loopback), and which of the two goes first changes every command. "
          "bench_mpdll, and every process of the side-by-side runs in section 2, runs with all its threads on CPU %s: left free, each connection settles at random on "
          "same-core or cross-core wake-ups between client and board, which moves its median by tens of "
          "microseconds for the library and the raw client alike (see the unpinned run in section 1). " % machine.get("pinned_cpu", "?") +
          "Times are wall-clock per command (p50 = median, p99 = 99th percentile) unless marked as CPU time; "
          "CPU time is that of the calling thread only, so the simulator's threads do not count.",
          "")


def round_trip_section(r, runs, unpinned):
    r.add("## 1. Command round trip", "",
          "`SendCommand` of `%s` with zero think time against a raw client sending the same bytes (the line and one CR; "
          "UDP: the bare line) and reading until the prompt (UDP: one datagram). Overhead = library median minus raw median." % "iwpriv wlan0 mp_query",
          "")
    r.table(["Transport", "Baseline", "raw p50 us", "raw p99 us", "lib p50 us", "lib p99 us", "lib/raw", "overhead us",
             "raw cmd/s", "lib cmd/s"], round_trip_rows(runs))
    r.add("Where the overhead is a wait the library is built with: over UDP, after each reply the library keeps the "
          "socket open for 1 ms more and drops any datagram that comes in that time, so a board that sends its reply "
          "twice never has the copy taken as the answer to the next command (about 1,000 us of the UDP row). Over "
          "serial, a read returns when the port's interval time-out (100 ms by default) has passed after the last "
          "byte; a caller that sets the read time-outs to 'return what is queued' gets the last row.", "")
    rows = []
    for name, what in (("round_trip/telnet_nagle", "Nagle board"), ("round_trip/telnet_single_write", "single-write board")):
        note = missing_note(unpinned, name)
        if note:
            rows.append([what, note, "", "", "", ""])
            continue
        raw50, lib50 = get(unpinned, name, "raw_p50_us"), get(unpinned, name, "lib_p50_us")
        rows.append([what, fmt(raw50), fmt(lib50), fmt(ratio(lib50, raw50), 2) + "x", fmt(get(unpinned, name, "raw_reads"), 2),
                     fmt(get(unpinned, name, "lib_reads"), 2)])
    r.add("The telnet rows once more with the threads free to run on any CPU (same process, a second run):", "")
    r.table(["Board", "raw p50 us", "lib p50 us", "lib/raw", "raw reads", "lib reads"], rows)
    rows = []
    for name, what in (("round_trip/telnet_nagle_default_ack", "Nagle board"),
                       ("round_trip/telnet_single_write_default_ack", "single-write board")):
        rows.append([what, missing_note(runs, name) or fmt(get(runs, name, "raw_p50_us")),
                     fmt(get(runs, name, "raw_p99_us")), fmt(get(runs, name, "raw_cmd_per_s"), 0)])
    r.add("Raw TCP client with the system's default (delayed) ACKs, the way a plain client or the telnet program "
          "reads, for reference:", "")
    r.table(["Board", "p50 us", "p99 us", "cmd/s"], rows)


def pexpect_section(r, nagle, single):
    r.add("## 2. The alternative: pexpect", "",
          "The same command loop with pexpect (bench/scripts/pexpect_loop.py: `send(line + CR)`, `expect_exact(prompt)`), "
          "over the system's `telnet` program, or on the console's pseudo-terminal with `fdpexpect`, run in separate "
          "processes against one simulated board (bench_board_host) beside the library's own loop and the raw client's "
          "(bench_command_loop, `--raw`). "
          "Default pexpect sleeps 50 ms before each send; tuned sets `delaybeforesend=None`. fdpexpect has no send delay, "
          "so its default and tuned runs are the same. Each loop runs three times; the table shows the run with the "
          "median command rate (all three rates in the last column). cmd/s is commands over their total time, so "
          "it includes every stall the shared machine caused. The board host and every loop (pexpect with its telnet "
          "program too) run on the one CPU named above.", "")
    rows = []

    for label, board in (("Nagle board", nagle), ("single-write board", single)):
        lib_rate = loop_rate(board.get("library_telnet", {}))
        rows.append(loop_row("telnet, %s: library" % label, board.get("library_telnet", {})))
        rows.append(loop_row("telnet, %s: raw client, immediate ACKs" % label, board.get("raw_telnet", {})))
        rows.append(loop_row("telnet, %s: pexpect default" % label, board.get("pexpect_telnet_default", {}), lib_rate))
        rows.append(loop_row("telnet, %s: pexpect tuned" % label, board.get("pexpect_telnet_tuned", {}), lib_rate))
    lib_serial_default = loop_rate(nagle.get("library_serial", {}))
    lib_serial_immediate = loop_rate(nagle.get("library_serial_immediate", {}))
    rows.append(loop_row("serial: library, default port time-outs", nagle.get("library_serial", {})))
    rows.append(loop_row("serial: library, immediate reads", nagle.get("library_serial_immediate", {})))
    rows.append(loop_row("serial: pexpect (fdpexpect) vs library default time-outs", nagle.get("pexpect_serial", {}),
                         lib_serial_default))
    rows.append(loop_row("serial: pexpect (fdpexpect) vs library immediate reads", nagle.get("pexpect_serial", {}),
                         lib_serial_immediate))
    rows.append(loop_row("UDP: library", nagle.get("library_udp", {})))
    r.table(["Loop", "commands", "p50 us", "p99 us", "cmd/s", "library rate / this", "cmd/s of the runs"], rows)


def operations_section(r, runs, side):
    r.add("## 3. Whole operations", "",
          "Each call's wall-clock time split into the fixed waits the operation is built with and the rest. The fixed "
          "waits are measured, not assumed: bench_mpdll wraps the platform's sleep (`--wrap`) and adds up the time the "
          "library sleeps: the 10 ms after an open, the 500 ms flash "
          "write wait and the 1000 ms thermal wait (on serial the receive sleeps the wait a second time). "
          "Medians over the calls; serial with the default port time-outs.", "")
    rows = []
    for link in ("telnet", "serial"):
        for op in ("OpenDev_login", "OpenDev_busybox_telnetd", "EnterMP", "TxStart", "RxQuery", "FlashGet", "FlashSet", "mp_ther"):
            name = "operation/%s/%s" % (link, op)
            if name not in runs:
                continue
            note = missing_note(runs, name)
            if note:
                rows.append([link, op, note, "", "", "", ""])
                continue
            label = op.replace("_login", " with login (simulator)").replace("_busybox_telnetd", " with login (busybox telnetd)")
            rows.append([link, label, fmt(get(runs, name, "total_ms"), 2),
                         fmt(get(runs, name, "fixed_wait_ms"), 2), fmt(get(runs, name, "rest_ms"), 3),
                         fmt(get(runs, name, "rest_max_ms"), 3), int(get(runs, name, "samples") or 0)])
    r.table(["Link", "Operation", "total ms", "fixed waits ms", "rest ms", "rest max ms", "calls"], rows)

    serial_tool = side.get("mpctl_serial", {})
    r.add("mpctl on the simulator's serial console: the bundled short check (tools/demo/short_check.plan, %s steps; "
          "test-mode entry, a transmit burst, counters, chip version, a flash read) as one `mpctl --serial ... run`, "
          "the whole process timed, median of three runs. mpctl sets read time-outs that return what the port holds; "
          "`--read-interval 100` gives the library's default interval time-out instead." % serial_tool.get("plan_steps", "?"), "")
    if "error" in serial_tool or not serial_tool:
        r.add("Not measured: %s" % serial_tool.get("error", "not run"), "")
    else:
        rows = [[label, fmt(serial_tool[key]["median_s"], 3), ", ".join(fmt(v, 3) for v in serial_tool[key]["runs_s"])]
                for key, label in (("holds", "mpctl default (reads return what the port holds)"),
                                   ("interval_100", "mpctl --read-interval 100"))]
        r.table(["Read time-outs", "seconds", "runs"], rows)


def growth_section(r, runs, size_exp, chunk_exp):
    r.add("## 4. Growth with the answer", "",
          "Telnet, library and raw client taking turns. `cpu us` is the calling thread's CPU time per command: the "
          "library's own work, apart from the board's time. Reads = receive calls per command.", "")
    rows = []
    for size in (100, 1024, 8192, 16384):
        name = "growth/answer_bytes/%d" % size
        note = missing_note(runs, name)
        if note:
            rows.append([size, note, "", "", "", "", "", ""])
            continue
        rows.append(["%d B filler" % size, fmt(get(runs, name, "answer_bytes"), 0), fmt(get(runs, name, "raw_p50_us")),
                     fmt(get(runs, name, "lib_p50_us")), fmt(get(runs, name, "raw_cpu_us")), fmt(get(runs, name, "lib_cpu_us")),
                     fmt(get(runs, name, "raw_reads"), 1), fmt(get(runs, name, "lib_reads"), 1)])
    r.table(["Answer", "bytes on the wire", "raw p50 us", "lib p50 us", "raw cpu us", "lib cpu us", "raw reads",
             "lib reads"], rows)
    rows = []
    for chunks in (1, 10, 100):
        name = "growth/chunks/%d" % chunks
        note = missing_note(runs, name)
        if note:
            rows.append([chunks, note, "", "", "", "", "", ""])
            continue
        rows.append([chunks, fmt(get(runs, name, "answer_bytes"), 0), fmt(get(runs, name, "raw_p50_us")),
                     fmt(get(runs, name, "lib_p50_us")), fmt(get(runs, name, "raw_cpu_us")), fmt(get(runs, name, "lib_cpu_us")),
                     fmt(get(runs, name, "raw_reads"), 1), fmt(get(runs, name, "lib_reads"), 1)])
    r.add("One answer in 1, 10 and 100 chunks (single-write board, 2 ms apart so that each arrives as its own read; "
          "the wall-clock time is mostly the board's pauses):", "")
    r.table(["Chunks", "bytes", "raw p50 us", "lib p50 us", "raw cpu us", "lib cpu us", "raw reads", "lib reads"], rows)
    r.add("Growth exponent k (library CPU per command ~ size^k; 1 = linear, 2 = quadratic): %s from 1 KiB to 16 KiB, "
          "%s from 10 to 100 chunks. At these sizes the per-read cost (a wake-up and a receive) dominates the per-byte cost." % (
              fmt(size_exp, 2), fmt(chunk_exp, 2)), "")


def idle_and_memory_section(r, runs, side):
    r.add("## 5. Idle cost and memory", "")
    rows = []
    for name, what in (("idle/telnet_no_prompt", "telnet, board never shows the prompt"),
                       ("idle/serial_no_prompt", "serial, board never shows the prompt")):
        note = missing_note(runs, name)
        rows.append([what, note or fmt(get(runs, name, "wait_ms"), 0), fmt(get(runs, name, "cpu_ms"), 3),
                     fmt(get(runs, name, "cpu_pct"), 3), fmt(get(runs, name, "status"), 0)])
    r.table(["Wait", "wall ms", "CPU ms (getrusage, calling thread)", "CPU % of one core", "SendCommand result"], rows)
    memory = side.get("memory", {})
    small, big = memory.get("commands_10", {}), memory.get("commands_10000", {})
    r.add("Peak resident memory (VmHWM in /proc/self/status; getrusage's `ru_maxrss` would carry over the peak of the "
          "Python script that starts the program) of bench_command_loop, a process that opens a telnet "
          "connection through the library and runs the commands (the board runs in another process). The loop keeps "
          "one 8-byte time per command for its statistics (80 KB for 10,000).", "")
    r.table(["Commands", "peak RSS after OpenDev, KiB", "peak RSS at the end, KiB", "failures"],
            [[10, small.get("peak_rss_kib_before", "n/a"), small.get("peak_rss_kib", "n/a"), small.get("failures", "n/a")],
             ["10,000", big.get("peak_rss_kib_before", "n/a"), big.get("peak_rss_kib", "n/a"), big.get("failures", "n/a")]])


def findings_section(r, runs, side, targets, figures):
    nagle, single = side.get("nagle", {}), side.get("single_write", {})
    nagle_ratio, multiples = figures["nagle_ratio"], figures["multiples"]
    n_raw, n_lib, n_default = figures["n_raw"], figures["n_lib"], figures["n_default"]
    r.add("## What stands in the way", "")
    serial_default = get(runs, "round_trip/serial", "lib_p50_us")
    serial_raw = get(runs, "round_trip/serial", "raw_p50_us")
    serial_immediate = get(runs, "round_trip/serial_immediate_reads", "lib_p50_us")
    findings = []
    if serial_default is not None and serial_default > 50000:
        findings.append(
            "- Serial with the default port time-outs: %s us per command against %s us for a raw pty client. "
            "`SerialRcv` asks the port for up to 16383 bytes per read, and with the default time-outs (interval "
            "100 ms, no totals) a read returns only once the line has been quiet for 100 ms (that is how the "
            "interval time-out is defined, for the Windows port and for the POSIX port that follows it), so every "
            "serial command, and every step of a serial operation, waits about 100 ms after the prompt has "
            "arrived. With read time-outs that return what is queued (interval all bits set, no totals, set by "
            "the caller in `commTimeouts`) the same command takes %s us. Asking for no more than the byte count "
            "the port status has just reported would end each read as soon as those bytes are there, with either "
            "setting." % (fmt(serial_default), fmt(serial_raw), fmt(serial_immediate)))
    findings.append(
        "- The serial write needs a `sendTimeout` above 0: with 0 the library purges the output side right after "
        "the write, and on a pseudo-terminal that can drop the command before the board has read it; the receive "
        "then waits out its 5 s limit. The suite sets 1000 ms, as mpctl does.")
    login_total = get(runs, "operation/telnet/OpenDev_login", "total_ms")
    login_fixed = get(runs, "operation/telnet/OpenDev_login", "fixed_wait_ms")
    if login_total and login_fixed is not None and login_fixed > 0.9 * login_total:
        findings.append(
            "- `OpenDev` over telnet: %s of its %s ms are fixed waits (the 10 ms after the open, and a quiet wait "
            "where the board's login needs one); the exchanges themselves take %s ms." % (
                fmt(login_fixed, 0), fmt(login_total, 0), fmt(get(runs, "operation/telnet/OpenDev_login", "rest_ms"), 2)))
    if nagle_ratio is not None and nagle_ratio > NAGLE_RATIO_LIMIT:
        lib_cpu = get(runs, "round_trip/telnet_nagle", "lib_cpu_us")
        raw_cpu = get(runs, "round_trip/telnet_nagle", "raw_cpu_us")
        findings.append(
            "- Nagle board ratio %s against a limit of %.1f: the board's answer on loopback takes only %s us, so the "
            "library's fixed cost per command (%s us of median, %s us more CPU than the raw client: %s against %s us) "
            "is a fifth of it. No delayed-ACK stall remains (a default-ACK client: %s us). Most of the extra CPU is "
            "the clearing of the fixed work areas each command goes through (the raw and response buffers, the "
            "16 KiB line and chunk buffers, and `lastSent`/`lastReceived`, together about 116 KiB; some of them "
            "cleared twice per command)." % (
                fmt(nagle_ratio, 2), NAGLE_RATIO_LIMIT, fmt(n_raw), fmt(diff(n_lib, n_raw)), fmt(diff(lib_cpu, raw_cpu)),
                fmt(lib_cpu), fmt(raw_cpu), fmt(n_default)))
    explained = {targets[0][0]} if nagle_ratio is not None and nagle_ratio > NAGLE_RATIO_LIMIT else set()
    for label, board, inproc in (("Nagle board", nagle, "round_trip/telnet_nagle"),
                                 ("single-write board", single, "round_trip/telnet_single_write")):
        multiple = multiples.get(label)
        if multiple is None or multiple >= PEXPECT_RATE_FACTOR:
            continue
        lib, pex, raw = board.get("library_telnet", {}), board.get("pexpect_telnet_tuned", {}), board.get("raw_telnet", {})
        findings.append(
            "- Against tuned pexpect on the %s: the library made %s cmd/s (median %s us, p99 %s us), tuned pexpect "
            "%s cmd/s (median %s us): %sx by rate, %sx by median. In the same process layout the raw client made %s "
            "cmd/s (median %s us, p99 %s us), %sx pexpect. The rate counts every stall the shared machine caused "
            "(compare the p99s); in bench_mpdll's run on one CPU the library made %s cmd/s on this board." % (
                label, fmt(loop_rate(lib), 0), fmt(lib.get("p50_us")), fmt(lib.get("p99_us")), fmt(loop_rate(pex), 0),
                fmt(pex.get("p50_us")), fmt(multiple, 1), fmt(ratio(pex.get("p50_us"), lib.get("p50_us")), 1),
                fmt(loop_rate(raw), 0), fmt(raw.get("p50_us")), fmt(raw.get("p99_us")), fmt(ratio(loop_rate(raw), loop_rate(pex)), 1),
                fmt(get(runs, inproc, "lib_cmd_per_s"), 0)))
        explained.add(targets[2][0])
    for t in targets:
        if "missed" in t[2] and t[0] not in explained:
            findings.append("- Target missed: %s (%s)." % (t[0], t[1]))
    r.add(*findings)
    r.add("")


def method_section(r):
    r.add("## How the numbers are made", "",
          "- `make bench` configures a Release tree (`BENCH_BUILD`, default build/bench), builds `bench_programs` "
          "and runs bench/scripts/run_suite.py, which writes this file through report.py. `make test` runs none of it.",
          "- bench/suites: the Google Benchmark groups (round_trip, growth, operation, idle, log_handler) in bench_mpdll; "
          "bench/support: the raw clients, the library sessions, the shared in-process boards, the receive counter.",
          "- bench/programs: bench_board_host (one simulated board for other processes), bench_command_loop "
          "(the library's loop beside pexpect, and the memory run) and bench_many_boards (the scale run); "
          "bench/scripts/pexpect_loop.py: the pexpect loop.",
          "- Raw results of this run: bench_mpdll.json, bench_mpdll_unpinned.json and side_by_side.json in the build "
          "tree's bench/ directory.", "")


def print_summary(runs, targets, out_path):
    print()
    print("Targets (full report: %s)" % out_path)
    for target, measured, result in targets:
        print("  %-90s %-12s %s" % (target, result.replace("*", ""), measured))
    print()
    print("Round trips (us)          raw p50    lib p50   overhead   lib cmd/s")
    for row in round_trip_rows(runs):
        print("  %-60s %10s %10s %10s %10s" % (row[0][:60], row[2], row[4], row[7], row[9]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--gbench", required=True)
    parser.add_argument("--unpinned", required=True)
    parser.add_argument("--side", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    context, runs = load_gbench(args.gbench)
    try:
        _, unpinned = load_gbench(args.unpinned)
    except (OSError, ValueError):
        unpinned = {}
    with open(args.side) as f:
        side = json.load(f)
    machine = side.get("machine", {})
    nagle, single = side.get("nagle", {}), side.get("single_write", {})
    targets, figures = headline_figures(runs, side)

    r = Report()
    intro_section(r, context, machine)
    r.add("## Targets", "")
    r.table(["Target", "Measured", "Result"], targets)
    round_trip_section(r, runs, unpinned)
    pexpect_section(r, nagle, single)
    operations_section(r, runs, side)
    growth_section(r, runs, figures["size_exp"], figures["chunk_exp"])
    idle_and_memory_section(r, runs, side)
    scale_section(r, side.get("many_boards", {}))
    log_handler_section(r, runs, figures["log_handler"])
    findings_section(r, runs, side, targets, figures)
    method_section(r)
    with open(args.out, "w") as out:
        out.write(r.text())
    print_summary(runs, targets, args.out)


if __name__ == "__main__":
    main()
