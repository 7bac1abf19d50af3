"""The values include/mpdll/mpdll.h defines, under the names of its macros
without the MPDLL_ prefix (MPDLL_RESPONSE_SIZE is RESPONSE_SIZE): buffer and
field sizes in bytes with the terminator, the board's UDP command port, the
longest settle MpdllSetPromptSettle takes, and the serial line codes
MpdllSetSerialLine takes. The package takes them from
here only; a test compares these tables with the header."""

HEADER_VALUES = {
    "COMMAND_SIZE": 2048,  # one command line
    "RESPONSE_SIZE": 16384,  # one answer
    "MAC_TEXT_SIZE": 18,  # an address "aa:bb:cc:dd:ee:ff"
    "FIELD_SIZE": 50,  # chipModel, toolPath, ifName, prompt
    "IP_TEXT_SIZE": 20,
    "LOGIN_TEXT_SIZE": 20,  # userName, password
    "FIRST_COMMAND_SIZE": 100,
    "UDP_PORT": 9034,
    "PROMPT_SETTLE_MAX_MS": 2000,
}

COMMAND_SIZE = HEADER_VALUES["COMMAND_SIZE"]
RESPONSE_SIZE = HEADER_VALUES["RESPONSE_SIZE"]
MAC_TEXT_SIZE = HEADER_VALUES["MAC_TEXT_SIZE"]
FIELD_SIZE = HEADER_VALUES["FIELD_SIZE"]
IP_TEXT_SIZE = HEADER_VALUES["IP_TEXT_SIZE"]
LOGIN_TEXT_SIZE = HEADER_VALUES["LOGIN_TEXT_SIZE"]
FIRST_COMMAND_SIZE = HEADER_VALUES["FIRST_COMMAND_SIZE"]
UDP_PORT = HEADER_VALUES["UDP_PORT"]
PROMPT_SETTLE_MAX_MS = HEADER_VALUES["PROMPT_SETTLE_MAX_MS"]

SERIAL_LINE_CODES = {
    "PARITY_NONE": 0,
    "PARITY_ODD": 1,
    "PARITY_EVEN": 2,
    "PARITY_MARK": 3,
    "PARITY_SPACE": 4,
    "STOP_BITS_ONE": 0,
    "STOP_BITS_ONE_AND_HALF": 1,
    "STOP_BITS_TWO": 2,
    "FLOW_NONE": 0,
    "FLOW_RTSCTS": 1,
    "FLOW_XONXOFF": 2,
}
