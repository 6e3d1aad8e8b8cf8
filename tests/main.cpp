// SPDX-License-Identifier: GPL-3.0-or-later
// One test binary for the dialog framework, the application and the finders: real widgets
// on the offscreen platform, driven through the framework's test seam.
#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>
#include <cstdlib>

#include "AfxTesting.h"
#include "afxwin.h"

#if __has_include("PartwiseResources.h") && __has_include("PartwiseApp.h")
#include "PartwiseApp.h"
#include "PartwiseResources.h"
#define PARTWISE_TESTS_WITH_PROGRAM 1
#else
namespace {
// Without the program's resources: just the application's name.
const AfxStringResource kFallbackStrings[] = {{AFX_IDS_APP_TITLE, "PARTWISE"}};
}  // namespace
#endif

namespace {
#ifdef PARTWISE_TESTS_WITH_PROGRAM
using TestApp = PartwiseApp;
#else
class TestApp : public CWinApp {};
#endif
}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C");
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);

    afxtest::Enable();
#ifdef PARTWISE_TESTS_WITH_PROGRAM
    AfxSetResourceTable(PartwiseResources());
#else
    AfxSetResourceTable(AfxResourceTable{{}, kFallbackStrings, {}, {}});
#endif
    static TestApp app;
    if (!AfxWinInit(argc, argv)) return 2;
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, "C");  // QApplication may have set it from the environment
    return RUN_ALL_TESTS();
}
