// SPDX-License-Identifier: GPL-3.0-or-later
#include "LauncherDialog.h"

#include "AboutDialog.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(LauncherDialog, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_PAD_FINDER, &LauncherDialog::OnPadFinder)
ON_BN_CLICKED(IDC_ATTRIBUTE_FINDER, &LauncherDialog::OnAttributeFinder)
ON_BN_CLICKED(IDC_TEXT_FINDER, &LauncherDialog::OnTextFinder)
ON_BN_CLICKED(IDC_HOLE_FINDER, &LauncherDialog::OnHoleFinder)
END_MESSAGE_MAP()

LauncherDialog::LauncherDialog(CWnd* parent)
    : CDialog(IDD_LAUNCHER, parent), m_icon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

BOOL LauncherDialog::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* systemMenu = GetSystemMenu(FALSE)) {
        CString aboutEntry;
        aboutEntry.LoadString(IDS_ABOUTBOX);
        if (!aboutEntry.IsEmpty()) {
            systemMenu->AppendMenu(MF_SEPARATOR);
            systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutEntry);
        }
    }
    SetIcon(m_icon, TRUE);
    SetIcon(m_icon, FALSE);
    return TRUE;
}

void LauncherDialog::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        AboutDialog about;
        about.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void LauncherDialog::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        const int iconWidth = GetSystemMetrics(SM_CXICON);
        const int iconHeight = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        const int x = (rect.Width() - iconWidth + 1) / 2;
        const int y = (rect.Height() - iconHeight + 1) / 2;
        dc.DrawIcon(x, y, m_icon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR LauncherDialog::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_icon);
}

void LauncherDialog::OnPadFinder() {
    m_padFinder.DoModal();
}

void LauncherDialog::OnAttributeFinder() {
    m_attributeFinder.DoModal();
}

void LauncherDialog::OnTextFinder() {
    m_textFinder.DoModal();
}

void LauncherDialog::OnHoleFinder() {
    m_holeFinder.DoModal();
}
