// SPDX-License-Identifier: GPL-3.0-or-later
// What the four finder dialogs share: the design context, the two lists, the colour
// choice, opening and closing, Highlight, and the pieces Get and Where Used are built from.
#pragma once

#include <string_view>

#include "Dbx32.h"
#include "DesignRecords.h"
#include "OpenDesign.h"
#include "ScopedWaitCursor.h"
#include "afxwin.h"

class FinderDialog : public CDialog {
  public:
    FinderDialog(UINT templateId, CWnd* parent);

    // Colour code sent to the design tool for a radio-group position (RED, WHITE, BLUE,
    // CYAN, YELLOW); a position outside the group gives CYAN, the colour a dialog opens with.
    static int ColourCode(int colourIndex);

    // Highlights the component selected in the where-used list in the chosen colour.
    afx_msg void OnHighlight();

  protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;

    // Adds 1 to a count and shows it at once.
    void Count(int& count, CString& countText);

    // Whether an entry of the list equals the text exactly (as SameText compares).
    static bool ListHasEntry(const CListBox& list, const CString& text);
    // Adds the text at its sorted place unless an equal entry exists; true when added.
    static bool AddIfAbsent(CListBox& list, const CString& text);
    // The same for a record's text (which holds no zero byte), copied only when added.
    static bool AddIfAbsent(CListBox& list, std::string_view recordText);
    // The selected entry's text; empty when nothing is selected.
    static CString SelectedText(const CListBox& list);
    static CString ToText(std::string_view text);
    // Exact, case-sensitive equality of two texts.
    static bool SameText(const CString& a, const CString& b) {
        return _mbscmp(reinterpret_cast<const unsigned char*>(a.GetString()),
                       reinterpret_cast<const unsigned char*>(b.GetString())) == 0;
    }
    // The same equality for a record's text (which holds no zero byte), without copying it.
    static bool SameText(std::string_view recordText, const CString& b) {
        return recordText == std::string_view(b.GetString());
    }

    // Get: walks every component with the wait cursor up for each one's turn.
    template <class VisitComponent>
    void WalkComponents(VisitComponent visit);
    // Visits each pad of the component.
    template <class VisitPad>
    void ForEachPad(const ComponentRecord& component, VisitPad visit);

    // Where Used: asks for the selected value and, on Yes, lists the components having an
    // item (pad or attribute) that matches it, counting every component searched.
    template <class FirstItem, class NextItem, class ItemMatches>
    void WhereUsed(const char* pleaseSelect, const char* doneMessage, int& searchedCount,
                   CString& searchedText, FirstItem firstItem, NextItem nextItem,
                   ItemMatches itemMatches);
    // Where Used over the components' pads; padMatches(pad, selected).
    template <class PadMatches>
    void WhereUsedByPad(const char* pleaseSelect, const char* doneMessage, int& searchedCount,
                        CString& searchedText, PadMatches padMatches);
    // Where Used over the components' attributes; attributeMatches(attribute, selected).
    template <class AttributeMatches>
    void WhereUsedByAttribute(const char* pleaseSelect, const char* doneMessage, int& searchedCount,
                              CString& searchedText, AttributeMatches attributeMatches);

    DesignContext m_designContext;
    CListBox m_whereUsedList;
    CButton m_getButton;
    CListBox m_valueList;
    int m_colourIndex = -1;

  private:
    // Shows the confirmation for Where Used; true when answered Yes.
    bool ConfirmWhereUsed(const char* pleaseSelect, CString& selected);
};

template <class VisitComponent>
void FinderDialog::WalkComponents(VisitComponent visit) {
    ComponentRecord component;
    for (int status = TGetFirstComponent(&m_designContext, &component); status == 0;) {
        ScopedWaitCursor wait;
        visit(component);
        status = TGetNextComponent(&m_designContext, &component);
    }
}

template <class VisitPad>
void FinderDialog::ForEachPad(const ComponentRecord& component, VisitPad visit) {
    PadRecord pad;
    for (int status = TGetFirstCompPad(&m_designContext, component.refDes, &pad); status == 0;
         status = TGetNextCompPad(&m_designContext, &pad))
        visit(pad);
}

template <class FirstItem, class NextItem, class ItemMatches>
void FinderDialog::WhereUsed(const char* pleaseSelect, const char* doneMessage, int& searchedCount,
                             CString& searchedText, FirstItem firstItem, NextItem nextItem,
                             ItemMatches itemMatches) {
    CString selected;
    if (!ConfirmWhereUsed(pleaseSelect, selected)) return;

    m_whereUsedList.ResetContent();
    searchedCount = 0;
    OpenDesign design(m_designContext);
    ComponentRecord component;
    TGetFirstComponent(&m_designContext, &component);
    ScopedWaitCursor outerWait;
    for (int status = TGetFirstComponent(&m_designContext, &component); status == 0;) {
        Count(searchedCount, searchedText);
        int itemStatus = firstItem(component);
        ScopedWaitCursor componentWait;
        while (itemStatus == 0) {
            if (itemMatches(selected) && AddIfAbsent(m_whereUsedList, designdb::RefDes(component)))
                break;
            itemStatus = nextItem();
        }
        status = TGetNextComponent(&m_designContext, &component);
    }
    design.Close();
    MessageBox(doneMessage, nullptr, MB_OK);
}

template <class PadMatches>
void FinderDialog::WhereUsedByPad(const char* pleaseSelect, const char* doneMessage,
                                  int& searchedCount, CString& searchedText,
                                  PadMatches padMatches) {
    PadRecord pad;
    WhereUsed(
        pleaseSelect, doneMessage, searchedCount, searchedText,
        [&](ComponentRecord& component) {
            return TGetFirstCompPad(&m_designContext, component.refDes, &pad);
        },
        [&] { return TGetNextCompPad(&m_designContext, &pad); },
        [&](const CString& selected) { return padMatches(pad, selected); });
}

template <class AttributeMatches>
void FinderDialog::WhereUsedByAttribute(const char* pleaseSelect, const char* doneMessage,
                                        int& searchedCount, CString& searchedText,
                                        AttributeMatches attributeMatches) {
    AttributeRecord attribute;
    WhereUsed(
        pleaseSelect, doneMessage, searchedCount, searchedText,
        [&](ComponentRecord& component) {
            return TGetFirstCompAttribute(&m_designContext, component.refDes, &attribute);
        },
        [&] { return TGetNextCompAttribute(&m_designContext, &attribute); },
        [&](const CString& selected) { return attributeMatches(attribute, selected); });
}
