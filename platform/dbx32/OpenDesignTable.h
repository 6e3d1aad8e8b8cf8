// SPDX-License-Identifier: LGPL-3.0-or-later
// The process-wide table of open designs. A design context refers to an entry by a handle that
// is never reused, so a context that was closed, copied or left over finds nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "SnapshotReader.h"
#include "SpareBuffer.h"

namespace dbx {

struct OpenDesign {
    OpenDesign(Snapshot received, std::string path)
        : snapshot(std::move(received)), socketPath(std::move(path)) {}
    OpenDesign(const OpenDesign&) = delete;
    OpenDesign& operator=(const OpenDesign&) = delete;
    // The next design received reuses the bytes.
    ~OpenDesign() { SpareBuffer::Offer(std::move(snapshot).ReleaseBytes()); }

    Snapshot snapshot;
    std::string socketPath;  // where highlight requests go
};

class OpenDesignTable {
  public:
    static OpenDesignTable& Instance();

    uint32_t Add(std::shared_ptr<const OpenDesign> design);  // never returns 0
    std::shared_ptr<const OpenDesign> Find(uint32_t handle) const;
    // The design for a walk step, without lock or reference counting while the calling thread
    // keeps asking for the same handle and no design was added or removed meanwhile. The
    // thread keeps the design alive until its next call, so the pointer stays valid for this
    // call even if another thread closes the design.
    const OpenDesign* FindForThisThread(uint32_t handle) const;
    bool Remove(uint32_t handle);

  private:
    mutable std::mutex mutex_;
    std::atomic<uint64_t> changes_{0};  // bumped by every Add and Remove
    uint32_t lastHandle_ = 0;
    std::unordered_map<uint32_t, std::shared_ptr<const OpenDesign>> designs_;
};

}  // namespace dbx
