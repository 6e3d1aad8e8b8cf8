// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonLineIndex.h"

#include <algorithm>
#include <string_view>

namespace boards {
namespace {
constexpr int kMaxDepth = 2000;
}

JsonLineIndex::JsonLineIndex(const QByteArray& text) : text_(text) {
    SkipSpace();
    Value("", 0);
}

int JsonLineIndex::LineAtOffset(const QByteArray& text, qsizetype offset) {
    offset = std::clamp<qsizetype>(offset, 0, text.size());
    return 1 + int(std::count(text.begin(), text.begin() + offset, '\n'));
}

int JsonLineIndex::LineOf(std::string path) const {
    for (;;) {
        const auto it = lines_.find(path);
        if (it != lines_.end()) return it->second;
        const auto slash = path.rfind('/');
        if (slash == std::string::npos) return 1;
        path.resize(slash);
    }
}

void JsonLineIndex::SkipSpace() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '\n') ++line_;
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return;
        ++pos_;
    }
}

std::string JsonLineIndex::String() {
    std::string out;
    ++pos_;  // opening quote
    while (pos_ < text_.size() && text_[pos_] != '"') {
        if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) ++pos_;
        out += text_[pos_++];
    }
    ++pos_;  // closing quote
    return out;
}

void JsonLineIndex::Value(const std::string& path, int depth) {
    if (pos_ >= text_.size() || depth > kMaxDepth) return;
    lines_.emplace(path, line_);
    const char c = text_[pos_];
    if (c == '{' || c == '[') {
        const char close = c == '{' ? '}' : ']';
        ++pos_;
        for (int index = 0;; ++index) {
            SkipSpace();
            if (pos_ >= text_.size()) return;
            if (text_[pos_] == close) {
                ++pos_;
                return;
            }
            if (text_[pos_] == ',') {
                ++pos_;
                SkipSpace();
            }
            std::string child = path + "/";
            if (c == '{') {
                child += String();
                SkipSpace();
                ++pos_;  // ':'
                SkipSpace();
            } else {
                child += std::to_string(index);
            }
            const qsizetype before = pos_;
            Value(child, depth + 1);
            if (pos_ == before) return;  // not the JSON this expects
        }
    }
    if (c == '"') {
        String();
        return;
    }
    while (pos_ < text_.size() &&
           std::string_view(",]} \t\r\n").find(text_[pos_]) == std::string_view::npos)
        ++pos_;
}

}  // namespace boards
