#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads KML, GeoJSON and CSV outputs back through independent readers (GDAL's
ogrinfo, gpsbabel, xmllint, Python's json and csv) and compares what they find
with the GPX output of the same store, which holds every point as the product
keeps it: counts, positions within 1e-7 degrees, elevations within 1 mm, times,
names and texts. Prints each difference; exit status 1 when there is one.
  check_outputs.py REFERENCE.gpx OUT.kml OUT.geojson OUT.csv
  check_outputs.py --convert KES_CONVERT WORK_DIR DATA_DIR CORPUS_DIR
The second form converts every real file and every fuzz seed of every input
format with kes-convert into GPX and the three, and checks each."""
import concurrent.futures
import csv
import datetime
import json
import pathlib
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

COLUMNS = ['type', 'track', 'route', 'section', 'lat', 'lon', 'ele_m', 'time', 'name', 'desc', 'sym', 'cmt',
           'track_index', 'route_index']
DEGREES, METRES, SECONDS = 1e-7, 1e-3, 1e-3
problems = []


def say(where, text):
    problems.append(f'{where}: {text}')


def run(*command):
    return subprocess.run(command, capture_output=True, check=False)


# The reference: the GPX file of the same store.
RPT = '{http://www.garmin.com/xmlschemas/GpxExtensions/v3}rpt'
NO_TEXTS = {'ele': None, 'time': None, 'name': None, 'desc': None, 'cmt': None, 'sym': None}


def gpx_points(parent, tag, ns):
    points = []
    for e in parent.findall(ns + tag):
        text = {k: e.findtext(ns + k) for k in ('ele', 'time', 'name', 'desc', 'cmt', 'sym')}
        # The road from a route point to the next: its link points, positions only (the
        # others may hold the elevations GPX has no place for).
        road = [dict(NO_TEXTS, lat=float(r.get('lat')), lon=float(r.get('lon')), link=True) for r in e.iter(RPT)]
        points.append({'lat': float(e.get('lat')), 'lon': float(e.get('lon')),
                       'ele': float(text.pop('ele')) if text['ele'] else None, 'road': road, **text})
    return points


def read_gpx(path):
    root = ET.parse(path).getroot()
    ns = root.tag[:root.tag.index('}') + 1]
    return {'waypoints': gpx_points(root, 'wpt', ns),
            'routes': [{'name': r.findtext(ns + 'name'), 'desc': r.findtext(ns + 'desc'),
                        'points': gpx_points(r, 'rtept', ns)} for r in root.findall(ns + 'rte')],
            'tracks': [{'name': t.findtext(ns + 'name'), 'desc': t.findtext(ns + 'desc'),
                        'sections': [gpx_points(s, 'trkpt', ns) for s in t.findall(ns + 'trkseg')]}
                       for t in root.findall(ns + 'trk')]}


def same_text(a, b):
    """Equal as XML reads them: line ends as LF, the control characters XML forbids left out."""
    norm = lambda t: re.sub(r'[\x00-\x08\x0b\x0c\x0e-\x1f]', '', (t or '').replace('\r\n', '\n').replace('\r', '\n'))
    return norm(a) == norm(b)


def instant(text):
    """An ISO 8601 time or GDAL's "YYYY/MM/DD hh:mm:ss[.sss]+00" as seconds."""
    m = re.fullmatch(r'(\d{4})[-/](\d\d)[-/](\d\d)[T ](\d\d):(\d\d):(\d\d)(\.\d+)?(Z|\+00)', text or '')
    if not m:
        return None
    day = datetime.datetime(*map(int, m.groups()[:6]), tzinfo=datetime.timezone.utc)
    return day.timestamp() + float(m.group(7) or 0)


# Readers that stamp a point with the day of reading (a log without dates)
# give each process its own time: such times are only checked to lie then.
READING = (datetime.datetime.now().timestamp() - 2 * 86400, datetime.datetime.now().timestamp() + 2 * 86400)


def check_time(where, found, expected):
    of_reading = lambda t: instant(t) is not None and READING[0] < instant(t) < READING[1]
    if of_reading(expected) and of_reading(found):
        return
    if expected is None:
        if found:
            say(where, f'time {found} where there is none')
    elif instant(found) is None or abs(instant(found) - instant(expected)) >= SECONDS:
        say(where, f'time {found}, expected {expected}')


