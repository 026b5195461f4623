#!/usr/bin/env python3
"""Reads an exported file back with a reader of its own kind and compares it with what the
grid suite expected, written beside it as JSON. Writes "OK", "SKIP: reason" or the first
difference to the report file; the report appears only when complete, so the suite can wait
for it.

usage:
  readback.py csv DATA ENCODING DELIMITER EXPECTED_JSON REPORT
      Python's csv module; EXPECTED_JSON is a list of records, each a list of cell texts.
      ENCODING: utf-16 or utf-8-sig (both expect their byte-order mark); DELIMITER: comma or tab.
  readback.py xlsx DATA EXPECTED_JSON REPORT
      openpyxl reads the workbook: every cell's type, value and number format.
  readback.py office DATA EXPECTED_JSON REPORT
      LibreOffice (soffice, headless) converts the workbook through its own import to text
      as it shows each cell, which must be the grid's text.
  For xlsx and office, EXPECTED_JSON is {"sheet": name, "kinds": [per column "text",
  "number" or "date"], "widths": [the grid's pixels per column, 0 for none], "rows":
  [[the captions], [each shown row's texts]...]}.
"""
import csv
import datetime
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile


def same_records(records, expected):
    if len(records) != len(expected):
        return 'read %d records, expected %d' % (len(records), len(expected))
    for r, (got, want) in enumerate(zip(records, expected)):
        if len(got) != len(want):
            return 'record %d: %d fields, expected %d: %r' % (r, len(got), len(want), got)
        for c, (g, w) in enumerate(zip(got, want)):
            if g != w:
                return 'record %d field %d: read %r, expected %r' % (r, c, g, w)
    return 'OK'


def check_csv(data, encoding, delimiter, expected_path):
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
    return same_records(records, expected)


# A text a person reads as a number: what must not stay text in a number column.
PLAIN_NUMBER = re.compile(r'^[+-]?([1-9]\d{0,2}(,\d{3})+|[1-9]\d*|0)(\.\d+)?%?$')
PLAIN_DATE = re.compile(r'^\d{4}-\d{2}-\d{2}$')
# The workbook's escape of a character in text: _xHHHH_ (openpyxl leaves it to the caller).
ESCAPE = re.compile(r'_x([0-9A-Fa-f]{4})_')


def unescape(text):
    return ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)


def shown_as(value, number_format):
    """The text a number shows under the number formats a workbook uses for plain numbers:
    sections (positive;negative;zero), literal signs, grouping, decimals and a percent sign."""
    sections = number_format.split(';')
    if len(sections) == 1:
        section, magnitude = sections[0], value
    elif value > 0:
        section, magnitude = sections[0], value
    elif value < 0:
        section, magnitude = sections[1], -value
    else:
        section, magnitude = sections[2] if len(sections) > 2 else sections[0], 0
    m = re.match(r'^([+-]?)((?:#,##)?0)(?:\.(0+))?(%?)$', section)
    if not m:
        raise ValueError('unexpected number format %r' % number_format)
    sign, body, decimals, percent = m.groups()
    if percent:
        magnitude = magnitude * 100
    pattern = '%s.%df' % (',' if ',' in body else '', len(decimals or ''))
    return sign + format(magnitude, pattern) + percent


def check_cell(cell, shown, kind, where):
    value = cell.value
    if shown == '':
        return None if value is None else '%s: %r where the grid shows nothing' % (where, value)
    if isinstance(value, str):
        if unescape(value) != shown:
            return '%s: text %r, expected %r' % (where, unescape(value), shown)
        if kind == 'number' and PLAIN_NUMBER.match(shown):
            return '%s: the number %r is text' % (where, shown)
        if kind == 'date' and PLAIN_DATE.match(shown) and shown >= '1900-03-01':
            try:
                datetime.date.fromisoformat(shown)
                return '%s: the date %r is text' % (where, shown)
            except ValueError:
                pass
        return None
    if kind == 'text':
        return '%s: %r is not text (shown %r)' % (where, value, shown)
    if isinstance(value, datetime.datetime):
        if kind != 'date' or cell.number_format != 'yyyy-mm-dd':
            return '%s: a date %r under %r in a %s column' % (where, value, cell.number_format, kind)
        got = value.strftime('%Y-%m-%d')
        return None if got == shown else '%s: date %s, shown %r' % (where, got, shown)
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        if kind != 'number':
            return '%s: number %r in a %s column' % (where, value, kind)
        got = shown_as(value, cell.number_format)
        if got != shown:
            return '%s: %r under %r reads %r, the grid shows %r' % (where, value, cell.number_format, got, shown)
        return None
    return '%s: unexpected value %r' % (where, value)


