// A misbehaving design tool for tests: listens on a socket path and answers every connection
// with a chosen kind of bad reply.
#pragma once

#include <atomic>
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
    };

    FakeDesignTool(const std::string& socketPath, Reply reply);
    ~FakeDesignTool();
    int connections() const { return connections_; }

  private:
    void Serve();
    void Answer(int fd);

    std::string path_;
    Reply reply_;
    int listenFd_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::vector<int> held_;
    std::thread thread_;
};

}  // namespace dbxtest
