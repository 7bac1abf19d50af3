"""The station layer on simulated boards: four boards at once, one of them
out of limits, and what its record, the JUnit XML and the CSV say; retried
steps, errors, boards running side by side, the progress line."""
import csv
import io
import json
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import pytest

import mpdll

FAILING = "SN-0003"
SERIAL_NUMBERS = ("SN-0000", "SN-0001", "SN-0002", FAILING)


def line_check(board, test):
    """A short line test; the failing board's crystal trim lies outside its limit."""
    with test.step("enter"):
        board.enter_test_mode()
    with test.step("transmit"):
        board.tx_start(channel="6", rate="54M", count=100)
        test.measure("tssi", board.tssi(), low=50, high=60, unit="dB")
        board.tx_stop()
    with test.step("calibration"):
        test.measure("xcap", int(board.flash_get("XCAP")), low=20, high=40)
    test.measure("chip_version", board.chip_version(), equals="B")


@pytest.fixture(scope="module")
def four_boards(tmp_path_factory):
    """The line test run once on four boards; the run and its folder."""
    out = tmp_path_factory.mktemp("station")
    flash = out / "flash.txt"
    flash.write_text("XCAP=60\n")
    simulators = [mpdll.BoardSimulator() for _ in SERIAL_NUMBERS[:-1]]
    simulators.append(mpdll.BoardSimulator("--flash-file", str(flash)))
    try:
        boards = {number: simulator.start().telnet(strict=True)
                  for number, simulator in zip(SERIAL_NUMBERS, simulators)}
        run = mpdll.Station("line-3", line_check, output_dir=str(out)).run(boards)
    finally:
        for simulator in simulators:
            simulator.stop()
    return run, Path(run.directory)


def test_the_run_fails_on_the_one_board_out_of_limits(four_boards):
    run, _ = four_boards
    assert not run.passed
    assert {record.serial_number: record.verdict for record in run.boards} == \
        {number: "fail" if number == FAILING else "pass" for number in SERIAL_NUMBERS}
    assert f"{FAILING}: FAIL (xcap = 60 outside 20..40)" in run.summary().splitlines()


@pytest.mark.parametrize("serial_number", SERIAL_NUMBERS)
def test_each_board_s_record(four_boards, serial_number):
    _, directory = four_boards
    record = json.loads((directory / "records" / f"{serial_number}.json").read_text())
    failing = serial_number == FAILING
    assert (record["station"], record["serial_number"], record["verdict"], record["error"]) == \
        ("line-3", serial_number, "fail" if failing else "pass", None)
    assert record["started"] <= record["ended"]
    steps = {step["name"]: step for step in record["steps"]}
    assert list(steps) == ["open", "enter", "transmit", "calibration", "line_check"]
    xcap = steps["calibration"]["measurements"]
    assert xcap == [{"name": "xcap", "value": 60 if failing else 32, "unit": "", "limit": "20..40", "low": 20,
                     "high": 40, "verdict": "fail" if failing else "pass"}]
    assert steps["calibration"]["verdict"] == xcap[0]["verdict"]
    assert [exchange["sent"] for exchange in steps["calibration"]["exchanges"]] == ["flash get XCAP\r"]
    assert [exchange["operation"] for exchange in steps["transmit"]["exchanges"]] == \
        ["mp_bandwidth", "mp_channel", "mp_rate", "mp_ant_tx", "mp_txpower", "mp_ctx", "mp_tssi", "TxStop"]
    assert steps["transmit"]["measurements"][0]["value"] == 55
    # What happens outside steps is in the step named after the test function.
    assert steps["line_check"]["measurements"][0]["value"] == "B"
    assert [exchange["operation"] for exchange in steps["line_check"]["exchanges"]] == ["GetChipVersion"]


def test_the_junit_xml(four_boards):
    _, directory = four_boards
    root = ElementTree.parse(directory / "junit.xml").getroot()
    assert (root.tag, root.get("tests"), root.get("failures"), root.get("errors")) == ("testsuites", "20", "1", "0")
    suites = {suite.get("name"): suite for suite in root.iter("testsuite")}
    assert sorted(suites) == [f"line-3.{number}" for number in SERIAL_NUMBERS]
    for number in SERIAL_NUMBERS:
        suite = suites[f"line-3.{number}"]
        failures = [(case.get("name"), failure.get("message")) for case in suite.iter("testcase")
                    for failure in case.iter("failure")]
        assert failures == ([("calibration", "xcap = 60 outside 20..40")] if number == FAILING else [])
        assert {item.get("name"): item.get("value") for item in suite.iter("property")}["serial_number"] == number
        assert [case.get("name") for case in suite.iter("testcase")] == \
            ["open", "enter", "transmit", "calibration", "line_check"]


