// SPDX-License-Identifier: GPL-3.0-or-later
#include "CWnd.h"

#include <QLabel>
#include <QWindow>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "AfxDialogWindow.h"
#include "AfxInternal.h"

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

AfxDialogWindow* AfxDialogWindowOf(const CWnd* wnd) {
    return (wnd != nullptr && wnd->m_hWnd != nullptr) ? wnd->m_hWnd->dialog : nullptr;
}

namespace {
// The handle when this CWnd is the dialog window itself.
AfxDialogWindow* OwnWindow(const CWnd* wnd) {
    AfxDialogWindow* window = AfxDialogWindowOf(wnd);
    return (window != nullptr && wnd->m_hWnd == window->handle()) ? window : nullptr;
}
}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
    Detach();
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == nullptr) return FALSE;
    Detach();
    if (hWndNew->attached != nullptr && hWndNew->attached != this) {
        hWndNew->attached->m_hWnd = nullptr;
    }
    hWndNew->attached = this;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND old = m_hWnd;
    if (old != nullptr && old->attached == this) old->attached = nullptr;
    m_hWnd = nullptr;
    return old;
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    AfxDialogWindow* window = AfxDialogWindowOf(this);
    if (window == nullptr) return FALSE;
    CDataExchange exchange(this, bSaveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const CUserException&) {
        return FALSE;
    }
    if (!bSaveAndValidate) window->tick();
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType) {
    return AfxShowMessageBox(this, lpszText, lpszCaption, nType);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return AfxCallWndProc(this, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        if (pResult != nullptr) *pResult = 1;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0);
    if (entry == nullptr) return FALSE;
    const LRESULT result = entry->pfn(this, wParam, lParam);
    if (pResult != nullptr) *pResult = result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), nullptr, nullptr);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM) {
    AfxDialogWindow* window = OwnWindow(this);
    if (window == nullptr) return 0;
    switch (message) {
        case WM_SYSCOMMAND:
            switch (static_cast<UINT>(wParam) & 0xFFF0) {
                case SC_CLOSE:
                    return SendMessage(WM_CLOSE);
                case SC_MINIMIZE:
                    window->showMinimized();
                    return 0;
                case SC_RESTORE:
                    window->showNormal();
                    return 0;
                case SC_MOVE:
                    if (QWindow* handle = window->windowHandle()) handle->startSystemMove();
                    return 0;
                default:
                    return 0;
            }
        case WM_PAINT:
            window->defaultPaint();
            return 0;
        default:
            return 0;
    }
}

void CWnd::OnSysCommand(UINT nID, LPARAM lParam) {
    DefWindowProc(WM_SYSCOMMAND, nID, lParam);
}

void CWnd::OnPaint() {
    DefWindowProc(WM_PAINT, 0, 0);
}

void CWnd::OnClose() {
    DefWindowProc(WM_CLOSE, 0, 0);
}

CMenu* CWnd::GetSystemMenu(BOOL) const {
    AfxDialogWindow* window = OwnWindow(this);
    return window != nullptr ? window->systemMenu() : nullptr;
}

