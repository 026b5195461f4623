#!/usr/bin/env python3
"""Reads an exported file with Python's csv module and compares every record with the
texts the grid suite expected, written beside it as JSON (a list of records, each a list of
cell texts). Writes "OK" or the first difference to the report file; the report appears
only when complete, so the suite can wait for it.

usage: csv_readback.py DATA ENCODING DELIMITER EXPECTED_JSON REPORT
  ENCODING: utf-16 or utf-8-sig (both expect their byte-order mark)
  DELIMITER: comma or tab
"""
import csv
import json
import os
import sys


def check(data, encoding, delimiter, expected_path):
    raw = open(data, 'rb').read()
    bom = b'\xff\xfe' if encoding == 'utf-16' else b'\xef\xbb\xbf'
    if not raw.startswith(bom):
        return 'no byte-order mark'
    if raw and not raw.endswith('\r\n'.encode('utf-16-le' if encoding == 'utf-16' else 'utf-8')):
        return 'the last record does not end in CR LF'
    with open(data, newline='', encoding=encoding) as f:
        records = list(csv.reader(f, delimiter={'comma': ',', 'tab': '\t'}[delimiter], strict=True))
    with open(expected_path, encoding='utf-8') as f:
        expected = json.load(f)
    if len(records) != len(expected):
        return 'read %d records, expected %d' % (len(records), len(expected))
    for r, (got, want) in enumerate(zip(records, expected)):
        if len(got) != len(want):
            return 'record %d: %d fields, expected %d: %r' % (r, len(got), len(want), got)
        for c, (g, w) in enumerate(zip(got, want)):
            if g != w:
                return 'record %d field %d: read %r, expected %r' % (r, c, g, w)
    return 'OK'


def main():
    data, encoding, delimiter, expected, report = sys.argv[1:6]
    try:
        result = check(data, encoding, delimiter, expected)
    except Exception as e:  # a reader error is a finding, not a crash of the check
        result = 'reader failed: %s: %s' % (type(e).__name__, e)
    with open(report + '.part', 'w', encoding='utf-8') as f:
        f.write(result)
    os.replace(report + '.part', report)


if __name__ == '__main__':
    main()
