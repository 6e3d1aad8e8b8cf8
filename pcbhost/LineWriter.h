// SPDX-License-Identifier: GPL-3.0-or-later
// Writes lines to a file descriptor (standard output) from a thread of its own, so that no caller
// ever waits on a reader that does not read. At most kMaxPendingBytes wait to be written; lines
// beyond that are dropped, and a line then says how many were.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace pcbhost {

class LineWriter {
  public:
    static constexpr std::size_t kMaxPendingBytes = 1 << 20;

    explicit LineWriter(int fd);
    // Writes what the reader takes within a short grace period, then gives up on the rest.
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // Queues one line (a newline is added); never blocks on the descriptor.
    void Write(std::string line);

  private:
    void Run();
    bool WriteOut(const std::string& text);

    int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> pending_;
    std::size_t pendingBytes_ = 0;
    std::size_t dropped_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace pcbhost
