// SPDX-License-Identifier: GPL-3.0-or-later
// Dialog templates as tables: what a compiled dialog resource holds.
#pragma once

#include <span>

#include "AfxTypes.h"

enum class AfxControlKind {
    PushButton,
    DefPushButton,
    AutoRadioButton,
    StaticText,
    GroupBox,
    ListBox,
    Icon,  // text holds the icon resource id in decimal
};

struct AfxControlTemplate {
    int id;  // -1 (IDC_STATIC) for controls without an id
    AfxControlKind kind;
    DWORD style;  // WS_*, BS_*, SS_*, LBS_* bits
    const char* text;
    int x, y, cx, cy;  // dialog units
};

struct AfxDialogTemplate {
    UINT id;
    const char* caption;
    DWORD style;  // WS_* and DS_* bits of the dialog frame
    DWORD exStyle;
    const char* fontName;
    int pointSize;
    int x, y, cx, cy;                              // dialog units
    std::span<const AfxControlTemplate> controls;  // resource order
};

struct AfxStringResource {
    UINT id;
    const char* text;
};

struct AfxIconResource {
    UINT id;
    const char* qtResourcePath;  // a file in the Qt resource system, e.g. ":/partwise.svg"
};

struct AfxVersionResource {
    const char* key;  // FileVersion, ProductName, ...
    const char* value;
};

// Everything the executable's resources hold; registered once at start-up.
struct AfxResourceTable {
    std::span<const AfxDialogTemplate> dialogs;
    std::span<const AfxStringResource> strings;
    std::span<const AfxIconResource> icons;
    std::span<const AfxVersionResource> version;
};

void AfxSetResourceTable(const AfxResourceTable& table);
// Lookups search the registered table, then tables added for tests; nullptr when absent.
const AfxDialogTemplate* AfxFindDialogTemplate(UINT id);
const char* AfxFindStringResource(UINT id);
const AfxIconResource* AfxFindIconResource(UINT id);
const char* AfxGetVersionString(const char* key);

// Extra resources (dialog templates for test dialogs, strings, icons) searched after the
// registered table. The table and what it points to must outlive every lookup.
void AfxAddResourcesForTest(const AfxResourceTable& table);
