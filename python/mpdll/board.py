"""One board reached through the library: its record, its connection and one
method per board operation the library exports.

    with Board.telnet("192.168.1.1", password="secret") as board:
        board.enter_test_mode()
        board.tx_start(channel="6", rate="54M")

Every failed call raises an MpdllError subclass; so does a call after which
an output the library should have written holds nothing (ReplyError), and a
text holding a NUL raises ValueError before anything is sent. A board that
records its transcript appends, after each call that reached the board, what
the library's GetBuffer holds (the last line sent and the last raw answer, the
password masked, telnet commands left out) with the call's start time and
duration to board.transcript, gathered from the library's log handler on the
calling thread (see session_events): boards on several threads run in
parallel, transcripts or not. log= also writes each exchange to a
logging.Logger or a file. A failed open raises OpenError with the step, the
reason and what the board said last.

A board runs one call at a time, whichever threads call it. A board dropped
while open is closed when it is collected; see fork_safety for boards in a
forked child. A strict board also checks names and judges answers: see
strict_checks.
"""
import ctypes
import socket
import struct
import threading
import weakref

from . import errors, fork_safety, outputs
from .dev_context import DevContext, put_text
from .board_log import exchange_logger
from .header_values import COMMAND_SIZE, MAC_TEXT_SIZE, PROMPT_SETTLE_MAX_MS, RESPONSE_SIZE, SERIAL_LINE_CODES
from .library import library
from .secret_mask import masked
from .session_events import ExchangeCollector, dispatcher
from .results import BoardNames, Exchange, FilterAddresses, PacketCounters, RxCounters
from .strict_checks import REFUSALS, answer_text, checked_channel, checked_rate, refusal_in
from .text import ENCODING, buffer, from_buffer, to_bytes

MODE_UDP = 1
MODE_TELNET = 2
MODE_SERIAL = 4

# Wait values of send, telnet_receive, serial_receive and receive_prompt:
# above 0 a delay in ms before collecting up to the prompt.
WAIT_NONE = -123   # no delay, collect until the prompt
WAIT_QUIET = -124  # take the first burst once the line is quiet


TRANSMIT_MODES = {"pkt": 0, "background": 1, "stone": 2, "cs": 3}
# The word each transmit mode opens its mp_ctx argument with (background has none).
_OPENING_WORDS = {"pkt": "pkt", "background": "", "stone": "stone", "cs": "cs"}
# The names Board.serial takes, and the header's code of each.
PARITIES = {name: SERIAL_LINE_CODES[f"PARITY_{name.upper()}"] for name in ("none", "odd", "even", "mark", "space")}
STOP_BITS = {1: SERIAL_LINE_CODES["STOP_BITS_ONE"], 1.5: SERIAL_LINE_CODES["STOP_BITS_ONE_AND_HALF"],
             2: SERIAL_LINE_CODES["STOP_BITS_TWO"]}
FLOW_CONTROLS = {name: SERIAL_LINE_CODES[f"FLOW_{name.upper()}"] for name in ("none", "rtscts", "xonxoff")}
_UINT32_END = 1 << 32
_INT32_END = 1 << 31

# Serial reads that return what the port holds at once: a command then costs
# the board's answer time, not an interval time-out after its last byte.
READ_WHAT_IS_HELD = 0xFFFFFFFF
WRITE_PER_BYTE_MS = 100
WRITE_CONSTANT_MS = 500

# Statuses of calls that sent nothing, after which GetBuffer still holds an
# earlier exchange.
_NOTHING_SENT = (errors.E_MODE, errors.E_OPEN_MODE, errors.E_ARGUMENT, errors.E_COMMAND_ID)


def _transmit_word(mode, count, time):
    """The mp_ctx argument that starts transmitting, as TxStart composes it."""
    items = [f"time={time}"] if time > 0 else []
    if count > 0:
        items.append(f"count={count}")
    if _OPENING_WORDS[mode]:
        items.append(_OPENING_WORDS[mode])
    items.append("background")
    return ",".join(items)


