// SPDX-License-Identifier: GPL-3.0-or-later
// The behaviour of the eleven design-database calls that the program relies on, as a typed
// GoogleTest suite. Each executable instantiates it with a backend that serves a JSON design:
//   struct Backend { ::testing::AssertionResult Serve(const std::string& json); };
// so that the in-memory fake and the real library are held to the same answers.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "Dbx32.h"
#include "DesignRecords.h"

namespace contract {

const std::string kLongRefDes(70, 'X');

// Pad-style ids are 1 TH1, 2 SMD, 3 TH2; text-style ids 1 T1, 2 T2.
inline std::string ContractDesign() {
    return R"({
  "padStyles": [{"name": "TH1", "holeDiameter": 2540}, {"name": "SMD"},
                {"name": "TH2", "holeDiameter": 1000}],
  "textStyles": [{"name": "T1"}, {"name": "T2"}],
  "components": [
    {"refDes": "R1",
     "pads": [{"number": "1", "style": 0}, {"number": "2", "style": 1}],
     "attributes": [{"name": "Value", "value": "10k", "textStyle": 1},
                    {"name": "Footprint", "value": "R_0603"}]},
    {"refDes": "R1", "pads": [{"number": "1", "style": 2}],
     "attributes": [{"name": "Value", "value": "1k", "textStyle": 0}]},
    {"refDes": "J9"},
    {"refDes": ")" +
           kLongRefDes +
           R"(", "pads": [{"number": "1", "style": 1}]}
  ]
})";
}

// Fills a record with a byte, to see what a call writes into it.
template <typename Record>
void Scribble(Record& record) {
    std::memset(static_cast<void*>(&record), 0x55, sizeof record);
}

template <typename Record>
bool AllZero(const Record& record) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

template <typename Backend>
class DesignDbContract : public ::testing::Test {
  protected:
    void SetUp() override { ServeAndOpen(ContractDesign()); }
    void TearDown() override { TCloseDesign(&context_, ""); }

    void ServeAndOpen(const std::string& json) {
        TCloseDesign(&context_, "");
        ASSERT_TRUE(backend_.Serve(json));
        ASSERT_EQ(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context_),
                  DBX_STATUS_OK);
    }

    // The refdes of every component, in walk order.
    std::vector<std::string> WalkRefDes() {
        std::vector<std::string> refDes;
        ComponentRecord c;
        for (int32_t s = TGetFirstComponent(&context_, &c); s == DBX_STATUS_OK;
             s = TGetNextComponent(&context_, &c))
            refDes.emplace_back(designdb::RefDes(c));
        return refDes;
    }

    // The pad-style ids of the pads of refDes, then the status that ended the walk.
    std::vector<int32_t> PadStyleIds(const char* refDes) {
        std::vector<int32_t> ids;
        PadRecord pad;
        int32_t s = TGetFirstCompPad(&context_, refDes, &pad);
        for (; s == DBX_STATUS_OK; s = TGetNextCompPad(&context_, &pad))
            ids.push_back(pad.padStyleId);
        ids.push_back(s);
        return ids;
    }

    Backend backend_;
    DesignContext context_;
};

TYPED_TEST_SUITE_P(DesignDbContract);

TYPED_TEST_P(DesignDbContract, ComponentWalkVisitsEachOnceThenEnds) {
    EXPECT_EQ(
        this->WalkRefDes(),
        (std::vector<std::string>{"R1", "R1", "J9", kLongRefDes.substr(0, DBX_REFDES_SIZE - 1)}));
    ComponentRecord c;
    EXPECT_EQ(TGetNextComponent(&this->context_, &c), DBX_STATUS_END_OF_WALK) << "stays ended";
    Scribble(c);
    ASSERT_EQ(TGetFirstComponent(&this->context_, &c), DBX_STATUS_OK) << "restarts";
    EXPECT_EQ(c.componentIndex, 0u);
    EXPECT_EQ(designdb::RefDes(c), "R1");
    EXPECT_EQ(c.reserved[0], 0) << "the rest of the record is zero-filled";
    ASSERT_EQ(TGetNextComponent(&this->context_, &c), DBX_STATUS_OK);
    EXPECT_EQ(c.componentIndex, 1u);
}

