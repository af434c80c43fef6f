#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Compares two GPX files point by point: the same waypoints, routes, route
points, tracks and track points, with names equal, positions within 1e-7
degrees, elevations within 1 mm, times equal and symbols equal (and comments,
descriptions, links, geoid heights, the gpxx and gpxtpx extension values and
the other extension subtrees where both have them; a device's address, phone,
categories and temperature where either has them). Prints each difference;
exit status 1 when there is one.
Usage: compare_gpx.py OURS THEIRS [--ignore FIELD ...]"""
import datetime
import re
import sys
import xml.etree.ElementTree as ET


def local(tag):
    return tag.rsplit('}', 1)[-1]


def child_text(element, name):
    for child in element:
        if local(child.tag) == name:
            return (child.text or '').strip()
    return None


def instant(text):
    if text is None:
        return None
    text = text.strip().replace('z', 'Z')
    if text.endswith('Z'):
        text = text[:-1] + '+00:00'
    match = re.fullmatch(r'([^.]*)(?:\.(\d+))?(.*)', text)  # every digit of the fraction counts
    head, digits, zone = match.group(1), match.group(2) or '', match.group(3)
    moment = datetime.datetime.fromisoformat(head + zone)
    if moment.tzinfo is None:
        moment = moment.replace(tzinfo=datetime.timezone.utc)
    return (moment, int((digits + '000000000')[:9]))


def leaves(element, prefix=''):
    """The texts of an extension's leaf elements by their paths of local names."""
    found = {}
    for child in element:
        path = prefix + local(child.tag)
        if len(child):
            found.update(leaves(child, path + '/'))
        else:
            found[path] = (found[path] + '|' if path in found else '') + (child.text or '').strip()
    return found


def canon(e):
    return (e.tag, sorted(e.attrib.items()), (e.text or '').strip(), [canon(c) for c in e])


def extensions(element):
    """gpxx and gpxtpx values by path, and the other extension subtrees."""
    gpxx, gpxtpx, other = {}, {}, []
    for ext in element:
        if local(ext.tag) != 'extensions':
            continue
        for child in ext:
            if 'GpxExtensions' in child.tag:
                gpxx.update(leaves(child, local(child.tag) + '/'))
            elif 'TrackPointExtension' in child.tag:
                gpxtpx.update(leaves(child))
            else:
                other.append(canon(child))
    return gpxx, gpxtpx, other


def point(element):
    gpxx, gpxtpx, other = extensions(element)
    return {
        'lat': float(element.get('lat')), 'lon': float(element.get('lon')),
        'ele': child_text(element, 'ele'), 'time': child_text(element, 'time'),
        'name': child_text(element, 'name'), 'sym': child_text(element, 'sym'),
        'cmt': child_text(element, 'cmt'), 'desc': child_text(element, 'desc'),
        'geoidheight': child_text(element, 'geoidheight'),
        'links': [(c.get('href'), child_text(c, 'text')) for c in element if local(c.tag) == 'link'],
        'gpxx': gpxx, 'gpxtpx': gpxtpx, 'other': other,
    }


DEVICE_DETAILS = tuple('WaypointExtension/' + p for p in
                       ('Address/', 'PhoneNumber', 'Categories/', 'Temperature'))


def close(a, b):
    try:
        return abs(float(a) - float(b)) <= 0.001
    except ValueError:
        return a == b


def read(path):
    root = ET.parse(path).getroot()
    doc = {'wpt': [], 'rte': [], 'trk': []}
    for element in root:
        kind = local(element.tag)
        if kind == 'wpt':
            doc['wpt'].append(point(element))
        elif kind == 'rte':
            doc['rte'].append({'name': child_text(element, 'name'),
                               'points': [point(p) for p in element if local(p.tag) == 'rtept']})
        elif kind == 'trk':
            points = []
            for segment in element:
                if local(segment.tag) == 'trkseg':
                    points += [point(p) for p in segment if local(p.tag) == 'trkpt']
            doc['trk'].append({'name': child_text(element, 'name'), 'points': points})
    return doc


def compare_points(where, ours, theirs, ignore, out):
    if len(ours) != len(theirs):
        out.append(f'{where}: {len(ours)} points against {len(theirs)}')
    for i, (a, b) in enumerate(zip(ours, theirs)):
        label = f'{where} point {i + 1} ({a["name"] or b["name"] or ""})'
        for axis in ('lat', 'lon'):
            if abs(a[axis] - b[axis]) > 1e-7:
                out.append(f'{label}: {axis} {a[axis]} against {b[axis]}')
        if 'ele' not in ignore and (a['ele'] is None) != (b['ele'] is None):
            out.append(f'{label}: ele {a["ele"]} against {b["ele"]}')
        elif 'ele' not in ignore and a['ele'] is not None and abs(float(a['ele']) - float(b['ele'])) > 0.001:
            out.append(f'{label}: ele {a["ele"]} against {b["ele"]}')
        if 'time' not in ignore and instant(a['time']) != instant(b['time']):
            out.append(f'{label}: time {a["time"]} against {b["time"]}')
        for field in ('name', 'sym', 'cmt', 'desc'):
            both = field in ('name', 'sym') or (a[field] and b[field])
            if field not in ignore and both and (a[field] or '') != (b[field] or ''):
                out.append(f'{label}: {field} {a[field]!r} against {b[field]!r}')
        # The fields below are compared where both files write them.
        if 'geoidheight' not in ignore and a['geoidheight'] and b['geoidheight'] and \
                not close(a['geoidheight'], b['geoidheight']):
            out.append(f'{label}: geoidheight {a["geoidheight"]} against {b["geoidheight"]}')
        if 'links' not in ignore and a['links'] and b['links'] and a['links'] != b['links']:
            out.append(f'{label}: links {a["links"]} against {b["links"]}')
        # A device's address, phone, categories and temperature count where either file has them.
        if 'gpxx' not in ignore:
            for path in sorted(set(a['gpxx']) ^ set(b['gpxx'])):
                if path.startswith(DEVICE_DETAILS):
                    out.append(f'{label}: gpxx {path} {a["gpxx"].get(path)!r} against {b["gpxx"].get(path)!r}')
        for kind in ('gpxx', 'gpxtpx'):
            if kind in ignore:
                continue
            for path in sorted(set(a[kind]) & set(b[kind])):
                if not close(a[kind][path], b[kind][path]):
                    out.append(f'{label}: {kind} {path} {a[kind][path]!r} against {b[kind][path]!r}')
        if 'other' not in ignore and a['other'] and b['other'] and a['other'] != b['other']:
            out.append(f'{label}: extension subtrees differ')


def main():
    ours, theirs = read(sys.argv[1]), read(sys.argv[2])
    ignore = set(sys.argv[4:]) if len(sys.argv) > 3 and sys.argv[3] == '--ignore' else set()
    out = []
    compare_points('waypoints', ours['wpt'], theirs['wpt'], ignore, out)
    for kind in ('rte', 'trk'):
        if len(ours[kind]) != len(theirs[kind]):
            out.append(f'{kind}: {len(ours[kind])} against {len(theirs[kind])}')
        for i, (a, b) in enumerate(zip(ours[kind], theirs[kind])):
            if 'name' not in ignore and (a['name'] or '') != (b['name'] or ''):
                out.append(f'{kind} {i + 1}: name {a["name"]!r} against {b["name"]!r}')
            compare_points(f'{kind} {i + 1}', a['points'], b['points'], ignore, out)
    for line in out:
        print(line)
    return 1 if out else 0


if __name__ == '__main__':
    sys.exit(main())
