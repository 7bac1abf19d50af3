"""The files of a station run, in a folder of their own
(OUTPUT_DIR/STATION-YYYYMMDDTHHMMSSZ):

- records/SERIAL_NUMBER.json: each board's test record (board_record);
- junit.xml: a test suite per board, a test case per step, its failed
  measurements as the failure and every measurement in its output;
- results.csv: a row per measurement, and one for each step that ended in an
  error, with the board's verdict on every row.
"""
import csv
import json
import os
import re
import socket
import xml.etree.ElementTree as ElementTree

from .board_record import ERROR, FAIL

CSV_COLUMNS = ("station", "serial_number", "board", "board_verdict", "step", "attempts", "measurement", "value",
               "unit", "low", "high", "limit", "verdict", "error")


def file_name(text):
    """text with every character a file name might not take replaced by _."""
    return re.sub(r"[^A-Za-z0-9._-]", "_", text) or "_"


def write_reports(run, output_dir):
    """Writes the run's files into a new folder under output_dir; returns its path."""
    base = os.path.join(output_dir, f"{file_name(run.station)}-{run.started:%Y%m%dT%H%M%SZ}")
    directory, number = base, 1
    while os.path.exists(directory):
        number += 1
        directory = f"{base}-{number}"
    os.makedirs(os.path.join(directory, "records"))
    for record in run.boards:
        path = os.path.join(directory, "records", f"{file_name(record.serial_number)}.json")
        with open(path, "w", encoding="utf-8") as out:
            json.dump(record.as_dict(), out, indent=2, ensure_ascii=False)
            out.write("\n")
    junit(run).write(os.path.join(directory, "junit.xml"), encoding="utf-8", xml_declaration=True)
    with open(os.path.join(directory, "results.csv"), "w", encoding="utf-8", newline="") as out:
        write_csv(run, out)
    return directory


def _counts(element, steps):
    element.set("tests", str(len(steps)))
    element.set("failures", str(sum(step.verdict == FAIL for step in steps)))
    element.set("errors", str(sum(step.verdict == ERROR for step in steps)))


def _seconds(start, end):
    return f"{(end - start).total_seconds():.3f}" if start and end else "0"


def junit(run):
    """The run as a JUnit XML tree (suite timestamps in local time, to the
    second, as JUnit readers expect them)."""
    root = ElementTree.Element("testsuites", name=run.station, time=_seconds(run.started, run.ended))
    _counts(root, [step for record in run.boards for step in record.steps])
    host = socket.gethostname()
    for record in run.boards:
        suite = ElementTree.SubElement(root, "testsuite", name=f"{run.station}.{record.serial_number}",
                                       hostname=host, timestamp=f"{record.started.astimezone():%Y-%m-%dT%H:%M:%S}",
                                       time=_seconds(record.started, record.ended))
        _counts(suite, record.steps)
        properties = ElementTree.SubElement(suite, "properties")
        for name, value in (("serial_number", record.serial_number), ("board", record.board),
                            ("verdict", record.verdict)):
            ElementTree.SubElement(properties, "property", name=name, value=value)
        for step in record.steps:
            case = ElementTree.SubElement(suite, "testcase", classname=f"{run.station}.{record.serial_number}",
                                          name=step.name, time=_seconds(step.started, step.ended))
            failed = [str(measurement) for measurement in step.measurements if not measurement.passed]
            if step.error is not None:
                ElementTree.SubElement(case, "error", message=step.error, type="error").text = step.error
            elif failed:
                ElementTree.SubElement(case, "failure", message=failed[0], type="out of limits").text = \
                    "\n".join(failed)
            if step.measurements or len(step.attempts) > 1:
                lines = [str(measurement) for measurement in step.measurements]
                lines += [f"attempt {attempt.number}: {attempt.verdict}" for attempt in step.attempts[:-1]]
                ElementTree.SubElement(case, "system-out").text = "\n".join(lines)
    ElementTree.indent(root)
    return ElementTree.ElementTree(root)


def write_csv(run, out):
    """Writes the run's rows to the text stream out."""
    writer = csv.DictWriter(out, fieldnames=CSV_COLUMNS)
    writer.writeheader()
    for record in run.boards:
        board = {"station": run.station, "serial_number": record.serial_number, "board": record.board,
                 "board_verdict": record.verdict}
        for step in record.steps:
            where = {**board, "step": step.name, "attempts": len(step.attempts)}
            for measurement in step.measurements:
                limit = measurement.limit
                writer.writerow({**where, "measurement": measurement.name, "value": measurement.value,
                                 "unit": limit.unit, "low": limit.low, "high": limit.high, "limit": str(limit),
                                 "verdict": measurement.verdict})
            if step.error is not None:
                writer.writerow({**where, "verdict": ERROR, "error": step.error})
