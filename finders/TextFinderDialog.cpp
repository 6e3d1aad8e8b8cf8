// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextFinderDialog.h"

#include "DesignRecords.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(TextFinderDialog, FinderDialog)
ON_BN_CLICKED(IDC_GET_TEXT, &TextFinderDialog::OnGetText)
ON_BN_CLICKED(IDC_WHERE_USED, &TextFinderDialog::OnWhereUsed)
ON_BN_CLICKED(IDC_TEXT_HIGHLIGHT, &TextFinderDialog::OnHighlight)
END_MESSAGE_MAP()

TextFinderDialog::TextFinderDialog(CWnd* parent) : FinderDialog(IDD_TEXT_FINDER, parent) {}

void TextFinderDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TEXT_STYLE_LIST, m_valueList);
    DDX_Control(pDX, IDC_WHERE_USED_LIST, m_whereUsedList);
    DDX_Control(pDX, IDC_GET_TEXT, m_getButton);
    DDX_Text(pDX, IDC_TEXT_COUNT, m_textCountText);
    DDX_Text(pDX, IDC_COMPONENTS_SEARCHED, m_searchedCountText);
    DDX_Radio(pDX, IDC_RED, m_colourIndex);
}

void TextFinderDialog::OnGetText() {
    UpdateData(TRUE);
    m_textCount = 0;
    m_valueList.ResetContent();
    OpenDesign design(m_designContext);
    AttributeRecord attribute;
    TextStyleRecord style;
    WalkComponents([&](ComponentRecord& component) {
        int status = TGetFirstCompAttribute(&m_designContext, component.refDes, &attribute);
        while (status == 0) {
            ScopedWaitCursor attributeWait;
            // An attribute whose text has no style is counted but lists nothing.
            const bool styleFetched =
                TGetTextStyle(&m_designContext, designdb::TextStyleId(attribute), &style) == 0;
            Count(m_textCount, m_textCountText);
            if (styleFetched) AddIfAbsent(m_valueList, designdb::TextStyleName(style));
            status = TGetNextCompAttribute(&m_designContext, &attribute);
        }
    });
    design.Close();
    MessageBox("Done!  Select an Text Style to get Component(s).  ", nullptr, MB_OK);
}

void TextFinderDialog::OnWhereUsed() {
    TextStyleRecord style;
    WhereUsedByAttribute(
        "Please Select an Text Style", "Done!  Click a RefDes then Highlight button.  ",
        m_searchedCount, m_searchedCountText,
        [&](const AttributeRecord& attribute, const CString& selected) {
            return TGetTextStyle(&m_designContext, designdb::TextStyleId(attribute), &style) == 0 &&
                   SameText(designdb::TextStyleName(style), selected);
        });
}
