// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: opens the four finders and the About box.
#pragma once

#include "AttributeFinderDialog.h"
#include "HoleFinderDialog.h"
#include "PadFinderDialog.h"
#include "TextFinderDialog.h"
#include "afxwin.h"

class LauncherDialog : public CDialog {
  public:
    explicit LauncherDialog(CWnd* parent = nullptr);

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnPadFinder();
    afx_msg void OnAttributeFinder();
    afx_msg void OnTextFinder();
    afx_msg void OnHoleFinder();

  protected:
    BOOL OnInitDialog() override;

  private:
    HICON m_icon;
    AttributeFinderDialog m_attributeFinder;
    TextFinderDialog m_textFinder;
    PadFinderDialog m_padFinder;
    HoleFinderDialog m_holeFinder;

    DECLARE_MESSAGE_MAP()
};
