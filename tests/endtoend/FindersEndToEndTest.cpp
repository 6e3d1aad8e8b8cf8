// SPDX-License-Identifier: GPL-3.0-or-later
// The four finders on real widgets, through the real libDbx32.so, against a live pcbhost
// serving examples/demo.json: Get, Where Used on the first value, and Highlight in one colour,
// seen in the highlight line that pcbhost prints.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AttributeFinderDialog.h"
#include "DialogScript.h"
#include "HoleFinderDialog.h"
#include "PadFinderDialog.h"
#include "PcbHostProcess.h"
#include "TextFinderDialog.h"
#include "resource.h"

namespace {

using Entries = std::vector<std::string>;

// What one finder shows for examples/demo.json (37 components, 121 pads, 120 attributes),
// figured from the file by hand: names are distinct by exact text, lists sort ignoring case.
struct FinderCase {
    const char* name;
    std::function<std::unique_ptr<CDialog>()> make;
    int getButton;
    int valueList;
    std::vector<std::pair<int, std::string>> counters;  // control id, text after Get
    Entries values;                                     // the value list after Get
    Entries whereUsed;                                  // components using the first value
    int colourRadio;
    int highlightButton;
    std::string highlightLine;  // what pcbhost prints for the first of them
};

void PrintTo(const FinderCase& finder, std::ostream* os) {
    *os << finder.name;
}

const FinderCase kFinders[] = {
    {"Pad",
     [] { return std::make_unique<PadFinderDialog>(); },
     IDC_GET_PADS,
     IDC_PAD_STYLE_LIST,
     {{IDC_PAD_COUNT, "121"}, {IDC_PAD_STYLE_COUNT, "14"}},
     {"MH_3M2", "SMD_0603", "smd_0603", "SMD_0805", "SMD_LED0805", "SMD_QFN05", "SMD_QFN_EP",
      "SMD_SOIC127", "TH_C152D100", "TH_C200D120", "TH_C60D35", "TH_C60D39", "TH_S152D100",
      "TH_S60D39"},
     {"MH1", "MH2", "MH3", "MH4"},
     IDC_RED,
     IDC_PAD_HIGHLIGHT,
     "highlight MH1 RED"},
    {"Hole",
     [] { return std::make_unique<HoleFinderDialog>(); },
     IDC_GET_HOLES,
     IDC_HOLE_SIZE_LIST,
     {{IDC_HOLE_COUNT, "25"}, {IDC_HOLE_SIZE_COUNT, "5"}},
     {"0.35 Dia", "0.39 Dia", "1.00 Dia", "1.20 Dia", "3.20 Dia"},
     {"Y1"},
     IDC_BLUE,
     IDC_HOLE_HIGHLIGHT,
     "highlight Y1 BLUE"},
    {"Attribute",
     [] { return std::make_unique<AttributeFinderDialog>(); },
     IDC_GET_ATTRIBUTES,
     IDC_ATTRIBUTE_LIST,
     {{IDC_ATTRIBUTE_COUNT, "120"}},
     {"Datasheet", "Description", "Footprint", "Manufacturer", "RefDes", "VALUE", "Value",
      "Voltage"},
     {"U1"},
     IDC_WHITE,
     IDC_ATTRIBUTE_HIGHLIGHT,
     "highlight U1 WHITE"},
    {"Text",
     [] { return std::make_unique<TextFinderDialog>(); },
     IDC_GET_TEXT,
     IDC_TEXT_STYLE_LIST,
     {{IDC_TEXT_COUNT, "120"}},
     {"Default", "Fab_0.6mm", "RefDes_1mm", "refdes_1mm", "Value_0.8mm"},
     {"R7"},
     IDC_YELLOW,
     IDC_TEXT_HIGHLIGHT,
     "highlight R7 YELLOW"},
};

class FindersEndToEndTest : public ::testing::TestWithParam<FinderCase> {
  protected:
    void SetUp() override {
        afxtest::Reset();
        host_ = std::make_unique<dbxtest::PcbHostProcess>(
            std::vector<std::string>{PCBHOST_EXECUTABLE, "--headless", PARTWISE_DEMO_DESIGN});
        ASSERT_NE(host_->WaitForLine("serving "), "") << host_->output();
    }

    dbxtest::PrivateRuntimeDir dir_;
    std::unique_ptr<dbxtest::PcbHostProcess> host_;
};

TEST_P(FindersEndToEndTest, GetWhereUsedAndHighlightReachTheTool) {
    const FinderCase& finder = GetParam();
    std::unique_ptr<CDialog> dialog = finder.make();
    RunModal(*dialog, [&](CDialog& d) {
        afxtest::PressButton(d, finder.getButton);
        for (const auto& [id, text] : finder.counters)
            EXPECT_EQ(afxtest::ControlText(d, id), text) << "counter " << id;
        ASSERT_EQ(afxtest::ListEntries(d, finder.valueList), finder.values);

        afxtest::SelectListEntry(d, finder.valueList, 0);
        afxtest::QueueMessageBoxReply(IDYES);
        afxtest::PressButton(d, IDC_WHERE_USED);
        ASSERT_EQ(afxtest::ListEntries(d, IDC_WHERE_USED_LIST), finder.whereUsed);
        EXPECT_EQ(afxtest::ControlText(d, IDC_COMPONENTS_SEARCHED), "37");

        afxtest::SelectListEntry(d, IDC_WHERE_USED_LIST, 0);
        afxtest::CheckRadio(d, finder.colourRadio);
        afxtest::PressButton(d, finder.highlightButton);
    });
    EXPECT_EQ(host_->WaitForLine("highlight "), finder.highlightLine) << host_->output();

    // Get's closing box, Where Used's question on the value and its closing box; nothing else.
    const auto texts = MessageBoxTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], finder.values[0]);
    EXPECT_EQ(afxtest::UnscriptedMessageBoxes(), 0);
    EXPECT_EQ(afxtest::UnscriptedModals(), 0);
}

INSTANTIATE_TEST_SUITE_P(DemoBoard, FindersEndToEndTest, ::testing::ValuesIn(kFinders),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
