#include "DesignServer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <list>

#include "DbxProtocol.h"
#include "DbxStatus.h"
#include "SnapshotBuilder.h"

namespace pcbhost {
namespace {

constexpr std::size_t kMaxConnections = 64;
constexpr auto kIdleTimeout = std::chrono::seconds(5);

// The refdes as a component record would hold it.
std::string_view RecordRefDes(std::string_view refDes) {
    return refDes.substr(0, std::min(refDes.size(), dbx::kRecordRefDesChars));
}

}  // namespace

class DesignServer::Connection {
  public:
    explicit Connection(int fd) : fd(fd), deadline(dbx::DeadlineIn(kIdleTimeout)) {}
    dbx::UniqueFd fd;
    std::vector<uint8_t> in;
    std::vector<uint8_t> outHead;
    std::shared_ptr<const std::vector<uint8_t>> outBody;
    std::size_t outPos = 0;
    bool closeAfterWrite = false;
    bool dead = false;
    dbx::Deadline deadline;

    std::size_t OutSize() const { return outHead.size() + (outBody ? outBody->size() : 0); }
    bool Writing() const { return outPos < OutSize(); }
};

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
    return true;
}

uint32_t DesignServer::generation() const {
    const auto served = Current();
    return served ? served->generation : 0;
}

std::shared_ptr<const DesignServer::Served> DesignServer::Current() const {
    std::lock_guard lock(mutex_);
    return served_;
}

bool DesignServer::Start(std::string* error) {
    if (listenFd_ >= 0) return true;
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
        ::chmod(socketPath_.c_str(), 0600) != 0 || ::listen(fd.get(), 64) != 0) {
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
}

void DesignServer::Respond(Connection& c, uint16_t type, std::vector<uint8_t> payload,
                           bool closeAfter) {
    c.outHead = dbx::EncodeFrameHeader(dbx::MessageType(type), uint32_t(payload.size()));
    c.outHead.insert(c.outHead.end(), payload.begin(), payload.end());
    c.outBody.reset();
    c.outPos = 0;
    c.closeAfterWrite = closeAfter;
}

void DesignServer::HandleFrame(Connection& c) {
    const auto type = dbx::MessageType(c.in[6] | c.in[7] << 8);
    const std::string_view payload(
        reinterpret_cast<const char*>(c.in.data()) + dbx::kFrameHeaderBytes,
        c.in.size() - dbx::kFrameHeaderBytes);
    auto error = [&](const std::string& text) {
        Respond(c, uint16_t(dbx::MessageType::ErrorReply),
                std::vector<uint8_t>(text.begin(), text.end()), true);
    };
    if (type == dbx::MessageType::SnapshotRequest) {
        const auto served = Current();
        if (!served) return error("no design is open");
        c.outHead = dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply,
                                           uint32_t(served->snapshot->size()));
        c.outBody = served->snapshot;
        c.outPos = 0;
        c.closeAfterWrite = false;
        return;
    }
    if (type != dbx::MessageType::HighlightRequest) return error("unexpected message type");
    const auto request = dbx::DecodeHighlightRequest(payload);
    if (!request) return error("malformed highlight request");
    const auto served = Current();
    int index = -1;
    if (served) {
        const auto& components = served->design->components;
        if (request->generation == served->generation &&
            request->componentIndex < components.size() &&
            RecordRefDes(components[request->componentIndex].refDes) == request->refDes) {
            index = int(request->componentIndex);
        } else {
            for (std::size_t i = 0; i < components.size() && index < 0; ++i)
                if (RecordRefDes(components[i].refDes) == request->refDes) index = int(i);
        }
    }
    int32_t status = dbx::kStatusHighlightNotFound;
    if (index >= 0) {
        HighlightTarget target{index, served->design->components[std::size_t(index)].refDes,
                               request->colour, served->design};
        if (onHighlight_) onHighlight_(target);
        status = dbx::kStatusOk;
    }
    Respond(c, uint16_t(dbx::MessageType::HighlightReply), dbx::EncodeStatus(status), false);
}

