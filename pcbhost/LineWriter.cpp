// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineWriter.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

namespace pcbhost {
namespace {

constexpr int kPollMs = 100;
constexpr auto kGracePeriod = std::chrono::milliseconds(300);

}  // namespace

LineWriter::LineWriter(int fd) : fd_(fd), thread_([this] { Run(); }) {}

LineWriter::~LineWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void LineWriter::Write(std::string line) {
    line += '\n';
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        if (pendingBytes_ + line.size() > kMaxPendingBytes) {
            ++dropped_;
            return;
        }
        if (dropped_ > 0) {
            std::string note =
                "dropped " + std::to_string(dropped_) + " lines: standard output was not read\n";
            pendingBytes_ += note.size();
            pending_.push_back(std::move(note));
            dropped_ = 0;
        }
        pendingBytes_ += line.size();
        pending_.push_back(std::move(line));
    }
    wake_.notify_one();
}

void LineWriter::Run() {
    std::chrono::steady_clock::time_point giveUpAt{};
    for (;;) {
        std::string text;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (pending_.empty()) return;
            if (stopping_ && giveUpAt == decltype(giveUpAt){})
                giveUpAt = std::chrono::steady_clock::now() + kGracePeriod;
            if (stopping_ && std::chrono::steady_clock::now() > giveUpAt) return;
            text = std::move(pending_.front());
            pending_.pop_front();
            pendingBytes_ -= text.size();
        }
        if (!WriteOut(text)) return;  // the reader is gone
    }
}

// Writes the text, waiting for the descriptor in short polls so that a stop is noticed; a pipe
// that polls writable takes a write of up to PIPE_BUF bytes without blocking.
bool LineWriter::WriteOut(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, kPollMs);
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) {
            std::lock_guard lock(mutex_);
            if (stopping_) return false;
            continue;
        }
        if (p.revents & (POLLERR | POLLNVAL)) return false;
        const std::size_t chunk = std::min<std::size_t>(text.size() - done, PIPE_BUF);
        const ssize_t n = ::write(fd_, text.data() + done, chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += std::size_t(n);
    }
    return true;
}

}  // namespace pcbhost
