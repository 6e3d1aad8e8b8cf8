// SPDX-License-Identifier: LGPL-3.0-or-later
// The layout of a DesignContext as the library fills it: a magic, a handle into the table of open
// designs and the cursors of the component, pad and attribute walks.
#pragma once

#include <cstdint>

#include "Dbx32.h"

namespace dbx {

constexpr uint32_t kContextMagic = 0x43584244;  // "DBXC"
constexpr uint32_t kNoCursor = UINT32_MAX;

enum ContextWord { kMagic, kHandle, kComponent, kPadComponent, kPad, kAttrComponent, kAttr };

// Makes the context refer to the open design `handle`, with no walk under way.
inline void OpenContextOn(DesignContext* context, uint32_t handle) {
    *context = {};
    uint32_t* w = context->opaque;
    w[kMagic] = kContextMagic;
    w[kHandle] = handle;
    w[kComponent] = w[kPadComponent] = w[kPad] = w[kAttrComponent] = w[kAttr] = kNoCursor;
}

}  // namespace dbx