BOOL CWnd::IsIconic() const {
    AfxDialogWindow* window = OwnWindow(this);
    return (window != nullptr && window->isMinimized()) ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const {
    return (m_hWnd != nullptr && m_hWnd->widget != nullptr && m_hWnd->widget->isVisible()) ? TRUE
                                                                                           : FALSE;
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    if (lpRect == nullptr) return;
    *lpRect = RECT{0, 0, 0, 0};
    if (m_hWnd == nullptr || m_hWnd->widget == nullptr) return;
    lpRect->right = m_hWnd->widget->width();
    lpRect->bottom = m_hWnd->widget->height();
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
    if (lpRect == nullptr) return;
    *lpRect = RECT{0, 0, 0, 0};
    if (m_hWnd == nullptr || m_hWnd->widget == nullptr) return;
    const QWidget* widget = m_hWnd->widget;
    const QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    *lpRect =
        RECT{origin.x(), origin.y(), origin.x() + widget->width(), origin.y() + widget->height()};
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    AfxDialogWindow* window = OwnWindow(this);
    if (window == nullptr) return nullptr;
    const char* property = bBigIcon ? "afxBigIcon" : "afxSmallIcon";
    auto* previous = static_cast<HICON>(window->property(property).value<void*>());
    window->setProperty(property, QVariant::fromValue(static_cast<void*>(hIcon)));
    window->setWindowIcon(AfxIconOf(hIcon));
    return previous;
}

HICON CWnd::GetIcon(BOOL bBigIcon) const {
    AfxDialogWindow* window = OwnWindow(this);
    if (window == nullptr) return nullptr;
    return static_cast<HICON>(
        window->property(bBigIcon ? "afxBigIcon" : "afxSmallIcon").value<void*>());
}

void CWnd::SetWindowText(LPCTSTR lpszString) {
    if (m_hWnd == nullptr) return;
    m_hWnd->dialog->setControlText(*m_hWnd, CString(lpszString));
    m_hWnd->dialog->flushPendingTexts();
}

int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const {
    if (lpszStringBuf == nullptr || nMaxCount <= 0) return 0;
    const int length = m_hWnd != nullptr ? std::min(m_hWnd->text.GetLength(), nMaxCount - 1) : 0;
    if (length > 0)
        std::memcpy(lpszStringBuf, m_hWnd->text.GetString(), static_cast<std::size_t>(length));
    lpszStringBuf[length] = '\0';
    return length;
}

void CWnd::GetWindowText(CString& rString) const {
    if (m_hWnd == nullptr) {
        rString.Empty();
    } else {
        rString = m_hWnd->text;
    }
}

int CWnd::GetWindowTextLength() const {
    return m_hWnd != nullptr ? m_hWnd->text.GetLength() : 0;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    if (m_hWnd == nullptr || m_hWnd->widget == nullptr) return FALSE;
    const BOOL wasDisabled = m_hWnd->widget->isEnabled() ? FALSE : TRUE;
    m_hWnd->widget->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    return (m_hWnd != nullptr && m_hWnd->widget != nullptr && m_hWnd->widget->isEnabled()) ? TRUE
                                                                                           : FALSE;
}

CWnd* CWnd::SetFocus() {
    if (m_hWnd != nullptr && m_hWnd->widget != nullptr)
        m_hWnd->widget->setFocus(Qt::OtherFocusReason);
    return nullptr;
}

int CWnd::GetDlgCtrlID() const {
    return m_hWnd != nullptr ? m_hWnd->id : 0;
}

CWnd* CWnd::GetDlgItem(int nID) const {
    AfxDialogWindow* window = OwnWindow(this);
    if (window == nullptr) return nullptr;
    AfxWindowHandle* control = window->control(nID);
    if (control == nullptr) return nullptr;
    if (control->attached != nullptr) return control->attached;
    if (!control->wrapper) {
        control->wrapper = std::make_unique<CWnd>();
        control->wrapper->m_hWnd = control;  // not bound: the control stays free for DDX_Control
    }
    return control->wrapper.get();
}

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) {
    if (CWnd* item = GetDlgItem(nID)) item->SetWindowText(lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
    rString.Empty();
    if (CWnd* item = GetDlgItem(nID)) item->GetWindowText(rString);
    return rString.GetLength();
}

void CWnd::MapDialogRect(LPRECT lpRect) const {
    AfxDialogWindow* window = AfxDialogWindowOf(this);
    if (window == nullptr || lpRect == nullptr) return;
    // Each edge is mapped on its own, as the dialog manager does.
    const QPoint topLeft = window->mapDialogRect(lpRect->left, lpRect->top, 0, 0).topLeft();
    const QPoint bottomRight = window->mapDialogRect(lpRect->right, lpRect->bottom, 0, 0).topLeft();
    *lpRect = RECT{topLeft.x(), topLeft.y(), bottomRight.x(), bottomRight.y()};
}

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        default:
            return 0;
    }
}

LRESULT AfxCallWndProc(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (wnd == nullptr) return 0;
    const char* report = nullptr;
    std::string detail;
    try {
        return wnd->WindowProc(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        report = "Out of memory.";
    } catch (const CUserException&) {
        return 0;  // the user has been told already
    } catch (const std::exception& error) {
        detail = std::string("An unexpected error occurred:\n") + error.what();
        report = detail.c_str();
    } catch (...) {
        report = "An unexpected error occurred.";
    }
    AfxShowMessageBox(AfxDialogWindowOf(wnd) != nullptr ? wnd : AfxActiveModalDialog(), report,
                      nullptr, MB_OK | MB_ICONSTOP);
    return 0;
}
