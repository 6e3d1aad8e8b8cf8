// SPDX-License-Identifier: GPL-3.0-or-later
// Collects the link's status lines from its thread; a test waits for one with a bounded wait.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace kicadlinktest {

class StatusLines {
  public:
    void Add(const std::string& line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
        added_.notify_all();
    }
    // The first line not yet taken that starts with `prefix`; "" after the timeout.
    std::string WaitFor(const std::string& prefix,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        std::string found;
        added_.wait_for(lock, timeout, [&] {
            for (; taken_ < lines_.size(); ++taken_)
                if (lines_[taken_].rfind(prefix, 0) == 0) {
                    found = lines_[taken_++];
                    return true;
                }
            return false;
        });
        return found;
    }
    std::vector<std::string> All() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable added_;
    std::vector<std::string> lines_;
    std::size_t taken_ = 0;
};

}  // namespace kicadlinktest
