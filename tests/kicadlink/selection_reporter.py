# SPDX-License-Identifier: GPL-3.0-or-later
# Test-only KiCad action plugin: once the board is loaded, writes every 50 ms "ready" and then
# the references of the selected footprints, one a line, to $PARTWISE_SELECTION_FILE (written
# whole, then renamed into place).
import os

import pcbnew
import wx

_OUT = os.environ.get("PARTWISE_SELECTION_FILE")


class _SelectionReporter(wx.Timer):
    def Notify(self):
        try:
            board = pcbnew.GetBoard()
            footprints = board.GetFootprints() if board is not None else []
            if len(footprints) == 0:
                return
            refs = sorted(fp.GetReference() for fp in footprints if fp.IsSelected())
            tmp = _OUT + ".tmp"
            with open(tmp, "w") as f:
                f.write("ready\n")
                for ref in refs:
                    f.write(ref + "\n")
            os.replace(tmp, _OUT)
        except Exception as e:  # a report must never stop the editor
            with open(_OUT + ".err", "a") as f:
                f.write(repr(e) + "\n")


class SelectionReporterPlugin(pcbnew.ActionPlugin):
    def defaults(self):
        self.name = "Selection reporter (test)"
        self.category = "test"
        self.description = "Reports selected footprints into a file"
        self.show_toolbar_button = False

    def Run(self):
        pass


if _OUT:
    _timer = _SelectionReporter()
    _timer.Start(50)
    SelectionReporterPlugin().register()
