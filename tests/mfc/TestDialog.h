// SPDX-License-Identifier: GPL-3.0-or-later
// A dialog with one control of each kind the framework builds, for the framework's tests.
#pragma once

#include <functional>
#include <vector>

#include "afxwin.h"

namespace testdlg {

constexpr UINT kDialogId = 9001;  // the full test dialog
constexpr UINT kPlainId = 9002;   // OK and Cancel only, no system menu

constexpr int kAlpha = 1000;     // "&Alpha"
constexpr int kBeta = 1001;      // "&Beta"
constexpr int kSorted = 1003;    // sorted list
constexpr int kUnsorted = 1005;  // unsorted list
constexpr int kCount = 1007;     // static text bound to a CString
constexpr int kOther = 1008;     // second static text
constexpr int kRed = 1013;       // radio group: RED, [static], GREEN, BLUE
constexpr int kGreen = 1016;
constexpr int kBlue = 1018;
constexpr int kInGroup = 1020;     // a static inside the radio group
constexpr int kLabel = 1021;       // "&Label" static that ends the group
constexpr int kAfterLabel = 1022;  // push button after the label: the label's mnemonic target

// Registers the templates once.
void RegisterTemplates();

class TestDialog : public CDialog {
  public:
    explicit TestDialog(UINT templateId = kDialogId) : CDialog(templateId) {}

    CListBox m_sorted;
    CListBox m_unsorted;
    CButton m_alpha;
    CString m_count;
    CString m_other;
    int m_colour = -1;

    int alphaClicks = 0;
    int betaClicks = 0;
    int okCalls = 0;
    int cancelCalls = 0;
    int initCalls = 0;
    std::vector<UINT> sysCommands;
    std::function<void()> onAlpha;
    std::function<void()> onBeta;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    afx_msg void OnAlpha();
    afx_msg void OnBeta();
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

}  // namespace testdlg
