// SPDX-License-Identifier: GPL-3.0-or-later
#include "CButton.h"

#include "AfxDialogWindow.h"

int CButton::GetCheck() const {
    return (m_hWnd != nullptr && m_hWnd->checked) ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck) {
    if (m_hWnd != nullptr) m_hWnd->dialog->setChecked(*m_hWnd, nCheck == BST_CHECKED);
}
