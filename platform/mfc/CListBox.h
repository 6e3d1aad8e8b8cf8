// SPDX-License-Identifier: GPL-3.0-or-later
// A list box. Reads come from a copy of the entries kept beside the widget, inline: the
// finders read entries tens of millions of times per operation.
#pragma once

#include <string_view>

#include "AfxWindowHandle.h"
#include "CWnd.h"

class CListBox : public CWnd {
  public:
    CListBox() = default;

    int GetCount() const {
        return m_hWnd != nullptr ? static_cast<int>(m_hWnd->entries.size()) : LB_ERR;
    }
    int GetCurSel() const { return m_hWnd != nullptr ? m_hWnd->curSel : LB_ERR; }  // LB_ERR: none
    int SetCurSel(int nSelect);
    // Out-of-range indexes give the empty text (and LB_ERR from the counting forms).
    void GetText(int nIndex, CString& rString) const {
        if (m_hWnd != nullptr && nIndex >= 0 &&
            static_cast<std::size_t>(nIndex) < m_hWnd->entries.size()) {
            rString = m_hWnd->entries[static_cast<std::size_t>(nIndex)];
        } else {
            rString.Empty();
        }
    }
    int GetText(int nIndex, LPTSTR lpszBuffer) const;
    int GetTextLen(int nIndex) const;
    // In a sorted list (LBS_SORT) the string goes to its sorted place; returns its index.
    int AddString(LPCTSTR lpszItem);
    int InsertString(int nIndex, LPCTSTR lpszItem);
    int DeleteString(UINT nIndex);
    void ResetContent();
    int FindStringExact(int nIndexStart, LPCTSTR lpszFind) const;
    // Extension: whether an entry equals the text byte for byte (up to the first zero byte),
    // answered from an index kept with the entries, without reading them.
    BOOL HasExactString(LPCTSTR lpszText) const;
    // The same for a text of known length holding no zero byte.
    BOOL HasExactString(std::string_view text) const;
};
