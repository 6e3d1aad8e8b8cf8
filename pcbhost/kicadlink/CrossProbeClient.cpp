// SPDX-License-Identifier: GPL-3.0-or-later
#include "CrossProbeClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pcbhost::kicadlink {

namespace {

// Connects to 127.0.0.1:port within the deadline; -1 and `error` on failure.
int ConnectLoopback(uint16_t port, std::chrono::milliseconds deadline, std::string* error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        if (error) *error = std::strerror(errno);
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (rc != 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        rc = ::poll(&p, 1, static_cast<int>(deadline.count()));
        if (rc == 0) {
            ::close(fd);
            if (error) *error = "no answer within " + std::to_string(deadline.count()) + " ms";
            return -1;
        }
        int soError = 0;
        socklen_t length = sizeof soError;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
        errno = soError;
        rc = soError == 0 ? 0 : -1;
    }
    if (rc != 0) {
        if (error) *error = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool CrossProbeClient::Probe(std::chrono::milliseconds deadline, std::string* error) const {
    const int fd = ConnectLoopback(port_, deadline, error);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool CrossProbeClient::SelectPart(const std::string& refDes, std::chrono::milliseconds deadline,
                                  std::string* error) const {
    // The editor takes the reference up to the closing quote or the end of the line.
    if (refDes.find_first_of("\"\r\n") != std::string::npos) {
        if (error) *error = "reference " + refDes + " cannot be sent";
        return false;
    }
    return Send("$PART: \"" + refDes + "\"", deadline, error);
}

bool CrossProbeClient::Send(const std::string& message, std::chrono::milliseconds deadline,
                            std::string* error) const {
    const auto started = std::chrono::steady_clock::now();
    const int fd = ConnectLoopback(port_, deadline, error);
    if (fd < 0) return false;
    std::size_t sent = 0;
    while (sent < message.size()) {
        const ssize_t n =
            ::send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const auto left = deadline - std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - started);
            pollfd p{fd, POLLOUT, 0};
            if (left.count() > 0 && ::poll(&p, 1, static_cast<int>(left.count())) > 0) continue;
            if (error) *error = "no answer within " + std::to_string(deadline.count()) + " ms";
        } else if (error) {
            *error = std::strerror(errno);
        }
        ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace pcbhost::kicadlink
