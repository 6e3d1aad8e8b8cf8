// SPDX-License-Identifier: GPL-3.0-or-later
// Windows built from templates: geometry in dialog units, control kinds, captions.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "AfxTesting.h"
#include "TestDialog.h"
#include "WidgetLookup.h"

namespace {

using testdlg::TestDialog;

class DialogWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testdlg::RegisterTemplates();
        afxtest::Reset();
    }
    TestDialog dialog;
};

TEST_F(DialogWindowTest, GeometryFollowsDialogUnitsThroughTheFontBaseUnits) {
    afxtest::OnNextModal([](CDialog& d) {
        CRect unit(0, 0, 4, 8);  // one average character by one character height
        d.MapDialogRect(unit);
        ASSERT_GT(unit.Width(), 0);
        ASSERT_GT(unit.Height(), unit.Width());  // a character is taller than wide

        const QWidget* window = afxtest::Window(d);
        CRect frame(0, 0, 250, 170);
        d.MapDialogRect(frame);
        EXPECT_EQ(window->width(), frame.Width());
        EXPECT_EQ(window->height(), frame.Height());
        EXPECT_EQ(window->minimumSize(), window->maximumSize());  // fixed size

        const QRect alpha = getChild(d, testdlg::kAlpha).geometry();  // 5, 5, 50, 14
        const QRect beta = getChild(d, testdlg::kBeta).geometry();    // 5, 25, 100, 14
        EXPECT_EQ(alpha.x(), beta.x());
        EXPECT_NEAR(beta.width(), 2 * alpha.width(), 1);
        EXPECT_EQ(alpha.height(), beta.height());
        EXPECT_NEAR(beta.y() - alpha.y(), 20 * unit.Height() / 8.0, 1);
        EXPECT_NEAR(alpha.width(), 50 * unit.Width() / 4.0, 1);
        CRect client;
        d.GetClientRect(&client);
        EXPECT_EQ(client.Width(), window->width());
    });
    dialog.DoModal();
}

TEST_F(DialogWindowTest, BuildsEachKindOfControl) {
    afxtest::OnNextModal([](CDialog& d) {
        EXPECT_EQ(afxtest::WindowCaption(d), "TEST DIALOG");
        auto& alpha = getChildAs<QPushButton>(d, testdlg::kAlpha);
        EXPECT_FALSE(alpha.autoDefault());
        EXPECT_EQ(alpha.text().toStdString(), "&Alpha");
        EXPECT_EQ(getChildAs<QListWidget>(d, testdlg::kSorted).selectionMode(),
                  QAbstractItemView::SingleSelection);
        auto& label = getChildAs<QLabel>(d, testdlg::kLabel);
        EXPECT_TRUE(label.wordWrap());
        EXPECT_EQ(label.buddy(), &getChild(d, testdlg::kAfterLabel));
        getChildAs<QRadioButton>(d, testdlg::kRed);
        QGroupBox* box = nullptr;
        for (const auto& [id, widget] : afxtest::Controls(d)) {
            if (auto* b = qobject_cast<QGroupBox*>(widget)) box = b;
        }
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->title().toStdString(), "Colour");
        EXPECT_TRUE(box->testAttribute(Qt::WA_TransparentForMouseEvents));
        // The frame lies under the radio buttons it surrounds.
        const QObjectList& children = afxtest::Window(d)->children();
        EXPECT_LT(children.indexOf(box), children.indexOf(&getChild(d, testdlg::kRed)));
    });
    dialog.DoModal();
}

TEST_F(DialogWindowTest, MissingTemplateFailsAtOnce) {
    TestDialog missing(4242);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.initCalls, 0);
}

TEST_F(DialogWindowTest, UnscriptedModalEndsThroughOnCancel) {
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.cancelCalls, 1);
    EXPECT_EQ(afxtest::UnscriptedModals(), 1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(DialogWindowTest, NestedModalTakesTheNextScriptAndIsOwnedByTheOuterDialog) {
    TestDialog inner(testdlg::kPlainId);
    QWidget* outerWindow = nullptr;
    QWidget* innerParent = nullptr;
    dialog.onAlpha = [&] {
        afxtest::OnNextModal([&](CDialog& d) {
            innerParent = afxtest::Window(d)->parentWidget();
            afxtest::PressButton(d, IDOK);
        });
        EXPECT_EQ(inner.DoModal(), IDOK);
    };
    afxtest::OnNextModal([&](CDialog& d) {
        outerWindow = afxtest::Window(d);
        afxtest::PressButton(d, testdlg::kAlpha);
        afxtest::PressButton(d, IDCANCEL);
    });
    CWinApp* app = AfxGetApp();
    CWnd* previousMain = app->m_pMainWnd;
    app->m_pMainWnd = &dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    app->m_pMainWnd = previousMain;
    EXPECT_EQ(inner.okCalls, 1);
    EXPECT_NE(outerWindow, nullptr);
    EXPECT_EQ(innerParent, outerWindow);
    EXPECT_EQ(afxtest::UnscriptedModals(), 0);
}

}  // namespace
