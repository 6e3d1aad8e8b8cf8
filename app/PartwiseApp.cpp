// SPDX-License-Identifier: GPL-3.0-or-later
#include "PartwiseApp.h"

#include "LauncherDialog.h"

BEGIN_MESSAGE_MAP(PartwiseApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

PartwiseApp::PartwiseApp() = default;

BOOL PartwiseApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();

    LauncherDialog launcher;
    m_pMainWnd = &launcher;
    launcher.DoModal();
    m_pMainWnd = nullptr;

    // The launcher has closed: end the process instead of running a message loop.
    return FALSE;
}
