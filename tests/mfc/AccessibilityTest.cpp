// SPDX-License-Identifier: GPL-3.0-or-later
// What assistive tools are told: radio groups as radio buttons with the checked one marked,
// the system menu as a menu holding only the entries that apply.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QButtonGroup>
#include <QMenu>
#include <QRadioButton>

#include "AfxTesting.h"
#include "TestDialog.h"
#include "WidgetLookup.h"

namespace {

using testdlg::TestDialog;

class AccessibilityTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testdlg::RegisterTemplates();
        afxtest::Reset();
    }
    TestDialog dialog;
};

// Checked marks as assistive tools read them, RED GREEN BLUE in order.
std::vector<bool> AnnouncedChecks(CDialog& d) {
    std::vector<bool> checks;
    for (int id : {testdlg::kRed, testdlg::kGreen, testdlg::kBlue}) {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(&getChild(d, id));
        EXPECT_NE(button, nullptr);
        if (button == nullptr) return {};
        EXPECT_EQ(button->role(), QAccessible::RadioButton) << id;
        EXPECT_TRUE(button->state().checkable) << id;
        checks.push_back(button->state().checked);
    }
    return checks;
}

TEST_F(AccessibilityTest, RadioGroupIsAnnouncedAsRadioButtonsWithTheCheckedOneMarked) {
    dialog.m_colour = 2;
    afxtest::OnNextModal([](CDialog& d) {
        auto& dlg = static_cast<TestDialog&>(d);
        // One exclusive group, the static text inside it left out.
        QButtonGroup* group = getChildAs<QRadioButton>(d, testdlg::kRed).group();
        ASSERT_NE(group, nullptr);
        EXPECT_TRUE(group->exclusive());
        EXPECT_EQ(group->buttons().size(), 3);
        EXPECT_EQ(getChildAs<QRadioButton>(d, testdlg::kBlue).group(), group);

        EXPECT_EQ(AnnouncedChecks(d), (std::vector<bool>{false, false, true}));
        afxtest::CheckRadio(d, testdlg::kGreen);
        EXPECT_EQ(AnnouncedChecks(d), (std::vector<bool>{false, true, false}));

        // The program may still empty the group, and the user then checks one again.
        dlg.m_colour = -1;
        dlg.UpdateData(FALSE);
        EXPECT_EQ(AnnouncedChecks(d), (std::vector<bool>{false, false, false}));
        afxtest::CheckRadio(d, testdlg::kRed);
        afxtest::CheckRadio(d, testdlg::kBlue);
        EXPECT_EQ(AnnouncedChecks(d), (std::vector<bool>{false, false, true}));
        dlg.UpdateData(TRUE);
        EXPECT_EQ(dlg.m_colour, 2);
    });
    dialog.DoModal();
}

TEST_F(AccessibilityTest, ArrowKeysMoveTheCheckWithinTheGroup) {
    dialog.m_colour = 0;
    afxtest::OnNextModal([](CDialog& d) {
        auto& red = getChildAs<QRadioButton>(d, testdlg::kRed);
        red.setFocus();
        afxtest::PressKey(d, Qt::Key_Down);
        EXPECT_EQ(AnnouncedChecks(d), (std::vector<bool>{false, true, false}));
        static_cast<TestDialog&>(d).UpdateData(TRUE);
        EXPECT_EQ(static_cast<TestDialog&>(d).m_colour, 1);
    });
    dialog.DoModal();
}

TEST_F(AccessibilityTest, SystemMenuIsAnnouncedAsAMenuOfTheEntriesThatApply) {
    afxtest::OnNextModal([](CDialog& d) {
        d.GetSystemMenu(FALSE)->AppendMenu(MF_SEPARATOR);
        d.GetSystemMenu(FALSE)->AppendMenu(MF_STRING, 0x10, "&About TEST...");
        std::unique_ptr<QMenu> menu = afxtest::SystemMenuWidget(d);
        ASSERT_NE(menu, nullptr);
        QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(menu.get());
        ASSERT_NE(announced, nullptr);
        EXPECT_EQ(announced->role(), QAccessible::PopupMenu);
        EXPECT_EQ(announced->text(QAccessible::Name),
                  afxtest::Window(d)->windowTitle());  // the window it belongs to

        // A dialog neither minimized nor minimizable: no Restore, no Minimize.
        std::vector<std::string> entries;
        for (int i = 0; i < announced->childCount(); ++i) {
            QAccessibleInterface* entry = announced->child(i);
            ASSERT_NE(entry, nullptr);
            if (entry->role() == QAccessible::Separator) {
                entries.push_back("-");
                continue;
            }
            EXPECT_EQ(entry->role(), QAccessible::MenuItem);
            EXPECT_FALSE(entry->state().disabled) << entry->text(QAccessible::Name).toStdString();
            entries.push_back(entry->text(QAccessible::Name).toStdString());
        }
        EXPECT_EQ(entries, (std::vector<std::string>{"Move", "-", "Close", "-", "About TEST..."}));
        afxtest::PressKey(d, Qt::Key_Escape);
    });
    dialog.DoModal();
}

TEST_F(AccessibilityTest, MinimizedWindowOffersRestoreInsteadOfMove) {
    afxtest::OnNextModal([](CDialog& d) {
        afxtest::Window(d)->showMinimized();
        std::vector<std::string> texts;
        for (const auto& entry : afxtest::SystemMenu(d)) {
            texts.push_back(entry.separator ? "-" : entry.text);
            EXPECT_TRUE(entry.enabled) << entry.text;
        }
        EXPECT_EQ(texts, (std::vector<std::string>{"&Restore", "-", "&Close"}));
        afxtest::Window(d)->showNormal();
        EXPECT_EQ(afxtest::SystemMenu(d).front().text, "&Move");
        afxtest::PressKey(d, Qt::Key_Escape);
    });
    dialog.DoModal();
}

TEST_F(AccessibilityTest, NoSystemMenuWithoutTheStyle) {
    TestDialog plain(testdlg::kPlainId);
    afxtest::OnNextModal([](CDialog& d) {
        EXPECT_EQ(afxtest::SystemMenuWidget(d), nullptr);
        afxtest::PressKey(d, Qt::Key_Return);
    });
    EXPECT_EQ(plain.DoModal(), IDOK);
}

}  // namespace
