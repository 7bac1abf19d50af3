"""A test station: one test function run on many boards at once, each board
tagged with its serial number, its measurements checked against limits, a
test record per board (JSON), and JUnit XML and CSV for the whole run.

    def transmit(board, test):
        board.tx_start(channel="6", rate="54M", count=100)
        test.measure("tssi", board.tssi(), low=50, high=60, unit="dB")

    def check(board, test):
        with test.step("enter"):
            board.enter_test_mode()
        test.step("transmit", transmit, retries=1)      # run again when it fails
        test.measure("xcap", int(board.flash_get("XCAP")), low=20, high=40)

    run = Station("line-3", check, output_dir="results").run({"SN0001": board1, "SN0002": board2})
    print(run.summary())

The station opens each board (the step "open"), runs the test function on a
thread of its own and closes the board. Measurements out of limits make the
board fail but do not stop its test; an exception ends the board's test with
the verdict "error". Measurements and board calls outside any step belong to a
step named after the test function. A step's exchanges are the board's
transcript entries made during it; boards run fully in parallel, those made
with transcript=False list no exchanges.
"""
import concurrent.futures
import contextlib
import datetime
import sys
from dataclasses import dataclass
from typing import List, Optional

from . import limits
from .board_record import PASS, Attempt, BoardRecord, StepRecord, now
from .errors import MpdllError
from .progress import ProgressLine
from .station_reports import write_reports


def _error_text(error):
    return f"{type(error).__name__}: {error}"


class BoardTest:
    """What the test function gets beside its board: steps and measurements,
    kept in the board's record (record)."""

    def __init__(self, record, board, default_step, progress):
        self.record = record
        self.board = board
        self._default_step = default_step
        self._progress = progress
        self._running = None  # the step running now
        self._attempt = None  # and its attempt
        self._loose = None  # the step of what happens outside steps
        self._first_exchange = len(board.transcript)  # what the transcript held before is not this test's
        self._covered = []  # transcript ranges the steps' attempts took
        self._recorded_errors = []

    @property
    def serial_number(self):
        return self.record.serial_number

    @property
    def station(self):
        return self.record.station

    def measure(self, name, value, limit=None, **keywords):
        """Records value against limit (or a Limit of keywords: low, high,
        equals, one_of, unit) in the current step; returns the Measurement."""
        measurement = limits.measure(name, value, limit, **keywords)
        (self._attempt or self._loose_attempt()).measurements.append(measurement)
        return measurement

    def step(self, name, function=None, *, retries=0):
        """With function: runs function(board, test) as the step name, up to
        retries more times while it fails or raises, and returns its result
        (the last failure's exception is raised). Without: a with block that
        is the step."""
        if function is None:
            if retries:
                raise TypeError("a retried step needs its function: test.step(name, function, retries=N)")
            return self._block(name)
        with self._step(name) as step:
            for number in range(1, retries + 2):
                with self._attempting(step, number, reraise=number > retries) as attempt:
                    result = function(self.board, self)
                if attempt.verdict == PASS or number > retries:
                    return result

    @contextlib.contextmanager
    def _block(self, name):
        with self._step(name) as step:
            with self._attempting(step, 1, reraise=True):
                yield

    @contextlib.contextmanager
    def _step(self, name):
        if self._running is not None:
            raise RuntimeError(f"step {name!r} inside step {self._running.name!r}: steps do not nest")
        step = self._running = StepRecord(name)
        self.record.steps.append(step)
        if self._progress:
            self._progress.show(self.serial_number, name)
        try:
            yield step
        finally:
            step.ended = now()
            self._running = None

    @contextlib.contextmanager
    def _attempting(self, step, number, *, reraise):
        attempt = Attempt(number)
        step.attempts.append(attempt)
        self._attempt = attempt
        start = len(self.board.transcript)
        try:
            yield attempt
        except Exception as error:
            attempt.error = _error_text(error)
            if reraise:
                self._recorded_errors.append(error)
                raise
        finally:
            attempt.exchanges = self.board.transcript[start:]
            self._covered.append((start, len(self.board.transcript)))
            self._attempt = None

    def _loose_attempt(self):
        if self._loose is None:
            self._loose = StepRecord(self._default_step, attempts=[Attempt(1)])
            self.record.steps.append(self._loose)
        return self._loose.last

    def _note_error(self, error):
        """An exception that ended the test: recorded where it happened."""
        if not any(error is recorded for recorded in self._recorded_errors):
            self._loose_attempt().error = _error_text(error)

    def _finish(self):
        """Gives the board calls made outside steps to the loose step."""
        covered = set()
        for start, end in self._covered:
            covered.update(range(start, end))
        loose = [exchange for index, exchange in enumerate(self.board.transcript)
                 if index >= self._first_exchange and index not in covered]
        if loose:
            self._loose_attempt().exchanges = loose
        if self._loose is not None:
            self._loose.ended = now()
        self.record.ended = now()
        if self._progress:
            self._progress.show(self.serial_number, self.record.verdict.upper(), finished=True)


@dataclass
class StationRun:
    """The records of one run of a station over its boards."""

    station: str
    started: datetime.datetime
    ended: datetime.datetime
    boards: List[BoardRecord]
    directory: Optional[str] = None  # where the run's files are, when written

    @property
    def passed(self):
        return bool(self.boards) and all(record.passed for record in self.boards)

    def summary(self):
        """One line per board: its serial number, verdict and what went wrong."""
        lines = []
        for record in self.boards:
            wrong = [str(measurement) for measurement in record.measurements if not measurement.passed]
            if record.error:
                wrong.append(record.error)
            lines.append(f"{record.serial_number}: {record.verdict.upper()}"
                         + (f" ({'; '.join(wrong)})" if wrong else ""))
        return "\n".join(lines)


class Station:
    """A station's test: test(board, test) run on each board of run()."""

    def __init__(self, name, test, *, output_dir=None, progress=None, stream=None):
        """output_dir gets a folder per run (see station_reports); the
        progress line goes to stream (standard error), by default only when
        it is a terminal."""
        self.name = name
        self.test = test
        self.output_dir = output_dir
        self.stream = stream or sys.stderr
        self.progress = self.stream.isatty() if progress is None else progress

    def run(self, boards):
        """Tests the boards of a mapping of serial number to Board, each on a
        thread of its own; returns the StationRun (written to output_dir when
        there is one)."""
        boards = {str(serial_number): board for serial_number, board in dict(boards).items()}
        progress = ProgressLine(self.name, list(boards), self.stream) if self.progress else None
        started = now()
        with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, len(boards))) as pool:
            records = list(pool.map(lambda item: self._test_board(*item, progress), boards.items()))
        if progress:
            progress.end()
        run = StationRun(self.name, started, now(), records)
        if self.output_dir is not None:
            run.directory = write_reports(run, self.output_dir)
        return run

    def _test_board(self, serial_number, board, progress):
        record = BoardRecord(self.name, serial_number, board.description)
        test = BoardTest(record, board, getattr(self.test, "__name__", "test"), progress)
        try:
            with test.step("open"):
                board.open()
            self.test(board, test)
        except Exception as error:  # ends this board's test only; kept in its record
            test._note_error(error)
        try:
            board.close()
        except MpdllError as error:
            test._note_error(error)
        test._finish()
        return record
