// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of a JSON text, read a chunk at a time, with the line of the byte being read and
// a limit on the total; iterated by the JSON parser through JsonByteStream::Iterator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <vector>

namespace boards {

class JsonByteStream {
  public:
    // Fills the buffer with up to `capacity` bytes; returns how many (0 at the end, -1 on a
    // read error).
    using Read = std::function<std::int64_t(char* buffer, std::int64_t capacity)>;

    JsonByteStream(Read read, std::int64_t maxBytes, std::size_t chunkBytes = 1 << 20);
    // Over bytes already in memory.
    JsonByteStream(const char* data, std::size_t size, std::int64_t maxBytes);

    bool AtEnd() const { return pos_ == end_; }
    char Peek() const { return *pos_; }
    void Advance() {
        if (*pos_ == '\n') ++line_;
        last_ = *pos_;
        if (++pos_ == end_) Refill();
    }

    // The 1-based line of the next byte.
    int Line() const { return line_; }
    // The byte read last (0 before any).
    char Last() const { return last_; }
    bool TooLarge() const { return tooLarge_; }
    bool ReadFailed() const { return readFailed_; }

    class Iterator {
      public:
        using iterator_category = std::input_iterator_tag;
        using value_type = char;
        using difference_type = std::ptrdiff_t;
        using pointer = const char*;
        using reference = const char&;

        Iterator() = default;
        explicit Iterator(JsonByteStream* stream) : stream_(stream) {}
        const char& operator*() const { return *stream_->pos_; }
        Iterator& operator++() {
            stream_->Advance();
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            stream_->Advance();
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) {
            return a.Done() == b.Done();
        }
        friend bool operator!=(const Iterator& a, const Iterator& b) { return !(a == b); }

      private:
        bool Done() const { return stream_ == nullptr || stream_->AtEnd(); }
        JsonByteStream* stream_ = nullptr;
    };
    Iterator begin() { return Iterator(this); }
    static Iterator end() { return Iterator(); }

  private:
    void Refill();

    Read read_;
    std::vector<char> buffer_;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    std::int64_t maxBytes_;
    std::int64_t total_ = 0;
    int line_ = 1;
    char last_ = 0;
    bool tooLarge_ = false;
    bool readFailed_ = false;
};

}  // namespace boards
