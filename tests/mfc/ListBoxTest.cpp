// SPDX-License-Identifier: GPL-3.0-or-later
// List boxes: sorted insertion, reads from the kept entries, selection and reopening.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMouseEvent>
#include <algorithm>

#include "AfxTesting.h"
#include "TestDialog.h"

namespace {

using Entries = std::vector<std::string>;
using testdlg::TestDialog;

class ListBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testdlg::RegisterTemplates();
        afxtest::Reset();
    }
    TestDialog dialog;
};

TEST_F(ListBoxTest, SortedInsertionIgnoresAsciiCaseThenOrdersByBytes) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& dlg = static_cast<TestDialog&>(d);
        for (const char* s :
             {"beta", "Alpha", "alpha", "ALPHA", "_under", "b", "", "Zeta", "a10", "a9"}) {
            dlg.m_sorted.AddString(s);
        }
        const Entries expected = {"",      "_under", "a10", "a9",   "ALPHA",
                                  "Alpha", "alpha",  "b",   "beta", "Zeta"};
        EXPECT_EQ(afxtest::ListEntries(d, testdlg::kSorted), expected);
        CString text;
        for (int i = 0; i < dlg.m_sorted.GetCount(); ++i) {
            dlg.m_sorted.GetText(i, text);
            EXPECT_EQ(std::string(text), expected[static_cast<std::size_t>(i)]) << "index " << i;
        }
    });
    dialog.DoModal();
}

// Texts agreeing in their first eight bytes, or in all but case, or beyond ASCII, still sort
// by their whole text.
TEST_F(ListBoxTest, TextsSharingALongPrefixSortByTheirWholeText) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& list = static_cast<TestDialog&>(d).m_sorted;
        for (const char* s : {"CONNECTOR_B", "connector_a", "Connector_A", "CONNECTO", "connector",
                              "CONNECTOR_A2", "\xE9t\xE9", "\xC9T\xC9", "conn\xE9", "Conn"})
            list.AddString(s);
        const Entries expected = {"Conn",        "CONNECTO",     "connector",   "Connector_A",
                                  "connector_a", "CONNECTOR_A2", "CONNECTOR_B", "conn\xE9",
                                  "\xC9T\xC9",   "\xE9t\xE9"};
        EXPECT_EQ(afxtest::ListEntries(d, testdlg::kSorted), expected);
    });
    dialog.DoModal();
}

TEST_F(ListBoxTest, IdenticalStringGoesAfterTheOnesAlreadyThere) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& list = static_cast<TestDialog&>(d).m_sorted;
        EXPECT_EQ(list.AddString("M"), 0);
        EXPECT_EQ(list.AddString("m"), 1);
        EXPECT_EQ(list.AddString("M"), 1);  // after the existing "M", before "m"
        EXPECT_EQ(list.AddString("m"), 3);
        EXPECT_EQ(list.AddString("a"), 0);
        EXPECT_EQ(afxtest::ListEntries(d, testdlg::kSorted), (Entries{"a", "M", "M", "m", "m"}));
    });
    dialog.DoModal();
}

TEST_F(ListBoxTest, UnsortedListKeepsOrderAndOutOfRangeReadsAreEmpty) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& list = static_cast<TestDialog&>(d).m_unsorted;
        list.AddString("zz");
        list.AddString("aa");
        EXPECT_EQ(afxtest::ListEntries(d, testdlg::kUnsorted), (Entries{"zz", "aa"}));
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        CString text("stale");
        list.GetText(list.GetCurSel(), text);
        EXPECT_TRUE(text.IsEmpty());
        list.GetText(2, text);
        EXPECT_TRUE(text.IsEmpty());
        char buffer[8] = "stale";
        EXPECT_EQ(list.GetText(-1, buffer), LB_ERR);
        EXPECT_STREQ(buffer, "");
        EXPECT_EQ(list.GetText(1, buffer), 2);
        EXPECT_STREQ(buffer, "aa");
        EXPECT_EQ(list.GetTextLen(0), 2);
        EXPECT_EQ(list.GetTextLen(5), LB_ERR);
    });
    dialog.DoModal();
}

