"""Board(log=...): where a board writes its exchanges as they happen — a
logging.Logger as it is, or a file path, appended to through a logger of the
board's own."""
import logging
import os


def exchange_logger(log, description):
    """The logger for log (None: no logging)."""
    if log is None or isinstance(log, logging.Logger):
        return log
    if not isinstance(log, (str, os.PathLike)):
        raise TypeError(f"log must be a logging.Logger or a file path, not {type(log).__name__}")
    logger = logging.Logger(f"mpdll.{description}")
    handler = logging.FileHandler(log, encoding="utf-8")
    handler.setFormatter(logging.Formatter("%(asctime)s %(levelname)s %(message)s"))
    logger.addHandler(handler)
    return logger
