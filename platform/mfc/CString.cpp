// SPDX-License-Identifier: GPL-3.0-or-later
#include "CString.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "AfxDialogTemplate.h"

namespace {

int CompareBytes(const char* a, const char* b) {
    const int result = std::strcmp(a, b);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

}  // namespace

CString::CString(const char* text) : m_text(text != nullptr ? text : "") {}

CString::CString(const char* text, int length) {
    if (text != nullptr && length > 0) m_text.assign(text, static_cast<std::size_t>(length));
}

CString::CString(char ch, int repeat) {
    if (repeat > 0) m_text.assign(static_cast<std::size_t>(repeat), ch);
}

CString& CString::operator=(const char* text) {
    if (text == nullptr) {
        m_text.clear();
    } else {
        m_text.assign(text);
    }
    return *this;
}

CString& CString::operator=(char ch) {
    m_text.assign(1, ch);
    return *this;
}

void CString::Format(const char* format, ...) {
    if (format == nullptr) {
        m_text.clear();
        return;
    }
    va_list args;
    va_start(args, format);
    if (format[0] == '%' && format[1] == 'd' && format[2] == '\0') {
        // Counters format one number thousands of times a second.
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, va_arg(args, int)).ptr;
        va_end(args);
        m_text.assign(digits, end);
        return;
    }
    va_list retry;
    va_copy(retry, args);
    m_text.resize(m_text.capacity());
    const int needed = std::vsnprintf(m_text.data(), m_text.size() + 1, format, args);
    va_end(args);
    if (needed < 0) {
        m_text.clear();
    } else if (static_cast<std::size_t>(needed) <= m_text.size()) {
        m_text.resize(static_cast<std::size_t>(needed));
    } else {
        m_text.resize(static_cast<std::size_t>(needed));
        std::vsnprintf(m_text.data(), m_text.size() + 1, format, retry);
    }
    va_end(retry);
}

BOOL CString::LoadString(UINT id) {
    const char* text = AfxFindStringResource(id);
    if (text == nullptr) {
        m_text.clear();
        return FALSE;
    }
    m_text.assign(text);
    return TRUE;
}

int CString::Compare(const char* other) const {
    return CompareBytes(m_text.c_str(), other != nullptr ? other : "");
}

int CString::CompareNoCase(const char* other) const {
    const auto* a = reinterpret_cast<const unsigned char*>(m_text.c_str());
    const auto* b = reinterpret_cast<const unsigned char*>(other != nullptr ? other : "");
    for (;; ++a, ++b) {
        const unsigned char ca = AfxFoldAscii(*a);
        const unsigned char cb = AfxFoldAscii(*b);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

CString CString::Left(int count) const {
    if (count <= 0) return CString();
    return CString(m_text.c_str(), std::min(count, GetLength()));
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength() - first);
}

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (first >= GetLength() || count <= 0) return CString();
    count = std::min(count, GetLength() - first);
    return CString(m_text.c_str() + first, count);
}

CString CString::Right(int count) const {
    if (count <= 0) return CString();
    count = std::min(count, GetLength());
    return CString(m_text.c_str() + (GetLength() - count), count);
}

int CString::Find(char ch) const {
    const auto pos = m_text.find(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* sub) const {
    if (sub == nullptr) return -1;
    const auto pos = m_text.find(sub);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

void CString::MakeUpper() {
    for (char& c : m_text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

void CString::MakeLower() {
    for (char& c : m_text) c = static_cast<char>(AfxFoldAscii(static_cast<unsigned char>(c)));
}

void CString::TrimLeft() {
    const auto pos = m_text.find_first_not_of(" \t\r\n");
    m_text.erase(0, pos == std::string::npos ? m_text.size() : pos);
}

void CString::TrimRight() {
    const auto pos = m_text.find_last_not_of(" \t\r\n");
    m_text.erase(pos == std::string::npos ? 0 : pos + 1);
}

CString& CString::operator+=(const CString& other) {
    m_text += other.m_text;
    return *this;
}

CString& CString::operator+=(const char* text) {
    if (text != nullptr) m_text += text;
    return *this;
}

CString& CString::operator+=(char ch) {
    m_text += ch;
    return *this;
}

LPTSTR CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_text.resize(static_cast<std::size_t>(minLength));
    return m_text.data();
}

LPTSTR CString::GetBufferSetLength(int length) {
    m_text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return m_text.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        m_text.resize(std::strlen(m_text.c_str()));
    } else if (static_cast<std::size_t>(newLength) <= m_text.size()) {
        m_text.resize(static_cast<std::size_t>(newLength));
    }
}

CString operator+(const CString& a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, const char* b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const char* a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}

namespace {
const char* Text(const char* s) {
    return s != nullptr ? s : "";
}
}  // namespace

bool operator==(const CString& a, const char* b) {
    return a.Compare(b) == 0;
}
bool operator==(const char* a, const CString& b) {
    return b.Compare(a) == 0;
}
bool operator!=(const CString& a, const char* b) {
    return !(a == b);
}
bool operator!=(const char* a, const CString& b) {
    return !(a == b);
}
bool operator<(const CString& a, const CString& b) {
    return CompareBytes(a, b) < 0;
}
bool operator<(const CString& a, const char* b) {
    return CompareBytes(a, Text(b)) < 0;
}
bool operator<(const char* a, const CString& b) {
    return CompareBytes(Text(a), b) < 0;
}
bool operator>(const CString& a, const CString& b) {
    return CompareBytes(a, b) > 0;
}
bool operator>(const CString& a, const char* b) {
    return CompareBytes(a, Text(b)) > 0;
}
bool operator>(const char* a, const CString& b) {
    return CompareBytes(Text(a), b) > 0;
}
bool operator<=(const CString& a, const CString& b) {
    return CompareBytes(a, b) <= 0;
}
bool operator<=(const CString& a, const char* b) {
    return CompareBytes(a, Text(b)) <= 0;
}
bool operator<=(const char* a, const CString& b) {
    return CompareBytes(Text(a), b) <= 0;
}
bool operator>=(const CString& a, const CString& b) {
    return CompareBytes(a, b) >= 0;
}
bool operator>=(const CString& a, const char* b) {
    return CompareBytes(a, Text(b)) >= 0;
}
bool operator>=(const char* a, const CString& b) {
    return CompareBytes(Text(a), b) >= 0;
}
