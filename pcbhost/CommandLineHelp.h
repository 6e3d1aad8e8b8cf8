// SPDX-License-Identifier: GPL-3.0-or-later
// pcbhost --help; packaging/man/pcbhost.1 says the same at length.
#pragma once

namespace pcbhost {

inline constexpr const char* kCommandLineHelp =
    "usage: pcbhost [--headless] [--kicad] DESIGN\n"
    "       pcbhost [--headless] --kicad\n"
    "       pcbhost --help | --version\n"
    "\n"
    "Opens a design file, serves it to libDbx32 on the socket pcb.sock in\n"
    "$XDG_RUNTIME_DIR/dbx/ (or /tmp/dbx-UID/), prints one line per highlight request\n"
    "and reloads the file when it changes. DESIGN is a KiCad board (.kicad_pcb),\n"
    "an IPC-2581 file (.xml, .cvg), an ODB++ job (.tgz, .tar.gz, .tar, .zip or a\n"
    "directory), an Eagle board (.brd), a PcbDoc PCB document (.PcbDoc) or a JSON\n"
    "design (.json); its format is known by its content, whatever its name.\n"
    "\n"
    "  -h, --help         print this help and exit\n"
    "      --version      print the version and exit\n"
    "      --headless     serve without opening the board window\n"
    "      --kicad        also select each highlighted component in a running KiCad\n"
    "                     PCB editor (its IPC API, else its cross-probe port); without\n"
    "                     DESIGN, serve the board that KiCad has open\n"
    "\n"
    "Exit status: 0 after SIGINT or SIGTERM, or when the board window is closed;\n"
    "1 when the design does not read or the socket cannot be served; 2 on bad usage.\n";

}  // namespace pcbhost
