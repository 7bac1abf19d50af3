"""make demo's Python station: starts four simulated boards, runs the station
example (python/examples/station_boards.py) on all of them at once as a
station would, and stops the boards again; exits with the example's code.
Usage: station_demo.py OUT_DIR (MPDLL_LIBRARY and MPDLL_MPBOARD name the
library and the simulator, PYTHONPATH reaches the package)."""
import contextlib
import pathlib
import subprocess
import sys

import mpdll

BOARDS = 4
PASSWORD = "demo-pass"
EXAMPLE = pathlib.Path(__file__).resolve().parents[2] / "python" / "examples" / "station_boards.py"

with contextlib.ExitStack() as running:
    simulators = [running.enter_context(mpdll.BoardSimulator(password=PASSWORD)) for _ in range(BOARDS)]
    addresses = [f"DEMO-{number:04d}={simulator.telnet_host}:{simulator.telnet_port}"
                 for number, simulator in enumerate(simulators, 1)]
    code = subprocess.run([sys.executable, str(EXAMPLE), sys.argv[1], PASSWORD, *addresses]).returncode
sys.exit(code)
