// SPDX-License-Identifier: GPL-3.0-or-later
// Serves the current design on a Unix socket from a thread of its own: snapshot requests get the
// encoded snapshot, highlight requests are resolved to a component and handed to a handler.
// Garbage, oversized or slow requests get an error reply or are dropped; serving goes on.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Design.h"

namespace pcbhost {

class ServerConnection;

struct HighlightTarget {
    int componentIndex = -1;
    std::string refDes;
    int colour = 0;
    std::shared_ptr<const Design> design;  // the design the index refers to
};

class DesignServer {
  public:
    static constexpr std::size_t kMaxSnapshotBytes = 256u << 20;  // the protocol's frame limit
    // Connections one client process may hold at once; beyond it, and beyond what the process
    // may open, a connection gets an error reply saying so.
    static constexpr std::size_t kMaxConnectionsPerClient = 512;

    // Called on the server thread for each resolved highlight request.
    using HighlightHandler = std::function<void(const HighlightTarget&)>;
    // Called on the server thread when serving stops for an error, with the reason.
    using FailureHandler = std::function<void(const std::string&)>;

    // Snapshots over maxSnapshotBytes are not served: the library would refuse the frame.
    DesignServer(std::string socketPath, HighlightHandler onHighlight,
                 std::size_t maxSnapshotBytes = kMaxSnapshotBytes);
    ~DesignServer();
    DesignServer(const DesignServer&) = delete;
    DesignServer& operator=(const DesignServer&) = delete;

    void SetFailureHandler(FailureHandler onFailure) { onFailure_ = std::move(onFailure); }
    // Called on the server thread before each snapshot is served, before Start(): it may bring
    // the design up to date (SetDesign on another thread), delaying the reply a bounded time.
    void SetSnapshotRequestHandler(std::function<void()> onSnapshotRequest) {
        onSnapshotRequest_ = std::move(onSnapshotRequest);
    }

    // Binds the socket (replacing a stale one; refusing when another server answers on it) and
    // starts the serving thread.
    bool Start(std::string* error);
    // Stops the thread and removes the socket file. Safe to call more than once.
    void Stop();

    // Serves the design from now on, under a new generation. A design whose snapshot is too
    // large to send is refused with the reason, and the design served so far stays.
    bool SetDesign(std::shared_ptr<const Design> design, std::string* error = nullptr);
    // The generation served; safe to read from any thread.
    uint32_t generation() const { return generation_.load(std::memory_order_acquire); }

    const std::string& socketPath() const { return socketPath_; }

  private:
    struct Served {
        uint32_t generation = 0;
        std::shared_ptr<const Design> design;
        std::shared_ptr<const std::vector<uint8_t>> snapshot;
    };

    std::shared_ptr<const Served> Current() const;
    void Run();
    void AcceptPending();
    void Serve(ServerConnection& connection, short revents,
               std::chrono::steady_clock::time_point now);
    void HandleRequest(ServerConnection& connection);
    void HandleHighlight(ServerConnection& connection, std::string_view payload);
    void Fail(const std::string& reason);

    std::string socketPath_;
    HighlightHandler onHighlight_;
    FailureHandler onFailure_;
    std::function<void()> onSnapshotRequest_;
    std::size_t maxSnapshotBytes_;
    std::size_t maxConnections_ = 0;
    int lockFd_ = -1;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    unsigned long long socketInode_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::shared_ptr<const Served> served_;
    std::atomic<uint32_t> generation_{0};
    // Owned by the serving thread.
    std::list<ServerConnection> connections_;
    std::map<pid_t, std::size_t> connectionsPerClient_;
};

}  // namespace pcbhost
