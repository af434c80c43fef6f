#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Converts every real file into every output and prints, per pair, the kinds
of loss kes-convert names; where the output can be read again (the native
files and GPX), it reads it back into GPX and confirms that each kind named is
really absent there. Exit status 1 when a named loss is found present.
  loss_table.py KES_CONVERT WORK_DIR INPUT...
"""
import pathlib
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

OUTPUTS = ['kes-wpt', 'kes-plt', 'holux-wrt', 'holux-tlg', 'gpx-wpt', 'gpx-trk', 'gpx', 'kml', 'geojson', 'csv']
EXTENSION = {'kes-wpt': 'wpt', 'kes-plt': 'plt', 'holux-wrt': 'wrt', 'holux-tlg': 'tlg', 'gpx-wpt': 'gpx',
             'gpx-trk': 'gpx', 'gpx': 'gpx', 'kml': 'kml', 'geojson': 'geojson', 'csv': 'csv'}
READ_BACK = {'kes-wpt', 'kes-plt', 'holux-wrt', 'holux-tlg', 'gpx-wpt', 'gpx-trk', 'gpx'}
GPX = '{http://www.topografix.com/GPX/1/1}'
TPX = '{http://www.garmin.com/xmlschemas/TrackPointExtension/v2}'
GPXX = '{http://www.garmin.com/xmlschemas/GpxExtensions/v3}'
PART = {'waypoint': 'wpt', 'route point': 'rtept', 'track point': 'trkpt', 'route': 'rte', 'track': 'trk'}
# What each kind of loss names, as the elements that hold it in GPX.
HELD_IN = {
    'names': [GPX + 'name'], 'comments': [GPX + 'cmt'], 'descriptions': [GPX + 'desc'],
    'sources and types': [GPX + 'src', GPX + 'type'], 'links': [GPX + 'link'],
    'links, sources and types': [GPX + 'link', GPX + 'src', GPX + 'type'], 'times': [GPX + 'time'],
    'elevations': [GPX + 'ele'], 'numbers': [GPX + 'number'],
    'addresses and other device details': [GPXX + 'Address', GPXX + 'PhoneNumber', GPXX + 'Categories',
                                           GPXX + 'Depth', GPXX + 'Temperature'],
    'heart rates, cadences, temperatures and depths': [TPX + 'hr', TPX + 'cad', TPX + 'atemp', TPX + 'wtemp',
                                                       TPX + 'depth'],
    'speeds, courses, fixes, satellites and dilutions': [GPX + 'sat', GPX + 'hdop', GPX + 'vdop', GPX + 'pdop',
                                                         GPX + 'fix', GPX + 'magvar', GPX + 'geoidheight',
                                                         TPX + 'speed', TPX + 'course'],
}
FILE_DETAIL = {'name': 'name', 'description': 'desc', 'author': 'author', 'copyright': 'copyright',
               'links': 'link', 'keywords': 'keywords'}


def run(*command):
    return subprocess.run(command, capture_output=True, check=False)


def kind_of(warning):
    """The kind a warning names, as (what, part), or None for warnings of other sorts."""
    w = re.sub(r'^the ', '', warning)
    m = re.match(r"file's (.*) dropped", w)
    if m:
        return (m.group(1), 'file')
    m = re.match(r'[\d,]+ (waypoint|route|track)s? of the input left out', w)
    if m:
        return ('all', m.group(1))
    m = re.match(r'road of [\d,]+ routes?', w)
    if m:
        return ('road', 'route')
    m = re.match(r'sections of [\d,]+ tracks?', w)
    if m:
        return ('sections', 'track')
    m = re.match(r'commas and line breaks in the texts of [\d,]+ (.*?)s? written', w)
    if m:
        return ('commas', m.group(1))
    if 'holds one text' in w:
        m = re.match(r'comments? of [\d,]+ (.*?)s? dropped', w)
        return ('one text', m.group(1)) if m else None
    m = re.match(r'([\d,]+ )?(.*?) of [\d,]+ (waypoint|route point|track point|route|track|link point)s? '
                 r'(cut to (\d+)|dropped|written as|without)', w)
    if m:
        what = m.group(2)
        what = what if what.endswith('s') or what in HELD_IN else what + 's'
        if m.group(4).startswith('cut'):
            return ('cut ' + m.group(5), what, m.group(3))
        if m.group(4) == 'written as':
            return ('symbol numbers', m.group(3))
        return (what, m.group(3))
    m = re.match(r'comments? of [\d,]+ (.*?)s? dropped: a .* holds one text', w)
    if m:
        return ('one text', m.group(1))
    m = re.match(r'[\d,]+ (waypoint)s? without a symbol', w)
    if m:
        return ('symbol 0', 'waypoint')
    return None


def absent(kind, root):
    """True when the read-back GPX holds nothing of what the kind names."""
    if kind[1] == 'file':
        element = FILE_DETAIL.get(kind[0])
        meta = root.find(GPX + 'metadata')
        return element is None or meta is None or meta.find(GPX + element) is None
    if kind[0] == 'all':
        return root.find(GPX + PART[kind[1]]) is None
    if kind[0] == 'road':
        return not list(root.iter(GPXX + 'rpt'))
    if kind[0] == 'sections':
        return all(len(t.findall(GPX + 'trkseg')) <= 1 for t in root.iter(GPX + 'trk'))
    if kind[0].startswith('cut'):
        most, (_, what, part) = int(kind[0].split()[1]), kind
        tag = {'names': 'name', 'descriptions': 'desc', 'comments': 'desc'}[what]
        return all(len(e.findtext(GPX + tag) or '') <= most for e in root.iter(GPX + PART[part]))
    if kind[0] == 'commas':
        return all(',' not in (e.findtext(GPX + t) or '') for e in root.iter(GPX + PART[kind[1]])
                   for t in ('name', 'desc'))
    if kind[0] == 'one text':
        return all(e.find(GPX + 'cmt') is None or e.find(GPX + 'desc') is None for e in root.iter(GPX + PART[kind[1]]))
    if kind[0] in ('symbol numbers', 'symbol 0'):
        return True  # written as the table's numbers: what they read back as is the point
    elements = HELD_IN.get(kind[0])
    if elements is None or kind[1] not in PART:
        return True  # no GPX element holds it (a colour, GPX extensions, a link point's elevation)
    for item in root.iter(GPX + PART[kind[1]]):
        # A group's own elements, not its points'.
        children = list(item) if kind[1] in ('route', 'track') else list(item.iter())
        if any(c.tag in elements for c in children):
            return False
    return True


def label(kind):
    if kind[1] == 'file':
        return f"the file's {kind[0]}"
    if kind[0] == 'all':
        return f'{kind[1]}s left out'
    return f'{kind[0]} ({kind[-1]})'


def main():
    convert, work = sys.argv[1], pathlib.Path(sys.argv[2])
    work.mkdir(parents=True, exist_ok=True)
    failures = 0
    print('| file | output | kinds named | read back |')
    print('|---|---|---|---|')
    for number, name in enumerate(sys.argv[3:]):
        for output in OUTPUTS:
            out = work / f'{number}-{output}.{EXTENSION[output]}'
            # A step that changes nothing lets a file be written in its own format.
            result = run(convert, '-q', '--strict', '--drop-repeats', '-o', output, name, '-O', str(out))
            if result.returncode not in (0, 3):
                continue
            prefix = f'kes-convert: {name}: '
            warnings = [line[len(prefix):] for line in result.stderr.decode().splitlines() if line.startswith(prefix)]
            kinds = [k for k in map(kind_of, warnings) if k]
            confirmed = '-'
            if output in READ_BACK and kinds:
                back = out.with_suffix('.back.gpx')
                if run(convert, '-q', '-o', 'gpx', str(out), '-O', str(back)).returncode in (0, 3):
                    root = ET.parse(back).getroot()
                    wrong = [' '.join(k[:2]) for k in kinds if not absent(k, root)]
                    confirmed = 'all absent' if not wrong else 'PRESENT: ' + ', '.join(wrong)
                    failures += bool(wrong)
            short = sorted({label(k) for k in kinds})
            print(f'| {pathlib.Path(name).name} | {output} | {"; ".join(short) or "none"} | {confirmed} |')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
