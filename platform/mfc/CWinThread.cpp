// SPDX-License-Identifier: GPL-3.0-or-later
#include "CWinThread.h"

#include <QApplication>

BOOL CWinThread::InitInstance() {
    return FALSE;
}

int CWinThread::Run() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::exec();
    return ExitInstance();
}

int CWinThread::ExitInstance() {
    return 0;
}
