// SPDX-License-Identifier: GPL-3.0-or-later
#include "PartwiseResources.h"

#include <algorithm>
#include <array>

#include "resource.h"

namespace {

constexpr DWORD kDialogStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kPushButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefPushButton = kChild | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP;
constexpr DWORD kFirstRadio = kChild | BS_AUTORADIOBUTTON | WS_GROUP;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kStatic = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kListBox =
    kChild | LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;

constexpr const char* kFont = "MS Sans Serif";
constexpr const char* kComponentsSearched = "Total      Components Searched:";

using K = AfxControlKind;

constexpr std::array kAboutControls{
    AfxControlTemplate{IDC_STATIC, K::Icon, kChild | SS_ICON, "128", 11, 17, 20, 20},
    AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic | SS_NOPREFIX, "PARTWISE Version 1.0", 40,
                       10, 119, 8},
    AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, "Component finder for PCBs", 40, 25, 119,
                       8},
    AfxControlTemplate{IDOK, K::DefPushButton, kDefPushButton, "OK", 178, 7, 50, 14},
};

constexpr std::array kLauncherControls{
    AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, "Search Components", 65, 5, 70, 8},
    AfxControlTemplate{IDC_PAD_FINDER, K::PushButton, kPushButton, "&Pad Finder", 57, 24, 85, 14},
    AfxControlTemplate{IDC_ATTRIBUTE_FINDER, K::PushButton, kPushButton, "&Attribute Finder", 57,
                       49, 85, 14},
    AfxControlTemplate{IDC_TEXT_FINDER, K::PushButton, kPushButton, "&Text Finder", 57, 74, 85, 15},
    AfxControlTemplate{IDC_HOLE_FINDER, K::PushButton, kPushButton, "&Hole Finder", 57, 100, 85,
                       15},
    AfxControlTemplate{IDCANCEL, K::PushButton, kPushButton, "E&xit", 75, 135, 50, 14},
};

// The colour radio group, the same in the four finders.
constexpr std::array kColourRadios{
    AfxControlTemplate{IDC_RED, K::AutoRadioButton, kFirstRadio, "RED", 175, 100, 31, 10},
    AfxControlTemplate{IDC_WHITE, K::AutoRadioButton, kRadio, "WHITE", 175, 115, 40, 10},
    AfxControlTemplate{IDC_BLUE, K::AutoRadioButton, kRadio, "BLUE", 175, 130, 35, 10},
    AfxControlTemplate{IDC_CYAN, K::AutoRadioButton, kRadio, "CYAN", 175, 145, 35, 10},
    AfxControlTemplate{IDC_YELLOW, K::AutoRadioButton, kRadio, "YELLOW", 175, 160, 46, 10},
};

template <std::size_t... N>
constexpr auto Join(const std::array<AfxControlTemplate, N>&... parts) {
    std::array<AfxControlTemplate, (N + ...)> joined{};
    std::size_t at = 0;
    ((std::copy(parts.begin(), parts.end(), joined.begin() + at), at += N), ...);
    return joined;
}

constexpr auto kPadFinderControls = Join(
    std::array{
        AfxControlTemplate{IDC_GET_PADS, K::PushButton, kPushButton, "&Get Pads!", 5, 5, 50, 14},
        AfxControlTemplate{IDC_WHERE_USED, K::PushButton, kPushButton, "&Where Used:", 170, 5, 50,
                           14},
        AfxControlTemplate{IDC_PAD_HIGHLIGHT, K::PushButton, kPushButton, "Highlight!", 170, 70, 50,
                           14},
    },
    kColourRadios,
    std::array{
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, "Total", 5, 30, 17, 8},
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, "# of Pads:", 5, 40, 34, 8},
        AfxControlTemplate{IDC_PAD_COUNT, K::StaticText, kStatic, "0", 10, 50, 45, 8},
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, "# of PadStyles:", 5, 70, 49, 8},
        AfxControlTemplate{IDC_PAD_STYLE_COUNT, K::StaticText, kStatic, "0", 10, 80, 45, 8},
        AfxControlTemplate{IDC_PAD_STYLE_LIST, K::ListBox, kListBox, "", 60, 5, 105, 170},
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, kComponentsSearched, 180, 30, 40,
                           25},
        AfxControlTemplate{IDC_COMPONENTS_SEARCHED, K::StaticText, kStatic, "0", 185, 55, 30, 8},
        AfxControlTemplate{IDC_WHERE_USED_LIST, K::ListBox, kListBox, "", 230, 5, 55, 170},
        AfxControlTemplate{IDCANCEL, K::PushButton, kPushButton, "E&xit", 5, 160, 50, 14},
        AfxControlTemplate{IDC_STATIC, K::GroupBox, kGroupBox, "Highlight Color", 170, 90, 55, 85},
    });

