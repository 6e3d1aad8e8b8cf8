// SPDX-License-Identifier: GPL-3.0-or-later
#include "CListBox.h"

#include <algorithm>
#include <cstring>

#include "AfxDialogWindow.h"

namespace {

// Sorted lists order by text with ASCII letter case ignored, then by bytes.
bool SortsBefore(const CString& a, const CString& b) {
    const int folded = a.CompareNoCase(b);
    if (folded != 0) return folded < 0;
    return a.Compare(b) < 0;
}

bool InRange(const AfxWindowHandle* list, int index) {
    return list != nullptr && index >= 0 && static_cast<std::size_t>(index) < list->entries.size();
}

}  // namespace

int CListBox::SetCurSel(int nSelect) {
    if (m_hWnd == nullptr) return LB_ERR;
    if (nSelect != -1 && !InRange(m_hWnd, nSelect)) return LB_ERR;
    m_hWnd->dialog->listSetCurSel(*m_hWnd, nSelect);
    return nSelect == -1 ? LB_ERR : nSelect;
}

int CListBox::GetText(int nIndex, LPTSTR lpszBuffer) const {
    if (!InRange(m_hWnd, nIndex)) {
        if (lpszBuffer != nullptr) *lpszBuffer = '\0';
        return LB_ERR;
    }
    const CString& entry = m_hWnd->entries[static_cast<std::size_t>(nIndex)];
    if (lpszBuffer != nullptr) {
        std::memcpy(lpszBuffer, entry.GetString(), static_cast<std::size_t>(entry.GetLength()) + 1);
    }
    return entry.GetLength();
}

int CListBox::GetTextLen(int nIndex) const {
    if (!InRange(m_hWnd, nIndex)) return LB_ERR;
    return m_hWnd->entries[static_cast<std::size_t>(nIndex)].GetLength();
}

int CListBox::AddString(LPCTSTR lpszItem) {
    if (m_hWnd == nullptr || !m_hWnd->isListBox()) return LB_ERR;
    const CString item(lpszItem);
    auto& entries = m_hWnd->entries;
    std::size_t index = entries.size();
    if ((m_hWnd->control->style & LBS_SORT) != 0) {
        // After every entry that does not sort after it, so identical strings keep their order.
        index = entries.upperBound(item, SortsBefore);
    }
    m_hWnd->dialog->listInsert(*m_hWnd, static_cast<int>(index), item);
    return static_cast<int>(index);
}

int CListBox::InsertString(int nIndex, LPCTSTR lpszItem) {
    if (m_hWnd == nullptr || !m_hWnd->isListBox()) return LB_ERR;
    const int count = static_cast<int>(m_hWnd->entries.size());
    if (nIndex == -1) nIndex = count;
    if (nIndex < 0 || nIndex > count) return LB_ERR;
    m_hWnd->dialog->listInsert(*m_hWnd, nIndex, CString(lpszItem));
    return nIndex;
}

int CListBox::DeleteString(UINT nIndex) {
    if (!InRange(m_hWnd, static_cast<int>(nIndex))) return LB_ERR;
    m_hWnd->dialog->listDelete(*m_hWnd, static_cast<int>(nIndex));
    return static_cast<int>(m_hWnd->entries.size());
}

void CListBox::ResetContent() {
    if (m_hWnd != nullptr && m_hWnd->isListBox()) m_hWnd->dialog->listReset(*m_hWnd);
}

int CListBox::FindStringExact(int nIndexStart, LPCTSTR lpszFind) const {
    if (m_hWnd == nullptr || lpszFind == nullptr) return LB_ERR;
    const auto& entries = m_hWnd->entries;
    const int count = static_cast<int>(entries.size());
    if (count == 0) return LB_ERR;
    // Searches from the entry after nIndexStart, wrapping round, ignoring letter case.
    const int start = (nIndexStart < -1 || nIndexStart >= count) ? 0 : nIndexStart + 1;
    for (int n = 0; n < count; ++n) {
        const int i = (start + n) % count;
        if (entries[static_cast<std::size_t>(i)].CompareNoCase(lpszFind) == 0) return i;
    }
    return LB_ERR;
}

BOOL CListBox::HasExactString(std::string_view text) const {
    if (m_hWnd == nullptr) return FALSE;
    return m_hWnd->entryIndex.Contains(text) ? TRUE : FALSE;
}

BOOL CListBox::HasExactString(LPCTSTR lpszText) const {
    if (m_hWnd == nullptr || lpszText == nullptr) return FALSE;
    return m_hWnd->entryIndex.Contains(lpszText) ? TRUE : FALSE;
}
