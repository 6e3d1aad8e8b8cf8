// SPDX-License-Identifier: LGPL-3.0-or-later
#include "SocketIo.h"

#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "DbxProtocol.h"

namespace dbx {
namespace {

// Asks for huge pages under a large buffer: a large design then faults in and walks through far
// fewer pages. Advice only; nothing changes where the kernel declines.
void AdviseHugePages(uint8_t* data, std::size_t size) {
    constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHugePage - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
}

int UniqueFd::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

bool WaitReady(int fd, short events, Deadline deadline) {
    for (;;) {
        // Rounded up, so that a wait reports a timeout only once the deadline has passed.
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(std::min<long long>(left, 60'000)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) continue;  // loop re-checks the deadline
        if (p.revents & (events | POLLHUP | POLLERR)) return true;
        if (p.revents & POLLNVAL) return false;
    }
}

bool WriteAll(int fd, const void* data, std::size_t size, Deadline deadline) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            p += n;
            size -= std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitReady(fd, POLLOUT, deadline)) return false;
            continue;
        }
        return false;
    }
    return true;
}

bool ReadExact(int fd, void* data, std::size_t size, Deadline deadline) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::recv(fd, p, size, MSG_DONTWAIT);
        if (n > 0) {
            p += n;
            size -= std::size_t(n);
            continue;
        }
        if (n == 0) return false;  // peer closed mid-frame
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitReady(fd, POLLIN, deadline)) return false;
            continue;
        }
        return false;
    }
    return true;
}

bool WriteFrame(int fd, uint16_t type, const std::vector<uint8_t>& payload, Deadline deadline) {
    if (payload.size() > kMaxFrameBytes) return false;
    const auto header = EncodeFrameHeader(MessageType(type), uint32_t(payload.size()));
    return WriteAll(fd, header.data(), header.size(), deadline) &&
           WriteAll(fd, payload.data(), payload.size(), deadline);
}

std::optional<Frame> ReadFrame(int fd, uint32_t maxLength, Deadline deadline, std::string* error,
                               std::vector<uint8_t> buffer) {
    uint8_t raw[kFrameHeaderBytes];
    if (!ReadExact(fd, raw, sizeof raw, deadline)) {
        *error = "no complete frame header before the deadline or the connection closed";
        return std::nullopt;
    }
    const auto header = DecodeFrameHeader(raw, maxLength, error);
    if (!header) return std::nullopt;
    Frame frame;
    frame.type = uint16_t(header->type);
    // The whole payload is reserved at once, so a large frame is never copied on the way in.
    // Reserving costs address space only: a header announcing a large frame takes no memory
    // until its payload comes, chunk by chunk.
    constexpr std::size_t kChunk = std::size_t(1) << 20;
    frame.payload = std::move(buffer);
    frame.payload.clear();
    if (frame.payload.capacity() < header->length) {
        frame.payload = {};
        frame.payload.reserve(header->length);
        AdviseHugePages(frame.payload.data(), frame.payload.capacity());
    }
    while (frame.payload.size() < header->length) {
        const std::size_t done = frame.payload.size();
        const std::size_t chunk = std::min<std::size_t>(header->length - done, kChunk);
        frame.payload.resize(done + chunk);
        if (!ReadExact(fd, frame.payload.data() + done, chunk, deadline)) {
            *error = "truncated frame";
            return std::nullopt;
        }
    }
    return frame;
}

long PeerUid(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return -1;
    return long(cred.uid);
}

UniqueFd ConnectUnix(const std::string& path, Deadline deadline, std::string* error) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        *error = "socket path too long";
        return {};
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid()) {
        *error = std::string("socket: ") + std::strerror(errno);
        return {};
    }
    int rc;
    for (;;) {
        rc = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
        if (rc == 0 || errno == EINTR) {
            if (rc == 0) break;
            continue;
        }
        // A full listen backlog: the connection was not made; try again until the deadline.
        if (errno != EAGAIN || Clock::now() >= deadline) break;
        ::usleep(10'000);
    }
    if (rc != 0) {
        if (errno == ENOENT) {
            *error = path + ": no socket: the tool is not running";
            return {};
        }
        if (errno == ECONNREFUSED) {
            *error = path + ": socket refused: the tool is not listening";
            return {};
        }
        if (errno != EINPROGRESS) {
            *error = path + ": " + std::strerror(errno);
            return {};
        }
        if (!WaitReady(fd.get(), POLLOUT, deadline)) {
            *error = path + ": deadline passed while connecting";
            return {};
        }
        int soError = 0;
        socklen_t len = sizeof soError;
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &soError, &len) != 0 || soError != 0) {
            *error = path + ": " + std::strerror(soError ? soError : errno);
            return {};
        }
    }
    if (PeerUid(fd.get()) != long(::getuid())) {
        *error = path + ": the peer runs as another user";
        return {};
    }
    return fd;
}

}  // namespace dbx
