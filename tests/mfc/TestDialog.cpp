// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestDialog.h"

namespace testdlg {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kList =
    kChild | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;

const AfxControlTemplate kControls[] = {
    {kAlpha, AfxControlKind::PushButton, kChild | WS_TABSTOP | WS_GROUP, "&Alpha", 5, 5, 50, 14},
    {kBeta, AfxControlKind::PushButton, kChild | WS_TABSTOP, "&Beta", 5, 25, 100, 14},
    {kSorted, AfxControlKind::ListBox, kList | LBS_SORT, "", 60, 45, 60, 80},
    {kUnsorted, AfxControlKind::ListBox, kList, "", 125, 45, 60, 80},
    {kCount, AfxControlKind::StaticText, kChild | WS_GROUP, "0", 5, 45, 45, 8},
    {kOther, AfxControlKind::StaticText, kChild | WS_GROUP, "0", 5, 55, 45, 8},
    {kRed, AfxControlKind::AutoRadioButton, kChild | BS_AUTORADIOBUTTON | WS_GROUP, "RED", 195, 50,
     40, 10},
    {kInGroup, AfxControlKind::StaticText, kChild, "not a radio", 195, 62, 40, 8},
    {kGreen, AfxControlKind::AutoRadioButton, kChild | BS_AUTORADIOBUTTON, "GREEN", 195, 75, 40,
     10},
    {kBlue, AfxControlKind::AutoRadioButton, kChild | BS_AUTORADIOBUTTON, "BLUE", 195, 90, 40, 10},
    {kLabel, AfxControlKind::StaticText, kChild | WS_GROUP, "&Label", 5, 130, 40, 8},
    {kAfterLabel, AfxControlKind::PushButton, kChild | WS_TABSTOP, "After", 50, 128, 40, 14},
    {IDCANCEL, AfxControlKind::PushButton, kChild | WS_TABSTOP, "E&xit", 5, 150, 50, 14},
    {IDC_STATIC, AfxControlKind::GroupBox, kChild | BS_GROUPBOX, "Colour", 190, 40, 55, 70},
};

const AfxControlTemplate kPlainControls[] = {
    {IDOK, AfxControlKind::DefPushButton, kChild | WS_TABSTOP | WS_GROUP, "OK", 10, 10, 50, 14},
    {IDCANCEL, AfxControlKind::PushButton, kChild | WS_TABSTOP, "Cancel", 70, 10, 50, 14},
};

const AfxDialogTemplate kDialogs[] = {
    {kDialogId, "TEST DIALOG", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
     "MS Sans Serif", 8, 0, 0, 250, 170, kControls},
    {kPlainId, "Plain", DS_MODALFRAME | WS_POPUP | WS_CAPTION, 0, "MS Sans Serif", 8, 0, 0, 130, 30,
     kPlainControls},
};

}  // namespace

void RegisterTemplates() {
    static const bool registered = [] {
        AfxAddResourcesForTest(AfxResourceTable{kDialogs, {}, {}, {}});
        return true;
    }();
    (void)registered;
}

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
ON_BN_CLICKED(kAlpha, &TestDialog::OnAlpha)
ON_BN_CLICKED(kBeta, &TestDialog::OnBeta)
ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

void TestDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    if (m_nIDTemplate != kDialogId) return;
    DDX_Control(pDX, kSorted, m_sorted);
    DDX_Control(pDX, kAlpha, m_alpha);
    DDX_Control(pDX, kUnsorted, m_unsorted);
    DDX_Text(pDX, kCount, m_count);
    DDX_Text(pDX, kOther, m_other);
    DDX_Radio(pDX, kRed, m_colour);
}

BOOL TestDialog::OnInitDialog() {
    ++initCalls;
    return CDialog::OnInitDialog();
}

void TestDialog::OnOK() {
    ++okCalls;
    CDialog::OnOK();
}

void TestDialog::OnCancel() {
    ++cancelCalls;
    CDialog::OnCancel();
}

void TestDialog::OnAlpha() {
    ++alphaClicks;
    if (onAlpha) onAlpha();
}

void TestDialog::OnBeta() {
    ++betaClicks;
    if (onBeta) onBeta();
}

void TestDialog::OnSysCommand(UINT nID, LPARAM lParam) {
    sysCommands.push_back(nID);
    CDialog::OnSysCommand(nID, lParam);
}

}  // namespace testdlg
