// SPDX-License-Identifier: GPL-3.0-or-later
// A menu: the entries the program appends to a window's system menu.
#pragma once

#include <string>
#include <vector>

#include "CObject.h"
#include "CString.h"

class CMenu : public CObject {
  public:
    struct Item {
        UINT flags;
        UINT_PTR id;
        std::string text;
    };

    CMenu() = default;

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    BOOL AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr) {
        return AppendMenu(nFlags, nIDNewItem, lpszNewItem);
    }
    UINT GetMenuItemCount() const;
    UINT GetMenuItemID(int nPos) const;  // 0 for a separator, 0xFFFFFFFF out of range
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;

    const std::vector<Item>& Items() const { return m_items; }

  private:
    std::vector<Item> m_items;
};

constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