def test_the_csv(four_boards):
    _, directory = four_boards
    with open(directory / "results.csv", newline="") as rows:
        table = list(csv.DictReader(rows))
    assert len(table) == 3 * len(SERIAL_NUMBERS)
    assert [(row["serial_number"], row["measurement"], row["value"]) for row in table
            if row["verdict"] != "pass"] == [(FAILING, "xcap", "60")]
    assert {row["serial_number"]: row["board_verdict"] for row in table} == \
        {number: "fail" if number == FAILING else "pass" for number in SERIAL_NUMBERS}
    assert {(row["step"], row["measurement"], row["low"], row["high"], row["unit"]) for row in table} == \
        {("transmit", "tssi", "50", "60", "dB"), ("calibration", "xcap", "20", "40", ""),
         ("line_check", "chip_version", "", "", "")}


def _run(boards, test, **options):
    return mpdll.Station("bench", test, **options).run(boards).boards


def test_a_step_is_retried_until_it_passes(mpboard):
    readings = iter([70, 55])

    def check(board, test):
        test.step("transmit", lambda board, test: test.measure("tssi", next(readings), low=50, high=60),
                  retries=2)

    board = mpboard.telnet()
    with board:
        board.flash_get("XCAP")  # before the station's test: in no step of its record
    [record] = _run({"SN1": board}, check)
    assert [step.name for step in record.steps] == ["open", "transmit"]
    step = record.as_dict()["steps"][1]
    assert (record.verdict, step["verdict"], step["attempts"]) == ("pass", "pass", 2)
    assert [measurement["value"] for measurement in step["measurements"]] == [55]
    assert step["failed_attempts"][0]["measurements"][0]["verdict"] == "fail"


def test_an_error_ends_the_board_s_test_after_its_retries(mpboard):
    steps_run = []

    def check(board, test):
        # The strict board is refused: the test mode is off.
        test.step("transmit", lambda board, test: board.tx_start(channel="6", rate="54M"), retries=1)
        steps_run.append("after")

    with mpboard.telnet() as other:
        other.test_mode_start()
        other.test_mode_stop()
    [record] = _run({"SN1": mpboard.telnet(strict=True)}, check)
    step = record.steps[1]
    assert (record.verdict, step.verdict, len(step.attempts), steps_run) == ("error", "error", 2, [])
    assert "ReplyError" in record.error and "not permitted" in record.error
    assert [exchange.operation for exchange in step.attempts[0].exchanges] == ["mp_bandwidth"]


def test_a_board_that_does_not_open(mpboard_factory):
    simulator = mpboard_factory("--login-fail-delay", "50")
    [record] = _run({"SN1": simulator.telnet(password="wrong")}, lambda board, test: None)
    assert (record.verdict, [step.name for step in record.steps]) == ("error", ["open"])
    assert record.error.startswith("OpenError")


def test_boards_run_side_by_side(mpboard_factory):
    simulators = [mpboard_factory("--answer-delay", "300") for _ in range(4)]
    boards = {f"SN{index}": simulator.telnet(transcript=False) for index, simulator in enumerate(simulators)}

    def check(board, test):
        with test.step("work"):
            board.set_channel("6")

    records = _run(boards, check)
    work = [record.steps[1] for record in records]
    assert max(step.started for step in work) < min(step.ended for step in work)
    assert all(step.last.exchanges == [] for step in work)  # boards without transcript record no exchanges


@pytest.mark.parametrize("forced, shown", [(True, True), (False, False), (None, False)])
def test_the_progress_line(mpboard, forced, shown):
    stream = io.StringIO()  # not a terminal

    def check(board, test):
        with test.step("enter"):
            board.enter_test_mode()

    _run({"SN-A": mpboard.telnet()}, check, progress=forced, stream=stream)
    written = stream.getvalue()
    assert bool(written) == shown
    if shown:
        states = [line.split("] ", 1)[1] for line in written.split("\r")[1:]]
        assert [state.replace("\x1b[K", "") for state in states] == ["SN-A open", "SN-A enter", "SN-A PASS\n"]