def _close_dropped(lib, record):
    """Closes the connection of a board that was dropped while open."""
    return lib.CloseDev(ctypes.byref(record), record.openFlags)


def _ipv4(host):
    """The dotted IPv4 address of a host name or address."""
    try:
        return socket.gethostbyname(host)
    except OSError as error:
        raise ValueError(f"{host!r} is not an IPv4 address or a known host name: {error}") from None


class Board:
    """A board and its connection. Make one with Board.telnet, Board.serial or
    Board.udp; open it with open() or a with block.

    With strict=True unknown rate and channel names raise ValueError before
    anything is sent, procedures made of several commands run them one by
    one, and over telnet and serial each setting command's answer is judged:
    one holding a word of refusals raises ReplyError carrying the answer.

    prompt_settle_ms (telnet and serial): each line's answer waits until the
    board has been quiet that long after its prompt (MpdllSetPromptSettle,
    applied at every open), for a board whose answers can hold the prompt's
    text at the end of a write; each answer costs that time once more. 0, the
    default, ends an answer at its prompt."""

    def __init__(self, record, description, *, password="", transcript=True, strict=False, refusals=REFUSALS,
                 log=None, prompt_settle_ms=0):
        if not 0 <= prompt_settle_ms <= PROMPT_SETTLE_MAX_MS:
            raise ValueError(f"prompt_settle_ms must be 0 to {PROMPT_SETTLE_MAX_MS}, not {prompt_settle_ms}")
        if prompt_settle_ms and record.mode == MODE_UDP:
            raise ValueError("a UDP board has no prompt to settle after: prompt_settle_ms is for telnet and serial")
        self._prompt_settle_ms = prompt_settle_ms
        self._lib = library()
        self._record = record
        self._mode = record.mode
        self._password = password
        self._records_transcript = transcript
        self._strict = strict
        self._refusals = tuple(refusals)
        self._judges_answers = strict and record.mode != MODE_UDP
        self._call_lock = threading.RLock()
        self._closer = None
        self._open = False
        self.description = description
        self.transcript = []
        self._log = exchange_logger(log, description)
        self._collector = ExchangeCollector(record.mode == MODE_TELNET)
        address = ctypes.addressof(record)
        dispatcher.listen(address, self._collector.add)
        weakref.finalize(self, dispatcher.stop, address)
        fork_safety.track(self)

    # ---- Constructors -------------------------------------------------------

    @staticmethod
    def _fresh_record(mode, prompt, if_name, tool, chip):
        record = DevContext()
        record.mode = mode
        put_text(record, "prompt", prompt)
        put_text(record, "ifName", if_name)
        put_text(record, "toolPath", tool)
        put_text(record, "chipModel", chip)
        return record

    @classmethod
    def telnet(cls, host, user="root", password="", prompt="# ", port=None, *, first_command="",
               if_name="wlan0", tool="", chip="", receive_timeout_ms=0, send_timeout_ms=0, transcript=True,
               strict=False, refusals=REFUSALS, log=None, prompt_settle_ms=0):
        """A board reached by telnet at host (port 23 unless port is given),
        logging in as user with password. The timeouts are the socket's, in ms
        (0 = 5000)."""
        record = cls._fresh_record(MODE_TELNET, prompt, if_name, tool, chip)
        address = _ipv4(host)
        put_text(record, "ipText", address if port is None else f"{address}:{int(port)}")
        put_text(record, "userName", user)
        put_text(record, "password", password)
        put_text(record, "firstCommand", first_command)
        record.recvTimeout = receive_timeout_ms
        record.sendTimeout = send_timeout_ms
        where = address if port is None else f"{address}:{port}"
        return cls(record, f"telnet {where}", password=password, transcript=transcript, strict=strict,
                   refusals=refusals, log=log, prompt_settle_ms=prompt_settle_ms)

    @classmethod
    def serial(cls, device, baud=115200, *, data_bits=8, parity="none", stop_bits=1, flow="none",
               read_interval_ms=None, drain_ms=1000, prompt="# ", if_name="wlan0", tool="", chip="",
               transcript=True, strict=False, refusals=REFUSALS, log=None, prompt_settle_ms=0):
        """A board reached through its serial console at device (a path, or a
        port name on Windows). Reads return what the port holds unless
        read_interval_ms makes them end that long after the last byte; each
        write waits up to drain_ms for the line to drain. The library fills
        the line settings (MpdllSetSerialLine) and judges baud and data_bits."""
        if parity not in PARITIES:
            raise ValueError(f"parity must be one of {', '.join(PARITIES)}, not {parity!r}")
        if stop_bits not in STOP_BITS:
            raise ValueError(f"stop_bits must be 1, 1.5 or 2, not {stop_bits!r}")
        if flow not in FLOW_CONTROLS:
            raise ValueError(f"flow must be one of {', '.join(FLOW_CONTROLS)}, not {flow!r}")
        # ctypes would cut a larger number to its low 32 bits without a word.
        if not (0 <= baud < _UINT32_END and -_INT32_END <= data_bits < _INT32_END):
            raise ValueError(f"baud and data_bits must be numbers of 32 bits, not {baud} and {data_bits}")
        record = cls._fresh_record(MODE_SERIAL, prompt, if_name, tool, chip)
        record.portName = to_bytes(device)
        record.sendTimeout = drain_ms
        timeouts = record.commTimeouts
        timeouts.ReadIntervalTimeout = READ_WHAT_IS_HELD if read_interval_ms is None else read_interval_ms
        timeouts.WriteTotalTimeoutMultiplier = WRITE_PER_BYTE_MS
        timeouts.WriteTotalTimeoutConstant = WRITE_CONSTANT_MS
        status = library().MpdllSetSerialLine(ctypes.byref(record), baud, data_bits, PARITIES[parity],
                                              STOP_BITS[stop_bits], FLOW_CONTROLS[flow])
        if status != errors.OK:
            raise ValueError(f"the library refuses the serial line (MpdllSetSerialLine: {status}): baud must be "
                             f"above 0 and data_bits 5 to 8, not {baud} and {data_bits}")
        return cls(record, f"serial {device}", transcript=transcript, strict=strict, refusals=refusals, log=log,
                   prompt_settle_ms=prompt_settle_ms)

    @classmethod
    def udp(cls, host, *, prompt="# ", if_name="wlan0", tool="", chip="", transcript=True, strict=False,
            refusals=REFUSALS, log=None):
        """A board reached through its UDP command endpoint (port UDP_PORT) at host."""
        record = cls._fresh_record(MODE_UDP, prompt, if_name, tool, chip)
        address = _ipv4(host)
        record.udpPeer.address = struct.unpack("=I", socket.inet_aton(address))[0]
        return cls(record, f"udp {address}", transcript=transcript, strict=strict, refusals=refusals, log=log)

    # ---- Open, close, the record ----------------------------------------------

    @property
    def record(self):
        """The DevContext the library works on (read it, do not move it)."""
        return self._record

    @property
    def is_open(self):
        return self._open

    @property
    def records_transcript(self):
        return self._records_transcript

    @property
    def strict(self):
        return self._strict

    @property
    def prompt_settle_ms(self):
        return self._prompt_settle_ms

    def open(self):
        """Opens the connection (OpenDev); telnet logs in."""
        with self._call_lock:
            if self._open:
                return self
            self._record.mode = self._mode
            try:
                self._run("OpenDev", record=self._mode == MODE_TELNET)
            except errors.OpenError as failure:
                raise self._open_failure(failure) from None
            self._open = True
            self._closer = weakref.finalize(self, _close_dropped, self._lib, self._record)
            if self._prompt_settle_ms:
                self._run("MpdllSetPromptSettle", self._prompt_settle_ms, record=False)
            return self

    def close(self):
        """Closes the connection (CloseDev); closing a closed board does nothing."""
        with self._call_lock:
            if self._open:
                self._open = False
                errors.check(self._closer(), "CloseDev")

    def _after_fork_in_child(self):
        self._call_lock = threading.RLock()
        if self._open:
            self._open = False
            self._closer.detach()
            self._record.openFlags = 0

    def __enter__(self):
        return self.open()

    def __exit__(self, *exception):
        self.close()

    def __repr__(self):
        return f"<Board {self.description} {'open' if self._open else 'closed'}>"

    # ---- Calls ------------------------------------------------------------------

    def _run(self, export, *arguments, record=True, judge=False):
        """Calls one export on the record under the board's lock, records the
        exchange, raises on failure; judges the answer when judge is set and
        the board judges answers. Returns the exchange where it was read,
        else None."""
        function = getattr(self._lib, export)
        reads_exchange = (record and (self._records_transcript or self._log)) or (judge and self._judges_answers)
        exchange = None
        with self._call_lock:
            self._collector.start()
            status = function(ctypes.byref(self._record), *arguments)
            if reads_exchange and status not in _NOTHING_SENT:
                exchange = self._exchange(export, status)
            if exchange is not None and record and self._records_transcript:
                self.transcript.append(exchange)
            if exchange is not None and record and self._log:
                self._log.info("%s", exchange)
        errors.check(status, export)
        if judge and exchange is not None and self._judges_answers:
            self._judge(export, exchange)
        return exchange

    def _board_call(self, export, *arguments, judge=False):
        with self._call_lock:
            if not self._open:
                raise errors.BoardNotOpen(f"{export} needs an open board: {self!r}")
            return self._run(export, *arguments, judge=judge)

    def _setting(self, export, *arguments):
        """A command that changes the board: a strict board judges its answer."""
        self._board_call(export, *arguments, judge=True)

    def _read(self, export, *arguments, written):
        """A call whose outputs (made by the outputs module) must all be
        written by the library."""
        exchange = self._board_call(export, *arguments)
        if any(outputs.unwritten(output) for output in written):
            raise errors.ReplyError(errors.E_REPLY, export, answer=exchange.received if exchange else None,
                                    reason="the library wrote no value (the board's answer carries none)")

    def _judge(self, export, exchange):
        answer = answer_text(exchange.sent, exchange.received, self._record.prompt.decode(ENCODING))
        word = refusal_in(answer, self._refusals)
        if word is not None:
            raise errors.ReplyError(errors.E_REPLY, export, answer=answer,
                                    reason=f"the board refused the command ({word!r})")

    def _mask(self, text):
        return masked(text, self._password)

    def _exchange(self, operation, status):
        """The call's exchange from the events the library told this board."""
        collected = self._collector
        sent = self._mask(collected.sent.decode(ENCODING, "replace"))
        received = self._mask(bytes(collected.received).decode(ENCODING, "replace"))
        return Exchange(operation, status, sent, received, collected.started, collected.duration_ms())

    def _open_failure(self, failure):
        """The OpenError with the library's account of the failure."""
        step, reason, heard = buffer(64), buffer(256), buffer(512)
        if self._lib.MpdllOpenFailure(ctypes.byref(self._record), step, 64, reason, 256, heard, 512) != 1:
            return failure
        error = errors.OpenError(failure.status, failure.operation, step=from_buffer(step),
                                 reason=from_buffer(reason), last_heard=self._mask(from_buffer(heard)))
        if self._log:
            self._log.error("%s: %s", self.description, error)
        return error

    def last_exchange(self):
        """What GetBuffer holds now: the whole process's last exchange, which
        a call on another thread may have replaced (board.transcript holds
        this board's own), masked."""
        sent, received = buffer(COMMAND_SIZE + 1), buffer(RESPONSE_SIZE + 1)
        self._lib.GetBuffer(ctypes.byref(self._record), sent, COMMAND_SIZE, received, RESPONSE_SIZE)
        return Exchange("GetBuffer", errors.OK, self._mask(from_buffer(sent)), self._mask(from_buffer(received)))

    # ---- Command execution and test-mode entry ------------------------------------

    def send(self, command, keep_prompt=False, wait=0):
        """Runs one shell command line and returns its answer without the echo
        and (unless keep_prompt) the prompt (SendCommand)."""
        response = outputs.text(RESPONSE_SIZE)
        self._read("SendCommand", to_bytes(command), response, RESPONSE_SIZE, 1 if keep_prompt else 0, wait,
                   written=(response,))
        return from_buffer(response)

    def enter_test_mode(self):
        """Puts the radio into test mode (EnterMP); over UDP it sends nothing.
        A strict board judges the answer of the entry's last command."""
        self._setting("EnterMP")

    def test_mode_start(self):
        self._setting("mp_start")

    def test_mode_stop(self):
        self._setting("mp_stop")

    # ---- Transport primitives ------------------------------------------------------

    def telnet_send(self, data):
        """Sends one line on the telnet connection, the library adding a CR (TelnetSnd)."""
        line = to_bytes(data)
        self._board_call("TelnetSnd", line, len(line))

    def telnet_receive(self, wait=0, size=RESPONSE_SIZE):
        """Collects the telnet answer up to the prompt, or what came within 5 to 6 s (TelnetRcv)."""
        out, length = buffer(size), outputs.number()
        self._read("TelnetRcv", out, size, length, wait, written=(length,))
        return out.raw[:length.value].split(b"\0", 1)[0].decode(ENCODING)

    def serial_send(self, data):
        """Writes one line to the serial console, the library adding a CR (SerialSnd)."""
        line = to_bytes(data)
        self._board_call("SerialSnd", line, len(line))

    def serial_receive(self, wait=0, size=RESPONSE_SIZE):
        """Collects the serial console's answer up to the prompt (SerialRcv).
        The library leaves the received length unset and adds the text to
        what the buffer holds, so it starts empty and is read up to its
        terminator."""
        out, length = buffer(size), ctypes.c_int32(0)
        self._board_call("SerialRcv", out, size, length, wait)
        return from_buffer(out)

    def prompt_position(self, text, wait=0):
        """Where the board's prompt stands in text, or None (RcvPrompt); the
        quiet wait always gives 0."""
        with self._call_lock:
            position = self._lib.RcvPrompt(ctypes.byref(self._record), to_bytes(text), wait)
        return None if position < 0 else position

    def set_command_timeout(self, timeout_ms):
        """Stores the UDP command time-out in the record (DevTimeout)."""
        with self._call_lock:
            self._lib.DevTimeout(ctypes.byref(self._record), timeout_ms)

    # ---- Command texts (no board needed) ----------------------------------------------

    def command_names(self):
        """The interface name, tool word and chip-model flag command lines get (mp_command_d2s)."""
        if_name, tool = buffer(COMMAND_SIZE), buffer(COMMAND_SIZE)
        flag = ctypes.c_int32(0)
        self._run("mp_command_d2s", if_name, tool, ctypes.byref(flag), record=False)
        return BoardNames(from_buffer(if_name), from_buffer(tool), flag.value)

    def command_template(self, text):
        """text with this board's interface and tool names in place of wlan0 and iwpriv (mp_command_s2s)."""
        out = buffer(COMMAND_SIZE)
        self._run("mp_command_s2s", to_bytes(text), out, record=False)
        return from_buffer(out)

    def command_text(self, command_id, raw=False):
        """The command catalogue's text of command_id, with the names put in unless raw (mp_command_c2s)."""
        out = buffer(COMMAND_SIZE)
        self._run("mp_command_c2s", command_id, out, 1 if raw else 0, record=False)
        return from_buffer(out)

    # ---- Chip facts ------------------------------------------------------------------------

    def chip_version(self):
        out = outputs.text(RESPONSE_SIZE)
        self._read("GetChipVersion", out, written=(out,))
        return from_buffer(out)

    def hw_support(self):
        """The chip's MIMO transmit and receive support (GetHwSupport)."""
        out = outputs.text(RESPONSE_SIZE)
        self._read("GetHwSupport", out, written=(out,))
        return from_buffer(out)

    # ---- Setting commands --------------------------------------------------------------------

    def _rate(self, rate):
        return to_bytes(checked_rate(rate) if self._strict else rate)

    def _channel(self, channel):
        return to_bytes(checked_channel(channel) if self._strict else channel)

    def set_rate(self, rate):
        self._setting("mp_rate", self._rate(rate))

    def set_channel(self, channel):
        self._setting("mp_channel", self._channel(channel))

    def set_bandwidth(self, bw40, short_gi):
        self._setting("mp_bandwidth", int(bw40), int(short_gi))

    def set_tx_power(self, path_a, path_b):
        self._setting("mp_txpower", path_a, path_b)

    def set_tx_power_text(self, power):
        """Sends a power text such as "addbyrate" (mp_txpower_a)."""
        self._setting("mp_txpower_a", to_bytes(power))

    def set_xcap(self, value):
        """Sets the crystal capacitance trim (mp_phypara)."""
        self._setting("mp_phypara", value)

    def set_bssid(self, bssid):
        self._setting("mp_bssid", to_bytes(bssid))

    def set_tx_antenna(self, antenna):
        self._setting("mp_ant_tx", to_bytes(antenna))

    def set_rx_antenna(self, antenna):
        self._setting("mp_ant_rx", to_bytes(antenna))

    def tx_word(self, word):
        """Sends one mp_ctx sub-command word, e.g. "stop"."""
        self._setting("mp_ctx", to_bytes(word))

    def rx_word(self, word):
        """Sends one mp_arx sub-command word, e.g. "start"."""
        self._setting("mp_arx", to_bytes(word))

    def power_tracking_word(self, word):
        """Sends one mp_pwrtrk sub-command word, e.g. "ther=20"."""
        self._setting("mp_pwrtrk", to_bytes(word))

    # ---- Receive filter ------------------------------------------------------------------------

    def rx_on(self):
        self._setting("mp_arx_start")

    def rx_off(self):
        self._setting("mp_arx_stop")

    def filter_init(self):
        self._setting("mp_arx_filter_init")

    def filter_clean(self):
        self._setting("mp_arx_filter_clean")

    def filter_da(self, address):
        self._setting("mp_arx_filter_da", to_bytes(address))

    def filter_sa(self, address):
        self._setting("mp_arx_filter_sa", to_bytes(address))

    def filter_bssid(self, address):
        self._setting("mp_arx_filter_bssid", to_bytes(address))

    def filter_print(self):
        """The three filter addresses as the board reports them (mp_arx_filter_print);
        over UDP the board's reply carries no report, which raises ReplyError."""
        da, sa, bssid = (outputs.text(MAC_TEXT_SIZE) for _ in range(3))
        self._read("mp_arx_filter_print", da, sa, bssid, written=(da, sa, bssid))
        return FilterAddresses(from_buffer(da), from_buffer(sa), from_buffer(bssid))

    # ---- Counters and sensors --------------------------------------------------------------------

    def query(self):
        """The four packet counters (mp_query)."""
        counters = [outputs.number() for _ in range(4)]
        self._read("mp_query", *counters, written=counters)
        return PacketCounters(*(counter.value for counter in counters))

    def thermal(self):
        """The thermal meter reading (mp_ther); over UDP the board's reply
        carries no reading, which raises ReplyError."""
        value = outputs.number()
        self._read("mp_ther", value, written=(value,))
        return value.value

    def tssi(self):
        value = outputs.number()
        self._read("mp_tssi", value, written=(value,))
        return value.value

    def power_tracking_start(self, thermal):
        """Starts tracking at the command level (mp_pwrtrk_start)."""
        self._setting("mp_pwrtrk_start", thermal)

    def power_tracking_stop(self):
        self._setting("mp_pwrtrk_stop")

    # ---- Transmit and receive tests, power tracking ----------------------------------------------

    def tx_start(self, channel, rate, mode="pkt", *, bw40=0, short_gi=0, antenna="A", power_a=30, power_b=30,
                 count=0, time=0):
        """Sets bandwidth, channel, rate, antenna and power, then starts
        transmitting (TxStart). mode is pkt, background, stone or cs; count and
        time 0 mean no limit. A strict board sends the same commands one by one."""
        if mode not in TRANSMIT_MODES:
            raise ValueError(f"mode must be one of {', '.join(TRANSMIT_MODES)}, not {mode!r}")
        channel_text, rate_text, antenna_text = self._channel(channel), self._rate(rate), to_bytes(antenna)
        if not self._strict:
            self._board_call("TxStart", TRANSMIT_MODES[mode], int(bw40), int(short_gi), channel_text, rate_text,
                             antenna_text, power_a, power_b, count, time)
            return
        with self._call_lock:
            self.set_bandwidth(bw40, short_gi)
            self._setting("mp_channel", channel_text)
            self._setting("mp_rate", rate_text)
            self._setting("mp_ant_tx", antenna_text)
            self.set_tx_power(power_a, power_b)
            self.tx_word(_transmit_word(mode, count, time))

    def tx_stop(self):
        self._setting("TxStop")

    def rx_start(self, channel, *, bw40=0, short_gi=0, antenna="A", da=None, sa=None, bssid=None):
        """Sets bandwidth, channel and antenna and starts counting (RxStart);
        with any of da, sa, bssid the filter is set too (RxStartWithFilter). A
        strict board sends the same commands one by one."""
        channel_text, antenna_text = self._channel(channel), to_bytes(antenna)
        filters = [to_bytes(address or "") for address in (da, sa, bssid)]
        if da is None and sa is None and bssid is None:
            if not self._strict:
                self._board_call("RxStart", int(bw40), int(short_gi), channel_text, antenna_text)
                return
            with self._call_lock:
                self.filter_clean()
                self._start_receiving(bw40, short_gi, channel_text, antenna_text)
                self.rx_on()
            return
        if not self._strict:
            self._board_call("RxStartWithFilter", int(bw40), int(short_gi), channel_text, antenna_text, *filters)
            return
        filter_da, filter_sa, filter_bssid = filters
        with self._call_lock:
            self._start_receiving(bw40, short_gi, channel_text, antenna_text)
            self.filter_init()
            for export, address in (("mp_arx_filter_sa", filter_sa), ("mp_arx_filter_da", filter_da),
                                    ("mp_arx_filter_bssid", filter_bssid)):
                if address:
                    self._setting(export, address)
            self.rx_on()

    def _start_receiving(self, bw40, short_gi, channel_text, antenna_text):
        self.set_bandwidth(bw40, short_gi)
        self._setting("mp_channel", channel_text)
        self._setting("mp_ant_rx", antenna_text)

    def rx_query(self):
        """The receive test's counters (RxQuery)."""
        rx_ok, crc_error = outputs.number(), outputs.number()
        self._read("RxQuery", rx_ok, crc_error, written=(rx_ok, crc_error))
        return RxCounters(rx_ok.value, crc_error.value)

    def rx_reset(self):
        self._setting("RxResetCounter")

    def rx_stop(self):
        """Clears the filter and stops counting (RxStop); a strict board sends
        the two commands one by one."""
        if not self._strict:
            self._board_call("RxStop")
            return
        with self._call_lock:
            self.filter_clean()
            self.rx_off()

    def power_tracking_on(self, thermal=0):
        """Starts tracking; a thermal from 7 to 29 is sent as the reference (PowerTrackingOn)."""
        self._setting("PowerTrackingOn", thermal)

    def power_tracking_query(self):
        """The thermal reading while tracking (PowerTrackingQuery); over UDP
        the board's reply carries none, which raises ReplyError."""
        value = outputs.number()
        self._read("PowerTrackingQuery", value, written=(value,))
        return value.value

    def power_tracking_off(self):
        self._setting("PowerTrackingOff")

    # ---- Flash parameters and RF registers ----------------------------------------------------------

    def flash_get(self, name):
        """A flash parameter's value (FlashGet)."""
        out = outputs.text(RESPONSE_SIZE + 1)
        self._read("FlashGet", to_bytes(name), out, written=(out,))
        return from_buffer(out)

    def flash_set(self, name, value):
        self._setting("FlashSet", to_bytes(name), to_bytes(value))

    def register_get(self, selector1, selector2):
        """An RF register's value (RegisterGet)."""
        value = outputs.register()
        self._read("RegisterGet", selector1, selector2, value, written=(value,))
        return value.value

    def register_set(self, selector1, selector2, value):
        self._setting("RegisterSet", selector1, selector2, value)
