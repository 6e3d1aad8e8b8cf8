// SPDX-License-Identifier: GPL-3.0-or-later
// Lists the pad styles used by the design's components, and the components using one.
#pragma once

#include "FinderDialog.h"

class PadFinderDialog : public FinderDialog {
  public:
    explicit PadFinderDialog(CWnd* parent = nullptr);

    afx_msg void OnGetPads();
    afx_msg void OnWhereUsed();

  protected:
    void DoDataExchange(CDataExchange* pDX) override;

  private:
    CString m_padCountText;
    CString m_padStyleCountText;
    CString m_searchedCountText;
    int m_searchedCount = 0;
    int m_padStyleCount = 0;
    int m_padCount = 0;

    DECLARE_MESSAGE_MAP()
};
