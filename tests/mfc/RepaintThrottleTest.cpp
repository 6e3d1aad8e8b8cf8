// SPDX-License-Identifier: GPL-3.0-or-later
// Texts written by UpdateData(FALSE) inside a long handler reach the screen while it runs,
// without user input being handed to the dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <chrono>

#include "AfxTesting.h"
#include "TestDialog.h"
#include "WidgetLookup.h"

namespace {

using testdlg::TestDialog;

// Records the label's text at each paint.
class PaintRecorder : public QObject {
  public:
    std::vector<QString> painted;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted.push_back(static_cast<QLabel*>(watched)->text());
        return false;
    }
};

TEST(RepaintThrottleTest, CountsShowDuringTheLoopAndInputWaits) {
    testdlg::RegisterTemplates();
    afxtest::Reset();
    TestDialog dialog;
    PaintRecorder recorder;
    int betaDuringLoop = -1;
    long long loopMs = 0;
    dialog.onAlpha = [&] {
        // A user's key press arrives while the operation runs.
        QWidget& beta = getChild(dialog, testdlg::kBeta);
        beta.setFocus();
        QApplication::postEvent(&beta,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        recorder.painted.clear();
        // Until a few repaints were seen (a loaded machine may take longer than usual), for
        // 200 ms at least; gives up after 10 s.
        const auto start = std::chrono::steady_clock::now();
        int count = 0;
        for (auto now = start; now - start < std::chrono::seconds(10);
             now = std::chrono::steady_clock::now()) {
            if (recorder.painted.size() >= 3 && now - start >= std::chrono::milliseconds(200))
                break;
            dialog.m_count.Format("%d", ++count);
            dialog.UpdateData(FALSE);
        }
        loopMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - start)
                     .count();
        betaDuringLoop = dialog.betaClicks;
    };
    afxtest::OnNextModal([&](CDialog& d) {
        getChild(d, testdlg::kCount).installEventFilter(&recorder);
        afxtest::PressButton(d, testdlg::kAlpha);
        EXPECT_EQ(betaDuringLoop, 0);
        // A few repaints, each showing a later count.
        ASSERT_GE(recorder.painted.size(), 3u);
        for (std::size_t i = 1; i < recorder.painted.size(); ++i) {
            EXPECT_LT(recorder.painted[i - 1].toInt(), recorder.painted[i].toInt());
        }
        // No more than one repaint per 30 ms (with slack for the clock).
        EXPECT_LE(recorder.painted.size(), std::size_t(loopMs / 30 + 2)) << loopMs << " ms";
        EXPECT_EQ(afxtest::ControlText(d, testdlg::kCount), std::string(dialog.m_count));
        // The queued input is delivered once the handler is back in the event loop.
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog.betaClicks, 1);
    });
    dialog.DoModal();
}

}  // namespace
