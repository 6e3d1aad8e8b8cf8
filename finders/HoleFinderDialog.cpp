// SPDX-License-Identifier: GPL-3.0-or-later
#include "HoleFinderDialog.h"

#include "DesignRecords.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(HoleFinderDialog, FinderDialog)
ON_BN_CLICKED(IDC_GET_HOLES, &HoleFinderDialog::OnGetHoles)
ON_BN_CLICKED(IDC_WHERE_USED, &HoleFinderDialog::OnWhereUsed)
ON_BN_CLICKED(IDC_HOLE_HIGHLIGHT, &HoleFinderDialog::OnHighlight)
END_MESSAGE_MAP()

HoleFinderDialog::HoleFinderDialog(CWnd* parent) : FinderDialog(IDD_HOLE_FINDER, parent) {}

void HoleFinderDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WHERE_USED_LIST, m_whereUsedList);
    DDX_Control(pDX, IDC_HOLE_SIZE_LIST, m_valueList);
    DDX_Control(pDX, IDC_GET_HOLES, m_getButton);
    DDX_Text(pDX, IDC_HOLE_COUNT, m_holeCountText);
    DDX_Text(pDX, IDC_HOLE_SIZE_COUNT, m_holeSizeCountText);
    DDX_Text(pDX, IDC_COMPONENTS_SEARCHED, m_searchedCountText);
    DDX_Radio(pDX, IDC_RED, m_colourIndex);
}

CString HoleFinderDialog::HoleSizeText(int32_t holeDiameter) {
    CString text;
    text.Format("%.2f Dia", holeDiameter * 0.0003937007874015748);
    return text;
}

int32_t HoleFinderDialog::FetchHoleDiameter(const PadRecord& pad, PadStyleRecord& style) {
    if (TGetPadStyle(&m_designContext, designdb::PadStyleId(pad), &style) != 0) return 0;
    return designdb::HoleDiameter(style);
}

void HoleFinderDialog::OnGetHoles() {
    UpdateData(TRUE);
    m_holeCount = 0;
    m_holeSizeCount = 0;
    m_valueList.ResetContent();
    OpenDesign design(m_designContext);
    PadStyleRecord style;
    WalkComponents([&](ComponentRecord& component) {
        ForEachPad(component, [&](const PadRecord& pad) {
            // Only pads with a hole are holes.
            const int32_t diameter = FetchHoleDiameter(pad, style);
            if (diameter <= 0) return;
            Count(m_holeCount, m_holeCountText);
            if (AddIfAbsent(m_valueList, HoleSizeText(diameter)))
                Count(m_holeSizeCount, m_holeSizeCountText);
        });
    });
    design.Close();
    MessageBox("Done!  Select a Hole to get Component(s).  ", nullptr, MB_OK);
}

void HoleFinderDialog::OnWhereUsed() {
    PadStyleRecord style;
    WhereUsedByPad("Please Select a Pad", "Done!   Select RefDes to Highlight Component(s).  ",
                   m_searchedCount, m_searchedCountText,
                   [&](const PadRecord& pad, const CString& selected) {
                       // A pad without a hole has no size to match.
                       const int32_t diameter = FetchHoleDiameter(pad, style);
                       return diameter > 0 && SameText(HoleSizeText(diameter), selected);
                   });
}
