#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Seeds for the ODB++ fuzz targets from the real jobs in tests/odbpp/data.

archive/: the Allegro job as it is (tgz), the same job as zip and tar, and small cuts of it.
records/: its members in the order odbpp_records_fuzzer cuts them ("==" lines), with the step
and layers renamed as the target names them (pcb, top, bottom, drill).
Usage: make_seeds.py OUTPUT_FOLDER
"""
import io
import os
import sys
import tarfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
JOB = os.path.join(HERE, "..", "..", "tests", "odbpp", "data", "allegro-usb3006.tgz")


def main():
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "archive"), exist_ok=True)
    os.makedirs(os.path.join(out, "records"), exist_ok=True)
    raw = open(JOB, "rb").read()
    open(os.path.join(out, "archive", "allegro.tgz"), "wb").write(raw)
    members = {}
    with tarfile.open(JOB) as tar:
        for m in tar.getmembers():
            if m.isfile():
                members[m.name] = tar.extractfile(m).read()
    wanted = [n for n in members if "/symbols/" not in n and "/fonts/" not in n]
    small = io.BytesIO()
    with zipfile.ZipFile(small, "w", zipfile.ZIP_DEFLATED) as z:
        for name in wanted:
            z.writestr(name, members[name])
    open(os.path.join(out, "archive", "allegro.zip"), "wb").write(small.getvalue())
    plain = io.BytesIO()
    with tarfile.open(fileobj=plain, mode="w") as tar:
        for name in wanted:
            info = tarfile.TarInfo(name)
            info.size = len(members[name])
            tar.addfile(info, io.BytesIO(members[name]))
    open(os.path.join(out, "archive", "allegro.tar"), "wb").write(plain.getvalue())

    base = "odb/steps/stp/"
    matrix = members["odb/matrix/matrix"].decode("latin-1")
    matrix = matrix.replace("NAME=STP", "NAME=PCB").replace("NAME=DRILL", "NAME=DRILL")
    parts = [
        matrix,
        members[base + "layers/comp_+_top/components"].decode("latin-1"),
        members[base + "layers/comp_+_bot/components"].decode("latin-1"),
        members[base + "layers/top/features"].decode("latin-1"),
        members[base + "layers/bottom/features"].decode("latin-1"),
        members[base + "layers/drill/features"].decode("latin-1"),
        members[base + "eda/data"].decode("latin-1"),
        members[base + "profile"].decode("latin-1"),
    ]
    whole = "\n==\n".join(parts)
    open(os.path.join(out, "records", "allegro"), "w", encoding="latin-1").write(whole)
    # Smaller seeds: the first components and features only.
    short = ["\n".join(p.splitlines()[:60]) for p in parts]
    open(os.path.join(out, "records", "allegro-short"), "w", encoding="latin-1").write(
        "\n==\n".join(short))


if __name__ == "__main__":
    main()
