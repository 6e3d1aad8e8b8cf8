// SPDX-License-Identifier: GPL-3.0-or-later
// The walks and style fetches of libDbx32 against a live pcbhost.
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "LiveHostFixture.h"

namespace dbxtest {
namespace {

const std::string kLongRefDes(100, 'X');
const std::string kLongValue(2000, 'v');
const std::string kLongStyle(150, 'S');

std::string TestDesign() {
    return R"({
  "padStyles": [
    {"name": "P1", "holeDiameter": 1000},
    {"name": "SMD"},
    {"name": "p1", "holeDiameter": 1001},
    {"name": ")" +
           kLongStyle + R"(", "holeDiameter": -5}
  ],
  "textStyles": [{"name": "T0"}, {"name": "T1"}],
  "components": [
    {"refDes": "R1",
     "pads": [{"number": "1", "style": "P1"}, {"number": "2", "style": "SMD"}],
     "attributes": [{"name": "Value", "value": "10k", "textStyle": "T0"},
                    {"name": "Footprint", "value": "R_0603"}]},
    {"refDes": "R1",
     "pads": [{"number": "1", "style": "p1"}],
     "attributes": [{"name": "Value", "value": "1k", "textStyle": 1}]},
    {"refDes": "J9"},
    {"refDes": ")" +
           kLongRefDes + R"(",
     "pads": [{"number": "1", "style": 3}],
     "attributes": [{"name": ")" +
           std::string(80, 'N') + R"(", "value": ")" + kLongValue +
           R"(", "textStyle": "T1"}]}
  ]
})";
}

// Fills a record with a byte, to see what a call writes into it.
template <typename Record>
void Scribble(Record& record, unsigned char byte) {
    std::memset(static_cast<void*>(&record), byte, sizeof record);
}

// Everything the walks yield, one line per item, in walk order.
std::vector<std::string> WalkAll(DesignContext& context) {
    std::vector<std::string> out;
    ComponentRecord component;
    for (int32_t c = TGetFirstComponent(&context, &component); c == 0;
         c = TGetNextComponent(&context, &component)) {
        out.push_back("C " + std::string(component.refDes));
        PadRecord pad;
        for (int32_t p = TGetFirstCompPad(&context, component.refDes, &pad); p == 0;
             p = TGetNextCompPad(&context, &pad)) {
            PadStyleRecord style;
            const int32_t s = TGetPadStyle(&context, pad.padStyleId, &style);
            out.push_back("P " + std::string(pad.padNumber) + " " + std::to_string(s != 0) + " " +
                          std::string(style.name).substr(0, 8) + " " +
                          std::to_string(style.holeDiameter));
        }
        AttributeRecord attribute;
        for (int32_t a = TGetFirstCompAttribute(&context, component.refDes, &attribute); a == 0;
             a = TGetNextCompAttribute(&context, &attribute)) {
            TextStyleRecord style;
            const int32_t s = TGetTextStyle(&context, attribute.textStyleId, &style);
            out.push_back("A " + std::string(attribute.name).substr(0, 10) + " " +
                          std::to_string(s != 0) + " " + style.name);
        }
    }
    return out;
}

class Dbx32WalkTest : public LiveHostFixture {
  protected:
    void SetUp() override { StartHost(TestDesign()); }
};

TEST_F(Dbx32WalkTest, WalksComponentsPadsAttributesAndStylesInFileOrder) {
    OpenedDesign design;
    ASSERT_EQ(design.status, 0) << host_->output();
    const std::vector<std::string> expected = {"C R1",
                                               "P 1 0 P1 1000",
                                               "P 2 0 SMD 0",
                                               "A Value 0 T0",
                                               "A Footprint 1 ",
                                               "C R1",
                                               "P 1 0 p1 1001",
                                               "A Value 0 T1",
                                               "C J9",
                                               "C " + kLongRefDes.substr(0, DBX_REFDES_SIZE - 1),
                                               "P 1 0 SSSSSSSS -5",
                                               "A NNNNNNNNNN 0 T1"};
    EXPECT_EQ(WalkAll(design.context), expected);
    // Walking twice on one open design gives the same again.
    EXPECT_EQ(WalkAll(design.context), expected);
}

