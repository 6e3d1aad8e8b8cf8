// SPDX-License-Identifier: GPL-3.0-or-later
// A design file opened for reading without ever waiting on it: only a regular file of at most a
// size limit is taken, so that a FIFO, a device or an endless file is refused with the reason
// instead of blocking or reading forever.
#pragma once

#include <cstdint>
#include <string>

namespace boards {

class RegularFile {
  public:
    static constexpr uint64_t kMaxBytes = uint64_t(512) << 20;

    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // False, with the reason, unless `path` (after symbolic links) is a readable regular file of
    // at most maxBytes.
    bool Open(const std::string& path, std::string* reason, uint64_t maxBytes = kMaxBytes);
    // Reads the rest of the file; refuses it when it grows past the limit while being read.
    bool ReadAll(std::string* bytes, std::string* reason);
    // Reads at most `capacity` bytes; 0 at the end, -1 on an error or past the limit.
    long Read(char* buffer, std::size_t capacity, std::string* reason);
    // Reads until `capacity` bytes are in or the file ends; fewer than `capacity` only at the
    // end, -1 on an error or past the limit.
    long Fill(char* buffer, std::size_t capacity, std::string* reason);

    uint64_t size() const { return size_; }

  private:
    int fd_ = -1;
    uint64_t size_ = 0;
    uint64_t read_ = 0;
    uint64_t maxBytes_ = kMaxBytes;
};

}  // namespace boards
