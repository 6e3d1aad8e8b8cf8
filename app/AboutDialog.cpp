#include "AboutDialog.h"

#include "resource.h"

AboutDialog::AboutDialog() : CDialog(IDD_ABOUTBOX, nullptr) {}
