// SPDX-License-Identifier: GPL-3.0-or-later
// Highlight, the same operation in the four finders.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QRadioButton>
#include <memory>

#include "AttributeFinderDialog.h"
#include "Dbx32.h"
#include "DialogScript.h"
#include "FakeDesignDb.h"
#include "HoleFinderDialog.h"
#include "PadFinderDialog.h"
#include "TextFinderDialog.h"
#include "WidgetLookup.h"
#include "resource.h"

namespace {

using Entries = std::vector<std::string>;

struct Finder {
    const char* name;
    std::function<std::unique_ptr<CDialog>()> make;
    int getButton;
    int valueList;
    int highlightButton;
};

void PrintTo(const Finder& finder, std::ostream* os) {
    *os << finder.name;
}

// Every component carries a pad and an attribute of each kind, so Where Used finds all.
fake::Design TwoR1sAndAU1() {
    fake::Design d;
    d.padStyles = {{"THT", 2540}};
    d.textStyles = {"1.0x1.0 t0.15"};
    d.components = {
        {"R1", {0}, {{"Value", 0}}}, {"U1", {0}, {{"Value", 0}}}, {"R1", {0}, {{"Value", 0}}}};
    return d;
}

class HighlightTest : public ::testing::TestWithParam<Finder> {
  protected:
    void SetUp() override {
        afxtest::Reset();
        fake::Reset(TwoR1sAndAU1());
        dialog = GetParam().make();
    }

    // Fills the where-used list through Get and Where Used, then runs the rest.
    void WithWhereUsedList(std::function<void(CDialog&)> rest) {
        const Finder finder = GetParam();
        RunModal(*dialog, [&](CDialog& d) {
            afxtest::PressButton(d, finder.getButton);
            afxtest::SelectListEntry(d, finder.valueList, 0);
            afxtest::QueueMessageBoxReply(IDYES);
            afxtest::PressButton(d, IDC_WHERE_USED);
            ASSERT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), (Entries{"R1", "U1"}));
            rest(d);
        });
    }

    std::unique_ptr<CDialog> dialog;
};

TEST_P(HighlightTest, EachRadioButtonSendsItsColourCode) {
    const int highlight = GetParam().highlightButton;
    WithWhereUsedList([&](CDialog& d) {
        afxtest::SelectListEntry(d, IDC_WHERE_USED_LIST, 1);
        for (int radio : {IDC_RED, IDC_WHITE, IDC_BLUE, IDC_CYAN, IDC_YELLOW}) {
            afxtest::CheckRadio(d, radio);
            afxtest::PressButton(d, highlight);
        }
    });
    std::vector<int> colours;
    for (const auto& h : fake::Db().highlights) {
        EXPECT_EQ(h.refDes, "U1");
        colours.push_back(h.colour);
    }
    EXPECT_EQ(colours, (std::vector<int>{DBX_COLOUR_RED, DBX_COLOUR_WHITE, DBX_COLOUR_BLUE,
                                         DBX_COLOUR_CYAN, DBX_COLOUR_YELLOW}));
    EXPECT_EQ(afxtest::MessageBoxes().size(), 3u);  // only Get's and Where Used's
}

TEST_P(HighlightTest, ColourButtonsAreAnnouncedAsOneRadioGroup) {
    RunModal(*dialog, [&](CDialog& d) {
        const std::vector<int> colours{IDC_RED, IDC_WHITE, IDC_BLUE, IDC_CYAN, IDC_YELLOW};
        auto announced = [&] {
            std::vector<bool> checked;
            for (int id : colours) {
                auto* button = qobject_cast<QRadioButton*>(&getChild(d, id));
                EXPECT_NE(button, nullptr) << id;
                if (button == nullptr) return checked;
                EXPECT_EQ(button->group(), getChildAs<QRadioButton>(d, IDC_RED).group()) << id;
                QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
                EXPECT_EQ(iface->role(), QAccessible::RadioButton) << id;
                checked.push_back(iface->state().checked);
            }
            return checked;
        };
        EXPECT_EQ(announced(), (std::vector<bool>{false, false, false, true, false}));
        afxtest::CheckRadio(d, IDC_WHITE);
        EXPECT_EQ(announced(), (std::vector<bool>{false, true, false, false, false}));
    });
}

