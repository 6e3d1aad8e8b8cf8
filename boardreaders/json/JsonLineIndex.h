// SPDX-License-Identifier: GPL-3.0-or-later
// Line numbers of the values in a JSON text, by path ("/components/3/pads/0/style"), so that
// errors found after parsing can name the line. Expects text that a JSON parser accepted.
#pragma once

#include <QByteArray>
#include <string>
#include <unordered_map>

namespace boards {

class JsonLineIndex {
  public:
    explicit JsonLineIndex(const QByteArray& text);

    // The line of the value at path, else of its nearest indexed ancestor, else 1.
    int LineOf(std::string path) const;

    // The 1-based line holding the byte at offset.
    static int LineAtOffset(const QByteArray& text, qsizetype offset);

  private:
    void SkipSpace();
    void Value(const std::string& path, int depth);
    std::string String();

    const QByteArray& text_;
    qsizetype pos_ = 0;
    int line_ = 1;
    std::unordered_map<std::string, int> lines_;
};

}  // namespace boards
