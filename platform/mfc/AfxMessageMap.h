// SPDX-License-Identifier: GPL-3.0-or-later
// Message maps: per-class tables that route messages and commands to member handlers.
// Entries call their handler through a thunk instantiated for the map's own class, so no
// member-function pointer is ever converted to another class's type.
#pragma once

#include "AfxTypes.h"

class CCmdTarget;

enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_vv,   // void ()
    AfxSig_vwl,  // void (UINT, LPARAM)
    AfxSig_hv,   // HCURSOR ()
};

using AFX_PMSG = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_* message
    UINT nCode;     // notification code for WM_COMMAND
    UINT nID;       // first command id
    UINT nLastID;   // last command id of a range
    UINT nSig;      // AfxSig
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Thunks: T is the class whose map holds the entry; the dispatcher only hands them objects
// of T or of a class derived from T.
template <class T, auto Fn>
LRESULT AfxThunk_vv(CCmdTarget* target, WPARAM, LPARAM) {
    (static_cast<T*>(target)->*Fn)();
    return 0;
}

template <class T, auto Fn>
LRESULT AfxThunk_vwl(CCmdTarget* target, WPARAM wParam, LPARAM lParam) {
    (static_cast<T*>(target)->*Fn)(static_cast<UINT>(wParam), lParam);
    return 0;
}

template <class T, auto Fn>
LRESULT AfxThunk_hv(CCmdTarget* target, WPARAM, LPARAM) {
    HCURSOR cursor = (static_cast<T*>(target)->*Fn)();
    return reinterpret_cast<LRESULT>(cursor);
}

#define DECLARE_MESSAGE_MAP()                            \
  protected:                                             \
    static const AFX_MSGMAP* PASCAL GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)               \
    const AFX_MSGMAP* theClass::GetMessageMap() const {      \
        return GetThisMessageMap();                          \
    }                                                        \
    const AFX_MSGMAP* PASCAL theClass::GetThisMessageMap() { \
        using ThisClass [[maybe_unused]] = theClass;         \
        using TheBaseClass = baseClass;                      \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, 0, 0, AfxSig_end, nullptr }                                                           \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND,                  \
     CN_COMMAND,                  \
     static_cast<UINT>(id),       \
     static_cast<UINT>(id),       \
     AfxSig_vv,                   \
     &AfxThunk_vv<ThisClass, memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) \
    {WM_COMMAND,                     \
     BN_CLICKED,                     \
     static_cast<UINT>(id),          \
     static_cast<UINT>(id),          \
     AfxSig_vv,                      \
     &AfxThunk_vv<ThisClass, memberFxn>},
#define ON_WM_SYSCOMMAND() \
    {WM_SYSCOMMAND, 0, 0, 0, AfxSig_vwl, &AfxThunk_vwl<ThisClass, &ThisClass::OnSysCommand>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AfxSig_vv, &AfxThunk_vv<ThisClass, &ThisClass::OnPaint>},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AfxSig_vv, &AfxThunk_vv<ThisClass, &ThisClass::OnClose>},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, 0, AfxSig_hv, &AfxThunk_hv<ThisClass, &ThisClass::OnQueryDragIcon>},
