// SPDX-License-Identifier: GPL-3.0-or-later
// The hole finder driven through its real controls against an in-memory design.
#include <gtest/gtest.h>

#include "DialogScript.h"
#include "FakeDesignDb.h"
#include "HoleFinderDialog.h"
#include "resource.h"

namespace {

using Entries = std::vector<std::string>;

// One component per diameter, named H<diameter>, plus pads without a hole.
fake::Design OneComponentPerDiameter(const std::vector<int32_t>& diameters) {
    fake::Design d;
    for (int32_t diameter : diameters) {
        d.padStyles.push_back({"style " + std::to_string(diameter), diameter});
        const int32_t id = static_cast<int32_t>(d.padStyles.size() - 1);
        d.components.push_back({"H" + std::to_string(diameter), {id}, {}});
    }
    return d;
}

class HoleFinderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        afxtest::Reset();
        fake::Reset();
    }
    HoleFinderDialog dialog;
};

TEST_F(HoleFinderTest, SizeTextIsTheDiameterOver2540WithTwoDecimals) {
    EXPECT_EQ(std::string(HoleFinderDialog::HoleSizeText(2540)), "1.00 Dia");
    EXPECT_EQ(std::string(HoleFinderDialog::HoleSizeText(1016)), "0.40 Dia");
    EXPECT_EQ(std::string(HoleFinderDialog::HoleSizeText(127)), "0.05 Dia");
    EXPECT_EQ(std::string(HoleFinderDialog::HoleSizeText(12)), "0.00 Dia");
    EXPECT_EQ(std::string(HoleFinderDialog::HoleSizeText(13)), "0.01 Dia");
    EXPECT_EQ(std::string(HoleFinderDialog::HoleSizeText(1000)), "0.39 Dia");
    EXPECT_EQ(std::string(HoleFinderDialog::HoleSizeText(1001)), "0.39 Dia");
}

TEST_F(HoleFinderTest, GetHolesListsSizesInListBoxOrder) {
    fake::Reset(OneComponentPerDiameter({2540, 1016, 127, 12, 13, 25400, 5080}));
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_HOLES);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_HOLE_SIZE_LIST),
                  (Entries{"0.00 Dia", "0.01 Dia", "0.05 Dia", "0.40 Dia", "1.00 Dia", "10.00 Dia",
                           "2.00 Dia"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_COUNT), "7");
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_SIZE_COUNT), "7");
    });
    EXPECT_EQ(LastMessageBox().text, "Done!  Select a Hole to get Component(s).  ");
    EXPECT_EQ(LastMessageBox().waitCursorDepth, 0);
}

TEST_F(HoleFinderTest, SizesThatPrintAlikeAreOneEntryAndWhereUsedFindsBoth) {
    fake::Design d = OneComponentPerDiameter({1000, 1001, 2540});
    d.components[0].padStyleIds = {0, 0, 0};  // many pads of one size: one entry
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_HOLES);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_HOLE_SIZE_LIST), (Entries{"0.39 Dia", "1.00 Dia"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_COUNT), "5");
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_SIZE_COUNT), "2");
        afxtest::SelectListEntry(d, IDC_HOLE_SIZE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), (Entries{"H1000", "H1001"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "3");
    });
    EXPECT_EQ(afxtest::MessageBoxes().at(1).text, "0.39 Dia");
    EXPECT_EQ(afxtest::MessageBoxes().at(1).caption, "FIND the COMPONENTS?");
    EXPECT_EQ(LastMessageBox().text, "Done!   Select RefDes to Highlight Component(s).  ");
    EXPECT_EQ(LastMessageBox().waitCursorDepth, 1);
    EXPECT_EQ(afxtest::WaitCursorDepth(), 0);
}

// Pads without a hole are not holes: they are neither counted nor matched.
TEST_F(HoleFinderTest, PadsWithoutHoleAreNotCountedListedOrMatched) {
    fake::Design d = OneComponentPerDiameter({12, 0, -5});
    d.components.push_back({"SMD1", {1, 1, 1}, {}});
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_HOLES);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_HOLE_SIZE_LIST), Entries{"0.00 Dia"});
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_COUNT), "1");
        afxtest::SelectListEntry(d, IDC_HOLE_SIZE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), Entries{"H12"});
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "4");
    });
}

TEST_F(HoleFinderTest, AllSmdDesignListsNothingAndKeepsBothCounterTexts) {
    fake::Design d = OneComponentPerDiameter({0, 0});
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_HOLES);
        EXPECT_TRUE(afxtest::ListEntries(d, IDC_HOLE_SIZE_LIST).empty());
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_COUNT), "");
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_SIZE_COUNT), "");
    });
}

TEST_F(HoleFinderTest, CountersKeepTheirLastTextsAcrossAnEmptyDesignAndAReopening) {
    fake::Reset(OneComponentPerDiameter({2540, 1016}));
    RunModal(dialog, [](CDialog& d) { afxtest::PressButton(d, IDC_GET_HOLES); });
    fake::Db().design = {};
    RunModal(dialog, [](CDialog& d) {
        EXPECT_TRUE(afxtest::ListEntries(d, IDC_HOLE_SIZE_LIST).empty());
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_COUNT), "2");
        EXPECT_TRUE(afxtest::IsChecked(d, IDC_CYAN));
        afxtest::PressButton(d, IDC_GET_HOLES);
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_COUNT), "2");
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_SIZE_COUNT), "2");
    });
    EXPECT_EQ(afxtest::MessageBoxes().back().text, "Done!  Select a Hole to get Component(s).  ");
}

TEST_F(HoleFinderTest, WhereUsedAskingFirstAndAnsweredNo) {
    fake::Reset(OneComponentPerDiameter({2540}));
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_TRUE(afxtest::ListEntries(d, IDC_WHERE_USED_LIST).empty());
        afxtest::PressButton(d, IDC_GET_HOLES);
        afxtest::SelectListEntry(d, IDC_HOLE_SIZE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDNO);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), Entries{"NO!"});
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "");
    });
    EXPECT_EQ(afxtest::MessageBoxes().front().text, "Please Select a Pad");
    EXPECT_EQ(fake::Db().opens, 1);
}

TEST_F(HoleFinderTest, PadWhoseStyleCannotBeFetchedIsNoHole) {
    fake::Design d = OneComponentPerDiameter({2540});
    d.components.push_back({"X1", {9}, {}});  // no such style: the fetch fails
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_HOLES);
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_COUNT), "1");
        afxtest::SelectListEntry(d, IDC_HOLE_SIZE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), Entries{"H2540"});
    });
}

}  // namespace
