// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesignServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "DbxProtocol.h"
#include "DbxStatus.h"
#include "ServerConnection.h"
#include "SnapshotBuilder.h"

namespace pcbhost {
namespace {

// Descriptors kept free for everything else the process opens.
constexpr std::size_t kReservedFds = 64;

// Raises the soft limit on open files to the hard one; returns how many connections fit.
std::size_t ConnectionCapacity() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 256;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 1 << 16);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    const auto usable = std::size_t(std::min<rlim_t>(limit.rlim_cur, 1 << 16));
    return usable > 2 * kReservedFds ? usable - kReservedFds : kReservedFds;
}

pid_t PeerPid(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 ? cred.pid : -1;
}

// Tells a connection that cannot be taken why, without waiting on it, and closes it.
void Refuse(int fd, const std::string& reason) {
    auto frame = dbx::EncodeFrameHeader(dbx::MessageType::ErrorReply, uint32_t(reason.size()));
    frame.insert(frame.end(), reason.begin(), reason.end());
    [[maybe_unused]] const auto n =
        ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::close(fd);
}

}  // namespace

static_assert(DesignServer::kMaxSnapshotBytes == dbx::kMaxFrameBytes);

DesignServer::DesignServer(std::string socketPath, HighlightHandler onHighlight,
                           std::size_t maxSnapshotBytes)
    : socketPath_(std::move(socketPath)),
      onHighlight_(std::move(onHighlight)),
      maxSnapshotBytes_(maxSnapshotBytes) {}

DesignServer::~DesignServer() {
    Stop();
}

bool DesignServer::SetDesign(std::shared_ptr<const Design> design, std::string* error) {
    auto served = std::make_shared<Served>();
    served->design = std::move(design);
    const uint32_t next = generation() + 1;
    served->generation = next;
    served->snapshot =
        std::make_shared<const std::vector<uint8_t>>(SnapshotBuilder::Build(*served->design, next));
    if (served->snapshot->size() > maxSnapshotBytes_) {
        if (error)
            *error = "the design is too large to serve (" +
                     std::to_string(served->snapshot->size() >> 20) + " MiB of snapshot, at most " +
                     std::to_string(maxSnapshotBytes_ >> 20) + " MiB)";
        return false;
    }
    std::lock_guard lock(mutex_);
    served_ = std::move(served);
    generation_.store(next, std::memory_order_release);
    return true;
}

std::shared_ptr<const DesignServer::Served> DesignServer::Current() const {
    std::lock_guard lock(mutex_);
    return served_;
}

bool DesignServer::Start(std::string* error) {
    if (listenFd_ >= 0) return true;
    // Whoever holds the lock owns the socket, so that of two servers starting at once exactly
    // one serves; the lock goes with the process, however it ends.
    const std::string lockPath = socketPath_ + ".lock";
    dbx::UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock.valid()) {
        *error = "cannot open " + lockPath + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        *error = "another design tool is already serving on " + socketPath_;
        return false;
    }
    struct stat st {};
    if (::lstat(socketPath_.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            *error = socketPath_ + " exists and is not a socket";
            return false;
        }
        std::string ignored;
        if (dbx::ConnectUnix(socketPath_, dbx::DeadlineIn(std::chrono::seconds(1)), &ignored)
                .valid()) {
            *error = "another design tool is already serving on " + socketPath_;
            return false;
        }
        ::unlink(socketPath_.c_str());  // stale: nobody listens
    }
    dbx::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof addr.sun_path) {
        *error = "socket path too long: " + socketPath_;
        return false;
    }
    std::memcpy(addr.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::chmod(socketPath_.c_str(), 0600) != 0 || ::listen(fd.get(), SOMAXCONN) != 0) {
        *error = "cannot listen on " + socketPath_ + ": " + std::strerror(errno);
        return false;
    }
    if (::lstat(socketPath_.c_str(), &st) == 0) socketInode_ = st.st_ino;
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        *error = std::string("eventfd: ") + std::strerror(errno);
        ::unlink(socketPath_.c_str());
        return false;
    }
    maxConnections_ = ConnectionCapacity();
    lockFd_ = lock.Release();
    listenFd_ = fd.Release();
    thread_ = std::thread([this] { Run(); });
    return true;
}

void DesignServer::Stop() {
    if (listenFd_ < 0) return;
    const uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(wakeFd_, &one, sizeof one);
    if (thread_.joinable()) thread_.join();
    ::close(listenFd_);
    ::close(wakeFd_);
    listenFd_ = wakeFd_ = -1;
    // Remove the socket only if it is still ours.
    struct stat st {};
    if (::lstat(socketPath_.c_str(), &st) == 0 && st.st_ino == socketInode_)
        ::unlink(socketPath_.c_str());
    ::close(lockFd_);
    lockFd_ = -1;
}

