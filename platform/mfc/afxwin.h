// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog framework: everything the program includes.
#pragma once

#include "AfxDialogTemplate.h"
#include "AfxMbString.h"
#include "AfxMessageMap.h"
#include "AfxTypes.h"
#include "CButton.h"
#include "CCmdTarget.h"
#include "CDC.h"
#include "CDataExchange.h"
#include "CDialog.h"
#include "CException.h"
#include "CListBox.h"
#include "CMenu.h"
#include "CObject.h"
#include "CPaintDC.h"
#include "CRect.h"
#include "CString.h"
#include "CUserException.h"
#include "CWinApp.h"
#include "CWinThread.h"
#include "CWnd.h"
