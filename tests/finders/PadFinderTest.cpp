// SPDX-License-Identifier: GPL-3.0-or-later
// The pad finder driven through its real controls against an in-memory design.
#include <gtest/gtest.h>

#include "Dbx32.h"
#include "DialogScript.h"
#include "FakeDesignDb.h"
#include "PadFinderDialog.h"
#include "resource.h"

namespace {

using Entries = std::vector<std::string>;

fake::Design ThreeComponentsTwelvePads() {
    fake::Design d;
    d.padStyles = {{"SMD 0.9x1.0", 0}};
    d.components = {{"C1", std::vector<int32_t>(4, 0), {}},
                    {"R1", std::vector<int32_t>(4, 0), {}},
                    {"U1", std::vector<int32_t>(4, 0), {}}};
    return d;
}

class PadFinderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        afxtest::Reset();
        fake::Reset();
    }
    PadFinderDialog dialog;
};

TEST_F(PadFinderTest, EmptyDesignShowsDoneWithoutWaitCursorAndKeepsCounters) {
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_PADS);
        EXPECT_TRUE(afxtest::ListEntries(d, IDC_PAD_STYLE_LIST).empty());
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_COUNT), "");
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_STYLE_COUNT), "");
    });
    ASSERT_EQ(afxtest::MessageBoxes().size(), 1u);
    EXPECT_EQ(LastMessageBox().text, "Done!  Select a PAD to get Component(s).  ");
    EXPECT_EQ(LastMessageBox().caption, "PARTWISE");
    EXPECT_EQ(LastMessageBox().type, MB_OK);
    EXPECT_EQ(LastMessageBox().waitCursorDepth, 0);
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("TGetFirstComponent"), 0);
    EXPECT_EQ(fake::Db().opens, 1);
    EXPECT_EQ(fake::Db().closes, 2);  // the operation and Exit
}

TEST_F(PadFinderTest, CountsEveryPadAndEachDistinctNameOnce) {
    fake::Design d = ThreeComponentsTwelvePads();
    d.components.push_back({"J1", {}, {}});  // no pads: adds nothing
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_PADS);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_PAD_STYLE_LIST), Entries{"SMD 0.9x1.0"});
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_COUNT), "12");
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_STYLE_COUNT), "1");
        EXPECT_FALSE(afxtest::WaitCursorShown());
    });
    EXPECT_EQ(afxtest::WaitCursorDepth(), 0);
    // Once per component, around its pads.
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("TGetFirstCompPad"), 1);
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("TGetNextComponent"), 1);
}

TEST_F(PadFinderTest, NamesAreComparedExactlyAndListedInListBoxOrder) {
    fake::Design d;
    d.padStyles = {{"Pad", 0}, {"PAD", 0}, {"same", 0}, {"same", 0}, {"10", 0}, {"9", 0}};
    d.components = {{"U1", {0, 1, 2, 3, 4, 5}, {}}};
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_PADS);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_PAD_STYLE_LIST),
                  (Entries{"10", "9", "PAD", "Pad", "same"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_COUNT), "6");
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_STYLE_COUNT), "5");
    });
}

TEST_F(PadFinderTest, EmptyNameIsListedButCannotBeSearched) {
    fake::Design d;
    d.padStyles = {{"", 0}, {"SMD", 0}};
    d.components = {{"U1", {0, 1}, {}}};
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_PADS);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_PAD_STYLE_LIST), (Entries{"", "SMD"}));
        afxtest::SelectListEntry(d, IDC_PAD_STYLE_LIST, 0);
        afxtest::PressButton(d, IDC_WHERE_USED);
    });
    EXPECT_EQ(MessageBoxTexts().back(), "Please Select a Pad");
    EXPECT_EQ(fake::Db().opens, 1);
}

TEST_F(PadFinderTest, WhereUsedWithoutSelectionAsksForOneAndChangesNothing) {
    fake::Reset(ThreeComponentsTwelvePads());
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_WHERE_USED);  // before any Get
        afxtest::PressButton(d, IDC_GET_PADS);
        afxtest::PressButton(d, IDC_WHERE_USED);  // nothing selected after Get
        EXPECT_TRUE(afxtest::ListEntries(d, IDC_WHERE_USED_LIST).empty());
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "");
    });
    EXPECT_EQ(MessageBoxTexts(),
              (Entries{"Please Select a Pad", "Done!  Select a PAD to get Component(s).  ",
                       "Please Select a Pad"}));
    EXPECT_EQ(fake::Db().opens, 1);
}

