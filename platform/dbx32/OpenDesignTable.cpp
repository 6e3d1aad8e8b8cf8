// SPDX-License-Identifier: LGPL-3.0-or-later
#include "OpenDesignTable.h"

#include <stdexcept>

namespace dbx {
namespace {

// What the calling thread last looked up, and the table's change count at that moment.
struct ThreadLookup {
    uint32_t handle = 0;
    uint64_t changes = UINT64_MAX;
    std::shared_ptr<const OpenDesign> design;
};

// Initial-exec: a walk step reads it at a fixed offset from the thread pointer, without a call.
[[gnu::tls_model("initial-exec")]] thread_local ThreadLookup lastLookup;

}  // namespace

OpenDesignTable& OpenDesignTable::Instance() {
    static OpenDesignTable table;
    return table;
}

uint32_t OpenDesignTable::Add(std::shared_ptr<const OpenDesign> design) {
    std::lock_guard lock(mutex_);
    if (lastHandle_ == UINT32_MAX) throw std::overflow_error("design handles exhausted");
    const uint32_t handle = ++lastHandle_;
    designs_.emplace(handle, std::move(design));
    changes_.fetch_add(1, std::memory_order_release);
    return handle;
}

std::shared_ptr<const OpenDesign> OpenDesignTable::Find(uint32_t handle) const {
    std::lock_guard lock(mutex_);
    const auto it = designs_.find(handle);
    return it == designs_.end() ? nullptr : it->second;
}

const OpenDesign* OpenDesignTable::FindForThisThread(uint32_t handle) const {
    ThreadLookup& last = lastLookup;
    // Read before the lookup: a change after it makes the next call look up again.
    const uint64_t changes = changes_.load(std::memory_order_acquire);
    if (last.handle != handle || last.changes != changes) {
        last.design = Find(handle);
        last.handle = handle;
        last.changes = changes;
    }
    return last.design.get();
}

bool OpenDesignTable::Remove(uint32_t handle) {
    std::shared_ptr<const OpenDesign> removed;
    {
        std::lock_guard lock(mutex_);
        const auto it = designs_.find(handle);
        if (it == designs_.end()) return false;
        removed = std::move(it->second);
        designs_.erase(it);
        changes_.fetch_add(1, std::memory_order_release);
    }
    // The closing thread lets go of the design at once; others do at their next call.
    if (lastLookup.handle == handle) lastLookup = {};
    return true;
}

}  // namespace dbx
