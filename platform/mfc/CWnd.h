// SPDX-License-Identifier: GPL-3.0-or-later
// A window or a control. Controls of a dialog are attached by DDX_Control; a CWnd keeps no
// window between showings.
#pragma once

#include <memory>

#include "CCmdTarget.h"
#include "CRect.h"
#include "CString.h"

class CDataExchange;
class CMenu;

class CWnd : public CCmdTarget {
  public:
    CWnd();
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Dialog data exchange: FALSE writes members to controls, TRUE reads them back.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    // A modal message box owned by this window; IDOK, IDYES, IDNO or IDCANCEL.
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The window's system menu; nullptr without a window or without WS_SYSMENU.
    CMenu* GetSystemMenu(BOOL bRevert) const;
    BOOL IsIconic() const;
    BOOL IsWindowVisible() const;
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;

    void SetWindowText(LPCTSTR lpszString);
    int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    CWnd* SetFocus();
    int GetDlgCtrlID() const;

    // A control of this dialog by id; the wrapper lives as long as the window.
    CWnd* GetDlgItem(int nID) const;
    void SetDlgItemText(int nID, LPCTSTR lpszString);
    int GetDlgItemText(int nID, CString& rString) const;

    // Converts a rectangle in this dialog's dialog units to pixels.
    void MapDialogRect(LPRECT lpRect) const;

    // Links this object to a window handle, or drops the link.
    BOOL Attach(HWND hWndNew);
    HWND Detach();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

  protected:
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg void OnClose();

    DECLARE_MESSAGE_MAP()
};

// Window metrics; icons are 32 by 32, small icons 16 by 16.
int GetSystemMetrics(int nIndex);
