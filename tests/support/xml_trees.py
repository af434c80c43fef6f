#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Compares two GPX files as XML trees, sibling order kept.

xml_trees.py same IN OUT     every element and attribute of IN is in OUT, and
                             nothing else (the root's attributes aside)
xml_trees.py foreign IN OUT  every subtree of another namespace than GPX's
                             (the track point extension aside, which is read
                             into fields) is in OUT, whole and in order
Prints the first difference and exits 1 when they differ."""
import sys
import xml.etree.ElementTree as ET

GPX = ("{http://www.topografix.com/GPX/1/0}", "{http://www.topografix.com/GPX/1/1}")


def canon(e, root=False):
    attributes = {} if root else dict(e.attrib)
    return (e.tag, sorted(attributes.items()), (e.text or "").strip(), [canon(c) for c in e])


def foreign(tree):
    found = []

    def walk(e):
        for c in e:
            if c.tag.startswith(GPX):
                walk(c)
            elif "TrackPointExtension" not in c.tag:
                found.append(canon(c))

    walk(tree.getroot())
    return found


def main():
    mode, a, b = sys.argv[1:4]
    ta, tb = ET.parse(a), ET.parse(b)
    if mode == "same":
        ca, cb = canon(ta.getroot(), True), canon(tb.getroot(), True)
    else:
        ca, cb = foreign(ta), foreign(tb)
    if ca != cb:
        print("differ:\n%r\n%r" % (ca, cb))
        return 1
    print("same: %d" % len(ca if isinstance(ca, list) else ca[3]))
    return 0


sys.exit(main())
