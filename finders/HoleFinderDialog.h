// SPDX-License-Identifier: GPL-3.0-or-later
// Lists the hole sizes of the design's pads, and the components having a hole of one size.
#pragma once

#include "FinderDialog.h"

class HoleFinderDialog : public FinderDialog {
  public:
    explicit HoleFinderDialog(CWnd* parent = nullptr);

    // The hole size as listed: the diameter in design units / 2540, "%.2f Dia".
    static CString HoleSizeText(int32_t holeDiameter);

    afx_msg void OnGetHoles();
    afx_msg void OnWhereUsed();

  protected:
    void DoDataExchange(CDataExchange* pDX) override;

  private:
    // The pad's hole diameter, or 0 when its style cannot be fetched.
    int32_t FetchHoleDiameter(const PadRecord& pad, PadStyleRecord& style);

    CString m_holeCountText;
    CString m_holeSizeCountText;
    CString m_searchedCountText;
    int m_searchedCount = 0;
    int m_holeSizeCount = 0;
    int m_holeCount = 0;

    DECLARE_MESSAGE_MAP()
};
