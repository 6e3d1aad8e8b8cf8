#include "CWinThread.h"

#include <QApplication>

BOOL CWinThread::InitInstance() {
    return FALSE;
}

int CWinThread::Run() {
    return QCoreApplication::instance() != nullptr ? QCoreApplication::exec() : ExitInstance();
}

int CWinThread::ExitInstance() {
    return 0;
}