def check_xlsx(data, expected_path):
    import openpyxl
    with open(expected_path, encoding='utf-8') as f:
        expected = json.load(f)
    book = openpyxl.load_workbook(data)
    if book.sheetnames != [expected['sheet']]:
        return 'sheets %r, expected [%r]' % (book.sheetnames, expected['sheet'])
    sheet = book.worksheets[0]
    if sheet.freeze_panes != 'A2':
        return 'frozen at %r, expected the first row' % sheet.freeze_panes
    rows, kinds = expected['rows'], expected['kinds']
    width = len(kinds)
    if sheet.max_row != len(rows) or (width and sheet.max_column != width):
        return '%d rows of %d columns, expected %d of %d' % (sheet.max_row, sheet.max_column, len(rows), width)
    for c, pixels in enumerate(expected['widths']):
        letter = openpyxl.utils.get_column_letter(c + 1)
        got = sheet.column_dimensions[letter].width if letter in sheet.column_dimensions else None
        if pixels and (got is None or abs(got * 7 - pixels) > 8):
            return 'column %s: width %r, the grid has %d pixels' % (letter, got, pixels)
    for r, (cells, want) in enumerate(zip(sheet.iter_rows(min_row=1, max_row=len(rows), max_col=width), rows)):
        for c, (cell, shown) in enumerate(zip(cells, want)):
            where = '%s%d' % (openpyxl.utils.get_column_letter(c + 1), r + 1)
            if r == 0:
                if cell.value != (shown or None) or (shown and not cell.font.b):
                    return '%s: caption %r (bold %r), expected %r in bold' % (where, cell.value, cell.font.b, shown)
                continue
            problem = check_cell(cell, shown, kinds[c], where)
            if problem:
                return problem
    return 'OK'


def check_office(data, expected_path):
    office = shutil.which('soffice')
    if not office:
        return 'SKIP: soffice is not installed (apt-get install libreoffice-calc-nogui)'
    with open(expected_path, encoding='utf-8') as f:
        expected = json.load(f)
    with tempfile.TemporaryDirectory() as work:
        profile = 'file://' + os.path.join(work, 'profile')
        # Fields by comma, quoted by '"', UTF-8, from line 1; cells as shown, not as stored.
        target = 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true'
        env = dict(os.environ, LC_ALL='C.UTF-8', LANG='C.UTF-8')
        run = subprocess.run([office, '-env:UserInstallation=' + profile, '--headless', '--norestore',
                              '--convert-to', target, '--outdir', work, data],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=env, timeout=300)
        out = os.path.join(work, os.path.splitext(os.path.basename(data))[0] + '.csv')
        if not os.path.exists(out):
            return 'soffice converted nothing: %s' % run.stdout.decode('utf-8', 'replace').strip()
        with open(out, newline='', encoding='utf-8') as f:
            records = list(csv.reader(f, strict=True))
    # A cell of several lines keeps each line break (CR LF, CR or LF) as one LF there.
    def lines(text):
        return text.replace('\r\n', '\n').replace('\r', '\n') if '\n' in text else text
    return same_records([[lines(c) for c in r] for r in records], [[lines(c) for c in r] for r in expected['rows']])


def main():
    mode, args = sys.argv[1], sys.argv[2:]
    report = args[-1]
    try:
        if mode == 'csv':
            result = check_csv(*args[:4])
        elif mode == 'xlsx':
            result = check_xlsx(*args[:2])
        else:
            result = check_office(*args[:2])
    except Exception as e:  # a reader error is a finding, not a crash of the check
        result = 'reader failed: %s: %s' % (type(e).__name__, e)
    with open(report + '.part', 'w', encoding='utf-8') as f:
        f.write(result)
    os.replace(report + '.part', report)


if __name__ == '__main__':
    main()
