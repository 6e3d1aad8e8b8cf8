// SPDX-License-Identifier: GPL-3.0-or-later
// Message maps: derived and base handlers, command routing to the application, paint and
// drag-icon messages, and exceptions escaping handlers.
#include <gtest/gtest.h>

#include <QWidget>
#include <new>
#include <stdexcept>

#include "AfxTesting.h"
#include "TestDialog.h"

namespace {

constexpr int kIconX = 3;
constexpr int kIconY = 4;

// Overrides one handler of its base's map and adds paint and drag-icon handlers.
class PaintingDialog : public testdlg::TestDialog {
  public:
    int derivedAlphaClicks = 0;
    int paints = 0;
    HICON icon = nullptr;
    bool drew = false;

    afx_msg void OnAlphaHere() { ++derivedAlphaClicks; }
    afx_msg void OnPaint() {
        ++paints;
        CPaintDC dc(this);
        EXPECT_NE(dc.GetSafeHdc(), nullptr);
        drew = dc.DrawIcon(kIconX, kIconY, icon) != FALSE;
    }
    afx_msg HCURSOR OnQueryDragIcon() { return static_cast<HCURSOR>(icon); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PaintingDialog, testdlg::TestDialog)
ON_BN_CLICKED(testdlg::kAlpha, &PaintingDialog::OnAlphaHere)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

class AppCommands : public CWinApp {
  public:
    int helps = 0;
    afx_msg void OnMyHelp() { ++helps; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(AppCommands, CWinApp)
ON_COMMAND(ID_HELP, &AppCommands::OnMyHelp)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testdlg::RegisterTemplates();
        afxtest::Reset();
    }
};

TEST_F(MessageMapTest, DerivedEntryWinsAndBaseEntriesStillRoute) {
    PaintingDialog dialog;
    afxtest::OnNextModal([](CDialog& d) {
        afxtest::PressButton(d, testdlg::kAlpha);
        afxtest::PressButton(d, testdlg::kBeta);
    });
    dialog.DoModal();
    EXPECT_EQ(dialog.derivedAlphaClicks, 1);
    EXPECT_EQ(dialog.alphaClicks, 0);
    EXPECT_EQ(dialog.betaClicks, 1);   // from the base's map
    EXPECT_EQ(dialog.cancelCalls, 1);  // CDialog's IDCANCEL entry, virtual OnCancel
}

TEST_F(MessageMapTest, UnmappedCommandsGoOnToTheApplication) {
    testdlg::TestDialog dialog;
    CWinApp* previous = AfxGetApp();
    {
        AppCommands app;  // becomes AfxGetApp() while it lives
        afxtest::OnNextModal([](CDialog& d) {
            EXPECT_EQ(d.SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0), 1);
            EXPECT_EQ(d.SendMessage(WM_COMMAND, MAKEWPARAM(4711, 0), 0), 0);
        });
        dialog.DoModal();
        EXPECT_EQ(app.helps, 1);
    }
    EXPECT_EQ(AfxGetApp(), previous);
}

TEST_F(MessageMapTest, PaintReachesOnPaintAndDrawsTheIcon) {
    PaintingDialog dialog;
    dialog.icon = AfxGetApp()->LoadIcon(testdlg::kDialogId);  // no such icon: nullptr
    EXPECT_EQ(dialog.icon, nullptr);
    afxtest::OnNextModal([&](CDialog& d) {
        QWidget* window = afxtest::Window(d);
        window->repaint();
        EXPECT_GT(dialog.paints, 0);
        EXPECT_FALSE(dialog.drew);  // nothing to draw without an icon
        EXPECT_EQ(d.SendMessage(WM_QUERYDRAGICON), 0);
        EXPECT_EQ(d.SendMessage(WM_ICONERASEBKGND, 0, 0), 0);
    });
    dialog.DoModal();
}

TEST_F(MessageMapTest, ExceptionsEscapingHandlersAreReportedNotFatal) {
    testdlg::TestDialog dialog;
    dialog.onAlpha = [] { throw std::bad_alloc(); };
    dialog.onBeta = [] { throw std::runtime_error("disk on fire"); };
    afxtest::OnNextModal([](CDialog& d) {
        afxtest::PressButton(d, testdlg::kAlpha);
        afxtest::PressButton(d, testdlg::kBeta);
        EXPECT_NE(afxtest::Window(d), nullptr);  // still up
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    const auto& boxes = afxtest::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Out of memory.");
    EXPECT_EQ(boxes[0].owner, &dialog);
    EXPECT_NE(boxes[1].text.find("disk on fire"), std::string::npos);
}

}  // namespace
