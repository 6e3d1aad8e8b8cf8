// SPDX-License-Identifier: GPL-3.0-or-later
// A refdes that a component record cuts (at a zero byte or at its capacity) never selects a
// component other than the one it was read from. The snapshot comes from a tool other than
// pcbhost, whose readers refuse such names.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "DbxProtocol.h"
#include "DbxStatus.h"
#include "FakeDesignTool.h"
#include "LiveHostFixture.h"

namespace dbxtest {
namespace {

using namespace std::string_literals;

const std::string kLongA = std::string(63, 'A') + "X";  // both read "AAA…A" from a record
const std::string kLongB = std::string(63, 'A') + "Y";

std::vector<uint8_t> CutNameSnapshot() {
    dbx::SnapshotWriter w;
    w.AddPadStyle("A", 100);
    w.AddPadStyle("B", 200);
    w.BeginComponent("R1");
    w.AddPad("1", 0);
    w.BeginComponent("R1\0X"s);
    w.AddPad("1", 1);
    w.AddPad("2", 1);
    w.BeginComponent(kLongA);
    w.AddPad("1", 0);
    w.BeginComponent(kLongB);
    w.AddPad("1", 1);
    w.AddPad("2", 1);
    w.AddPad("3", 1);
    return w.Finish(1);
}

// The pad-style ids that a pad walk for refDes yields, or the walk's failing status.
std::string PadStyles(DesignContext& context, const char* refDes) {
    PadRecord pad;
    int32_t status = TGetFirstCompPad(&context, refDes, &pad);
    if (status != dbx::kStatusOk) return "status " + std::to_string(status);
    std::string styles;
    for (; status == dbx::kStatusOk; status = TGetNextCompPad(&context, &pad))
        styles += std::to_string(pad.padStyleId);
    return styles;
}

class Dbx32CutNameTest : public LiveHostFixture {
  protected:
    void SetUp() override { ASSERT_EQ(::mkdir(dir_.dbxDir().c_str(), 0700), 0); }
};

TEST_F(Dbx32CutNameTest, EachComponentWalksItsOwnPadsWhateverItsRecordCuts) {
    FakeDesignTool tool(dir_.socketPath(), CutNameSnapshot());
    DesignContext context;
    ASSERT_EQ(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context), 0);
    std::vector<std::string> walked;
    ComponentRecord component;
    for (int32_t c = TGetFirstComponent(&context, &component); c == 0;
         c = TGetNextComponent(&context, &component))
        walked.push_back(std::string(component.refDes) + ":" +
                         PadStyles(context, component.refDes));
    const std::string cut(63, 'A');
    EXPECT_EQ(walked, (std::vector<std::string>{"R1:1", "R1:22", cut + ":1", cut + ":222"}));
    TCloseDesign(&context, nullptr);
}

TEST_F(Dbx32CutNameTest, AwayFromItsComponentACutNameSelectsOnlyAnExactMatch) {
    FakeDesignTool tool(dir_.socketPath(), CutNameSnapshot());
    DesignContext context;
    ASSERT_EQ(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context), 0);
    // No component walked yet: "R1" is R1 itself, never the one whose refdes R1 begins.
    EXPECT_EQ(PadStyles(context, "R1"), "1");
    const std::string cut(63, 'A');
    EXPECT_EQ(PadStyles(context, cut.c_str()), "status 4");
    // Standing on R1\0X, the text "R1" is its record's: its own pads.
    ComponentRecord component;
    ASSERT_EQ(TGetFirstComponent(&context, &component), 0);
    ASSERT_EQ(TGetNextComponent(&context, &component), 0);
    EXPECT_EQ(PadStyles(context, "R1"), "22");
    // Standing on the last component, the first long one's text selects nothing but it.
    ASSERT_EQ(TGetNextComponent(&context, &component), 0);
    ASSERT_EQ(TGetNextComponent(&context, &component), 0);
    EXPECT_EQ(PadStyles(context, cut.c_str()), "222");
    TCloseDesign(&context, nullptr);
}

}  // namespace
}  // namespace dbxtest
