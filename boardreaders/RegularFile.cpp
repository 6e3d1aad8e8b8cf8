// SPDX-License-Identifier: GPL-3.0-or-later
#include "boardreaders/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace boards {
namespace {

std::string Mebibytes(uint64_t bytes) {
    return std::to_string(bytes >> 20) + " MiB";
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

}  // namespace

RegularFile::~RegularFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool RegularFile::Open(const std::string& path, std::string* reason, uint64_t maxBytes) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *reason = std::strerror(errno);
        return false;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *reason = std::string("not a regular file (") + KindOf(st.st_mode) + ")";
        return false;
    }
    size_ = uint64_t(st.st_size);
    read_ = 0;
    maxBytes_ = maxBytes;
    if (size_ > maxBytes) {
        *reason =
            "the file is too large (" + Mebibytes(size_) + ", at most " + Mebibytes(maxBytes) + ")";
        return false;
    }
    return true;
}

long RegularFile::Read(char* buffer, std::size_t capacity, std::string* reason) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, capacity);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *reason = std::strerror(errno);
            return -1;
        }
        read_ += uint64_t(n);
        if (read_ > maxBytes_) {
            *reason = "the file grew past " + Mebibytes(maxBytes_) + " while being read";
            return -1;
        }
        return long(n);
    }
}

long RegularFile::Fill(char* buffer, std::size_t capacity, std::string* reason) {
    std::size_t size = 0;
    while (size < capacity) {
        const long n = Read(buffer + size, capacity - size, reason);
        if (n < 0) return -1;
        if (n == 0) break;
        size += std::size_t(n);
    }
    return long(size);
}

bool RegularFile::ReadAll(std::string* bytes, std::string* reason) {
    bytes->clear();
    bytes->reserve(std::size_t(size_));
    char buffer[1 << 16];
    for (;;) {
        const long n = Read(buffer, sizeof buffer, reason);
        if (n < 0) return false;
        if (n == 0) return true;
        bytes->append(buffer, std::size_t(n));
    }
}

}  // namespace boards