TYPED_TEST_P(DesignDbContract, EmptyDesignEndsEveryWalkAtOnce) {
    this->ServeAndOpen("{}");
    ComponentRecord c;
    EXPECT_EQ(TGetFirstComponent(&this->context_, &c), DBX_STATUS_END_OF_WALK);
    EXPECT_EQ(TGetNextComponent(&this->context_, &c), DBX_STATUS_END_OF_WALK);
    PadRecord pad;
    EXPECT_EQ(TGetFirstCompPad(&this->context_, "R1", &pad), DBX_STATUS_NO_SUCH_COMPONENT);
    PadStyleRecord style;
    EXPECT_EQ(TGetPadStyle(&this->context_, 1, &style), DBX_STATUS_NO_SUCH_STYLE);
}

TYPED_TEST_P(DesignDbContract, PadWalksGiveStyleIdsFromOneAndEnd) {
    EXPECT_EQ(this->PadStyleIds("R1"), (std::vector<int32_t>{1, 2, DBX_STATUS_END_OF_WALK}));
    EXPECT_EQ(this->PadStyleIds("J9"), (std::vector<int32_t>{DBX_STATUS_END_OF_WALK}));
    EXPECT_EQ(this->PadStyleIds("NOPE"), (std::vector<int32_t>{DBX_STATUS_NO_SUCH_COMPONENT}));
    EXPECT_EQ(this->PadStyleIds(nullptr), (std::vector<int32_t>{DBX_STATUS_NO_SUCH_COMPONENT}));
    // A refdes cut to its field finds the component it came from.
    const std::string cut = kLongRefDes.substr(0, DBX_REFDES_SIZE - 1);
    EXPECT_EQ(this->PadStyleIds(cut.c_str()), (std::vector<int32_t>{2, DBX_STATUS_END_OF_WALK}));

    PadRecord pad;
    EXPECT_EQ(TGetNextCompPad(&this->context_, &pad), DBX_STATUS_END_OF_WALK) << "walk ended";
    // The component walk's current component wins among components sharing a refdes.
    ComponentRecord c;
    ASSERT_EQ(TGetFirstComponent(&this->context_, &c), DBX_STATUS_OK);
    ASSERT_EQ(TGetNextComponent(&this->context_, &c), DBX_STATUS_OK);
    EXPECT_EQ(this->PadStyleIds(c.refDes), (std::vector<int32_t>{3, DBX_STATUS_END_OF_WALK}));
}

TYPED_TEST_P(DesignDbContract, AttributeWalksGiveTextStyleIdsWithZeroForNone) {
    AttributeRecord a;
    Scribble(a);
    ASSERT_EQ(TGetFirstCompAttribute(&this->context_, "R1", &a), DBX_STATUS_OK);
    EXPECT_EQ(designdb::AttributeName(a), "Value");
    EXPECT_EQ(a.attributeIndex, 0u);
    EXPECT_EQ(a.textStyleId, 2);
    EXPECT_EQ(a.reserved2[0], 0) << "the rest of the record is zero-filled";
    ASSERT_EQ(TGetNextCompAttribute(&this->context_, &a), DBX_STATUS_OK);
    EXPECT_EQ(designdb::AttributeName(a), "Footprint");
    EXPECT_EQ(a.attributeIndex, 1u);
    EXPECT_EQ(a.textStyleId, 0) << "no text of its own";
    EXPECT_EQ(TGetNextCompAttribute(&this->context_, &a), DBX_STATUS_END_OF_WALK);
    EXPECT_EQ(TGetNextCompAttribute(&this->context_, &a), DBX_STATUS_END_OF_WALK);

    EXPECT_EQ(TGetFirstCompAttribute(&this->context_, "J9", &a), DBX_STATUS_END_OF_WALK);
    EXPECT_EQ(TGetNextCompAttribute(&this->context_, &a), DBX_STATUS_END_OF_WALK);
    EXPECT_EQ(TGetFirstCompAttribute(&this->context_, "NOPE", &a), DBX_STATUS_NO_SUCH_COMPONENT);
    EXPECT_EQ(TGetFirstCompAttribute(&this->context_, nullptr, &a), DBX_STATUS_NO_SUCH_COMPONENT);
}