def check_position(where, found, p):
    lon_off = abs((found[0] - p['lon'] + 180) % 360 - 180)  # 180 and -180 are one meridian
    if lon_off > DEGREES or abs(found[1] - p['lat']) > DEGREES:
        say(where, f'position {found[:2]}, expected {p["lon"]}, {p["lat"]}')
    z = found[2] if len(found) > 2 else None  # ogrinfo gives 0 where a line has none
    if p.get('link'):
        return
    if p['ele'] is None and z not in (None, 0):
        say(where, f'elevation {z} where there is none')
    if p['ele'] is not None and (z is None or abs(z - p['ele']) > METRES):
        say(where, f'elevation {z}, expected {p["ele"]}')


def check_sections(where, found, sections):
    if [len(s) for s in found] != [len(s) for s in sections]:
        say(where, f'sections of {[len(s) for s in found]} points, expected {[len(s) for s in sections]}')
        return
    for i, (f, p) in enumerate(zip((q for s in found for q in s), (p for s in sections for p in s))):
        check_position(f'{where}, point {i + 1}', f, p)


# ogrinfo -al: each feature's layer, fields and the positions of its geometry, section by section.
def ogr_features(path, *options):
    result = run('ogrinfo', '-ro', '-al', *options, path)
    if result.returncode != 0:
        say(path, 'ogrinfo: ' + result.stderr.decode(errors='replace').strip())
        return []
    features, layer, field = [], None, None
    for line in result.stdout.decode('utf-8').split('\n'):
        feature = re.fullmatch(r'OGRFeature\((.*)\):-?\d+', line)
        value = re.fullmatch(r'  (\w+) \([\w()]+\) = (.*)', line, re.S)
        if line.startswith('Layer name: '):
            layer = line[len('Layer name: '):]
        elif feature:
            features.append({'layer': layer, 'fields': {}, 'sections': []})
            field = None
        elif features and value:
            field = value.group(1)
            features[-1]['fields'][field] = value.group(2)
        elif features and re.match(r'  (POINT|LINESTRING|MULTILINESTRING|GEOMETRYCOLLECTION)', line):
            features[-1]['sections'] = [[tuple(map(float, t.split())) for t in group.split(',')]
                                        for group in re.findall(r'\(([^()]*)\)', line)]
            field = None
        elif features and field and line and not line.startswith('  '):
            features[-1]['fields'][field] += '\n' + line  # a text of several lines
    return features


def check_feature(where, feature, item, sections, name, desc, time=None):
    fields = feature['fields']
    for key, field in (('name', name), ('desc', desc)):
        if not same_text(fields.get(field), item.get(key)):
            say(where, f'{field} {fields.get(field)!r}, expected {item.get(key)!r}')
    check_sections(where, feature['sections'], sections)
    if time and 'time' in item:
        check_time(where, fields.get(time), item['time'])


def lines_of(route):
    """A route's line: its points with the road between them, each position once in a row."""
    line = []
    for p in route['points']:
        for q in [p] + p['road']:
            if not line or (line[-1]['lat'], line[-1]['lon']) != (q['lat'], q['lon']):
                line.append(q)
    return [line] if line else []


def check_geojson(ref, path):
    with open(path, encoding='utf-8') as f:
        document = json.load(f)
    if document.get('type') != 'FeatureCollection' or 'crs' in document:
        say(path, 'not a FeatureCollection without crs')
    positions = lambda c: [c] if c and not isinstance(c[0], list) else [p for x in c for p in positions(x)]
    for f in document.get('features', []):
        members = [] if f['geometry'] is None else f['geometry'].get('geometries', [f['geometry']])
        for lon, lat, *_ in (p for m in members for p in positions(m['coordinates'])):
            if not (-180 <= lon <= 180 and -90 <= lat <= 90):
                say(path, f'position out of range: {lon}, {lat}')
    # A line is 2-D where some point has no elevation: none is expected of it.
    def one_dimension(sections):
        if all(p['ele'] is not None for s in sections for p in s):
            return sections
        return [[dict(p, ele=None) for p in s] for s in sections]

    expected = ([('waypoint', w, [[w]]) for w in ref['waypoints']] +
                [('route', r, one_dimension(lines_of(r))) for r in ref['routes']] +
                [('track', t, one_dimension(t['sections'])) for t in ref['tracks']])
    features = ogr_features(path, '-oo', 'DATE_AS_STRING=YES')
    if len(features) != len(expected):
        say(path, f'{len(features)} features, expected {len(expected)}')
        return
    flat = lambda x: [y for z in x for y in flat(z)] if isinstance(x, list) else [x]
    for i, (f, (kind, item, sections)) in enumerate(zip(features, expected)):
        where = f'{path}, feature {i + 1}'
        if f['fields'].get('type') != kind:
            say(where, f'type {f["fields"].get("type")}, expected {kind}')
        check_feature(where, f, item, sections, 'name', 'desc', 'time')
        # The times and names of a route's or track's points.
        per_point = json.loads(f['fields'].get('coordinateProperties', '{}'))
        points = [p for s in sections for p in s] if kind != 'waypoint' else []
        for key, plural in (('time', 'times'), ('name', 'names')):
            found, wanted = flat(per_point.get(plural, [])), [p[key] or None for p in points]
            if key == 'time' and len(found) == len(wanted):
                for j, (t, w) in enumerate(zip(found, wanted)):
                    check_time(f'{where}, point {j + 1}', t, w)
            elif found != wanted and (found or any(wanted)):
                say(where, f'{plural} {found}, expected {wanted}')