TEST_F(PadFinderTest, AnsweringNoLeavesOnlyNoAndOpensNothing) {
    fake::Reset(ThreeComponentsTwelvePads());
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_PADS);
        afxtest::SelectListEntry(d, IDC_PAD_STYLE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDNO);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), Entries{"NO!"});
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "");
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_COUNT), "12");
    });
    const auto& question = afxtest::MessageBoxes().at(1);
    EXPECT_EQ(question.text, "SMD 0.9x1.0");
    EXPECT_EQ(question.caption, "FIND the COMPONENTS?");
    EXPECT_EQ(question.type, MB_YESNO);
    EXPECT_EQ(fake::Db().opens, 1);
    EXPECT_EQ(afxtest::UnscriptedMessageBoxes(), 0);
}

TEST_F(PadFinderTest, WhereUsedListsEachComponentOnceAndCountsAllSearched) {
    fake::Design d;
    d.padStyles = {{"THT", 2540}, {"SMD", 0}};
    d.components = {{"R2", {0, 0, 0}, {}},  // several pads of the style: listed once
                    {"R1", {1}, {}},
                    {"J1", {}, {}},      // no pads: still searched
                    {"R2", {1, 0}, {}},  // same refdes again: listed once
                    {"Q1", {1, 0}, {}}};
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_PADS);
        afxtest::SelectListEntry(d, IDC_PAD_STYLE_LIST, 1);  // "THT"
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), (Entries{"Q1", "R2"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "5");
        // Get's results stay.
        EXPECT_EQ(afxtest::ListEntries(d, IDC_PAD_STYLE_LIST), (Entries{"SMD", "THT"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_COUNT), "8");
    });
    EXPECT_EQ(LastMessageBox().text, "Done!   Select RefDes to Highlight Component(s).  ");
    EXPECT_EQ(LastMessageBox().waitCursorDepth, 1);  // the outer wait cursor stays up
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("TGetPadStyle"), 2);
    EXPECT_EQ(afxtest::WaitCursorDepth(), 0);
    EXPECT_EQ(fake::Db().opens, fake::Db().closes - 1);
}

TEST_F(PadFinderTest, EachOperationLeavesTheOthersResultsAndKeepsTextsUntilCounted) {
    fake::Reset(ThreeComponentsTwelvePads());
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_PADS);
        afxtest::SelectListEntry(d, IDC_PAD_STYLE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        ASSERT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "3");

        fake::Db().design = {};  // the design is emptied in the tool
        afxtest::PressButton(d, IDC_GET_PADS);
        EXPECT_TRUE(afxtest::ListEntries(d, IDC_PAD_STYLE_LIST).empty());
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_COUNT), "12");
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_STYLE_COUNT), "1");
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), (Entries{"C1", "R1", "U1"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "3");
    });
}

TEST_F(PadFinderTest, WhereUsedOnAnEmptyDesignKeepsTheSearchedText) {
    fake::Reset(ThreeComponentsTwelvePads());
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_PADS);
        afxtest::SelectListEntry(d, IDC_PAD_STYLE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        fake::Db().design.components.clear();
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_TRUE(afxtest::ListEntries(d, IDC_WHERE_USED_LIST).empty());
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "3");
    });
}

TEST_F(PadFinderTest, WhereUsedPutsTheRadioGroupBackToTheStoredColour) {
    fake::Reset(ThreeComponentsTwelvePads());
    RunModal(dialog, [](CDialog& d) {
        EXPECT_TRUE(afxtest::IsChecked(d, IDC_CYAN));
        afxtest::PressButton(d, IDC_GET_PADS);  // reads CYAN
        afxtest::CheckRadio(d, IDC_WHITE);
        afxtest::SelectListEntry(d, IDC_PAD_STYLE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_TRUE(afxtest::IsChecked(d, IDC_CYAN));
        EXPECT_FALSE(afxtest::IsChecked(d, IDC_WHITE));
        afxtest::SelectListEntry(d, IDC_WHERE_USED_LIST, 1);
        afxtest::PressButton(d, IDC_PAD_HIGHLIGHT);
    });
    ASSERT_EQ(fake::Db().highlights.size(), 1u);
    EXPECT_EQ(fake::Db().highlights[0].refDes, "R1");
    EXPECT_EQ(fake::Db().highlights[0].colour, DBX_COLOUR_CYAN);
}

TEST_F(PadFinderTest, PadWhoseStyleCannotBeFetchedCountsButListsAndMatchesNothing) {
    fake::Design d;
    d.padStyles = {{"SMD", 0}};
    // Style 7 does not exist: its fetch fails.
    d.components = {{"U1", {7, 0}, {}}, {"U2", {7}, {}}};
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_PADS);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_PAD_STYLE_LIST), Entries{"SMD"});
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_COUNT), "3");
        afxtest::SelectListEntry(d, IDC_PAD_STYLE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), Entries{"U1"});
    });
}

}  // namespace