TYPED_TEST_P(DesignDbContract, StylesAreFetchedByIdFromOne) {
    PadStyleRecord pad;
    ASSERT_EQ(TGetPadStyle(&this->context_, 1, &pad), DBX_STATUS_OK);
    EXPECT_EQ(pad.padStyleId, 1);
    EXPECT_EQ(designdb::PadStyleName(pad), "TH1");
    EXPECT_EQ(pad.holeDiameter, DBX_DESIGN_UNITS_PER_MM);
    ASSERT_EQ(TGetPadStyle(&this->context_, 2, &pad), DBX_STATUS_OK);
    EXPECT_EQ(designdb::PadStyleName(pad), "SMD");
    EXPECT_EQ(pad.holeDiameter, 0);
    ASSERT_EQ(TGetPadStyle(&this->context_, 3, &pad), DBX_STATUS_OK);
    EXPECT_EQ(designdb::PadStyleName(pad), "TH2");

    TextStyleRecord text;
    ASSERT_EQ(TGetTextStyle(&this->context_, 2, &text), DBX_STATUS_OK);
    EXPECT_EQ(text.textStyleId, 2);
    EXPECT_EQ(designdb::TextStyleName(text), "T2");
}

TYPED_TEST_P(DesignDbContract, UnknownStyleIdFailsWithTheRecordZeroFilled) {
    for (int32_t id : {0, -1, 4, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(id);
        PadStyleRecord pad;
        ASSERT_EQ(TGetPadStyle(&this->context_, 1, &pad), DBX_STATUS_OK);  // a previous value
        EXPECT_EQ(TGetPadStyle(&this->context_, id, &pad), DBX_STATUS_NO_SUCH_STYLE);
        EXPECT_TRUE(AllZero(pad));
        TextStyleRecord text;
        Scribble(text);
        EXPECT_EQ(TGetTextStyle(&this->context_, id == 4 ? 3 : id, &text),
                  DBX_STATUS_NO_SUCH_STYLE);
        EXPECT_TRUE(AllZero(text));
    }
    // Also when the context holds no open design.
    DesignContext closed;
    PadStyleRecord pad;
    Scribble(pad);
    EXPECT_EQ(TGetPadStyle(&closed, 1, &pad), DBX_STATUS_NOT_OPEN);
    EXPECT_TRUE(AllZero(pad));
    TextStyleRecord text;
    Scribble(text);
    EXPECT_EQ(TGetTextStyle(&closed, 1, &text), DBX_STATUS_NOT_OPEN);
    EXPECT_TRUE(AllZero(text));
}

TYPED_TEST_P(DesignDbContract, NullPointersAreBadArguments) {
    DesignContext* context = &this->context_;
    EXPECT_EQ(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, nullptr),
              DBX_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(TGetFirstComponent(context, nullptr), DBX_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(TGetNextComponent(context, nullptr), DBX_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(TGetFirstCompPad(context, "R1", nullptr), DBX_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(TGetNextCompPad(context, nullptr), DBX_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(TGetFirstCompAttribute(context, "R1", nullptr), DBX_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(TGetNextCompAttribute(context, nullptr), DBX_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(TGetPadStyle(context, 1, nullptr), DBX_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(TGetTextStyle(context, 1, nullptr), DBX_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(THighlightComponent(context, DBX_COLOUR_RED, nullptr), DBX_STATUS_BAD_ARGUMENT);
    // The design is still open and walks.
    EXPECT_EQ(this->WalkRefDes().size(), 4u);
    // A null tool name leaves the context zero-filled, holding no design.
    EXPECT_EQ(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, nullptr, context),
              DBX_STATUS_BAD_ARGUMENT);
    EXPECT_TRUE(AllZero(*context));
    EXPECT_EQ(TCloseDesign(context, ""), DBX_STATUS_NOT_OPEN);
    EXPECT_EQ(TCloseDesign(nullptr, ""), DBX_STATUS_NOT_OPEN);
}

TYPED_TEST_P(DesignDbContract, ContextsThatHoldNoDesignAreNotOpen) {
    const DesignContext copy = this->context_;
    ASSERT_EQ(TCloseDesign(&this->context_, ""), DBX_STATUS_OK);
    EXPECT_TRUE(AllZero(this->context_));
    EXPECT_EQ(TCloseDesign(&this->context_, ""), DBX_STATUS_NOT_OPEN) << "closed twice";

    DesignContext zero, stale = copy;
    for (DesignContext* context : {&zero, &stale}) {
        ComponentRecord c;
        PadRecord pad;
        AttributeRecord a;
        EXPECT_EQ(TGetFirstComponent(context, &c), DBX_STATUS_NOT_OPEN);
        EXPECT_EQ(TGetNextComponent(context, &c), DBX_STATUS_NOT_OPEN);
        EXPECT_EQ(TGetFirstCompPad(context, "R1", &pad), DBX_STATUS_NOT_OPEN);
        EXPECT_EQ(TGetNextCompPad(context, &pad), DBX_STATUS_NOT_OPEN);
        EXPECT_EQ(TGetFirstCompAttribute(context, "R1", &a), DBX_STATUS_NOT_OPEN);
        EXPECT_EQ(TGetNextCompAttribute(context, &a), DBX_STATUS_NOT_OPEN);
        EXPECT_EQ(THighlightComponent(context, DBX_COLOUR_RED, &c), DBX_STATUS_NOT_OPEN);
    }
    EXPECT_EQ(TCloseDesign(&stale, ""), DBX_STATUS_NOT_OPEN) << "a copy of a closed context";
}

TYPED_TEST_P(DesignDbContract, HighlightFindsTheComponentByRefDes) {
    ComponentRecord c;
    ASSERT_EQ(TGetFirstComponent(&this->context_, &c), DBX_STATUS_OK);
    EXPECT_EQ(THighlightComponent(&this->context_, DBX_COLOUR_CYAN, &c), DBX_STATUS_OK);
    ComponentRecord unknown;
    std::strcpy(unknown.refDes, "NOPE");
    EXPECT_EQ(THighlightComponent(&this->context_, DBX_COLOUR_RED, &unknown),
              DBX_STATUS_HIGHLIGHT_NOT_FOUND);
    ComponentRecord byName;
    std::strcpy(byName.refDes, "J9");
    EXPECT_EQ(THighlightComponent(&this->context_, DBX_COLOUR_YELLOW, &byName), DBX_STATUS_OK);
}

REGISTER_TYPED_TEST_SUITE_P(DesignDbContract, ComponentWalkVisitsEachOnceThenEnds,
                            EmptyDesignEndsEveryWalkAtOnce, PadWalksGiveStyleIdsFromOneAndEnd,
                            AttributeWalksGiveTextStyleIdsWithZeroForNone,
                            StylesAreFetchedByIdFromOne, UnknownStyleIdFailsWithTheRecordZeroFilled,
                            NullPointersAreBadArguments, ContextsThatHoldNoDesignAreNotOpen,
                            HighlightFindsTheComponentByRefDes);

}  // namespace contract