TEST_F(Dbx32WalkTest, LongTextsAreCutAtTheirFieldAndZeroTerminated) {
    OpenedDesign design;
    ASSERT_EQ(design.status, 0);
    ComponentRecord component;
    Scribble(component, 0x55);  // garbage, to see what the call writes
    ASSERT_EQ(TGetFirstComponent(&design.context, &component), 0);
    while (std::string(component.refDes, strnlen(component.refDes, DBX_REFDES_SIZE)) !=
           kLongRefDes.substr(0, DBX_REFDES_SIZE - 1))
        ASSERT_EQ(TGetNextComponent(&design.context, &component), 0);
    EXPECT_EQ(component.refDes[DBX_REFDES_SIZE - 1], '\0');
    EXPECT_EQ(std::strlen(component.refDes), DBX_REFDES_SIZE - 1u);

    AttributeRecord attribute;
    Scribble(attribute, 0x55);
    ASSERT_EQ(TGetFirstCompAttribute(&design.context, component.refDes, &attribute), 0);
    EXPECT_EQ(std::string(attribute.name), std::string(DBX_ATTRIBUTE_NAME_SIZE - 1, 'N'));
    EXPECT_EQ(std::string(attribute.value), kLongValue.substr(0, DBX_ATTRIBUTE_VALUE_SIZE - 1));
    EXPECT_EQ(attribute.reserved1[0], 0) << "the rest of the record is zero-filled";

    PadRecord pad;
    ASSERT_EQ(TGetFirstCompPad(&design.context, component.refDes, &pad), 0);
    PadStyleRecord style;
    ASSERT_EQ(TGetPadStyle(&design.context, pad.padStyleId, &style), 0);
    EXPECT_EQ(std::string(style.name), kLongStyle.substr(0, DBX_PAD_STYLE_NAME_SIZE - 1));
    EXPECT_EQ(style.holeDiameter, -5);
}

TEST_F(Dbx32WalkTest, TwoComponentsWithOneRefDesEachWalkTheirOwnPads) {
    OpenedDesign design;
    ASSERT_EQ(design.status, 0);
    ComponentRecord component;
    ASSERT_EQ(TGetFirstComponent(&design.context, &component), 0);
    ASSERT_EQ(TGetNextComponent(&design.context, &component), 0);  // the second R1
    ASSERT_STREQ(component.refDes, "R1");
    PadRecord pad;
    ASSERT_EQ(TGetFirstCompPad(&design.context, component.refDes, &pad), 0);
    PadStyleRecord style;
    TGetPadStyle(&design.context, pad.padStyleId, &style);
    EXPECT_STREQ(style.name, "p1");
    EXPECT_NE(TGetNextCompPad(&design.context, &pad), 0);

    // A refdes that is not the current component's: the first component that has it.
    ASSERT_EQ(TGetNextComponent(&design.context, &component), 0);  // J9
    ASSERT_EQ(TGetFirstCompPad(&design.context, "R1", &pad), 0);
    TGetPadStyle(&design.context, pad.padStyleId, &style);
    EXPECT_STREQ(style.name, "P1");
    EXPECT_NE(TGetFirstCompPad(&design.context, "NOPE", &pad), 0);
    EXPECT_NE(TGetFirstCompAttribute(&design.context, "J9", nullptr), 0);
    AttributeRecord attribute;
    EXPECT_NE(TGetFirstCompAttribute(&design.context, "J9", &attribute), 0) << "J9 has none";
    EXPECT_NE(TGetNextCompAttribute(&design.context, &attribute), 0);
}

TEST_F(Dbx32WalkTest, UnknownStyleIdsFailAndLeaveTheRecordZeroFilled) {
    OpenedDesign design;
    ASSERT_EQ(design.status, 0);
    for (int32_t id : {0, -1, 5, 1000000, INT32_MIN, INT32_MAX}) {
        PadStyleRecord padStyle;
        Scribble(padStyle, 0x55);
        EXPECT_NE(TGetPadStyle(&design.context, id, &padStyle), 0) << id;
        EXPECT_EQ(padStyle.name[0], '\0');
        EXPECT_EQ(padStyle.holeDiameter, 0);
        TextStyleRecord textStyle;
        Scribble(textStyle, 0x55);
        EXPECT_NE(TGetTextStyle(&design.context, id == 5 ? 3 : id, &textStyle), 0) << id;
        EXPECT_EQ(textStyle.name[0], '\0');
    }
}

