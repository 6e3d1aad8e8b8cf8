// A list box. Reads come from a copy of the entries kept beside the widget, so they are fast.
#pragma once

#include "CWnd.h"

class CListBox : public CWnd {
  public:
    CListBox() = default;

    int GetCount() const;
    int GetCurSel() const;  // LB_ERR without a selection
    int SetCurSel(int nSelect);
    // Out-of-range indexes give the empty text (and LB_ERR from the counting forms).
    void GetText(int nIndex, CString& rString) const;
    int GetText(int nIndex, LPTSTR lpszBuffer) const;
    int GetTextLen(int nIndex) const;
    // In a sorted list (LBS_SORT) the string goes to its sorted place; returns its index.
    int AddString(LPCTSTR lpszItem);
    int InsertString(int nIndex, LPCTSTR lpszItem);
    int DeleteString(UINT nIndex);
    void ResetContent();
    int FindStringExact(int nIndexStart, LPCTSTR lpszFind) const;
};