TEST_F(ListBoxTest, UserSelectionShowsInGetCurSelAndFollowsInsertions) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& list = static_cast<TestDialog&>(d).m_sorted;
        list.AddString("b");
        list.AddString("d");
        afxtest::SelectListEntry(d, testdlg::kSorted, 1);
        EXPECT_EQ(list.GetCurSel(), 1);
        list.AddString("a");  // inserted above the selection
        EXPECT_EQ(list.GetCurSel(), 2);
        EXPECT_EQ(afxtest::ListSelection(d, testdlg::kSorted), 2);
        CString text;
        list.GetText(list.GetCurSel(), text);
        EXPECT_EQ(text, "d");
        afxtest::SelectListEntry(d, testdlg::kSorted, -1);
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        list.SetCurSel(0);
        EXPECT_EQ(afxtest::ListSelection(d, testdlg::kSorted), 0);
        list.ResetContent();
        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        EXPECT_TRUE(afxtest::ListEntries(d, testdlg::kSorted).empty());
    });
    dialog.DoModal();
}

// The widget shows many changes at once, at the next flush; until then the entries answer.
TEST_F(ListBoxTest, WidgetCatchesUpWithManyChangesAndKeepsTheSelection) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& list = static_cast<TestDialog&>(d).m_sorted;
        list.AddString("m");
        afxtest::SelectListEntry(d, testdlg::kSorted, 0);
        Entries expected = {"m"};
        for (int i = 0; i < 300; ++i) {
            const std::string text = (i % 2 ? "a" : "z") + std::to_string(1000 + i);
            list.AddString(text.c_str());
            expected.push_back(text);
        }
        list.DeleteString(0);  // "a1001", before the selection
        std::sort(expected.begin(), expected.end());
        expected.erase(expected.begin());
        const int selected = list.GetCurSel();
        ASSERT_EQ(selected, 149);
        CString text;
        list.GetText(selected, text);
        EXPECT_EQ(text, "m");
        EXPECT_EQ(afxtest::ListEntries(d, testdlg::kSorted), expected);
        EXPECT_EQ(afxtest::ListSelection(d, testdlg::kSorted), selected);
        EXPECT_EQ(afxtest::ControlText(d, testdlg::kSorted), "m");
    });
    dialog.DoModal();
}

// A click on a list whose widget still lags reaches the entry the list holds at that place.
TEST_F(ListBoxTest, ClickOnALaggingListSelectsTheEntryShownThere) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& list = static_cast<TestDialog&>(d).m_sorted;
        list.AddString("old");
        afxtest::ListEntries(d, testdlg::kSorted);  // the widget shows "old"
        list.ResetContent();
        for (int i = 0; i < 100; ++i) list.AddString(("e" + std::to_string(100 + i)).c_str());
        QWidget* viewport = nullptr;
        for (const auto& [id, widget] : afxtest::Controls(d))
            if (auto* view = qobject_cast<QAbstractScrollArea*>(widget);
                view && id == testdlg::kSorted)
                viewport = view->viewport();
        ASSERT_NE(viewport, nullptr);
        const QPoint firstRow(5, 3);
        QMouseEvent press(QEvent::MouseButtonPress, firstRow, viewport->mapToGlobal(firstRow),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, firstRow, viewport->mapToGlobal(firstRow),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &release);
        ASSERT_EQ(list.GetCurSel(), 0);
        CString text;
        list.GetText(0, text);
        EXPECT_EQ(text, "e100");
    });
    dialog.DoModal();
}

TEST_F(ListBoxTest, ListsStartEmptyAtEachShowingWhileMembersKeepTheirValues) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& dlg = static_cast<TestDialog&>(d);
        dlg.m_sorted.AddString("kept?");
        dlg.m_count = "42";
        dlg.m_colour = 2;
        dlg.UpdateData(FALSE);
        EXPECT_EQ(dlg.m_sorted.GetCount(), 1);
    });
    dialog.DoModal();
    EXPECT_EQ(dialog.m_sorted.m_hWnd, nullptr);  // detached with the window
    EXPECT_EQ(dialog.m_sorted.GetCount(), LB_ERR);

    afxtest::OnNextModal([](CDialog& d) {
        auto& dlg = static_cast<TestDialog&>(d);
        EXPECT_NE(dlg.m_sorted.m_hWnd, nullptr);  // attached to the new window's control
        EXPECT_EQ(dlg.m_sorted.GetCount(), 0);
        EXPECT_TRUE(afxtest::ListEntries(d, testdlg::kSorted).empty());
        EXPECT_EQ(afxtest::ControlText(d, testdlg::kCount), "42");
        EXPECT_TRUE(afxtest::IsChecked(d, testdlg::kBlue));
    });
    dialog.DoModal();
    EXPECT_EQ(dialog.initCalls, 2);
    EXPECT_EQ(dialog.m_count, "42");
    EXPECT_EQ(dialog.m_colour, 2);
}

}  // namespace
