// SPDX-License-Identifier: GPL-3.0-or-later
// One client connection of the design server: reads a request frame, writes its reply, and
// holds the deadline by which the exchange under way must be done. Never blocks.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DbxProtocol.h"

namespace pcbhost {

class ServerConnection {
  public:
    // A request must arrive whole, and its reply be taken whole, within this time each; a slow
    // or silent client loses its own connection and nothing else.
    static constexpr auto kExchangeTimeout = std::chrono::seconds(5);

    ServerConnection(int fd, pid_t peer);

    int fd() const { return fd_.get(); }
    pid_t peer() const { return peer_; }
    bool dead() const { return dead_; }
    bool writing() const { return outPos_ < OutSize(); }
    // The events to poll for: the reply while one is pending, else the next request.
    short PollEvents() const;

    // Reads what has arrived. True when a whole request frame is in request(); a bad header is
    // answered with an error reply and the connection then closes.
    bool ReadSome(dbx::Clock::time_point now);
    const std::vector<uint8_t>& request() const { return in_; }

    // Queues a reply (the body is shared, not copied); the connection closes after it when
    // closeAfter is set.
    void Reply(dbx::MessageType type, std::vector<uint8_t> payload, bool closeAfter = false);
    void Reply(dbx::MessageType type, std::shared_ptr<const std::vector<uint8_t>> body);
    void ReplyError(const std::string& text);
    // Sends what the socket takes now.
    void WriteSome();

    // Marks the connection dead when poll reported an error or its exchange ran out of time.
    void Check(short revents, dbx::Clock::time_point now);

  private:
    std::size_t OutSize() const { return outHead_.size() + (outBody_ ? outBody_->size() : 0); }

    dbx::UniqueFd fd_;
    pid_t peer_;
    std::vector<uint8_t> in_;
    bool requestDone_ = false;
    std::vector<uint8_t> outHead_;
    std::shared_ptr<const std::vector<uint8_t>> outBody_;
    std::size_t outPos_ = 0;
    bool closeAfterWrite_ = false;
    bool dead_ = false;
    dbx::Deadline deadline_;
};

}  // namespace pcbhost
