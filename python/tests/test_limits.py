"""Limits and expect(): which values pass, how a limit reads, and expect() in
a pytest run with parametrised simulated boards, its measurements in the
JUnit XML."""
import xml.etree.ElementTree as ElementTree

import pytest

import mpdll
from mpdll import Limit

pytest_plugins = ["pytester"]

# (limit, values that pass, values that fail, how it reads)
LIMITS = [
    (Limit(20, 60, unit="C"), [20, 35, 60, 20.0], [19, 61, None, "30"], "20..60 C"),
    (Limit(low=95), [95, 10**9], [94, -1], ">= 95"),
    (Limit(high=5, unit="packets"), [0, 5, -3], [6], "<= 5 packets"),
    (Limit(equals="B"), ["B"], ["b", "", None], "== 'B'"),
    (Limit(one_of=["A", "B", "AB"]), ["A", "AB"], ["C", "a", None], "one of 'A', 'B', 'AB'"),
    (Limit(equals=0), [0], [1, None], "== 0"),
]


@pytest.mark.parametrize("limit, passing, failing, text", LIMITS, ids=[entry[3] for entry in LIMITS])
def test_limits(limit, passing, failing, text):
    assert [value for value in passing if not limit.passes(value)] == []
    assert [value for value in failing if limit.passes(value)] == []
    assert str(limit) == text


@pytest.mark.parametrize("keywords", [{}, {"low": 1, "equals": 1}, {"equals": 1, "one_of": [1]},
                                      {"low": 5, "high": 4}, {"unit": "dB"}])
def test_malformed_limits_are_refused(keywords):
    with pytest.raises(ValueError):
        Limit(**keywords)


def test_expect_returns_the_measurement_or_raises_with_it():
    assert mpdll.expect("tssi", 55, low=50, high=60, unit="dB").verdict == "pass"
    with pytest.raises(AssertionError, match=r"^tssi = 61 dB outside 50\.\.60 dB$"):
        mpdll.expect("tssi", 61, Limit(50, 60, unit="dB"))
    with pytest.raises(TypeError):
        mpdll.expect("tssi", 55, Limit(50, 60), unit="dB")


STATION_TESTS = '''
import pytest
import mpdll

@pytest.mark.parametrize("mpboard", [[], {"arguments": ["--chip-version", "c"], "password": "other"}],
                         indirect=True, ids=["plain", "other-chip"])
def test_board(mpboard):
    with mpboard.telnet() as board:
        board.enter_test_mode()
        mpdll.expect("xcap", int(board.flash_get("XCAP")), low=20, high=40)
        mpdll.expect("chip_version", board.chip_version(), equals="B")
'''


def test_expect_under_pytest_with_parametrised_boards(pytester):
    pytester.makepyfile(test_line_station=STATION_TESTS)
    result = pytester.runpytest("-p", "no:cacheprovider", "--junitxml=results.xml")
    result.assert_outcomes(passed=1, failed=1)
    result.stdout.fnmatch_lines(["*AssertionError: chip_version = 'C' outside == 'B'*"])
    cases = {case.get("name"): case for case in ElementTree.parse(pytester.path / "results.xml").iter("testcase")}
    properties = {name: {item.get("name"): item.get("value") for item in case.iter("property")}
                  for name, case in cases.items()}
    assert properties["test_board[plain]"] == {"xcap": "32 [20..40] pass", "chip_version": "'B' [== 'B'] pass"}
    assert properties["test_board[other-chip]"] == {"xcap": "32 [20..40] pass",
                                                    "chip_version": "'C' [== 'B'] fail"}
