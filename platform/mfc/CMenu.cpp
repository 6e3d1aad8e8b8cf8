// SPDX-License-Identifier: GPL-3.0-or-later
#include "CMenu.h"

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
    if ((nFlags & MF_SEPARATOR) != 0) {
        m_items.push_back({nFlags, 0, std::string()});
        return TRUE;
    }
    m_items.push_back({nFlags, nIDNewItem, lpszNewItem != nullptr ? lpszNewItem : ""});
    return TRUE;
}

UINT CMenu::GetMenuItemCount() const {
    return static_cast<UINT>(m_items.size());
}

UINT CMenu::GetMenuItemID(int nPos) const {
    if (nPos < 0 || static_cast<std::size_t>(nPos) >= m_items.size()) return 0xFFFFFFFF;
    return static_cast<UINT>(m_items[static_cast<std::size_t>(nPos)].id);
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
    rString.Empty();
    if ((nFlags & MF_BYPOSITION) != 0) {
        if (nIDItem >= m_items.size()) return 0;
        rString = m_items[nIDItem].text.c_str();
        return rString.GetLength();
    }
    for (const Item& item : m_items) {
        if ((item.flags & MF_SEPARATOR) == 0 && item.id == nIDItem) {
            rString = item.text.c_str();
            return rString.GetLength();
        }
    }
    return 0;
}
