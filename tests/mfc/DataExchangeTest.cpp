// SPDX-License-Identifier: GPL-3.0-or-later
// UpdateData in both directions: texts, radio groups with other controls inside, -1.
#include <gtest/gtest.h>

#include <QLabel>

#include "AfxTesting.h"
#include "TestDialog.h"
#include "WidgetLookup.h"

namespace {

using testdlg::TestDialog;

class DataExchangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testdlg::RegisterTemplates();
        afxtest::Reset();
    }
    TestDialog dialog;
};

TEST_F(DataExchangeTest, WritesMembersToControlsAndReadsThemBack) {
    dialog.m_count = "7";
    dialog.m_colour = 0;
    afxtest::OnNextModal([](CDialog& d) {
        auto& dlg = static_cast<TestDialog&>(d);
        // OnInitDialog wrote the members.
        EXPECT_EQ(afxtest::ControlText(d, testdlg::kCount), "7");
        EXPECT_EQ(afxtest::ControlText(d, testdlg::kOther), "");
        EXPECT_TRUE(afxtest::IsChecked(d, testdlg::kRed));

        dlg.m_count.Format("%d", 12345);
        dlg.m_other = "x";
        dlg.m_colour = 2;  // GREEN and BLUE are radios 1 and 2; the static between is skipped
        dlg.UpdateData(FALSE);
        EXPECT_EQ(afxtest::ControlText(d, testdlg::kCount), "12345");
        EXPECT_EQ(afxtest::ControlText(d, testdlg::kOther), "x");
        EXPECT_FALSE(afxtest::IsChecked(d, testdlg::kRed));
        EXPECT_TRUE(afxtest::IsChecked(d, testdlg::kBlue));

        afxtest::CheckRadio(d, testdlg::kGreen);
        dlg.m_count = "changed";
        dlg.UpdateData(TRUE);
        EXPECT_EQ(dlg.m_colour, 1);
        EXPECT_EQ(dlg.m_count, "12345");  // read back from the control
    });
    dialog.DoModal();
}

TEST_F(DataExchangeTest, MinusOneUnchecksTheWholeGroupAndReadsBackAsMinusOne) {
    dialog.m_colour = 1;
    afxtest::OnNextModal([](CDialog& d) {
        auto& dlg = static_cast<TestDialog&>(d);
        EXPECT_TRUE(afxtest::IsChecked(d, testdlg::kGreen));
        dlg.m_colour = -1;
        dlg.UpdateData(FALSE);
        for (int id : {testdlg::kRed, testdlg::kGreen, testdlg::kBlue}) {
            EXPECT_FALSE(afxtest::IsChecked(d, id)) << id;
        }
        dlg.m_colour = 5;
        dlg.UpdateData(TRUE);
        EXPECT_EQ(dlg.m_colour, -1);
        // The group stays exclusive after being emptied.
        afxtest::CheckRadio(d, testdlg::kRed);
        afxtest::CheckRadio(d, testdlg::kBlue);
        EXPECT_FALSE(afxtest::IsChecked(d, testdlg::kRed));
        dlg.UpdateData(TRUE);
        EXPECT_EQ(dlg.m_colour, 2);
    });
    dialog.DoModal();
}

TEST_F(DataExchangeTest, UnchangedTextIsNotPushedAgainAndChangesShowLazily) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& dlg = static_cast<TestDialog&>(d);
        auto& label = getChildAs<QLabel>(d, testdlg::kCount);
        label.setText("touched");  // only a rewrite of the member's new value may replace it
        dlg.UpdateData(FALSE);
        EXPECT_EQ(label.text().toStdString(), "touched");
        dlg.m_count = "1";
        dlg.UpdateData(FALSE);
        EXPECT_EQ(afxtest::ControlText(d, testdlg::kCount), "1");
    });
    dialog.DoModal();
}

TEST_F(DataExchangeTest, UpdateDataWithoutWindowFails) {
    EXPECT_FALSE(dialog.UpdateData(FALSE));
    EXPECT_FALSE(dialog.UpdateData(TRUE));
}

}  // namespace
