// SPDX-License-Identifier: GPL-3.0-or-later
// The design opened for one operation: opened at construction, closed by Close() or,
// when the operation is left early by an exception, on destruction.
#pragma once

#include "Dbx32.h"

class OpenDesign {
  public:
    explicit OpenDesign(DesignContext& context);
    ~OpenDesign();
    OpenDesign(const OpenDesign&) = delete;
    OpenDesign& operator=(const OpenDesign&) = delete;

    void Close();

  private:
    DesignContext& m_context;
    bool m_open = true;
};
