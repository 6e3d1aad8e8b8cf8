// SPDX-License-Identifier: GPL-3.0-or-later
// Single-byte string with the framework's interface. Assignment reuses the buffer.
#pragma once

#include <string>

#include "AfxTypes.h"

// An ASCII letter in lower case; any other byte as it is. CompareNoCase and MakeLower fold so.
inline unsigned char AfxFoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

class CString {
  public:
    CString() = default;
    CString(const char* text);  // NOLINT: implicit as in the framework
    CString(const char* text, int length);
    CString(char ch, int repeat = 1);
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString& other) {
        if (this != &other) m_text.assign(other.m_text);  // keeps this buffer when big enough
        return *this;
    }
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* text);
    CString& operator=(char ch);

    operator LPCTSTR() const { return m_text.c_str(); }  // NOLINT: implicit as in the framework
    LPCTSTR GetString() const { return m_text.c_str(); }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    BOOL IsEmpty() const { return m_text.empty() ? TRUE : FALSE; }
    void Empty() { m_text.clear(); }
    char GetAt(int index) const { return m_text[static_cast<std::size_t>(index)]; }
    char operator[](int index) const { return GetAt(index); }
    void SetAt(int index, char ch) { m_text[static_cast<std::size_t>(index)] = ch; }

    // printf-style; the previous content's buffer is reused.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // From the string table; FALSE (and empty) when the id is not there.
    BOOL LoadString(UINT id);
    BOOL LoadStringA(UINT id) { return LoadString(id); }

    int Compare(const char* other) const;        // byte-wise, case-sensitive
    int CompareNoCase(const char* other) const;  // ASCII letters folded
    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;
    int Find(char ch) const;
    int Find(const char* sub) const;
    void MakeUpper();
    void MakeLower();
    void TrimLeft();
    void TrimRight();

    CString& operator+=(const CString& other);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);

    // Direct buffer access: GetBuffer(n) gives room for n characters plus the terminator;
    // ReleaseBuffer(-1) takes the length up to the first zero byte.
    LPTSTR GetBuffer(int minLength = 0);
    LPTSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    const std::string& str() const { return m_text; }

  private:
    std::string m_text;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);

inline bool operator==(const CString& a, const CString& b) {
    return a.str() == b.str();
}
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
inline bool operator!=(const CString& a, const CString& b) {
    return !(a == b);
}
bool operator!=(const CString& a, const char* b);
bool operator!=(const char* a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, const char* b);
bool operator<(const char* a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator>(const CString& a, const char* b);
bool operator>(const char* a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator<=(const CString& a, const char* b);
bool operator<=(const char* a, const CString& b);
bool operator>=(const CString& a, const CString& b);
bool operator>=(const CString& a, const char* b);
bool operator>=(const char* a, const CString& b);
