// SPDX-License-Identifier: GPL-3.0-or-later
// The text finder driven through its real controls against an in-memory design.
#include <gtest/gtest.h>

#include <new>

#include "DialogScript.h"
#include "FakeDesignDb.h"
#include "TextFinderDialog.h"
#include "resource.h"

namespace {

using Entries = std::vector<std::string>;

class TextFinderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        afxtest::Reset();
        fake::Reset();
    }
    TextFinderDialog dialog;
};

TEST_F(TextFinderTest, EmptyDesignAndComponentsWithoutAttributesKeepTheCount) {
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_TEXT);
        EXPECT_EQ(afxtest::ControlText(d, IDC_TEXT_COUNT), "");
        fake::Db().design.components = {{"U1", {}, {}}, {"U2", {}, {}}};
        afxtest::PressButton(d, IDC_GET_TEXT);
        EXPECT_TRUE(afxtest::ListEntries(d, IDC_TEXT_STYLE_LIST).empty());
        EXPECT_EQ(afxtest::ControlText(d, IDC_TEXT_COUNT), "");
    });
    EXPECT_EQ(MessageBoxTexts(), (Entries{"Done!  Select an Text Style to get Component(s).  ",
                                          "Done!  Select an Text Style to get Component(s).  "}));
    EXPECT_EQ(fake::Db().CountCalls("TGetTextStyle"), 0);
}

TEST_F(TextFinderTest, FiveAttributesInTwoStylesWithAWaitCursorPerAttribute) {
    fake::Design d;
    d.textStyles = {"1.27x1.27 t0.254", "1.0x1.0 t0.15"};
    d.components = {{"C1", {}, {{"Reference", 1}, {"Value", 1}}},
                    {"R1", {}, {{"Reference", 0}, {"Value", 1}}},
                    {"U1", {}, {{"Reference", 0}}}};
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_TEXT);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_TEXT_STYLE_LIST),
                  (Entries{"1.0x1.0 t0.15", "1.27x1.27 t0.254"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_TEXT_COUNT), "5");
    });
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("TGetTextStyle"), 2);
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("TGetFirstCompAttribute"), 1);
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("TCloseDesign"), 0);
    EXPECT_EQ(LastMessageBox().waitCursorDepth, 0);
    EXPECT_EQ(afxtest::WaitCursorDepth(), 0);
}

TEST_F(TextFinderTest, StyleNamesEqualButForCaseAndAnEmptyName) {
    fake::Design d;
    d.textStyles = {"Bold", "bold", ""};
    d.components = {{"U1", {}, {{"A", 0}, {"B", 1}, {"C", 2}}}};
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_TEXT);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_TEXT_STYLE_LIST), (Entries{"", "Bold", "bold"}));
        afxtest::SelectListEntry(d, IDC_TEXT_STYLE_LIST, 0);
        afxtest::PressButton(d, IDC_WHERE_USED);
    });
    EXPECT_EQ(MessageBoxTexts().back(), "Please Select an Text Style");
}

// A field without a text of its own has no style: counted, never listed or matched.
TEST_F(TextFinderTest, AttributeWhoseStyleCannotBeFetchedIsCountedOnly) {
    fake::Design d;
    d.textStyles = {"1.0x1.0 t0.15"};
    d.components = {{"U1", {}, {{"MPN", -1}, {"Value", 0}}}, {"U2", {}, {{"MPN", -1}}}};
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_TEXT);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_TEXT_STYLE_LIST), Entries{"1.0x1.0 t0.15"});
        EXPECT_EQ(afxtest::ControlText(d, IDC_TEXT_COUNT), "3");
        afxtest::SelectListEntry(d, IDC_TEXT_STYLE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), Entries{"U1"});
    });
}

TEST_F(TextFinderTest, WhereUsedListsMatchesOnceCountsAllAndReplacesItsList) {
    fake::Design d;
    d.textStyles = {"small", "large"};
    for (int i = 1; i <= 12; ++i)
        d.components.push_back({"D" + std::to_string(i), {}, {{"Value", i % 4 == 0 ? 1 : 0}}});
    d.components[3].attributes.push_back({"MPN", 1});    // D4: two attributes in "large"
    d.components.push_back({"D4", {}, {{"Value", 1}}});  // the same refdes again
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_TEXT);
        ASSERT_EQ(afxtest::ListEntries(d, IDC_TEXT_STYLE_LIST), (Entries{"large", "small"}));
        afxtest::CheckRadio(d, IDC_WHITE);
        afxtest::SelectListEntry(d, IDC_TEXT_STYLE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), (Entries{"D12", "D4", "D8"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "13");
        EXPECT_TRUE(afxtest::IsChecked(d, IDC_CYAN));

        afxtest::SelectListEntry(d, IDC_TEXT_STYLE_LIST, 1);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST).size(), 9u);

        afxtest::QueueMessageBoxReply(IDNO);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), Entries{"NO!"});
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "13");
    });
    EXPECT_EQ(afxtest::MessageBoxes().at(1).text, "large");
    EXPECT_EQ(afxtest::MessageBoxes().at(2).text, "Done!  Click a RefDes then Highlight button.  ");
}

TEST_F(TextFinderTest, OperationLeftByAnExceptionEndsNestedWaitCursorsAndClosesTheDesign) {
    fake::Design d;
    d.textStyles = {"s"};
    d.components = {{"U1", {}, {{"A", 0}, {"B", 0}}}, {"U2", {}, {{"A", 0}}}};
    fake::Reset(d);
    fake::Db().onCall = [](const std::string& function) {
        if (function == "TGetTextStyle" && fake::Db().CountCalls("TGetTextStyle") == 2)
            throw std::bad_alloc();
    };
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_TEXT);
        EXPECT_EQ(afxtest::WaitCursorDepth(), 0);
        EXPECT_FALSE(afxtest::WaitCursorShown());
        EXPECT_EQ(fake::Db().opens, 1);
        EXPECT_EQ(fake::Db().closes, 1);
        EXPECT_EQ(afxtest::ControlText(d, IDC_TEXT_COUNT), "1");
    });
    EXPECT_NE(LastMessageBox().text, "Done!  Select an Text Style to get Component(s).  ");
}

}  // namespace
