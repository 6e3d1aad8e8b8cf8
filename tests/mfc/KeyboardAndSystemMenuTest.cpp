// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard routing (Enter, Escape, mnemonics), the close box and the system menu.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>

#include "AfxTesting.h"
#include "TestDialog.h"
#include "WidgetLookup.h"

namespace {

using testdlg::TestDialog;

class KeyboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testdlg::RegisterTemplates();
        afxtest::Reset();
    }
    TestDialog dialog;
};

TEST_F(KeyboardTest, EscapeRunsOnCancel) {
    afxtest::OnNextModal([](CDialog& d) { afxtest::PressKey(d, Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.cancelCalls, 1);
    EXPECT_EQ(afxtest::UnscriptedModals(), 0);
}

TEST_F(KeyboardTest, EnterPressesTheFocusedPushButtonElseRunsOnOk) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& dlg = static_cast<TestDialog&>(d);
        getChild(d, testdlg::kBeta).setFocus();
        afxtest::PressKey(d, Qt::Key_Return);
        EXPECT_EQ(dlg.betaClicks, 1);
        EXPECT_EQ(dlg.okCalls, 0);
        getChild(d, testdlg::kSorted).setFocus();
        afxtest::PressKey(d, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(dlg.okCalls, 1);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.cancelCalls, 0);
}

TEST_F(KeyboardTest, AltAndMnemonicPressesTheButton) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& dlg = static_cast<TestDialog&>(d);
        afxtest::PressKey(d, Qt::Key_B, Qt::AltModifier);
        EXPECT_EQ(dlg.betaClicks, 1);
        EXPECT_EQ(dlg.alphaClicks, 0);
        // A static's mnemonic acts on the control after it.
        afxtest::PressKey(d, Qt::Key_L, Qt::AltModifier);
        EXPECT_EQ(afxtest::Window(d)->focusWidget(), &getChild(d, testdlg::kAfterLabel));
        afxtest::PressKey(d, Qt::Key_X, Qt::AltModifier);  // E&xit
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.cancelCalls, 1);
}

TEST_F(KeyboardTest, CloseBoxGoesThroughSysCommandToOnCancel) {
    afxtest::OnNextModal([](CDialog& d) {
        QCloseEvent close;
        QCoreApplication::sendEvent(afxtest::Window(d), &close);
        EXPECT_FALSE(close.isAccepted());  // the dialog decides through OnCancel
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.sysCommands, (std::vector<UINT>{SC_CLOSE}));
    EXPECT_EQ(dialog.cancelCalls, 1);
    EXPECT_EQ(afxtest::UnscriptedModals(), 0);
}

TEST_F(KeyboardTest, SystemMenuHoldsWindowEntriesAndAppendedOnes) {
    afxtest::OnNextModal([](CDialog& d) {
        CMenu* menu = d.GetSystemMenu(FALSE);
        ASSERT_NE(menu, nullptr);
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, 0x10, "&About TEST...");
        const auto entries = afxtest::SystemMenu(d);
        std::vector<std::string> texts;
        for (const auto& e : entries) texts.push_back(e.separator ? "-" : e.text);
        // Only what applies: not minimized (no Restore), no minimize box (no Minimize).
        EXPECT_EQ(texts, (std::vector<std::string>{"&Move", "-", "&Close", "-", "&About TEST..."}));
        EXPECT_TRUE(entries[0].enabled);
        EXPECT_EQ(entries.back().id, 0x10u);

        auto& dlg = static_cast<TestDialog&>(d);
        afxtest::ChooseSystemMenuEntry(d, "&About TEST...");
        EXPECT_EQ(dlg.sysCommands, (std::vector<UINT>{0x10}));

        // Alt+Space and a right-click on the background open it; on a control they do not.
        afxtest::PressKey(d, Qt::Key_Space, Qt::AltModifier);
        EXPECT_EQ(afxtest::SystemMenuOpenings(), 1);
        const QRect alpha = getChild(d, testdlg::kAlpha).geometry();
        afxtest::RightClick(d, alpha.center().x(), alpha.center().y());
        EXPECT_EQ(afxtest::SystemMenuOpenings(), 1);
        const QWidget* window = afxtest::Window(d);
        afxtest::QueueSystemMenuChoice("&Close");
        afxtest::RightClick(d, window->width() - 2, window->height() - 2);
        EXPECT_EQ(afxtest::SystemMenuOpenings(), 2);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.sysCommands, (std::vector<UINT>{0x10, SC_CLOSE}));
    EXPECT_EQ(dialog.cancelCalls, 1);
}

TEST_F(KeyboardTest, NoSystemMenuWithoutSysMenuStyle) {
    TestDialog plain(testdlg::kPlainId);
    afxtest::OnNextModal([](CDialog& d) {
        EXPECT_EQ(d.GetSystemMenu(FALSE), nullptr);
        afxtest::PressKey(d, Qt::Key_Space, Qt::AltModifier);
        EXPECT_EQ(afxtest::SystemMenuOpenings(), 0);
        afxtest::PressKey(d, Qt::Key_Return);  // focus is on the default OK button
    });
    EXPECT_EQ(plain.DoModal(), IDOK);
}

}  // namespace