TEST_F(Dbx32WalkTest, AnyContextIsSafeToPass) {
    ComponentRecord component;
    PadRecord pad;
    PadStyleRecord style;
    DesignContext zero;
    EXPECT_NE(TGetFirstComponent(&zero, &component), 0);
    EXPECT_NE(TGetNextComponent(&zero, &component), 0);
    EXPECT_NE(TGetFirstCompPad(&zero, "R1", &pad), 0);
    EXPECT_NE(TGetPadStyle(&zero, 1, &style), 0);
    EXPECT_NE(THighlightComponent(&zero, DBX_COLOUR_CYAN, &component), 0);
    EXPECT_NE(TCloseDesign(&zero, ""), 0);
    EXPECT_NE(TGetFirstComponent(nullptr, &component), 0);
    EXPECT_NE(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, nullptr), 0);

    DesignContext garbage;
    Scribble(garbage, 0xA5);
    EXPECT_NE(TGetFirstComponent(&garbage, &component), 0);
    EXPECT_NE(TGetNextCompPad(&garbage, &pad), 0);

    DesignContext context;
    ASSERT_EQ(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context), 0);
    const DesignContext copy = context;
    ASSERT_EQ(TGetFirstComponent(&context, &component), 0);
    // Opening again over a context that is still open releases the first snapshot.
    ASSERT_EQ(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context), 0);
    DesignContext stale = copy;
    EXPECT_NE(TGetFirstComponent(&stale, &component), 0);
    EXPECT_NE(TGetNextComponent(&context, &component), 0) << "cursor reset by the new open";
    EXPECT_EQ(TGetFirstComponent(&context, &component), 0);
    EXPECT_EQ(TCloseDesign(&context, ""), 0);
    EXPECT_NE(TCloseDesign(&context, ""), 0) << "closed twice";
    EXPECT_NE(TGetFirstComponent(&context, &component), 0);
    stale = copy;
    EXPECT_NE(TGetFirstComponent(&stale, &component), 0);
    EXPECT_NE(TGetFirstComponent(&stale, nullptr), 0);
}

TEST_F(Dbx32WalkTest, ToolNamesOtherThanPlainNamesAreRefused) {
    DesignContext context;
    for (const char* tool :
         std::initializer_list<const char*>{"", "../pcb", "pcb/x", "pc b", "pcb.sock", nullptr,
                                            "a_very_long_tool_name_that_is_too_long_for_us"})
        EXPECT_NE(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, tool, &context), 0)
            << (tool ? tool : "null");
    EXPECT_NE(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, "other-tool_1", &context), 0)
        << "nobody serves it";
}

// A thread that walked a design does not keep it usable once another thread closes it, and
// walks in one thread go on while other threads open and close designs of their own.
TEST_F(Dbx32WalkTest, ClosingInOneThreadEndsTheDesignForEveryThread) {
    DesignContext context;
    ASSERT_EQ(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context), 0);
    const std::vector<std::string> expected = WalkAll(context);
    ASSERT_FALSE(expected.empty());

    ComponentRecord component;
    std::thread([&] { EXPECT_EQ(TGetFirstComponent(&context, &component), 0); }).join();
    DesignContext copy = context;
    EXPECT_EQ(TCloseDesign(&copy, ""), 0) << "closing a copy closes the design";
    EXPECT_NE(TGetFirstComponent(&context, &component), 0);
    std::thread([&] { EXPECT_NE(TGetNextComponent(&context, &component), 0); }).join();

    DesignContext walked;
    ASSERT_EQ(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &walked), 0);
    std::atomic<bool> stop{false};
    std::thread churn([&] {
        while (!stop) {
            DesignContext other;
            if (TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &other) == 0)
                TCloseDesign(&other, "");
        }
    });
    for (int i = 0; i < 20; ++i) EXPECT_EQ(WalkAll(walked), expected) << "walk " << i;
    stop = true;
    churn.join();
    EXPECT_EQ(TCloseDesign(&walked, ""), 0);
    EXPECT_NE(TGetFirstComponent(&walked, &component), 0);
}

}  // namespace
}  // namespace dbxtest