def check_kml(ref, path):
    if run('xmllint', '--noout', path).returncode != 0:
        say(path, 'not well-formed')
        return
    layers = {}
    for f in ogr_features(path):
        layers.setdefault(f['layer'] if f['layer'] in ('Waypoints', 'Routes', 'Tracks') else 'points', []).append(f)
    route_points = [p for r in ref['routes'] for p in r['points']]
    expected = {'Waypoints': [(w, [[w]]) for w in ref['waypoints']],
                'Routes': [(r, lines_of(r)) for r in ref['routes']],
                'points': [(p, [[p]]) for p in route_points],
                'Tracks': [(t, t['sections']) for t in ref['tracks']]}
    for layer, items in expected.items():
        found = layers.get(layer, [])
        if len(found) != len(items):
            say(path, f'{len(found)} placemarks in {layer}, expected {len(items)}')
            continue
        for i, (f, (item, sections)) in enumerate(zip(found, items)):
            check_feature(f'{path}, {layer} {i + 1}', f, item, sections, 'Name', 'description', 'timestamp')
    # gpsbabel: waypoints and route points as waypoints, a track per route and per section.
    peer = pathlib.Path(path).with_suffix('.peer.gpx')
    result = run('gpsbabel', '-i', 'kml', '-f', path, '-o', 'gpx', '-F', str(peer))
    if result.returncode != 0:
        say(path, 'gpsbabel: ' + result.stderr.decode(errors='replace').strip())
        return
    babel = read_gpx(peer)
    names = [w['name'] for w in babel['waypoints']]
    wanted = [w['name'] for w in ref['waypoints'] + route_points]
    if len(names) != len(wanted) or any(w and n != w for n, w in zip(names, wanted)):
        say(path, f'gpsbabel reads waypoints {names}')  # it names an unnamed one itself
    # Routes have no times in KML, nor has a section some of whose points have none.
    lines = [(s, False) for r in ref['routes'] for s in lines_of(r)]
    lines += [(s, all(p['time'] for p in s)) for t in ref['tracks'] for s in t['sections']]
    found = [s for t in babel['tracks'] for s in t['sections']]
    check_sections(f'{path} through gpsbabel', [[(p['lon'], p['lat'], p['ele']) for p in s] for s in found],
                   [s for s, _ in lines])
    wanted = [p['time'] if timed else None for s, timed in lines for p in s]
    for i, (p, w) in enumerate(zip((p for s in found for p in s), wanted)):
        check_time(f'{path} through gpsbabel, point {i + 1}', p['time'], w)


