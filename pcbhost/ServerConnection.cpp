// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerConnection.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace pcbhost {

ServerConnection::ServerConnection(int fd, pid_t peer)
    : fd_(fd), peer_(peer), deadline_(dbx::DeadlineIn(kExchangeTimeout)) {}

short ServerConnection::PollEvents() const {
    return writing() ? POLLOUT : POLLIN;
}

bool ServerConnection::ReadSome(dbx::Clock::time_point now) {
    if (requestDone_) {  // the previous request was answered: a new exchange begins
        in_.clear();
        requestDone_ = false;
        deadline_ = now + kExchangeTimeout;
    }
    // Read up to the end of the current frame.
    std::size_t want = dbx::kFrameHeaderBytes;
    if (in_.size() >= dbx::kFrameHeaderBytes) want += dbx::GetU32(in_.data() + 8);
    const std::size_t have = in_.size();
    in_.resize(want);
    const ssize_t got = ::recv(fd_.get(), in_.data() + have, want - have, MSG_DONTWAIT);
    if (got <= 0) {
        in_.resize(have);
        if (got == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) dead_ = true;
        return false;
    }
    in_.resize(have + std::size_t(got));
    if (have < dbx::kFrameHeaderBytes && in_.size() == dbx::kFrameHeaderBytes) {
        std::string error;
        if (!dbx::DecodeFrameHeader(in_.data(), dbx::kMaxRequestBytes, &error)) {
            ReplyError(error);
            return false;
        }
    }
    requestDone_ = in_.size() >= dbx::kFrameHeaderBytes &&
                   in_.size() == dbx::kFrameHeaderBytes + dbx::GetU32(in_.data() + 8);
    return requestDone_;
}

void ServerConnection::Reply(dbx::MessageType type, std::vector<uint8_t> payload, bool closeAfter) {
    outHead_ = dbx::EncodeFrameHeader(type, uint32_t(payload.size()));
    outHead_.insert(outHead_.end(), payload.begin(), payload.end());
    outBody_.reset();
    outPos_ = 0;
    closeAfterWrite_ = closeAfter;
    deadline_ = dbx::DeadlineIn(kExchangeTimeout);
}

void ServerConnection::Reply(dbx::MessageType type,
                             std::shared_ptr<const std::vector<uint8_t>> body) {
    Reply(type, {}, false);
    outHead_ = dbx::EncodeFrameHeader(type, uint32_t(body->size()));  // the length is the body's
    outBody_ = std::move(body);
}

void ServerConnection::ReplyError(const std::string& text) {
    in_.clear();
    requestDone_ = false;
    Reply(dbx::MessageType::ErrorReply, std::vector<uint8_t>(text.begin(), text.end()), true);
}

void ServerConnection::WriteSome() {
    while (writing()) {
        const bool head = outPos_ < outHead_.size();
        const uint8_t* data =
            head ? outHead_.data() + outPos_ : outBody_->data() + (outPos_ - outHead_.size());
        const std::size_t left = head ? outHead_.size() - outPos_ : OutSize() - outPos_;
        const ssize_t sent = ::send(fd_.get(), data, left, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            outPos_ += std::size_t(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        dead_ = true;
        return;
    }
    outHead_.clear();
    outBody_.reset();
    outPos_ = 0;
    if (closeAfterWrite_) dead_ = true;
}

void ServerConnection::Check(short revents, dbx::Clock::time_point now) {
    if ((revents & (POLLERR | POLLNVAL)) || now > deadline_) dead_ = true;
}

}  // namespace pcbhost
