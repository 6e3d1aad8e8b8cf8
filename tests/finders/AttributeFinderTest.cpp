// SPDX-License-Identifier: GPL-3.0-or-later
// The attribute finder driven through its real controls against an in-memory design.
#include <gtest/gtest.h>

#include <new>

#include "AttributeFinderDialog.h"
#include "Dbx32.h"
#include "DialogScript.h"
#include "FakeDesignDb.h"
#include "resource.h"

namespace {

using Entries = std::vector<std::string>;

// Twelve components; R3, R7 and R11 carry "Tolerance", all carry "Value".
fake::Design TwelveComponents() {
    fake::Design d;
    d.textStyles = {"1.0x1.0 t0.15"};
    for (int i = 1; i <= 12; ++i) {
        fake::Component c{"R" + std::to_string(i), {}, {{"Value", 0}}};
        if (i % 4 == 3) c.attributes.push_back({"Tolerance", 0});
        d.components.push_back(c);
    }
    return d;
}

class AttributeFinderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        afxtest::Reset();
        fake::Reset();
    }
    AttributeFinderDialog dialog;
};

TEST_F(AttributeFinderTest, EmptyDesignShowsDoneWithoutWaitCursor) {
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_ATTRIBUTES);
        EXPECT_TRUE(afxtest::ListEntries(d, IDC_ATTRIBUTE_LIST).empty());
        EXPECT_EQ(afxtest::ControlText(d, IDC_ATTRIBUTE_COUNT), "");
    });
    EXPECT_EQ(MessageBoxTexts(), Entries{"Done!  Select an Attribute to get Component(s).  "});
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("TGetFirstComponent"), 0);
    EXPECT_EQ(LastMessageBox().waitCursorDepth, 0);
}

TEST_F(AttributeFinderTest, FiveAttributesWithThreeNamesOverThreeComponents) {
    fake::Design d;
    d.components = {{"C1", {}, {{"Value", 0}, {"Value", 0}}},  // twice on one component
                    {"J1", {}, {}},                            // no attributes
                    {"R1", {}, {{"value", 0}, {"Footprint", 0}}},
                    {"U1", {}, {{"Footprint", 0}}}};
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_ATTRIBUTES);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_ATTRIBUTE_LIST),
                  (Entries{"Footprint", "Value", "value"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_ATTRIBUTE_COUNT), "5");
        EXPECT_EQ(afxtest::ListSelection(d, IDC_ATTRIBUTE_LIST), LB_ERR);
        afxtest::PressButton(d, IDC_WHERE_USED);  // nothing selected right after Get
    });
    EXPECT_EQ(MessageBoxTexts().back(), "Please Select an Attribute");
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("TGetFirstCompAttribute"), 1);
}

TEST_F(AttributeFinderTest, EmptyNameIsCountedAndListedButCannotBeSearched) {
    fake::Design d;
    d.components = {{"U1", {}, {{"", 0}, {"Value", 0}}}};
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_ATTRIBUTES);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_ATTRIBUTE_LIST), (Entries{"", "Value"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_ATTRIBUTE_COUNT), "2");
        afxtest::SelectListEntry(d, IDC_ATTRIBUTE_LIST, 0);
        afxtest::PressButton(d, IDC_WHERE_USED);
    });
    EXPECT_EQ(MessageBoxTexts().back(), "Please Select an Attribute");
    EXPECT_EQ(fake::Db().opens, 1);
}

TEST_F(AttributeFinderTest, WhereUsedOnTwelveComponentsListsTheThreeThatMatch) {
    fake::Reset(TwelveComponents());
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_ATTRIBUTES);
        afxtest::SelectListEntry(d, IDC_ATTRIBUTE_LIST, 0);  // "Tolerance"
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), (Entries{"R11", "R3", "R7"}));
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "12");
        EXPECT_EQ(afxtest::ControlText(d, IDC_ATTRIBUTE_COUNT), "15");

        // A second Where Used replaces the list.
        afxtest::SelectListEntry(d, IDC_ATTRIBUTE_LIST, 1);  // "Value"
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST).size(), 12u);

        afxtest::QueueMessageBoxReply(IDNO);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), Entries{"NO!"});
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "12");
    });
    EXPECT_EQ(afxtest::MessageBoxes().at(2).text, "Done!  Click a RefDes then Highlight button.  ");
    EXPECT_EQ(afxtest::MessageBoxes().at(2).waitCursorDepth, 1);
    EXPECT_EQ(fake::Db().opens, 3);
}

TEST_F(AttributeFinderTest, DesignChangedAfterGetGivesAnEmptyListAndAllSearched) {
    fake::Reset(TwelveComponents());
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_ATTRIBUTES);
        for (auto& c : fake::Db().design.components) c.attributes.resize(1);
        afxtest::SelectListEntry(d, IDC_ATTRIBUTE_LIST, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_TRUE(afxtest::ListEntries(d, IDC_WHERE_USED_LIST).empty());
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "12");
    });
    EXPECT_EQ(LastMessageBox().text, "Done!  Click a RefDes then Highlight button.  ");
}

TEST_F(AttributeFinderTest, ComponentsListedOnceAndColourRestored) {
    fake::Design d;
    d.components = {{"U1", {}, {{"Value", 0}, {"Value", 0}}},
                    {"U1", {}, {{"Value", 0}}},
                    {"U2", {}, {{"Footprint", 0}}}};
    fake::Reset(d);
    RunModal(dialog, [](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_ATTRIBUTES);
        afxtest::CheckRadio(d, IDC_WHITE);
        afxtest::SelectListEntry(d, IDC_ATTRIBUTE_LIST, 1);  // "Value"
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), Entries{"U1"});
        EXPECT_TRUE(afxtest::IsChecked(d, IDC_CYAN));
        afxtest::SelectListEntry(d, IDC_WHERE_USED_LIST, 0);
        afxtest::PressButton(d, IDC_ATTRIBUTE_HIGHLIGHT);
    });
    ASSERT_EQ(fake::Db().highlights.size(), 1u);
    EXPECT_EQ(fake::Db().highlights[0].colour, DBX_COLOUR_CYAN);
    EXPECT_EQ(fake::Db().highlights[0].componentIndex, 0u);
}

TEST_F(AttributeFinderTest, OperationLeftByAnExceptionEndsItsWaitCursorsAndClosesTheDesign) {
    fake::Reset(TwelveComponents());
    int nextCalls = 0;
    RunModal(dialog, [&](CDialog& d) {
        afxtest::PressButton(d, IDC_GET_ATTRIBUTES);
        afxtest::SelectListEntry(d, IDC_ATTRIBUTE_LIST, 0);
        fake::Db().onCall = [&](const std::string& function) {
            if (function == "TGetNextCompAttribute" && ++nextCalls == 5) throw std::bad_alloc();
        };
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        EXPECT_EQ(afxtest::WaitCursorDepth(), 0);
        EXPECT_EQ(fake::Db().opens, fake::Db().closes);
        fake::Db().onCall = nullptr;
    });
    EXPECT_EQ(nextCalls, 5);
    // The failure is reported instead of the closing message.
    EXPECT_NE(LastMessageBox().text, "Done!  Click a RefDes then Highlight button.  ");
}

}  // namespace
