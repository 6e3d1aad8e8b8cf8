#include "OpenDesignTable.h"

#include <stdexcept>

namespace dbx {

OpenDesignTable& OpenDesignTable::Instance() {
    static OpenDesignTable table;
    return table;
}

uint32_t OpenDesignTable::Add(std::shared_ptr<const OpenDesign> design) {
    std::lock_guard lock(mutex_);
    if (lastHandle_ == UINT32_MAX) throw std::overflow_error("design handles exhausted");
    const uint32_t handle = ++lastHandle_;
    designs_.emplace(handle, std::move(design));
    return handle;
}

std::shared_ptr<const OpenDesign> OpenDesignTable::Find(uint32_t handle) const {
    std::lock_guard lock(mutex_);
    const auto it = designs_.find(handle);
    return it == designs_.end() ? nullptr : it->second;
}

bool OpenDesignTable::Remove(uint32_t handle) {
    std::lock_guard lock(mutex_);
    return designs_.erase(handle) > 0;
}

}  // namespace dbx