void DesignServer::Fail(const std::string& reason) {
    if (onFailure_)
        onFailure_(reason);
    else
        std::fprintf(stderr, "pcbhost: serving stopped: %s\n", reason.c_str());
}

void DesignServer::Run() {
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign({{wakeFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}});
        for (const auto& c : connections_) fds.push_back({c.fd(), c.PollEvents(), 0});
        const int n = ::poll(fds.data(), fds.size(), 250);
        if (n < 0 && errno != EINTR) {
            Fail(std::string("poll: ") + std::strerror(errno));
            break;
        }
        if (n > 0 && fds[0].revents) break;  // Stop()
        if (n > 0 && (fds[1].revents & POLLIN)) AcceptPending();
        std::size_t i = 2;
        const auto now = dbx::Clock::now();
        for (auto& c : connections_) Serve(c, i < fds.size() ? fds[i++].revents : 0, now);
        connections_.remove_if([this](const ServerConnection& c) {
            if (c.dead() && --connectionsPerClient_[c.peer()] == 0)
                connectionsPerClient_.erase(c.peer());
            return c.dead();
        });
    }
    connections_.clear();
    connectionsPerClient_.clear();
}

// Takes every pending connection from a process of the same user, within the per-client share
// and what the process can hold; any other is told why and closed.
void DesignServer::AcceptPending() {
    const long myUid = long(::getuid());
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (dbx::PeerUid(fd) != myUid) {
            ::close(fd);
            continue;
        }
        const pid_t peer = PeerPid(fd);
        if (connections_.size() >= maxConnections_) {
            Refuse(fd, "too many connections to the design tool (" +
                           std::to_string(maxConnections_) + "); try again");
            continue;
        }
        auto& held = connectionsPerClient_[peer];
        if (held >= kMaxConnectionsPerClient) {
            Refuse(fd, "this process already holds " + std::to_string(held) +
                           " connections to the design tool, the most one process may hold");
            continue;
        }
        ++held;
        connections_.emplace_back(fd, peer);
    }
}

void DesignServer::Serve(ServerConnection& c, short revents, dbx::Clock::time_point now) {
    if (c.writing() && (revents & (POLLOUT | POLLHUP)))
        c.WriteSome();
    else if (!c.writing() && (revents & (POLLIN | POLLHUP)) && c.ReadSome(now))
        HandleRequest(c);
    c.Check(revents, now);
}

void DesignServer::HandleRequest(ServerConnection& c) {
    const auto& in = c.request();
    const auto type = dbx::MessageType(in[6] | in[7] << 8);
    const std::string_view payload(
        reinterpret_cast<const char*>(in.data()) + dbx::kFrameHeaderBytes,
        in.size() - dbx::kFrameHeaderBytes);
    if (type == dbx::MessageType::HighlightRequest) return HandleHighlight(c, payload);
    if (type != dbx::MessageType::SnapshotRequest) return c.ReplyError("unexpected message type");
    if (onSnapshotRequest_) onSnapshotRequest_();
    const auto served = Current();
    if (!served) return c.ReplyError("no design is open");
    c.Reply(dbx::MessageType::SnapshotReply, served->snapshot);
}

// The component is the one the record came from while its generation is served, else the one
// the refdes selects by itself (dbx::SelectComponent). A request whose client has given up is
// not applied.
void DesignServer::HandleHighlight(ServerConnection& c, std::string_view payload) {
    std::optional<dbx::Deadline> deadline;
    const auto request = dbx::DecodeHighlightRequest(payload, &deadline);
    if (!request) return c.ReplyError("malformed highlight request");
    if (deadline && dbx::Clock::now() > *deadline)
        return c.ReplyError("the highlight request came after its deadline");
    const auto served = Current();
    int index = -1;
    if (served) {
        const auto& components = served->design->components;
        const uint32_t source =
            request->generation == served->generation ? request->componentIndex : dbx::kNoComponent;
        const uint32_t selected = dbx::SelectComponent(
            components.size(), [&](uint32_t i) -> std::string_view { return components[i].refDes; },
            request->refDes, source);
        if (selected != dbx::kNoComponent) index = int(selected);
    }
    int32_t status = dbx::kStatusHighlightNotFound;
    if (index >= 0) {
        HighlightTarget target{index, served->design->components[std::size_t(index)].refDes,
                               request->colour, served->design};
        if (onHighlight_) onHighlight_(target);
        status = dbx::kStatusOk;
    }
    c.Reply(dbx::MessageType::HighlightReply, dbx::EncodeStatus(status));
}

}  // namespace pcbhost
