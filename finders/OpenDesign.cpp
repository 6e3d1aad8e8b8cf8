#include "OpenDesign.h"

OpenDesign::OpenDesign(DesignContext& context) : m_context(context) {
    TOpenDesign(0, 16000, "pcb", &m_context);
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
