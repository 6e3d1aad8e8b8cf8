// SPDX-License-Identifier: GPL-3.0-or-later
// List boxes of thousands of entries against a plain model of the same operations: entries,
// order, sorted positions and exact lookups stay right through adds, inserts, deletes and
// resets, on sorted and unsorted boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "AfxTesting.h"
#include "TestDialog.h"

namespace {

using testdlg::TestDialog;

// The list box as a plain vector, with the sorted insertion place found as it always was.
struct ModelList {
    bool sorted;
    std::vector<std::string> entries;

    static bool SortsBefore(const std::string& a, const std::string& b) {
        const int folded = CString(a.c_str()).CompareNoCase(b.c_str());
        if (folded != 0) return folded < 0;
        return a < b;
    }
    int Add(const std::string& text) {
        auto at = entries.end();
        if (sorted) at = std::upper_bound(entries.begin(), entries.end(), text, SortsBefore);
        const auto index = at - entries.begin();
        entries.insert(at, text);
        return static_cast<int>(index);
    }
    bool Has(const std::string& text) const {
        return std::find(entries.begin(), entries.end(), text) != entries.end();
    }
};

void ExpectSame(CListBox& list, const ModelList& model, const std::vector<std::string>& probes) {
    ASSERT_EQ(list.GetCount(), static_cast<int>(model.entries.size()));
    CString text;
    for (std::size_t i = 0; i < model.entries.size(); ++i) {
        list.GetText(static_cast<int>(i), text);
        ASSERT_EQ(std::string(text), model.entries[i]) << "entry " << i;
    }
    for (const std::string& probe : probes)
        EXPECT_EQ(list.HasExactString(probe.c_str()) != FALSE, model.Has(probe)) << probe;
}

class ListBoxIndexTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testdlg::RegisterTemplates();
        afxtest::Reset();
    }
    TestDialog dialog;
};

TEST_F(ListBoxIndexTest, LongListsAgreeWithAPlainModelThroughEveryOperation) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& dlg = static_cast<TestDialog&>(d);
        std::mt19937 random(7);
        // Few enough texts that many repeat, in letter cases that sort together.
        std::vector<std::string> texts;
        for (int i = 0; i < 900; ++i)
            texts.push_back((i % 3 == 0 ? "R" : i % 3 == 1 ? "r" : "C") + std::to_string(i % 300));
        texts.push_back("");
        const std::vector<std::string> probes = {"R1", "r1", "C2", "R299", "c2", "none", ""};
        for (const bool sorted : {true, false}) {
            SCOPED_TRACE(sorted ? "sorted" : "unsorted");
            CListBox& list = sorted ? dlg.m_sorted : dlg.m_unsorted;
            ModelList model{sorted, {}};
            for (int round = 0; round < 2; ++round) {
                for (int op = 0; op < 3000; ++op) {
                    const std::string& text = texts[random() % texts.size()];
                    const unsigned kind = random() % 10;
                    const int count = static_cast<int>(model.entries.size());
                    if (kind < 6) {
                        ASSERT_EQ(list.AddString(text.c_str()), model.Add(text));
                    } else if (kind < 8) {
                        const int at = static_cast<int>(random() % (count + 1));
                        ASSERT_EQ(list.InsertString(at, text.c_str()), at);
                        model.entries.insert(model.entries.begin() + at, text);
                    } else if (count > 0) {
                        const int at = static_cast<int>(random() % count);
                        ASSERT_EQ(list.DeleteString(static_cast<UINT>(at)), count - 1);
                        model.entries.erase(model.entries.begin() + at);
                    }
                    // Inserts at arbitrary places leave a sorted box out of order; sorted
                    // adds must still land where a binary search of the old list put them.
                    if (op % 500 == 0) ExpectSame(list, model, probes);
                }
                ExpectSame(list, model, probes);
                EXPECT_EQ(afxtest::ListEntries(d, sorted ? testdlg::kSorted : testdlg::kUnsorted),
                          model.entries);
                // Emptying the front of the list drops whole blocks of entries.
                for (int k = 0; k < 700 && !model.entries.empty(); ++k) {
                    list.DeleteString(0);
                    model.entries.erase(model.entries.begin());
                }
                ExpectSame(list, model, probes);
                list.ResetContent();
                model.entries.clear();
                ExpectSame(list, model, probes);
            }
        }
    });
    dialog.DoModal();
}

TEST_F(ListBoxIndexTest, ExactLookupIsCaseSensitiveAndCountsRepeats) {
    afxtest::OnNextModal([](CDialog& d) {
        auto& list = static_cast<TestDialog&>(d).m_sorted;
        EXPECT_FALSE(list.HasExactString("M"));
        list.AddString("M");
        list.AddString("M");
        EXPECT_TRUE(list.HasExactString("M"));
        EXPECT_FALSE(list.HasExactString("m"));
        EXPECT_FALSE(list.HasExactString(nullptr));
        EXPECT_NE(list.FindStringExact(-1, "m"), LB_ERR) << "the framework's own lookup folds case";
        list.DeleteString(0);
        EXPECT_TRUE(list.HasExactString("M")) << "one of the two is still listed";
        list.DeleteString(0);
        EXPECT_FALSE(list.HasExactString("M"));
    });
    dialog.DoModal();
    CListBox detached;
    EXPECT_FALSE(detached.HasExactString("M"));
}

}  // namespace
