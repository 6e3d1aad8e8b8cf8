// SPDX-License-Identifier: GPL-3.0-or-later
#include "AttributeFinderDialog.h"

#include "DesignRecords.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(AttributeFinderDialog, FinderDialog)
ON_BN_CLICKED(IDC_GET_ATTRIBUTES, &AttributeFinderDialog::OnGetAttributes)
ON_BN_CLICKED(IDC_WHERE_USED, &AttributeFinderDialog::OnWhereUsed)
ON_BN_CLICKED(IDC_ATTRIBUTE_HIGHLIGHT, &AttributeFinderDialog::OnHighlight)
END_MESSAGE_MAP()

AttributeFinderDialog::AttributeFinderDialog(CWnd* parent)
    : FinderDialog(IDD_ATTRIBUTE_FINDER, parent) {}

void AttributeFinderDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WHERE_USED_LIST, m_whereUsedList);
    DDX_Control(pDX, IDC_GET_ATTRIBUTES, m_getButton);
    DDX_Control(pDX, IDC_ATTRIBUTE_LIST, m_valueList);
    DDX_Text(pDX, IDC_ATTRIBUTE_COUNT, m_attributeCountText);
    DDX_Text(pDX, IDC_COMPONENTS_SEARCHED, m_searchedCountText);
    DDX_Radio(pDX, IDC_RED, m_colourIndex);
}

void AttributeFinderDialog::OnGetAttributes() {
    UpdateData(TRUE);
    m_attributeCount = 0;
    m_valueList.ResetContent();
    OpenDesign design(m_designContext);
    AttributeRecord attribute;
    WalkComponents([&](ComponentRecord& component) {
        for (int status = TGetFirstCompAttribute(&m_designContext, component.refDes, &attribute);
             status == 0; status = TGetNextCompAttribute(&m_designContext, &attribute)) {
            Count(m_attributeCount, m_attributeCountText);
            AddIfAbsent(m_valueList, designdb::AttributeName(attribute));
        }
    });
    design.Close();
    MessageBox("Done!  Select an Attribute to get Component(s).  ", nullptr, MB_OK);
}

void AttributeFinderDialog::OnWhereUsed() {
    WhereUsedByAttribute("Please Select an Attribute",
                         "Done!  Click a RefDes then Highlight button.  ", m_searchedCount,
                         m_searchedCountText,
                         [&](const AttributeRecord& attribute, const CString& selected) {
                             return SameText(designdb::AttributeName(attribute), selected);
                         });
}
