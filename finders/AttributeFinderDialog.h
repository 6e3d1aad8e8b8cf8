// SPDX-License-Identifier: GPL-3.0-or-later
// Lists the attribute names on the design's components, and the components carrying one.
#pragma once

#include "FinderDialog.h"

class AttributeFinderDialog : public FinderDialog {
  public:
    explicit AttributeFinderDialog(CWnd* parent = nullptr);

    afx_msg void OnGetAttributes();
    afx_msg void OnWhereUsed();

  protected:
    void DoDataExchange(CDataExchange* pDX) override;

  private:
    CString m_attributeCountText;
    CString m_searchedCountText;
    int m_searchedCount = 0;
    int m_attributeCount = 0;

    DECLARE_MESSAGE_MAP()
};
