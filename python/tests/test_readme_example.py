"""The station script the README shows is the example file, and it runs
against the simulator with the results it prints."""
import re
import subprocess
import sys

from conftest import REPO


def _readme_script():
    readme = (REPO / "README.md").read_text()
    section = readme.split("## Use it from Python\n", 1)[1].split("\n## ", 1)[0]
    return re.search(r"```python\n(.*?)```", section, re.S).group(1)


def test_the_readme_shows_the_example_file():
    assert _readme_script() == (REPO / "python" / "examples" / "station_check.py").read_text()


def test_the_readme_script_runs_against_the_simulator(mpboard, tmp_path):
    script = tmp_path / "station_check.py"
    script.write_text(_readme_script())
    result = subprocess.run([sys.executable, str(script), f"{mpboard.telnet_host}:{mpboard.telnet_port}",
                             mpboard.password], capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr
    printed = result.stdout.splitlines()
    assert re.fullmatch(r"TSSI: 55 transmitted: [1-9]\d*", printed[0])
    assert re.fullmatch(r"received: [1-9]\d* thermal: \d+", printed[1])
    assert re.fullmatch(r"XCAP: \d+ register 0/36: 0x[0-9a-f]+", printed[2])
    assert printed[3] == "exchanges: 11 last: irf 0 36"
