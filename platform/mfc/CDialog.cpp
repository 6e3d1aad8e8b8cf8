// SPDX-License-Identifier: GPL-3.0-or-later
#include "CDialog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <vector>

#include "AfxDialogWindow.h"
#include "AfxInternal.h"
#include "CWinApp.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

// Dialogs in their modal loops, innermost last.
std::vector<CDialog*>& ModalDialogs() {
    static std::vector<CDialog*> dialogs;
    return dialogs;
}

QWidget* WindowWidget(const CWnd* wnd) {
    AfxDialogWindow* window = AfxDialogWindowOf(wnd);
    return window;
}

}  // namespace

CWnd* AfxActiveModalDialog() {
    return ModalDialogs().empty() ? nullptr : ModalDialogs().back();
}

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    const AfxDialogTemplate* dialogTemplate = AfxFindDialogTemplate(m_nIDTemplate);
    if (dialogTemplate == nullptr) {
        qWarning("DoModal: no dialog template %u", m_nIDTemplate);
        return -1;
    }
    if (m_hWnd != nullptr) return -1;  // already shown

    QWidget* ownerWidget = WindowWidget(m_pParentWnd);
    if (ownerWidget == nullptr) {
        CWnd* mainWnd = AfxGetMainWnd();
        if (mainWnd != this) ownerWidget = WindowWidget(mainWnd);
    }
    m_nModalResult = -1;
    m_ended = false;

    struct ModalScope {
        CDialog& dialog;
        std::unique_ptr<AfxDialogWindow> window;
        ~ModalScope() {
            auto& dialogs = ModalDialogs();
            if (!dialogs.empty() && dialogs.back() == &dialog) dialogs.pop_back();
            window.reset();  // detaches the controls bound by DDX_Control
            dialog.m_hWnd = nullptr;
        }
    } scope{*this, std::make_unique<AfxDialogWindow>(*this, *dialogTemplate, ownerWidget)};
    ModalDialogs().push_back(this);
    AfxDialogWindow* window = scope.window.get();

    const LRESULT focusFirst = SendMessage(WM_INITDIALOG, 0, 0);
    if (!m_ended) {
        if (focusFirst != 0) window->focusFirstTabStop();
        window->flushPendingTexts();
        if (afxtest::detail::Enabled()) {
            window->show();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            std::function<void(CDialog&)> script;
            if (afxtest::detail::TakeScript(script)) {
                script(*this);
            } else {
                afxtest::detail::CountUnscriptedModal();
            }
            if (!m_ended) SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            if (!m_ended) EndDialog(IDCANCEL);
        } else {
            window->exec();
        }
    }
    AfxSyncWaitCursor();
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    m_ended = true;
    if (AfxDialogWindow* window = AfxDialogWindowOf(this)) window->finish(nResult);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_CLOSE:
            // The dialog manager turns a close request into the Cancel command.
            SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return 0;
        default:
            return CWnd::DefWindowProc(message, wParam, lParam);
    }
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    CWinApp* app = AfxGetApp();
    if (app != nullptr && static_cast<CCmdTarget*>(app) != this) {
        return app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    }
    return FALSE;
}
