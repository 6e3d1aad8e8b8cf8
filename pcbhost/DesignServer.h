// Serves the current design on a Unix socket from a thread of its own: snapshot requests get the
// encoded snapshot, highlight requests are resolved to a component and handed to a handler.
// Garbage, oversized or slow requests get an error reply or are dropped; serving goes on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Design.h"

namespace pcbhost {

struct HighlightTarget {
    int componentIndex = -1;
    std::string refDes;
    int colour = 0;
    std::shared_ptr<const Design> design;  // the design the index refers to
};

class DesignServer {
  public:
    static constexpr std::size_t kMaxSnapshotBytes = 256u << 20;  // the protocol's frame limit

    // Called on the server thread for each resolved highlight request.
    using HighlightHandler = std::function<void(const HighlightTarget&)>;

    // Snapshots over maxSnapshotBytes are not served: the library would refuse the frame.
    DesignServer(std::string socketPath, HighlightHandler onHighlight,
                 std::size_t maxSnapshotBytes = kMaxSnapshotBytes);
    ~DesignServer();
    DesignServer(const DesignServer&) = delete;
    DesignServer& operator=(const DesignServer&) = delete;

    // Binds the socket (replacing a stale one; refusing when another server answers on it) and
    // starts the serving thread.
    bool Start(std::string* error);
    // Stops the thread and removes the socket file. Safe to call more than once.
    void Stop();

    // Serves the design from now on, under a new generation. A design whose snapshot is too
    // large to send is refused with the reason, and the design served so far stays.
    bool SetDesign(std::shared_ptr<const Design> design, std::string* error = nullptr);
    uint32_t generation() const;

    const std::string& socketPath() const { return socketPath_; }

  private:
    struct Served {
        uint32_t generation = 0;
        std::shared_ptr<const Design> design;
        std::shared_ptr<const std::vector<uint8_t>> snapshot;
    };
    class Connection;

    std::shared_ptr<const Served> Current() const;
    void Run();
    void HandleFrame(Connection& connection);
    void Respond(Connection& connection, uint16_t type, std::vector<uint8_t> payload,
                 bool closeAfter);

    std::string socketPath_;
    HighlightHandler onHighlight_;
    std::size_t maxSnapshotBytes_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    unsigned long long socketInode_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::shared_ptr<const Served> served_;
};

}  // namespace pcbhost