def check_csv(ref, path):
    if pathlib.Path(path).read_bytes()[:3] != b'\xef\xbb\xbf':
        say(path, 'no byte-order mark')
    with open(path, encoding='utf-8-sig', newline='') as f:
        rows = list(csv.reader(f))
    if not rows or rows[0] != COLUMNS:
        say(path, f'header {rows[:1]}')
        return
    # A track's rows carry its number among the tracks (the GPX file holds them all); a route's
    # rows carry one number per route, rising (a route without points is in neither file).
    expected = [('waypoint', '', '', '', '', None, w) for w in ref['waypoints']]
    expected += [(kind, '', r['name'] or '', '', '', n, q) for n, r in enumerate(ref['routes'], 1)
                 for p in r['points'] for kind, q in [('route point', p)] + [('route link point', x) for x in p['road']]]
    expected += [('track point', t['name'] or '', '', str(n), str(k), None, p) for k, t in enumerate(ref['tracks'], 1)
                 for n, s in enumerate(t['sections'], 1) for p in s]
    features = ogr_features(path, '-oo', 'X_POSSIBLE_NAMES=lon', '-oo', 'Y_POSSIBLE_NAMES=lat',
                            '-oo', 'Z_POSSIBLE_NAMES=ele_m')
    if len(rows) - 1 != len(expected) or len(features) != len(expected):
        say(path, f'{len(rows) - 1} rows, {len(features)} through ogrinfo, expected {len(expected)}')
        return
    route_numbers = {}
    for i, (row, f, (kind, track, route, section, track_index, nth_route, p)) in enumerate(
            zip(rows[1:], features, expected)):
        where = f'{path}, row {i + 2}'
        if len(row) != len(COLUMNS):
            say(where, f'{len(row)} fields')
            continue
        named = dict(zip(COLUMNS, row))
        wanted = {'type': kind, 'track': track, 'route': route, 'section': section, 'name': p['name'] or '',
                  'desc': p['desc'] or '', 'sym': p['sym'] or '', 'track_index': track_index}
        if nth_route is None:
            wanted['route_index'] = ''
        else:
            route_numbers.setdefault(nth_route, set()).add(named['route_index'])
        check_time(where, named['time'] or None, p['time'])
        for column, value in wanted.items():
            # A text a spreadsheet would take for a formula starts with an apostrophe.
            if value[:1] in ('=', '+', '-', '@', '\t', '\r') and named[column].startswith("'"):
                named[column] = named[column][1:]
            if not same_text(named[column], value):
                say(where, f'{column} {named[column]!r}, expected {value!r}')
        ele = float(named['ele_m']) if named['ele_m'] else None
        check_position(where, (float(named['lon']), float(named['lat']), ele), p)
        for column in ('name', 'desc'):
            value, text = p.get(column) or '', f['fields'].get(column)
            if value[:1] in ('=', '+', '-', '@', '\t', '\r') and isinstance(text, str) and text.startswith("'"):
                f['fields'][column] = text[1:]
        check_feature(where + ' through ogrinfo', f, p, [[p]], 'name', 'desc')
    numbers = [sorted(route_numbers[n]) for n in sorted(route_numbers)]
    if any(len(n) != 1 or not n[0].isdigit() or int(n[0]) < 1 for n in numbers) or \
            [int(n[0]) for n in numbers] != sorted({int(n[0]) for n in numbers}):
        say(path, f'route_index of the routes {numbers}, expected one number each, rising from 1')


def check(reference, kml, geojson, csv_file):
    ref = read_gpx(reference)
    check_kml(ref, kml)
    check_geojson(ref, geojson)
    check_csv(ref, csv_file)


# Every input format: the real files of tests/data (by folder) and the fuzz seeds (by their folder's name).
REAL_FILES = {'mapsource': ['mapsource-wpt', 'mapsource-trk'], 'mapsend': ['mapsend-trk'], 'magellan': ['magellan-trk'],
              'nmea': ['nmea'], 'tomtom': ['tomtom-ov2'], 'gpx': ['gpx-wpt'], 'fit': ['fit']}


def convert_all(kes_convert, work, data, corpus):
    work = pathlib.Path(work)
    work.mkdir(parents=True, exist_ok=True)
    inputs = [(f, fmt) for folder, formats in REAL_FILES.items()
              for f in sorted(pathlib.Path(data, folder).iterdir()) for fmt in formats]
    inputs += [(f, d.name) for d in sorted(pathlib.Path(corpus).iterdir()) for f in sorted(d.iterdir())]

    def convert(n, source, fmt):
        outputs = {kind: work / f'{n}.{kind}' for kind in ('gpx', 'kml', 'geojson', 'csv')}
        status = {kind: run(kes_convert, '--quiet', '-i', fmt, '-o', kind, '-O', str(out), str(source)).returncode
                  for kind, out in outputs.items()}
        if len(set(status.values())) != 1:
            say(f'{source} ({fmt})', f'exit statuses differ: {status}')
        elif status['gpx'] == 0:
            check(*map(str, outputs.values()))
            return 1
        return 0

    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        checked = sum(pool.map(lambda job: convert(job[0], *job[1]), enumerate(inputs)))
    print(f'{checked} of {len(inputs)} inputs converted and read back')


def main(args):
    if args[:1] == ['--convert'] and len(args) == 5:
        convert_all(*args[1:])
    elif len(args) == 4:
        check(*args)
    else:
        print(__doc__, file=sys.stderr)
        return 2
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
