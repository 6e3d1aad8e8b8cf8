# SPDX-License-Identifier: GPL-3.0-or-later
# KiCad 9's own PcbDoc importer as the oracle: reads a .PcbDoc and prints, one line each, the
# footprints that hold a PcbDoc component ("component REFDES PADS") and their pads ("pad REFDES
# NUMBER HOLE"), HOLE being the smaller side of the drill in nm, 0 without one.
# Footprints KiCad makes for free pads (no library name, one pad) are printed as "free".
import sys

import pcbnew

# The importer KiCad itself picks for a .PcbDoc file.
plugin = pcbnew.PCB_IO_MGR.FindPluginTypeFromBoardPath(sys.argv[1])
board = pcbnew.PCB_IO_MGR.Load(plugin, sys.argv[1])
for footprint in board.GetFootprints():
    pads = list(footprint.Pads())
    name = str(footprint.GetFPID().GetLibItemName())
    ref = footprint.GetReference()
    if not name and len(pads) == 1:
        print("free", len(pads))
        continue
    print("component", ref.replace(" ", "_") or "-", len(pads))
    for pad in pads:
        drill = pad.GetDrillSize()
        hole = min(drill.x, drill.y) if drill.x > 0 and drill.y > 0 else 0
        print("pad", ref.replace(" ", "_") or "-", pad.GetNumber().replace(" ", "_") or "-", hole)