TEST_P(HighlightTest, OnlyTheFirstOfTwoComponentsWithOneRefDesIsHighlighted) {
    const int highlight = GetParam().highlightButton;
    WithWhereUsedList([&](CDialog& d) {
        afxtest::SelectListEntry(d, IDC_WHERE_USED_LIST, 0);
        afxtest::PressButton(d, highlight);
        EXPECT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), (Entries{"R1", "U1"}));
        EXPECT_TRUE(afxtest::IsChecked(d, IDC_CYAN));
    });
    ASSERT_EQ(fake::Db().highlights.size(), 1u);
    EXPECT_EQ(fake::Db().highlights[0].componentIndex, 0u);
    // The wait cursor is up from the walk until the design is closed.
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("THighlightComponent"), 1);
    EXPECT_EQ(fake::Db().MaxWaitCursorDepth("TCloseDesign"), 1);
    EXPECT_EQ(afxtest::WaitCursorDepth(), 0);
}

TEST_P(HighlightTest, NothingSelectedAsksForARefDes) {
    const int highlight = GetParam().highlightButton;
    RunModal(*dialog, [&](CDialog& d) { afxtest::PressButton(d, highlight); });
    EXPECT_EQ(MessageBoxTexts(), Entries{"Please Select a RefDes"});
    EXPECT_EQ(fake::Db().opens, 0);
    EXPECT_EQ(fake::Db().closes, 1);  // Exit closes once, even with nothing opened
}

TEST_P(HighlightTest, NoFromADeclinedWhereUsedMatchesNothingSilently) {
    const Finder finder = GetParam();
    RunModal(*dialog, [&](CDialog& d) {
        afxtest::PressButton(d, finder.getButton);
        afxtest::SelectListEntry(d, finder.valueList, 0);
        afxtest::QueueMessageBoxReply(IDNO);
        afxtest::PressButton(d, IDC_WHERE_USED);
        afxtest::SelectListEntry(d, IDC_WHERE_USED_LIST, 0);
        afxtest::PressButton(d, finder.highlightButton);
    });
    EXPECT_TRUE(fake::Db().highlights.empty());
    EXPECT_EQ(afxtest::MessageBoxes().size(), 2u);
    EXPECT_EQ(fake::Db().opens, 2);
    EXPECT_EQ(fake::Db().CountCalls("TGetNextComponent"), 3 + 3);
}

INSTANTIATE_TEST_SUITE_P(
    AllFinders, HighlightTest,
    ::testing::Values(Finder{"Pad", [] { return std::make_unique<PadFinderDialog>(); },
                             IDC_GET_PADS, IDC_PAD_STYLE_LIST, IDC_PAD_HIGHLIGHT},
                      Finder{"Attribute", [] { return std::make_unique<AttributeFinderDialog>(); },
                             IDC_GET_ATTRIBUTES, IDC_ATTRIBUTE_LIST, IDC_ATTRIBUTE_HIGHLIGHT},
                      Finder{"Text", [] { return std::make_unique<TextFinderDialog>(); },
                             IDC_GET_TEXT, IDC_TEXT_STYLE_LIST, IDC_TEXT_HIGHLIGHT},
                      Finder{"Hole", [] { return std::make_unique<HoleFinderDialog>(); },
                             IDC_GET_HOLES, IDC_HOLE_SIZE_LIST, IDC_HOLE_HIGHLIGHT}),
    [](const ::testing::TestParamInfo<Finder>& info) { return std::string(info.param.name); });

}  // namespace
