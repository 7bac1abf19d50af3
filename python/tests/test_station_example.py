"""The station example for several boards stays short, is the one the README
shows, and run as a station would run it on four simulated boards, one out of limits, it says which and
exits 1."""
import json
import re
import subprocess
import sys

from conftest import REPO

EXAMPLE = REPO / "python" / "examples" / "station_boards.py"
LINE_LIMIT = 40


def test_the_example_is_short_and_the_readme_shows_it():
    assert len(EXAMPLE.read_text().splitlines()) < LINE_LIMIT
    section = (REPO / "README.md").read_text().split("### A station:", 1)[1].split("\n## ", 1)[0]
    assert re.search(r"```python\n(.*?)```", section, re.S).group(1) == EXAMPLE.read_text()


def test_the_example_on_four_boards(mpboard_factory, tmp_path):
    flash = tmp_path / "flash.txt"
    flash.write_text("XCAP=45\n")
    simulators = [mpboard_factory() for _ in range(3)] + [mpboard_factory("--flash-file", str(flash))]
    addresses = [f"SN{number}={simulator.telnet_host}:{simulator.telnet_port}"
                 for number, simulator in enumerate(simulators)]
    result = subprocess.run([sys.executable, str(EXAMPLE), str(tmp_path / "out"), simulators[0].password,
                             *addresses], capture_output=True, text=True, timeout=120)
    assert result.returncode == 1, result.stderr
    lines = result.stdout.splitlines()
    assert lines[:4] == ["SN0: PASS", "SN1: PASS", "SN2: PASS", "SN3: FAIL (xcap = 45 outside 20..40)"]
    folder = re.fullmatch(r"files: (.*)", lines[4]).group(1)
    record = json.loads((tmp_path / "out" / folder / "records" / "SN3.json").read_text())
    assert [step["name"] for step in record["steps"]] == ["open", "enter", "transmit", "receive", "calibration"]
    assert {(tmp_path / "out" / folder / name).is_file() for name in ("junit.xml", "results.csv")} == {True}
