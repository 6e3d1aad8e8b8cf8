// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutDialog.h"

#include "resource.h"

AboutDialog::AboutDialog() : CDialog(IDD_ABOUTBOX, nullptr) {}