constexpr auto kAttributeFinderControls = Join(
    std::array{
        AfxControlTemplate{IDC_GET_ATTRIBUTES, K::PushButton, kPushButton, "&Get Attributes!", 5, 5,
                           50, 14},
        AfxControlTemplate{IDC_WHERE_USED, K::PushButton, kPushButton, "&Where Used:", 170, 5, 50,
                           14},
        AfxControlTemplate{IDC_ATTRIBUTE_HIGHLIGHT, K::PushButton, kPushButton, "&Highlight!", 170,
                           70, 50, 14},
    },
    kColourRadios,
    std::array{
        AfxControlTemplate{IDCANCEL, K::PushButton, kPushButton, "E&xit", 5, 160, 50, 14},
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, "# of Attributes:", 5, 25, 50, 8},
        AfxControlTemplate{IDC_ATTRIBUTE_COUNT, K::StaticText, kStatic, "0", 15, 35, 25, 8},
        AfxControlTemplate{IDC_ATTRIBUTE_LIST, K::ListBox, kListBox, "", 60, 5, 105, 170},
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, kComponentsSearched, 175, 25, 40,
                           25},
        AfxControlTemplate{IDC_COMPONENTS_SEARCHED, K::StaticText, kStatic, "0", 181, 50, 30, 8},
        AfxControlTemplate{IDC_WHERE_USED_LIST, K::ListBox, kListBox, "", 230, 5, 55, 170},
        AfxControlTemplate{IDC_STATIC, K::GroupBox, kGroupBox, "Highlight Color", 170, 90, 55, 85},
    });

constexpr auto kTextFinderControls = Join(
    std::array{
        AfxControlTemplate{IDC_GET_TEXT, K::PushButton, kPushButton, "&Get Text!", 5, 5, 50, 14},
        AfxControlTemplate{IDC_WHERE_USED, K::PushButton, kPushButton, "&Where Used:", 170, 5, 50,
                           14},
        AfxControlTemplate{IDC_TEXT_HIGHLIGHT, K::PushButton, kPushButton, "&Highlight!", 170, 70,
                           50, 14},
    },
    kColourRadios,
    std::array{
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, "# of Text:", 5, 25, 50, 8},
        AfxControlTemplate{IDC_TEXT_COUNT, K::StaticText, kStatic, "0", 15, 35, 25, 8},
        AfxControlTemplate{IDC_TEXT_STYLE_LIST, K::ListBox, kListBox, "", 60, 5, 105, 170},
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, kComponentsSearched, 175, 25, 40,
                           25},
        AfxControlTemplate{IDC_COMPONENTS_SEARCHED, K::StaticText, kStatic, "0", 181, 50, 30, 8},
        AfxControlTemplate{IDC_WHERE_USED_LIST, K::ListBox, kListBox, "", 230, 5, 55, 170},
        AfxControlTemplate{IDCANCEL, K::PushButton, kPushButton, "E&xit", 5, 160, 50, 14},
        AfxControlTemplate{IDC_STATIC, K::GroupBox, kGroupBox, "Highlight Color", 170, 90, 55, 85},
    });

