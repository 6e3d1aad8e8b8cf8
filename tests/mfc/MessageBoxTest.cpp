// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes and the application's wait cursor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <algorithm>

#include "AfxTesting.h"
#include "TestDialog.h"

namespace {

using Texts = std::vector<std::string>;
using testdlg::TestDialog;

class MessageBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testdlg::RegisterTemplates();
        afxtest::Reset();
    }
    TestDialog dialog;
};

Texts Plain(Texts texts) {
    for (auto& t : texts) std::erase(t, '&');
    return texts;
}

TEST_F(MessageBoxTest, CaptionButtonsOwnerAndResults) {
    std::vector<int> results;
    afxtest::OnNextModal([&](CDialog& d) {
        results.push_back(d.MessageBox("Done!  "));
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::QueueMessageBoxReply(IDNO);
        results.push_back(d.MessageBox("SMD_1", "FIND the COMPONENTS?", MB_YESNO));
        results.push_back(d.MessageBox("again", "FIND the COMPONENTS?", MB_YESNO));
        results.push_back(d.MessageBox("unanswered", nullptr, MB_YESNO | MB_ICONQUESTION));
    });
    dialog.DoModal();
    EXPECT_EQ(results, (std::vector<int>{IDOK, IDYES, IDNO, IDCANCEL}));
    const auto& boxes = afxtest::MessageBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, "Done!  ");
    EXPECT_EQ(boxes[0].caption, "PARTWISE");
    EXPECT_EQ(Plain(boxes[0].buttons), (Texts{"OK"}));
    EXPECT_EQ(boxes[0].owner, &dialog);
    EXPECT_EQ(boxes[1].caption, "FIND the COMPONENTS?");
    ASSERT_EQ(boxes[1].buttons.size(), 2u);
    Texts sorted = Plain(boxes[1].buttons);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (Texts{"No", "Yes"}));
    EXPECT_EQ(boxes[3].caption, "PARTWISE");
    EXPECT_EQ(boxes[3].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(afxtest::UnscriptedMessageBoxes(), 1);  // only the Yes/No box without a reply
}

TEST_F(MessageBoxTest, WaitCursorNestsAcrossTargetsAndIsRecordedWithBoxes) {
    CWinApp* app = AfxGetApp();
    afxtest::OnNextModal([&](CDialog& d) {
        app->BeginWaitCursor();
        d.BeginWaitCursor();  // any command target shares the one depth
        EXPECT_EQ(afxtest::WaitCursorDepth(), 2);
        EXPECT_TRUE(afxtest::WaitCursorShown());
        d.MessageBox("busy");
        app->EndWaitCursor();
        EXPECT_TRUE(afxtest::WaitCursorShown());
        app->EndWaitCursor();
        EXPECT_EQ(afxtest::WaitCursorDepth(), 0);
        EXPECT_FALSE(afxtest::WaitCursorShown());
        app->EndWaitCursor();  // an extra end does not go below zero
        EXPECT_EQ(afxtest::WaitCursorDepth(), 0);
        d.MessageBox("idle");
    });
    dialog.DoModal();
    ASSERT_EQ(afxtest::MessageBoxes().size(), 2u);
    EXPECT_EQ(afxtest::MessageBoxes()[0].waitCursorDepth, 2);
    EXPECT_EQ(afxtest::MessageBoxes()[1].waitCursorDepth, 0);
}

TEST_F(MessageBoxTest, WaitCursorShowsAtTheFirstBeginEvenWithoutARepaint) {
    afxtest::OnNextModal([&](CDialog& d) {
        d.BeginWaitCursor();
        const QCursor* cursor = QApplication::overrideCursor();
        ASSERT_NE(cursor, nullptr);
        EXPECT_EQ(cursor->shape(), Qt::WaitCursor);
        d.EndWaitCursor();
    });
    dialog.DoModal();
    EXPECT_FALSE(afxtest::WaitCursorShown());
}

TEST_F(MessageBoxTest, WaitCursorBegunInAHandlerShowsWhenTheHandlerReturns) {
    dialog.onAlpha = [&] { dialog.BeginWaitCursor(); };
    dialog.onBeta = [&] { dialog.EndWaitCursor(); };
    afxtest::OnNextModal([](CDialog& d) {
        afxtest::PressButton(d, testdlg::kAlpha);
        EXPECT_EQ(afxtest::WaitCursorDepth(), 1);
        EXPECT_TRUE(afxtest::WaitCursorShown());
        afxtest::PressButton(d, testdlg::kBeta);
        EXPECT_FALSE(afxtest::WaitCursorShown());
    });
    dialog.DoModal();
}

}  // namespace
