// SPDX-License-Identifier: GPL-3.0-or-later
// Lists the text styles of the attributes' texts, and the components using one.
#pragma once

#include "FinderDialog.h"

class TextFinderDialog : public FinderDialog {
  public:
    explicit TextFinderDialog(CWnd* parent = nullptr);

    afx_msg void OnGetText();
    afx_msg void OnWhereUsed();

  protected:
    void DoDataExchange(CDataExchange* pDX) override;

  private:
    CString m_textCountText;
    CString m_searchedCountText;
    int m_searchedCount = 0;
    int m_textCount = 0;

    DECLARE_MESSAGE_MAP()
};
