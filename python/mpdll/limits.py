"""Limits a measured value must keep, and the measurement that holds a value
with its limit and verdict; expect() checks one in a test.

    TSSI = Limit(50, 60, unit="dB")
    measure("tssi", board.tssi(), TSSI)                # a Measurement, passed or not
    expect("chip", board.chip_version(), equals="B")  # raises AssertionError when out of limits

A limit is a range (low, high or both, inclusive), one value (equals) or a set
of values (one_of). The station layer records measurements in each board's
test record; under pytest the mpdll plugin adds each expect() of a test to its
user properties, so pytest's JUnit XML carries them.
"""
import contextvars
from dataclasses import dataclass
from typing import Any, Optional, Tuple

# Where expect() reports its measurements while a pytest test runs (set by the plugin).
expectations = contextvars.ContextVar("mpdll_expectations", default=None)


@dataclass(frozen=True)
class Limit:
    """What a value must be: within low..high, equal to equals, or one of one_of."""

    low: Any = None
    high: Any = None
    equals: Any = None
    one_of: Optional[Tuple[Any, ...]] = None
    unit: str = ""

    def __post_init__(self):
        if self.one_of is not None:
            object.__setattr__(self, "one_of", tuple(self.one_of))
        kinds = (self.low is not None or self.high is not None) + (self.equals is not None) + \
            (self.one_of is not None)
        if kinds != 1:
            raise ValueError("a limit is low and/or high, equals, or one_of: one kind of them")
        if self.low is not None and self.high is not None and self.low > self.high:
            raise ValueError(f"the low limit {self.low} lies above the high limit {self.high}")

    def passes(self, value):
        """Whether value keeps the limit; a value that cannot be compared does not."""
        if self.equals is not None:
            return value == self.equals
        if self.one_of is not None:
            return value in self.one_of
        try:
            return (self.low is None or value >= self.low) and (self.high is None or value <= self.high)
        except TypeError:
            return False

    def __str__(self):
        unit = f" {self.unit}" if self.unit else ""
        if self.equals is not None:
            return f"== {self.equals!r}{unit}"
        if self.one_of is not None:
            return f"one of {', '.join(repr(choice) for choice in self.one_of)}{unit}"
        if self.high is None:
            return f">= {self.low}{unit}"
        if self.low is None:
            return f"<= {self.high}{unit}"
        return f"{self.low}..{self.high}{unit}"

    def as_dict(self):
        """The limit's fields that are set, for a record."""
        fields = {"low": self.low, "high": self.high, "equals": self.equals,
                  "one_of": list(self.one_of) if self.one_of is not None else None}
        return {key: value for key, value in fields.items() if value is not None}


@dataclass(frozen=True)
class Measurement:
    """One value measured against its limit."""

    name: str
    value: Any
    limit: Limit

    @property
    def passed(self):
        return self.limit.passes(self.value)

    @property
    def verdict(self):
        return "pass" if self.passed else "fail"

    def __str__(self):
        unit = f" {self.limit.unit}" if self.limit.unit else ""
        where = "within" if self.passed else "outside"
        return f"{self.name} = {self.value!r}{unit} {where} {self.limit}"

    def as_dict(self):
        return {"name": self.name, "value": self.value, "unit": self.limit.unit, "limit": str(self.limit),
                **self.limit.as_dict(), "verdict": self.verdict}


def make_limit(limit=None, **keywords):
    """limit itself, or a Limit made of keywords (low, high, equals, one_of, unit)."""
    if limit is None:
        return Limit(**keywords)
    if keywords:
        raise TypeError("give a Limit or its keywords, not both")
    return limit


def measure(name, value, limit=None, **keywords):
    """The measurement of value against limit (or a Limit of keywords)."""
    return Measurement(name, value, make_limit(limit, **keywords))


def expect(name, value, limit=None, **keywords):
    """measure(), raising AssertionError when the value is out of limits."""
    measurement = measure(name, value, limit, **keywords)
    reported = expectations.get()
    if reported is not None:
        reported.append(measurement)
    if not measurement.passed:
        raise AssertionError(str(measurement))
    return measurement