void DesignServer::Run() {
    std::list<Connection> connections;
    const long myUid = long(::getuid());
    for (;;) {
        std::vector<pollfd> fds{{wakeFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
        for (auto& c : connections)
            fds.push_back({c.fd.get(), short(c.Writing() ? POLLOUT : POLLIN), 0});
        int n = ::poll(fds.data(), fds.size(), 250);
        if (n < 0 && errno != EINTR) break;
        if (fds[0].revents) return;  // Stop(); the list closes the connections
        if (n > 0 && (fds[1].revents & POLLIN)) {
            for (;;) {
                const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0) break;
                if (dbx::PeerUid(fd) == myUid && connections.size() < kMaxConnections)
                    connections.emplace_back(fd);
                else
                    ::close(fd);
            }
        }
        std::size_t i = 2;
        const auto now = dbx::Clock::now();
        for (auto& c : connections) {
            const short revents = i < fds.size() ? fds[i].revents : 0;
            ++i;
            if (revents & (POLLERR | POLLNVAL)) {
                c.dead = true;
                continue;
            }
            if (c.Writing() && (revents & (POLLOUT | POLLHUP))) {
                while (c.Writing()) {
                    const bool head = c.outPos < c.outHead.size();
                    const uint8_t* data = head ? c.outHead.data() + c.outPos
                                               : c.outBody->data() + (c.outPos - c.outHead.size());
                    const std::size_t left =
                        head ? c.outHead.size() - c.outPos : c.OutSize() - c.outPos;
                    const ssize_t sent =
                        ::send(c.fd.get(), data, left, MSG_NOSIGNAL | MSG_DONTWAIT);
                    if (sent > 0) {
                        c.outPos += std::size_t(sent);
                        c.deadline = now + kIdleTimeout;
                        continue;
                    }
                    if (sent < 0 && errno == EINTR) continue;
                    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
                    c.dead = true;
                    break;
                }
                if (!c.Writing()) {
                    c.outHead.clear();
                    c.outBody.reset();
                    c.outPos = 0;
                    if (c.closeAfterWrite) c.dead = true;
                }
            } else if (!c.Writing() && (revents & (POLLIN | POLLHUP))) {
                // Read up to the end of the current frame.
                std::size_t want = dbx::kFrameHeaderBytes;
                if (c.in.size() >= dbx::kFrameHeaderBytes) want += dbx::GetU32(c.in.data() + 8);
                const std::size_t have = c.in.size();
                c.in.resize(want);
                const ssize_t got =
                    ::recv(c.fd.get(), c.in.data() + have, want - have, MSG_DONTWAIT);
                if (got <= 0) {
                    c.in.resize(have);
                    if (got == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
                        c.dead = true;
                    continue;
                }
                c.in.resize(have + std::size_t(got));
                c.deadline = now + kIdleTimeout;
                if (have < dbx::kFrameHeaderBytes && c.in.size() == dbx::kFrameHeaderBytes) {
                    std::string error;
                    if (!dbx::DecodeFrameHeader(c.in.data(), dbx::kMaxRequestBytes, &error)) {
                        Respond(c, uint16_t(dbx::MessageType::ErrorReply),
                                std::vector<uint8_t>(error.begin(), error.end()), true);
                        c.in.clear();
                        continue;
                    }
                }
                if (c.in.size() >= dbx::kFrameHeaderBytes &&
                    c.in.size() == dbx::kFrameHeaderBytes + dbx::GetU32(c.in.data() + 8)) {
                    HandleFrame(c);
                    c.in.clear();
                }
            }
            if (now > c.deadline) c.dead = true;
        }
        connections.remove_if([](const Connection& c) { return c.dead; });
    }
}

}  // namespace pcbhost
