// SPDX-License-Identifier: GPL-3.0-or-later
#include "PadFinderDialog.h"

#include "DesignRecords.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(PadFinderDialog, FinderDialog)
ON_BN_CLICKED(IDC_GET_PADS, &PadFinderDialog::OnGetPads)
ON_BN_CLICKED(IDC_WHERE_USED, &PadFinderDialog::OnWhereUsed)
ON_BN_CLICKED(IDC_PAD_HIGHLIGHT, &PadFinderDialog::OnHighlight)
END_MESSAGE_MAP()

PadFinderDialog::PadFinderDialog(CWnd* parent) : FinderDialog(IDD_PAD_FINDER, parent) {}

void PadFinderDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WHERE_USED_LIST, m_whereUsedList);
    DDX_Control(pDX, IDC_GET_PADS, m_getButton);
    DDX_Control(pDX, IDC_PAD_STYLE_LIST, m_valueList);
    DDX_Text(pDX, IDC_PAD_COUNT, m_padCountText);
    DDX_Text(pDX, IDC_PAD_STYLE_COUNT, m_padStyleCountText);
    DDX_Text(pDX, IDC_COMPONENTS_SEARCHED, m_searchedCountText);
    DDX_Radio(pDX, IDC_RED, m_colourIndex);
}

void PadFinderDialog::OnGetPads() {
    UpdateData(TRUE);
    m_padCount = 0;
    m_padStyleCount = 0;
    m_valueList.ResetContent();
    OpenDesign design(m_designContext);
    PadStyleRecord style;
    WalkComponents([&](ComponentRecord& component) {
        ForEachPad(component, [&](const PadRecord& pad) {
            // A style that cannot be fetched leaves nothing defined to list.
            const bool styleFetched =
                TGetPadStyle(&m_designContext, designdb::PadStyleId(pad), &style) == 0;
            Count(m_padCount, m_padCountText);
            if (styleFetched && AddIfAbsent(m_valueList, designdb::PadStyleName(style)))
                Count(m_padStyleCount, m_padStyleCountText);
        });
    });
    design.Close();
    MessageBox("Done!  Select a PAD to get Component(s).  ", nullptr, MB_OK);
}

void PadFinderDialog::OnWhereUsed() {
    PadStyleRecord style;
    WhereUsedByPad(
        "Please Select a Pad", "Done!   Select RefDes to Highlight Component(s).  ",
        m_searchedCount, m_searchedCountText, [&](const PadRecord& pad, const CString& selected) {
            return TGetPadStyle(&m_designContext, designdb::PadStyleId(pad), &style) == 0 &&
                   SameText(designdb::PadStyleName(style), selected);
        });
}
