// SPDX-License-Identifier: GPL-3.0-or-later
// partwise --help; packaging/man/partwise.1 says the same at length.
#pragma once

namespace app {

inline constexpr const char* kCommandLineHelp =
    "usage: partwise [QT-OPTION]...\n"
    "       partwise --help | --version\n"
    "\n"
    "Opens the PARTWISE launcher beside the PCB design tool that has a design open.\n"
    "The design tool is reached on the socket pcb.sock in $XDG_RUNTIME_DIR/dbx/\n"
    "(or /tmp/dbx-UID/ when XDG_RUNTIME_DIR is not set).\n"
    "\n"
    "  -h, --help         print this help and exit\n"
    "      --version      print the version and exit\n"
    "  -platform NAME     Qt platform plugin (xcb, wayland, offscreen)\n"
    "  -display DISPLAY   X display to open\n"
    "\n"
    "Exit status: 0 when the launcher is closed or after --help or --version;\n"
    "1 when the help or version cannot be written; not 0 when no display opens.\n";

}  // namespace app
