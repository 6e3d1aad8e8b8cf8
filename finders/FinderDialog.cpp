// SPDX-License-Identifier: GPL-3.0-or-later
#include "FinderDialog.h"

#include <array>

FinderDialog::FinderDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

int FinderDialog::ColourCode(int colourIndex) {
    static constexpr std::array kColourCodes{DBX_COLOUR_RED, DBX_COLOUR_WHITE, DBX_COLOUR_BLUE,
                                             DBX_COLOUR_CYAN, DBX_COLOUR_YELLOW};
    constexpr int kCyan = 3;
    if (colourIndex < 0 || colourIndex >= static_cast<int>(kColourCodes.size()))
        colourIndex = kCyan;
    return kColourCodes[colourIndex];
}

BOOL FinderDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_colourIndex = 3;  // CYAN
    UpdateData(FALSE);
    return TRUE;
}

void FinderDialog::OnCancel() {
    TCloseDesign(&m_designContext, "");
    CDialog::OnCancel();
}

void FinderDialog::Count(int& count, CString& countText) {
    ++count;
    countText.Format("%d", count);
    UpdateData(FALSE);
}

bool FinderDialog::ListHasEntry(const CListBox& list, const CString& text) {
    return list.HasExactString(text) != FALSE;
}

bool FinderDialog::AddIfAbsent(CListBox& list, const CString& text) {
    if (ListHasEntry(list, text)) return false;
    list.AddString(text);
    return true;
}

bool FinderDialog::AddIfAbsent(CListBox& list, std::string_view recordText) {
    if (list.HasExactString(recordText)) return false;
    list.AddString(ToText(recordText));
    return true;
}

CString FinderDialog::SelectedText(const CListBox& list) {
    CString text;
    list.GetText(list.GetCurSel(), text);
    return text;
}

CString FinderDialog::ToText(std::string_view text) {
    return CString(text.data(), static_cast<int>(text.size()));
}

bool FinderDialog::ConfirmWhereUsed(const char* pleaseSelect, CString& selected) {
    selected = SelectedText(m_valueList);
    if (selected.IsEmpty()) {
        MessageBox(pleaseSelect, nullptr, MB_OK);
        return false;
    }
    switch (MessageBox(selected, "FIND the COMPONENTS?", MB_YESNO)) {
        case IDYES:
            return true;
        case IDNO:
            m_whereUsedList.ResetContent();
            m_whereUsedList.AddString("NO!");
            return false;
        default:
            return false;
    }
}

void FinderDialog::OnHighlight() {
    UpdateData(TRUE);
    const int colourCode = ColourCode(m_colourIndex);
    const CString selected = SelectedText(m_whereUsedList);
    if (selected.IsEmpty()) {
        MessageBox("Please Select a RefDes", nullptr, MB_OK);
        return;
    }
    OpenDesign design(m_designContext);
    ComponentRecord component;
    TGetFirstComponent(&m_designContext, &component);
    ScopedWaitCursor wait;
    for (int status = TGetFirstComponent(&m_designContext, &component); status == 0;
         status = TGetNextComponent(&m_designContext, &component)) {
        if (SameText(designdb::RefDes(component), selected)) {
            THighlightComponent(&m_designContext, colourCode, &component);
            break;
        }
    }
    TGetFirstComponent(&m_designContext, &component);
    design.Close();
}
