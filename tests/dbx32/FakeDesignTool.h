// SPDX-License-Identifier: GPL-3.0-or-later
// A misbehaving design tool for tests: listens on a socket path and answers every connection
// with a chosen kind of bad reply.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace dbxtest {

class FakeDesignTool {
  public:
    enum class Reply {
        Garbage,            // bytes that are no frame
        HugeLength,         // a frame header announcing more than the limit
        Nothing,            // reads the request, never answers, keeps the connection
        TruncatedFrame,     // announces 100 bytes, sends 10, closes
        MalformedSnapshot,  // a well-framed reply whose snapshot does not decode
        WrongType,          // a highlight reply to a snapshot request
        Snapshot,           // the snapshot given, well framed: a tool other than pcbhost
    };

    FakeDesignTool(const std::string& socketPath, Reply reply);
    // Serves these snapshot bytes to every request.
    FakeDesignTool(const std::string& socketPath, std::vector<uint8_t> snapshot);
    ~FakeDesignTool();
    int connections() const { return connections_; }

  private:
    void Listen();
    void Serve();
    void Answer(int fd);

    std::string path_;
    Reply reply_;
    std::vector<uint8_t> snapshot_;
    int listenFd_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::vector<int> held_;
    std::thread thread_;
};

}  // namespace dbxtest
