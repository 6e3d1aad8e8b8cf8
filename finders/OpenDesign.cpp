// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenDesign.h"

OpenDesign::OpenDesign(DesignContext& context) : m_context(context) {
    TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &m_context);
}

OpenDesign::~OpenDesign() {
    Close();
}

void OpenDesign::Close() {
    if (m_open) {
        m_open = false;
        TCloseDesign(&m_context, "");
    }
}
