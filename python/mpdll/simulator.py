"""The bundled board simulator (mpboard) as a Python object: started on free
endpoints, stopped again, with Board constructors that reach it.

The simulator is looked for in the environment variable MPDLL_MPBOARD, next
to this package, then on PATH. Its telnet server takes any free loopback
port; its UDP endpoint must be on UDP_PORT, the one the library sends to, so
each simulator gets a loopback address of its own; its serial console is a
pseudo-terminal whose path it reports.
"""
import itertools
import os
import queue
import shutil
import subprocess
import tempfile
import threading

from .board import Board
from .header_values import UDP_PORT
from .library import PACKAGE_DIR

PROGRAM_VARIABLE = "MPDLL_MPBOARD"
START_ATTEMPTS = 5

_addresses = itertools.count()


def find_program(environment=None, package_dir=PACKAGE_DIR):
    """The simulator's path, or FileNotFoundError naming where it was looked for."""
    environment = os.environ if environment is None else environment
    if environment.get(PROGRAM_VARIABLE):
        path = environment[PROGRAM_VARIABLE]
        if not os.access(path, os.X_OK):
            raise FileNotFoundError(f"{PROGRAM_VARIABLE} names {path}, which is not an executable program")
        return path
    for name in ("mpboard", "mpboard.exe"):
        beside = os.path.join(package_dir, name)
        if os.access(beside, os.X_OK):
            return beside
    on_path = shutil.which("mpboard")
    if on_path:
        return on_path
    raise FileNotFoundError(
        f"the board simulator mpboard was not found: set {PROGRAM_VARIABLE}, put it next to the package "
        f"({package_dir}) or on PATH")


def own_udp_address():
    """A loopback address for one simulator's UDP endpoint, distinct per
    process and per simulator of the process."""
    pid = os.getpid()
    return f"127.{pid // 250 % 250 + 1}.{pid % 250 + 1}.{220 + next(_addresses) % 30}"


class SimulatorError(RuntimeError):
    """The simulator did not start."""


class BoardSimulator:
    """One running simulator. Use it in a with block, or start() and stop()."""

    def __init__(self, *arguments, user="root", password="sim-pass", prompt="# ", program=None,
                 start_timeout=10.0):
        """arguments are further simulator options, e.g. "--answer-delay", "50"."""
        self.program = program or find_program()
        self.arguments = list(arguments)
        self.user = user
        self.password = password
        self.prompt = prompt
        self.start_timeout = start_timeout
        self.telnet_host = self.telnet_port = self.udp_host = self.serial_path = None
        self._process = None

    def _command(self, udp_address):
        return [self.program, "--telnet-port", "0", "--udp-address", udp_address, "--udp-port", str(UDP_PORT),
                "--user", self.user, "--password", self.password, "--prompt", self.prompt, *self.arguments]

    def start(self):
        """Starts the simulator and reads its endpoints; retries another UDP
        address when one is taken."""
        failures = []
        for _ in range(START_ATTEMPTS):
            ready, why = self._start_once(own_udp_address())
            if ready:
                return self
            failures.append(why)
        raise SimulatorError("the board simulator did not start: " + " | ".join(failures))

    def _start_once(self, udp_address):
        with tempfile.TemporaryFile() as errors:
            process = subprocess.Popen(self._command(udp_address), stdout=subprocess.PIPE, stderr=errors,
                                       stdin=subprocess.DEVNULL, text=True)
            lines = queue.Queue()
            threading.Thread(target=lambda: lines.put(process.stdout.readline()), daemon=True).start()
            try:
                line = lines.get(timeout=self.start_timeout)
            except queue.Empty:
                line = ""
            if not line.startswith("ready"):
                self._end(process)
                errors.seek(0)
                return False, f"{udp_address}: {errors.read().decode(errors='replace').strip() or 'no ready line'}"
        fields = dict(word.split("=", 1) for word in line.split()[1:])
        self.telnet_host, port = fields["telnet"].rsplit(":", 1)
        self.telnet_port = int(port)
        self.udp_host = fields["udp"].rsplit(":", 1)[0]
        self.serial_path = fields.get("serial")
        self._process = process
        return True, ""

    @staticmethod
    def _end(process):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        process.stdout.close()

    def stop(self):
        if self._process is not None:
            self._end(self._process)
            self._process = None

    @property
    def running(self):
        return self._process is not None and self._process.poll() is None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exception):
        self.stop()

    # ---- Boards that reach this simulator ---------------------------------------

    def telnet(self, **options):
        """A Board for the simulator's telnet server, logged in with its user and password."""
        options.setdefault("user", self.user)
        options.setdefault("password", self.password)
        options.setdefault("prompt", self.prompt)
        return Board.telnet(self.telnet_host, port=self.telnet_port, **options)

    def udp(self, **options):
        """A Board for the simulator's UDP command endpoint."""
        options.setdefault("prompt", self.prompt)
        return Board.udp(self.udp_host, **options)

    def serial(self, **options):
        """A Board for the simulator's serial console."""
        options.setdefault("prompt", self.prompt)
        return Board.serial(self.serial_path, **options)

    def board(self, transport, **options):
        """A Board for transport "telnet", "udp" or "serial"."""
        return {"telnet": self.telnet, "udp": self.udp, "serial": self.serial}[transport](**options)
