// SPDX-License-Identifier: GPL-3.0-or-later
// The registered resource table and the lookups into it.
#include <cstring>
#include <vector>

#include "AfxDialogTemplate.h"

namespace {

struct ResourceTables {
    AfxResourceTable main{};
    std::vector<AfxResourceTable> extra;
};

ResourceTables& Tables() {
    static ResourceTables tables;
    return tables;
}

template <class Fn>
auto FindInTables(Fn&& find) -> decltype(find(AfxResourceTable{})) {
    ResourceTables& tables = Tables();
    if (auto found = find(tables.main)) return found;
    for (const AfxResourceTable& table : tables.extra) {
        if (auto found = find(table)) return found;
    }
    return nullptr;
}

}  // namespace

void AfxSetResourceTable(const AfxResourceTable& table) {
    Tables().main = table;
}

void AfxAddResourcesForTest(const AfxResourceTable& table) {
    Tables().extra.push_back(table);
}

const AfxDialogTemplate* AfxFindDialogTemplate(UINT id) {
    return FindInTables([id](const AfxResourceTable& table) -> const AfxDialogTemplate* {
        for (const AfxDialogTemplate& dialog : table.dialogs) {
            if (dialog.id == id) return &dialog;
        }
        return nullptr;
    });
}

const char* AfxFindStringResource(UINT id) {
    return FindInTables([id](const AfxResourceTable& table) -> const char* {
        for (const AfxStringResource& string : table.strings) {
            if (string.id == id) return string.text;
        }
        return nullptr;
    });
}

const AfxIconResource* AfxFindIconResource(UINT id) {
    return FindInTables([id](const AfxResourceTable& table) -> const AfxIconResource* {
        for (const AfxIconResource& icon : table.icons) {
            if (icon.id == id) return &icon;
        }
        return nullptr;
    });
}

const char* AfxGetVersionString(const char* key) {
    if (key == nullptr) return nullptr;
    return FindInTables([key](const AfxResourceTable& table) -> const char* {
        for (const AfxVersionResource& entry : table.version) {
            if (entry.key != nullptr && std::strcmp(entry.key, key) == 0) return entry.value;
        }
        return nullptr;
    });
}
