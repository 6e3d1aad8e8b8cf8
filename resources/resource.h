// SPDX-License-Identifier: GPL-3.0-or-later
// Resource identifiers: dialogs, controls, strings, icons and menu commands.
#pragma once

// Dialogs.
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_LAUNCHER = 102;
constexpr unsigned IDD_PAD_FINDER = 129;
constexpr unsigned IDD_ATTRIBUTE_FINDER = 130;
constexpr unsigned IDD_TEXT_FINDER = 131;
constexpr unsigned IDD_HOLE_FINDER = 132;

// Strings, icons, system-menu commands.
constexpr unsigned IDS_ABOUTBOX = 101;
constexpr unsigned IDR_MAINFRAME = 128;
constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Launcher buttons.
constexpr int IDC_PAD_FINDER = 1000;
constexpr int IDC_ATTRIBUTE_FINDER = 1001;
constexpr int IDC_TEXT_FINDER = 1002;
constexpr int IDC_HOLE_FINDER = 1003;

// Controls every finder dialog has.
constexpr int IDC_WHERE_USED_LIST = 1003;
constexpr int IDC_WHERE_USED = 1009;
constexpr int IDC_COMPONENTS_SEARCHED = 1011;
constexpr int IDC_RED = 1013;
constexpr int IDC_YELLOW = 1015;
constexpr int IDC_WHITE = 1016;
constexpr int IDC_CYAN = 1017;
constexpr int IDC_BLUE = 1018;

// Pad finder.
constexpr int IDC_GET_PADS = 1002;
constexpr int IDC_PAD_STYLE_LIST = 1005;
constexpr int IDC_PAD_COUNT = 1007;
constexpr int IDC_PAD_STYLE_COUNT = 1008;
constexpr int IDC_PAD_HIGHLIGHT = 1010;

// Attribute finder.
constexpr int IDC_GET_ATTRIBUTES = 1000;
constexpr int IDC_ATTRIBUTE_LIST = 1006;
constexpr int IDC_ATTRIBUTE_COUNT = 1007;
constexpr int IDC_ATTRIBUTE_HIGHLIGHT = 1008;

// Text finder.
constexpr int IDC_GET_TEXT = 1004;
constexpr int IDC_TEXT_STYLE_LIST = 1005;
constexpr int IDC_TEXT_COUNT = 1007;
constexpr int IDC_TEXT_HIGHLIGHT = 1008;

// Hole finder.
constexpr int IDC_GET_HOLES = 1006;
constexpr int IDC_HOLE_SIZE_LIST = 1012;
constexpr int IDC_HOLE_COUNT = 1007;
constexpr int IDC_HOLE_SIZE_COUNT = 1008;
constexpr int IDC_HOLE_HIGHLIGHT = 1010;