constexpr auto kHoleFinderControls = Join(
    std::array{
        AfxControlTemplate{IDC_GET_HOLES, K::PushButton, kPushButton, "&Get Holes!", 5, 5, 50, 14},
        AfxControlTemplate{IDC_WHERE_USED, K::PushButton, kPushButton, "&Where Used:", 170, 5, 50,
                           14},
        AfxControlTemplate{IDC_HOLE_HIGHLIGHT, K::PushButton, kPushButton, "Highlight!", 170, 70,
                           50, 14},
    },
    kColourRadios,
    std::array{
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, "Total", 5, 30, 17, 8},
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, "# of Holes:", 5, 40, 36, 8},
        AfxControlTemplate{IDC_HOLE_COUNT, K::StaticText, kStatic, "0", 10, 50, 45, 8},
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, "# of Hole sizes:", 5, 70, 50, 8},
        AfxControlTemplate{IDC_HOLE_SIZE_COUNT, K::StaticText, kStatic, "0", 10, 80, 45, 8},
        AfxControlTemplate{IDC_HOLE_SIZE_LIST, K::ListBox, kListBox, "", 60, 5, 105, 170},
        AfxControlTemplate{IDC_STATIC, K::StaticText, kStatic, kComponentsSearched, 180, 30, 40,
                           25},
        AfxControlTemplate{IDC_COMPONENTS_SEARCHED, K::StaticText, kStatic, "0", 185, 55, 30, 8},
        AfxControlTemplate{IDC_WHERE_USED_LIST, K::ListBox, kListBox, "", 230, 5, 55, 170},
        AfxControlTemplate{IDCANCEL, K::PushButton, kPushButton, "E&xit", 5, 152, 50, 14},
        AfxControlTemplate{IDC_STATIC, K::GroupBox, kGroupBox, "Highlight Color", 170, 90, 55, 85},
    });

constexpr std::array kDialogs{
    AfxDialogTemplate{IDD_ABOUTBOX, "About PARTWISE", kDialogStyle, 0, kFont, 8, 0, 0, 235, 55,
                      kAboutControls},
    AfxDialogTemplate{IDD_LAUNCHER, "PARTWISE", kDialogStyle, WS_EX_APPWINDOW, kFont, 8, 0, 0, 197,
                      156, kLauncherControls},
    AfxDialogTemplate{IDD_PAD_FINDER, "PAD STYLES IN COMPONENTS", kDialogStyle, 0, kFont, 8, 0, 0,
                      292, 181, kPadFinderControls},
    AfxDialogTemplate{IDD_ATTRIBUTE_FINDER, "ATTRIBUTES IN COMPONENTS", kDialogStyle, 0, kFont, 8,
                      0, 0, 292, 181, kAttributeFinderControls},
    AfxDialogTemplate{IDD_TEXT_FINDER, "TEXT STYLES IN COMPONENTS", kDialogStyle, 0, kFont, 8, 0, 0,
                      292, 181, kTextFinderControls},
    AfxDialogTemplate{IDD_HOLE_FINDER, "HOLE SIZES IN COMPONENTS", kDialogStyle, 0, kFont, 8, 0, 0,
                      292, 181, kHoleFinderControls},
};

constexpr std::array kStrings{
    AfxStringResource{IDS_ABOUTBOX, "&About PARTWISE..."},
    AfxStringResource{AFX_IDS_APP_TITLE, "PARTWISE"},
    // partwise --help; packaging/man/partwise.1 says the same at length.
    AfxStringResource{
        AFX_IDS_COMMAND_LINE_HELP,
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
        "1 when the help or version cannot be written; not 0 when no display opens.\n"},
};

constexpr std::array kIcons{
    AfxIconResource{IDR_MAINFRAME, ":/partwise/partwise.svg"},
};

constexpr std::array kVersion{
    AfxVersionResource{"FileVersion", "1.09"},
    AfxVersionResource{"ProductVersion", "1.09"},
    AfxVersionResource{"FileDescription", "PARTWISE"},
    AfxVersionResource{"InternalName", "PARTWISE"},
    AfxVersionResource{"OriginalFilename", "PARTWISE.EXE"},
    AfxVersionResource{"ProductName", "PARTWISE Application"},
};

}  // namespace

const AfxResourceTable& PartwiseResources() {
    static const AfxResourceTable table{kDialogs, kStrings, kIcons, kVersion};
    return table;
}
