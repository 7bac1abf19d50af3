"""The test record of one board at a station: who and when, each step with
its attempts, measurements and exchanges with the board, and the verdicts.

A verdict is "pass", "fail" (a measurement out of limits) or "error" (a call
failed or the test raised). A step's verdict is that of its last attempt; the
board's is the worst of its steps'.
"""
import datetime
from dataclasses import dataclass, field
from typing import List, Optional

PASS, FAIL, ERROR = "pass", "fail", "error"
_WORST_FIRST = (ERROR, FAIL, PASS)


def now():
    return datetime.datetime.now(datetime.timezone.utc)


def timestamp(moment):
    """A moment as ISO 8601 text, to the millisecond, with its zone."""
    return moment.isoformat(timespec="milliseconds") if moment else None


def worst(verdicts):
    """The worst of verdicts; pass when there are none."""
    verdicts = set(verdicts)
    return next((verdict for verdict in _WORST_FIRST if verdict in verdicts), PASS)


@dataclass
class Timed:
    """When a part of a test ran: from its making until it is ended (then
    ended is set)."""

    started: datetime.datetime = field(init=False, default_factory=now)
    ended: Optional[datetime.datetime] = field(init=False, default=None)

    @property
    def duration_s(self):
        return (self.ended - self.started).total_seconds() if self.ended else None


@dataclass
class Attempt:
    """One run of a step."""

    number: int
    measurements: list = field(default_factory=list)
    exchanges: list = field(default_factory=list)
    error: Optional[str] = None

    @property
    def verdict(self):
        if self.error is not None:
            return ERROR
        return worst(measurement.verdict for measurement in self.measurements)


@dataclass
class StepRecord(Timed):
    """A named step of a board's test and its attempts (more than one when
    it was retried)."""

    name: str
    attempts: List[Attempt] = field(default_factory=list)

    @property
    def last(self):
        return self.attempts[-1]

    @property
    def verdict(self):
        return self.last.verdict

    @property
    def measurements(self):
        return self.last.measurements

    @property
    def error(self):
        return self.last.error

    def as_dict(self):
        return {
            "name": self.name,
            "verdict": self.verdict,
            "started": timestamp(self.started),
            "ended": timestamp(self.ended),
            "attempts": len(self.attempts),
            "error": self.error,
            "measurements": [measurement.as_dict() for measurement in self.measurements],
            "exchanges": [{"attempt": attempt.number, **vars(exchange)}
                          for attempt in self.attempts for exchange in attempt.exchanges],
            "failed_attempts": [{"attempt": attempt.number, "verdict": attempt.verdict, "error": attempt.error,
                                 "measurements": [measurement.as_dict() for measurement in attempt.measurements]}
                                for attempt in self.attempts[:-1]],
        }


@dataclass
class BoardRecord(Timed):
    """One board's test at a station."""

    station: str
    serial_number: str
    board: str
    steps: List[StepRecord] = field(default_factory=list)

    @property
    def verdict(self):
        return worst(step.verdict for step in self.steps)

    @property
    def passed(self):
        return self.verdict == PASS

    @property
    def error(self):
        """The first error of the test, or None."""
        return next((step.error for step in self.steps if step.error is not None), None)

    @property
    def measurements(self):
        return [measurement for step in self.steps for measurement in step.measurements]

    def as_dict(self):
        return {
            "station": self.station,
            "serial_number": self.serial_number,
            "board": self.board,
            "started": timestamp(self.started),
            "ended": timestamp(self.ended),
            "duration_s": self.duration_s,
            "verdict": self.verdict,
            "error": self.error,
            "steps": [step.as_dict() for step in self.steps],
        }
