// SPDX-License-Identifier: GPL-3.0-or-later
// CString and the C runtime's byte-wise comparison.
#include <gtest/gtest.h>

#include "afxwin.h"

namespace {

int Cmp(const char* a, const char* b) {
    return _mbscmp(reinterpret_cast<const unsigned char*>(a),
                   reinterpret_cast<const unsigned char*>(b));
}

TEST(MbscmpTest, ComparesBytesCaseSensitivelyAsUnsigned) {
    EXPECT_EQ(Cmp("SMD_1", "SMD_1"), 0);
    EXPECT_LT(Cmp("SMD", "smd"), 0);
    EXPECT_GT(Cmp("b", "a"), 0);
    EXPECT_LT(Cmp("a", "ab"), 0);
    EXPECT_GT(Cmp("\xe9", "z"), 0);  // high bytes sort after ASCII
    EXPECT_EQ(Cmp("", ""), 0);
    EXPECT_EQ(_mbscmp(nullptr, reinterpret_cast<const unsigned char*>("a")), _NLSCMPERROR);
}

TEST(CStringTest, FormatAssignmentAndComparisons) {
    CString s;
    EXPECT_TRUE(s.IsEmpty());
    s.Format("%d", -2147483647 - 1);
    EXPECT_EQ(s, "-2147483648");
    EXPECT_EQ(s.GetLength(), 11);
    s.Format("%s|%5.2f", std::string(300, 'x').c_str(), 1.005);
    EXPECT_EQ(s.GetLength(), 306);
    s.Format("%d", 7);
    EXPECT_STREQ(static_cast<LPCTSTR>(s), "7");

    CString a("abc", 2);
    EXPECT_EQ(a, "ab");
    CString b = a;
    b += "z";
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(CString("B") < CString("a"));  // byte order
    EXPECT_EQ(CString("B").CompareNoCase("b"), 0);
    b.Empty();
    EXPECT_EQ(b.GetLength(), 0);
}

TEST(CStringTest, AssignmentReusesTheBuffer) {
    CString target;
    target = CString(std::string(64, 'y').c_str());
    const char* buffer = target;
    const CString shorter("short");
    target = shorter;
    EXPECT_EQ(static_cast<LPCTSTR>(target), buffer);
    EXPECT_EQ(target, "short");
}

TEST(CStringTest, LoadStringFromTheStringTable) {
    CString s("old");
    EXPECT_TRUE(s.LoadString(AFX_IDS_APP_TITLE));
    EXPECT_EQ(s, "PARTWISE");
    EXPECT_FALSE(s.LoadString(0xFFFF));
    EXPECT_TRUE(s.IsEmpty());
}

}  // namespace
