#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes seed snapshots for snapshot_fuzzer into the directory given (the encoding of
platform/dbx32/SnapshotWriter.h)."""
import os
import struct
import sys


def snap(pad_styles, text_styles, components, generation=7):
    strings = b""
    offsets = {}

    def text(s):
        nonlocal strings
        if s not in offsets:
            offsets[s] = len(strings)
            strings += s
        return struct.pack("<II", offsets[s], len(s))

    styles = b"".join(text(n) + struct.pack("<i", hole) for n, hole in pad_styles)
    texts = b"".join(text(n) for n in text_styles)
    comps = pads = attrs = b""
    pad_count = attr_count = 0
    for refdes, pad_list, attr_list in components:
        comps += text(refdes) + struct.pack("<II", len(pad_list), len(attr_list))
        for number, style in pad_list:
            pads += text(number) + struct.pack("<i", style)
            pad_count += 1
        for name, value, style in attr_list:
            attrs += text(name) + text(value) + struct.pack("<i", style)
            attr_count += 1
    header = struct.pack("<9I", 0x53584244, 1, generation, len(pad_styles), len(text_styles),
                         len(components), pad_count, attr_count, len(strings))
    return header + styles + texts + comps + pads + attrs + strings


SEEDS = {
    "plain": snap([(b"SMD", 0), (b"TH", 1000)], [b"Default"],
                  [(b"R1", [(b"1", 0), (b"2", 1)], [(b"Value", b"10k", 0), (b"Foot", b"x", -1)]),
                   (b"C2", [], [])]),
    "zero-byte-refdes": snap([(b"A", 0), (b"B", 0)], [],
                             [(b"R1", [(b"1", 0)], []), (b"R1\0X", [(b"1", 1), (b"2", 1)], [])]),
    "long-names": snap([(b"S" * 120, 5)], [b"T" * 120],
                       [(b"A" * 63 + b"X", [(b"1" * 40, 0)], [(b"N" * 70, b"V" * 1100, 0)]),
                        (b"A" * 63 + b"Y", [], []), (b"A" * 63, [], [])]),
    "empty": snap([], [], []),
    "repeated-refdes": snap([(b"P", 1)], [b"t"],
                            [(b"R7", [(b"1", 0)], []),
                             (b"R7", [(b"1", -1), (b"2", 0)], [(b"a", b"b", 0)])]),
}

if __name__ == "__main__":
    os.makedirs(sys.argv[1], exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(sys.argv[1], name), "wb") as f:
            f.write(data)
