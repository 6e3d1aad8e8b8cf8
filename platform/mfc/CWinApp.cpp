// SPDX-License-Identifier: GPL-3.0-or-later
#include "CWinApp.h"

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "AfxInternal.h"
#include "InfoOptions.h"

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName) : m_pszAppName(lpszAppName), m_pPreviousApp(g_app) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = m_pPreviousApp;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return AfxLoadIconResource(nIDResource);
}

HICON CWinApp::LoadIcon(LPCTSTR lpszResourceName) const {
    if (lpszResourceName == nullptr) return nullptr;
    // "#128" names resource 128.
    const char* digits = lpszResourceName[0] == '#' ? lpszResourceName + 1 : lpszResourceName;
    char* end = nullptr;
    const unsigned long id = std::strtoul(digits, &end, 10);
    if (end == digits || *end != '\0') return nullptr;
    return AfxLoadIconResource(static_cast<UINT>(id));
}

BOOL CWinApp::Enable3dControls() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app != nullptr ? g_app->m_pMainWnd : nullptr;
}

LPCTSTR AfxGetAppName() {
    if (g_app != nullptr && g_app->m_pszAppName != nullptr) return g_app->m_pszAppName;
    const char* title = AfxFindStringResource(AFX_IDS_APP_TITLE);
    return title != nullptr ? title : "";
}

void AfxEnableControlContainer() {}

namespace {
// Created by AfxWinInit when there was none; AfxWinMain deletes it before returning. Never
// destroyed at exit, when Qt's own globals may already be gone.
QApplication* g_ownApplication = nullptr;
}  // namespace

BOOL AfxWinInit(int& argc, char** argv) {
    if (QCoreApplication::instance() == nullptr) {
        // QApplication keeps a reference to argc for its lifetime.
        static int s_argc = 0;
        s_argc = argc;
        g_ownApplication = new QApplication(s_argc, argv);
    }
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        app->setQuitOnLastWindowClosed(false);
    }
    if (const char* title = AfxFindStringResource(AFX_IDS_APP_TITLE)) {
        QCoreApplication::setApplicationName(AfxToQString(title));
        if (g_app != nullptr && g_app->m_pszAppName == nullptr) g_app->m_pszAppName = title;
    }
    return TRUE;
}

namespace {

// --help and --version, from the resources, under the name the program was started by.
std::optional<int> AnswerInfoOption(int argc, char** argv) {
    const char* help = AfxFindStringResource(AFX_IDS_COMMAND_LINE_HELP);
    const char* version = AfxGetVersionString("ProductVersion");
    if (argc < 1 || help == nullptr || version == nullptr) return std::nullopt;
    const std::string name = std::filesystem::path(argv[0]).filename().string();
    return cli::AnswerInfoOption(argc, argv, {name.c_str(), version, help});
}

}  // namespace

int AfxWinMain(int argc, char** argv) {
    if (const auto status = AnswerInfoOption(argc, argv)) return *status;
    if (!AfxWinInit(argc, argv)) return -1;
    CWinApp* app = AfxGetApp();
    int result = -1;
    if (app != nullptr) result = app->InitInstance() ? app->Run() : app->ExitInstance();
    delete g_ownApplication;
    g_ownApplication = nullptr;
    return result;
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT) {
    CWnd* owner = AfxActiveModalDialog();
    if (owner == nullptr) owner = AfxGetMainWnd();
    return AfxShowMessageBox(owner, lpszText, nullptr, nType);
}
