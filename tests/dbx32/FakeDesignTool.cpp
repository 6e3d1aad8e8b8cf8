// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeDesignTool.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "DbxProtocol.h"

namespace dbxtest {

FakeDesignTool::FakeDesignTool(const std::string& socketPath, Reply reply)
    : path_(socketPath), reply_(reply) {
    Listen();
}

FakeDesignTool::FakeDesignTool(const std::string& socketPath, std::vector<uint8_t> snapshot)
    : path_(socketPath), reply_(Reply::Snapshot), snapshot_(std::move(snapshot)) {
    Listen();
}

void FakeDesignTool::Listen() {
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path_.c_str(), sizeof addr.sun_path - 1);
    ::unlink(path_.c_str());
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 8) != 0)
        throw std::runtime_error("cannot listen on " + path_);
    thread_ = std::thread([this] { Serve(); });
}

FakeDesignTool::~FakeDesignTool() {
    stop_ = true;
    thread_.join();
    for (int fd : held_) ::close(fd);
    ::close(listenFd_);
    ::unlink(path_.c_str());
}

void FakeDesignTool::Serve() {
    while (!stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++connections_;
        Answer(fd);
    }
}

void FakeDesignTool::Answer(int fd) {
    const auto deadline = dbx::DeadlineIn(std::chrono::seconds(2));
    std::string error;
    dbx::ReadFrame(fd, dbx::kMaxRequestBytes, deadline, &error);  // the request
    std::vector<uint8_t> out;
    switch (reply_) {
        case Reply::Garbage:
            out.assign(64, 0xEE);
            break;
        case Reply::HugeLength:
            out = dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, 0xFFFFFFF0u);
            out.resize(out.size() + 1000, 0);
            break;
        case Reply::Nothing:
            held_.push_back(fd);
            return;
        case Reply::TruncatedFrame:
            out = dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, 100);
            out.resize(out.size() + 10, 0);
            break;
        case Reply::MalformedSnapshot: {
            std::vector<uint8_t> snapshot(36, 0);
            dbx::PutU32(snapshot, 7);
            out =
                dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, uint32_t(snapshot.size()));
            out.insert(out.end(), snapshot.begin(), snapshot.end());
            break;
        }
        case Reply::Snapshot:
            out =
                dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, uint32_t(snapshot_.size()));
            out.insert(out.end(), snapshot_.begin(), snapshot_.end());
            break;
        case Reply::WrongType:
            out = dbx::EncodeFrameHeader(dbx::MessageType::HighlightReply, 4);
            out.resize(out.size() + 4, 0);
            break;
    }
    dbx::WriteAll(fd, out.data(), out.size(), deadline);
    ::close(fd);
}

}  // namespace dbxtest
