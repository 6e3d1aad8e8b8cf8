#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Seeds for ipc2581_xml_differential_fuzzer: well-formed heads of IPC-2581 files.

Usage: make_differential_seeds.py SOURCE_DIR SEED_DIR
Each SOURCE_DIR/*.xml is cut at the first start tag after 4 KB, 64 KB and 400 KB, its open
elements closed, and written with a leading byte that picks the fuzzer's chunk size.
"""
import glob
import os
import sys
import xml.parsers.expat


class Cut(Exception):
    pass


def head(data, limit):
    parser = xml.parsers.expat.ParserCreate()
    stack = []
    cut = []

    def start(name, attributes):
        if parser.CurrentByteIndex > limit:
            cut.append((parser.CurrentByteIndex, list(stack)))
            raise Cut()
        stack.append(name)

    parser.StartElementHandler = start
    parser.EndElementHandler = lambda name: stack.pop()
    try:
        parser.Parse(data, True)
    except Cut:
        pass
    if not cut:
        return data
    position, open_names = cut[0]
    return data[:position] + b"".join(b"</" + n.encode() + b">" for n in reversed(open_names))


def main():
    source, target = sys.argv[1], sys.argv[2]
    os.makedirs(target, exist_ok=True)
    for path in glob.glob(os.path.join(source, "*.xml")):
        data = open(path, "rb").read()
        for limit in (4096, 65536, 400000):
            name = "%s-%d.xml" % (os.path.basename(path)[:-4], limit)
            with open(os.path.join(target, name), "wb") as out:
                out.write(b"\x05" + head(data, limit) + b"\n")


if __name__ == "__main__":
    main()
