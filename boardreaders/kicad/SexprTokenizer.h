// SPDX-License-Identifier: GPL-3.0-or-later
// A single-pass tokenizer over the bytes of an S-expression file, as KiCad writes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace boards::kicad {

// A read failure at a byte offset; turned into a file:line error by the reader.
class SexprError : public std::runtime_error {
  public:
    SexprError(size_t offset, const std::string& reason)
        : std::runtime_error(reason), offset_(offset) {}
    size_t offset() const { return offset_; }

  private:
    size_t offset_;
};

namespace detail {
// Byte classes as lookup tables: white space, and the bytes that end an unquoted atom.
struct ByteClass {
    bool table[256] = {};
    constexpr ByteClass(std::string_view members) {
        for (char c : members) table[static_cast<unsigned char>(c)] = true;
    }
};
inline constexpr ByteClass kSpace{std::string_view(" \n\r\t", 4)};
inline constexpr ByteClass kDelimiter{std::string_view(" \n\r\t()\"\0", 8)};
}  // namespace detail

class SexprTokenizer {
  public:
    enum class Item { ListStart, Atom, ListEnd };

    explicit SexprTokenizer(std::string_view bytes) : bytes_(bytes) {}

    // Next item inside the current list: a nested list (its head atom is then in Head()),
    // a bare atom (in Atom()), or the end of the current list. Fails at the end of the bytes.
    Item NextItem();
    // Next nested list of the current list, skipping bare atoms; false once the list has ended.
    bool NextChildList();
    // Reads `(` and the head atom of the top-level list; false at the end of the bytes.
    bool NextTopLevelList();
    bool AtEndOfInput();

    // The head of the list just started, or the atom just read; raw text without quotes.
    std::string_view Head() const { return atom_; }
    std::string_view Atom() const { return atom_; }
    // The atom just read with its escapes resolved.
    std::string AtomString() const;

    // Skips the rest of the current list, including its closing parenthesis.
    void SkipList();
    // Skips the rest of the current list and returns a hash of its tokens, numbers normalised.
    uint64_t HashList(uint64_t seed);

    // The next item must be an atom; returns it.
    std::string_view ReadAtom();
    std::string ReadString();
    double ReadNumber();
    // The next item must close the current list.
    void ExpectListEnd();

    size_t TokenOffset() const { return tokenStart_; }
    [[noreturn]] void Fail(const std::string& reason) const;

    // 1-based line of a byte offset.
    int LineAt(size_t offset) const;

  private:
    void SkipSpace() {
        while (pos_ < bytes_.size() &&
               detail::kSpace.table[static_cast<unsigned char>(bytes_[pos_])])
            ++pos_;
    }
    void ReadAtomAt();
    void ReadQuotedAt();

    std::string_view bytes_;
    size_t pos_ = 0;
    size_t tokenStart_ = 0;
    std::string_view atom_;
    bool quoted_ = false;
    bool escaped_ = false;
};

inline void SexprTokenizer::ReadAtomAt() {
    if (bytes_[pos_] == '"') {
        ReadQuotedAt();
        return;
    }
    tokenStart_ = pos_;
    size_t i = pos_;
    const size_t n = bytes_.size();
    while (i < n && !detail::kDelimiter.table[static_cast<unsigned char>(bytes_[i])]) ++i;
    if (i == pos_) Fail(bytes_[pos_] == '\0' ? "unexpected zero byte" : "unexpected character");
    atom_ = bytes_.substr(pos_, i - pos_);
    pos_ = i;
    quoted_ = false;
    escaped_ = false;
}

inline SexprTokenizer::Item SexprTokenizer::NextItem() {
    SkipSpace();
    tokenStart_ = pos_;
    if (pos_ >= bytes_.size()) Fail("unexpected end of file: unbalanced parentheses");
    const char c = bytes_[pos_];
    if (c == ')') {
        ++pos_;
        return Item::ListEnd;
    }
    if (c == '(') {
        ++pos_;
        SkipSpace();
        if (pos_ >= bytes_.size()) Fail("unexpected end of file: unbalanced parentheses");
        if (bytes_[pos_] == '(' || bytes_[pos_] == ')') {
            atom_ = {};
            quoted_ = false;
        } else {
            ReadAtomAt();
        }
        return Item::ListStart;
    }
    ReadAtomAt();
    return Item::Atom;
}

// Parses a whole atom as a finite number; false if it is not one.
bool ParseNumber(std::string_view text, double& value);

}  // namespace boards::kicad
