// SPDX-License-Identifier: LGPL-3.0-or-later
#include "SpareBuffer.h"

#include <mutex>
#include <utility>

namespace dbx {
namespace {

struct Spare {
    std::mutex mutex;
    std::vector<uint8_t> buffer;  // guarded by mutex
};

// Never destroyed: designs may still be closed while the process exits.
Spare& TheSpare() {
    static Spare* const spare = new Spare;
    return *spare;
}

}  // namespace

std::vector<uint8_t> SpareBuffer::Take() {
    Spare& spare = TheSpare();
    std::lock_guard lock(spare.mutex);
    std::vector<uint8_t> buffer = std::exchange(spare.buffer, {});
    buffer.clear();
    return buffer;
}

void SpareBuffer::Offer(std::vector<uint8_t> buffer) {
    Spare& spare = TheSpare();
    std::vector<uint8_t> dropped;  // freed once the lock is let go
    std::lock_guard lock(spare.mutex);
    if (buffer.capacity() > spare.buffer.capacity())
        dropped = std::exchange(spare.buffer, std::move(buffer));
}

}  // namespace dbx
