// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonByteStream.h"

#include <algorithm>

namespace boards {

JsonByteStream::JsonByteStream(Read read, std::int64_t maxBytes, std::size_t chunkBytes)
    : read_(std::move(read)), buffer_(std::max<std::size_t>(chunkBytes, 1)), maxBytes_(maxBytes) {
    Refill();
}

JsonByteStream::JsonByteStream(const char* data, std::size_t size, std::int64_t maxBytes)
    : pos_(data), end_(data), maxBytes_(maxBytes) {
    if (std::int64_t(size) > maxBytes) {
        tooLarge_ = true;
        size = std::size_t(maxBytes);
    }
    end_ = data + size;
    total_ = std::int64_t(size);
}

void JsonByteStream::Refill() {
    pos_ = end_ = buffer_.data();
    if (!read_ || tooLarge_ || readFailed_) return;
    // One byte more than the limit allows tells a file at the limit from one above it.
    const std::int64_t room =
        std::min<std::int64_t>(std::int64_t(buffer_.size()), maxBytes_ + 1 - total_);
    const std::int64_t got = room > 0 ? read_(buffer_.data(), room) : 0;
    if (got < 0) {
        readFailed_ = true;
        return;
    }
    total_ += got;
    std::int64_t usable = got;
    if (total_ > maxBytes_) {
        tooLarge_ = true;
        usable -= total_ - maxBytes_;
    }
    end_ = buffer_.data() + usable;
}

}  // namespace boards
