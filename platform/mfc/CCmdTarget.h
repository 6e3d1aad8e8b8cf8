// SPDX-License-Identifier: GPL-3.0-or-later
// Objects that receive commands through a message map; owner of the app-wide wait cursor.
#pragma once

#include "AfxMessageMap.h"
#include "CObject.h"

struct AFX_CMDHANDLERINFO;

class CCmdTarget : public CObject {
  public:
    CCmdTarget() = default;

    // Routes a command (WM_COMMAND id and notification code) through the message maps.
    // TRUE when a handler ran. pExtra and pHandlerInfo are accepted and ignored.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The application's wait cursor: one depth shared by every target; the arrow returns when
    // every begin has been ended.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

    virtual const AFX_MSGMAP* GetMessageMap() const;

  protected:
    static const AFX_MSGMAP* PASCAL GetThisMessageMap();

    // The first entry of this object's maps (most derived first) for the message, code and id.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
};
