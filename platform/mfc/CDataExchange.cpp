// SPDX-License-Identifier: GPL-3.0-or-later
#include "CDataExchange.h"

#include <QtGlobal>

#include "AfxDialogWindow.h"
#include "AfxInternal.h"

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate),
      m_pDlgWnd(pDlgWnd),
      m_window(AfxDialogWindowOf(pDlgWnd)) {}

namespace {

[[noreturn, gnu::cold]] void NoSuchControl(CDataExchange* exchange, int nIDC) {
    qWarning("Dialog data exchange: no control with id %d", nIDC);
    exchange->Fail();
}

}  // namespace

HWND CDataExchange::PrepareCtrl(int nIDC) {
    AfxWindowHandle* control = m_window != nullptr ? m_window->control(nIDC) : nullptr;
    if (control == nullptr) NoSuchControl(this, nIDC);
    return control;
}

void CDataExchange::Fail() {
    throw CUserException();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr) return;
    rControl.Attach(pDX->PrepareCtrl(nIDC));
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND control = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = control->text;
    } else if (control->text != value) {
        control->dialog->setControlText(*control, value);
    }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND first = pDX->PrepareCtrl(nIDC);
    const std::vector<AfxWindowHandle*>& run = first->dialog->radioRun(*first);
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < run.size(); ++i) {
            if (run[i]->checked) {
                value = static_cast<int>(i);
                break;
            }
        }
        return;
    }
    // Counters write every member thousands of times a second: an unchanged run is left be.
    if (first->dialog->radioShows(*first, value)) return;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const bool wanted = static_cast<int>(i) == value;
        if (run[i]->checked != wanted) first->dialog->setChecked(*run[i], wanted);
    }
    first->dialog->noteRadioShown(*first, value);
}
