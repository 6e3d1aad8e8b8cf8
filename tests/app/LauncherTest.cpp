// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher: its buttons, the finders it owns, Exit, Escape and the About box.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QWidget>
#include <map>

#include "DialogScript.h"
#include "FakeDesignDb.h"
#include "LauncherDialog.h"
#include "PartwiseResources.h"
#include "resource.h"

namespace {

using Entries = std::vector<std::string>;

class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        afxtest::Reset();
        fake::Reset();
    }
    LauncherDialog launcher;
};

TEST_F(LauncherTest, ShowsItsButtonsAndExitEndsIt) {
    int result = 0;
    afxtest::OnNextModal([](CDialog& d) {
        EXPECT_EQ(afxtest::WindowCaption(d), "PARTWISE");
        EXPECT_EQ(afxtest::ControlText(d, IDC_PAD_FINDER), "&Pad Finder");
        EXPECT_EQ(afxtest::ControlText(d, IDC_ATTRIBUTE_FINDER), "&Attribute Finder");
        EXPECT_EQ(afxtest::ControlText(d, IDC_TEXT_FINDER), "&Text Finder");
        EXPECT_EQ(afxtest::ControlText(d, IDC_HOLE_FINDER), "&Hole Finder");
        EXPECT_EQ(afxtest::ControlText(d, IDCANCEL), "E&xit");
        afxtest::PressButton(d, IDCANCEL);
    });
    result = static_cast<int>(launcher.DoModal());
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(afxtest::UnscriptedMessageBoxes(), 0);
}

TEST_F(LauncherTest, EscapeEndsTheLauncherLikeExit) {
    afxtest::OnNextModal([](CDialog& d) { afxtest::PressKey(d, Qt::Key_Escape); });
    EXPECT_EQ(static_cast<int>(launcher.DoModal()), IDCANCEL);
}

struct FinderButton {
    int id;
    const char* caption;
    int getButton;
};

TEST_F(LauncherTest, EachButtonShowsItsFinderWithCyanAndExitReturns) {
    const FinderButton buttons[] = {
        {IDC_PAD_FINDER, "PAD STYLES IN COMPONENTS", IDC_GET_PADS},
        {IDC_ATTRIBUTE_FINDER, "ATTRIBUTES IN COMPONENTS", IDC_GET_ATTRIBUTES},
        {IDC_TEXT_FINDER, "TEXT STYLES IN COMPONENTS", IDC_GET_TEXT},
        {IDC_HOLE_FINDER, "HOLE SIZES IN COMPONENTS", IDC_GET_HOLES},
    };
    std::vector<std::string> captions;
    afxtest::OnNextModal([&](CDialog& d) {
        for (const FinderButton& b : buttons) {
            afxtest::OnNextModal([&](CDialog& finder) {
                captions.push_back(afxtest::WindowCaption(finder));
                EXPECT_TRUE(afxtest::IsChecked(finder, IDC_CYAN));
                EXPECT_TRUE(afxtest::ListEntries(finder, IDC_WHERE_USED_LIST).empty());
                EXPECT_EQ(afxtest::ControlText(finder, IDC_COMPONENTS_SEARCHED), "");
                EXPECT_EQ(afxtest::ControlText(finder, IDC_WHERE_USED), "&Where Used:");
                afxtest::PressButton(finder, IDCANCEL);
            });
            afxtest::PressButton(d, b.id);
        }
        afxtest::PressButton(d, IDCANCEL);
    });
    launcher.DoModal();
    EXPECT_EQ(captions, (Entries{"PAD STYLES IN COMPONENTS", "ATTRIBUTES IN COMPONENTS",
                                 "TEXT STYLES IN COMPONENTS", "HOLE SIZES IN COMPONENTS"}));
    EXPECT_EQ(fake::Db().closes, 4);  // each Exit closes its finder's design context
    EXPECT_EQ(fake::Db().opens, 0);
}

TEST_F(LauncherTest, AFinderShownAgainKeepsItsCountsButNotItsLists) {
    fake::Design design;
    design.padStyles = {{"SMD", 0}};
    design.components = {{"R1", {0, 0}, {}}};
    fake::Reset(design);
    afxtest::OnNextModal([&](CDialog& d) {
        afxtest::OnNextModal([](CDialog& finder) {
            afxtest::PressButton(finder, IDC_GET_PADS);
            afxtest::CheckRadio(finder, IDC_RED);
            afxtest::SelectListEntry(finder, IDC_PAD_STYLE_LIST, 0);
            afxtest::QueueMessageBoxReply(IDNO);
            afxtest::PressButton(finder, IDC_WHERE_USED);
        });
        afxtest::PressButton(d, IDC_PAD_FINDER);
        afxtest::OnNextModal([](CDialog& finder) {
            EXPECT_EQ(afxtest::ControlText(finder, IDC_PAD_COUNT), "2");
            EXPECT_EQ(afxtest::ControlText(finder, IDC_PAD_STYLE_COUNT), "1");
            EXPECT_TRUE(afxtest::ListEntries(finder, IDC_PAD_STYLE_LIST).empty());
            EXPECT_TRUE(afxtest::ListEntries(finder, IDC_WHERE_USED_LIST).empty());
            EXPECT_TRUE(afxtest::IsChecked(finder, IDC_CYAN));
            EXPECT_FALSE(afxtest::IsChecked(finder, IDC_RED));
        });
        afxtest::PressButton(d, IDC_PAD_FINDER);
    });
    launcher.DoModal();
}

TEST_F(LauncherTest, SystemMenuAboutEntryShowsTheAboutBox) {
    std::vector<std::string> aboutTexts;
    afxtest::OnNextModal([&](CDialog& d) {
        const auto menu = afxtest::SystemMenu(d);
        ASSERT_GE(menu.size(), 2u);
        EXPECT_TRUE(menu[menu.size() - 2].separator);
        EXPECT_EQ(menu.back().text, "&About PARTWISE...");
        EXPECT_EQ(menu.back().id, IDM_ABOUTBOX);

        afxtest::OnNextModal([&](CDialog& about) {
            aboutTexts.push_back(afxtest::WindowCaption(about));
            aboutTexts.push_back(afxtest::ControlText(about, IDOK));
            afxtest::PressButton(about, IDOK);
        });
        // Alt+Space opens the menu; the About entry is chosen from it.
        afxtest::QueueSystemMenuChoice("&About PARTWISE...");
        afxtest::PressKey(d, Qt::Key_Space, Qt::AltModifier);
        EXPECT_EQ(afxtest::SystemMenuOpenings(), 1);
        EXPECT_TRUE(afxtest::Window(d)->isVisible());  // About closed, launcher still up
    });
    launcher.DoModal();
    EXPECT_EQ(aboutTexts, (Entries{"About PARTWISE", "OK"}));
    EXPECT_EQ(afxtest::UnscriptedModals(), 0);
}

TEST(Resources, VersionAndStringsAreThoseOfTheProgram) {
    CString about;
    about.LoadString(IDS_ABOUTBOX);
    EXPECT_EQ(std::string(about), "&About PARTWISE...");
    const AfxResourceTable& table = PartwiseResources();
    std::map<std::string, std::string> version;
    for (const auto& v : table.version) version[v.key] = v.value;
    EXPECT_EQ(version["FileVersion"], "1.09");
    EXPECT_EQ(version["ProductVersion"], "1.09");
    EXPECT_EQ(version["OriginalFilename"], "PARTWISE.EXE");
    EXPECT_EQ(version["ProductName"], "PARTWISE Application");
}

}  // namespace
