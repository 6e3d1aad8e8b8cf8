// SPDX-License-Identifier: GPL-3.0-or-later
// The reader against real Eagle boards (Eagle 7.5, Eagle 6.4): every figure of expected.tsv,
// taken from the snapshot pcbhost serves, and what the mapping rules single out on them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "BoardFigures.h"
#include "EagleTestBoards.h"
#include "boardreaders/BoardFormats.h"
#include "boardreaders/ipc2581/XmlEventReader.h"

namespace {

using boards::Design;
using boards::ReadError;
using boards::test::FindComponent;
using boards::test::StyleOf;
using boards::test::TextStyleOf;

const std::string kDataDir = PARTWISE_EAGLE_DATA_DIR;
const std::string kSourceDataDir = std::string(PARTWISE_SOURCE_DIR) + "/tests/eagle/data";

Design ReadBoard(const std::string& name) {
    Design design;
    ReadError error;
    EXPECT_TRUE(boards::ReadEagleBoard(kDataDir + "/" + name, design, error)) << error.ToString();
    return design;
}

// The board's own copper, read apart from the reader: per signal, the ends of its wires
// (y turned downwards as the design's) and the element pads it contacts.
class SignalCopper : public boards::ipc2581::XmlEventHandler {
  public:
    struct Signal {
        std::vector<boards::Point> ends;
        std::vector<std::pair<std::string, std::string>> contacts;  // element, pad
    };
    void StartElement(std::string_view name, const boards::ipc2581::XmlAttributes& a) override {
        // <signals> comes after the libraries and elements, and nothing after it holds wires.
        if (name == "signals") inSignals = true;
        if (!inSignals) return;
        if (name == "signal") signals.emplace_back();
        if (signals.empty()) return;
        if (name == "wire")
            for (const char* end : {"1", "2"})
                signals.back().ends.push_back(
                    {std::stod(std::string(a.Get(std::string("x") + end))),
                     -std::stod(std::string(a.Get(std::string("y") + end)))});
        if (name == "contactref")
            signals.back().contacts.emplace_back(a.Get("element"), a.Get("pad"));
    }
    void EndElement() override {}
    bool inSignals = false;
    std::vector<Signal> signals;
};

// Of the pads that signals with wires contact, how many have a wire ending on their centre.
std::pair<int, int> PadsOnWireEnds(const std::string& name) {
    const Design design = ReadBoard(name);
    std::ifstream in(kDataDir + "/" + name);
    std::stringstream text;
    text << in.rdbuf();
    SignalCopper copper;
    boards::ipc2581::XmlLimits limits;
    limits.skipExternalDocumentType = true;
    boards::ipc2581::XmlEventReader reader(copper, limits);
    EXPECT_TRUE(reader.Feed(text.str().data(), text.str().size(), true)) << reader.Error();
    std::map<std::pair<std::string, std::string>, boards::Point> padAt;
    for (const auto& c : design.components)
        for (const auto& pad : c.pads) padAt[{c.refDes, pad.number}] = pad.position;
    int onEnd = 0, contacted = 0;
    for (const auto& signal : copper.signals) {
        if (signal.ends.empty()) continue;
        for (const auto& contact : signal.contacts) {
            const auto at = padAt.find(contact);
            EXPECT_NE(at, padAt.end()) << contact.first << " " << contact.second;
            if (at == padAt.end()) continue;
            ++contacted;
            for (const auto& end : signal.ends)
                if (std::hypot(end.x - at->second.x, end.y - at->second.y) < 0.001) {
                    ++onEnd;
                    break;
                }
        }
    }
    return {onEnd, contacted};
}

TEST(EagleBoards, PadsLieWhereTheBoardsOwnWiresEnd) {
    // Every element's rotation and mirror, checked against the copper Eagle routed to it; the
    // pads reached through polygons or at their edge are the rest.
    const auto openLog = PadsOnWireEnds("sparkfun-openlog.brd");
    EXPECT_EQ(openLog, std::make_pair(46, 48));
    const auto itsyBitsy = PadsOnWireEnds("adafruit-itsybitsy-m0.brd");
    EXPECT_EQ(itsyBitsy, std::make_pair(126, 152));
}

TEST(EagleBoards, EveryFigureOfTheExpectedTableMatches) {
    const auto rows = boards::test::ReadFigureTable(kSourceDataDir + "/expected.tsv", 5);
    ASSERT_EQ(rows.size(), 2u) << "expected table missing or changed";
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        // Through the registry, as pcbhost opens it.
        Design design;
        ReadError error;
        ASSERT_TRUE(boards::BoardFormats::Load(kDataDir + "/" + row[0], design, error))
            << error.ToString();
        const auto f = boards::test::FiguresServed(design);
        EXPECT_EQ(f.components, std::stoul(row[1]));
        EXPECT_EQ(f.pads, std::stoul(row[2]));
        EXPECT_EQ(f.holedPads, std::stoul(row[3]));
        EXPECT_EQ(f.holeSizes, row[4]);
    }
}

TEST(EagleBoards, OpenLogPadsAttributesAndPlacement) {
    const Design design = ReadBoard("sparkfun-openlog.brd");
    // C4: 0603-CAP at (14.0462, 8.509) R270; pad 1 at (-0.85, 0) turns to (0, 0.85).
    const auto* c4 = FindComponent(design, "C4");
    ASSERT_NE(c4, nullptr);
    ASSERT_EQ(c4->pads.size(), 2u);
    EXPECT_EQ(c4->pads[0].number, "1");
    EXPECT_EQ(StyleOf(design, c4->pads[0]), "SMD Rect 1.1x1");
    EXPECT_NEAR(c4->pads[0].position.x, 14.0462, 1e-9);
    EXPECT_NEAR(c4->pads[0].position.y, -(8.509 + 0.85), 1e-9);  // y turned downwards
    EXPECT_DOUBLE_EQ(c4->pads[0].rotation, 270);
    EXPECT_TRUE(c4->pads[0].onTop);
    EXPECT_FALSE(c4->pads[0].onBottom);
    // NAME, VALUE, then the element's own attributes; NAME's smashed text gives its style.
    ASSERT_EQ(c4->attributes.size(), 3u);
    EXPECT_EQ(c4->attributes[0].name, "NAME");
    EXPECT_EQ(c4->attributes[0].value, "C4");
    EXPECT_EQ(TextStyleOf(design, c4->attributes[0]), "Proportional 0.4064 8%");
    EXPECT_EQ(c4->attributes[1].name, "VALUE");
    EXPECT_EQ(c4->attributes[1].value, "0.1uF");
    EXPECT_EQ(c4->attributes[2].name, "PROD_ID");
    EXPECT_EQ(c4->attributes[2].value, "CAP-00810");
    EXPECT_EQ(TextStyleOf(design, c4->attributes[2]), "Proportional 1.778 8%");
    // U3, the microSD socket, is mirrored (MR0): its SMD pads are on the bottom.
    const auto* u3 = FindComponent(design, "U3");
    ASSERT_NE(u3, nullptr);
    EXPECT_TRUE(u3->bottomSide);
    ASSERT_FALSE(u3->pads.empty());
    for (const auto& pad : u3->pads) {
        EXPECT_FALSE(pad.onTop) << pad.number;
        EXPECT_TRUE(pad.onBottom) << pad.number;
    }
    // The six holed pads: 1X06_NO_SILK, drill 1.016, diameter 1.8796.
    int holed = 0;
    for (const auto& c : design.components)
        for (const auto& pad : c.pads)
            if (design.padStyles[size_t(pad.padStyle)].holeDiameter > 0) {
                ++holed;
                EXPECT_EQ(StyleOf(design, pad), "THT Round 1.8796 D1.016");
                EXPECT_EQ(design.padStyles[size_t(pad.padStyle)].holeDiameter, 2581);
            }
    EXPECT_EQ(holed, 6);
    // The board view: the Dimension layer's outline, packages' outlines.
    EXPECT_TRUE(design.hasGeometry);
    EXPECT_FALSE(design.boardOutline.empty());
    EXPECT_FALSE(FindComponent(design, "R2")->outline.empty());
}

TEST(EagleBoards, ItsyBitsyShapesHolesAndTextStyles) {
    const Design design = ReadBoard("adafruit-itsybitsy-m0.brd");
    // X3, the micro USB socket: square and offset pads with drills, its <hole>s no pads.
    const auto* x3 = FindComponent(design, "X3");
    ASSERT_NE(x3, nullptr);
    std::set<std::string> styles;
    for (const auto& pad : x3->pads) styles.insert(StyleOf(design, pad));
    EXPECT_TRUE(styles.count("THT Square 2.413 D0.9")) << ::testing::PrintToString(styles);
    // SPRT@1: drill 0.8, diameter 1.143 in the library; the design rules' least restring (10 mil)
    // makes it 0.8 + 2 x 0.254 = 1.308 across, twice that long.
    EXPECT_TRUE(styles.count("THT Offset 2.616x1.308 D0.8")) << ::testing::PrintToString(styles);
    for (const auto& pad : x3->pads) EXPECT_FALSE(pad.number.empty());
    // X1, the battery JST on the bottom (MR270): turned, then mirrored. Its pad 2 lands where
    // the board's VBAT wire ends, at (7.256, 7.89); mirrored first, it would lie off the board.
    const auto* x1 = FindComponent(design, "X1");
    ASSERT_NE(x1, nullptr);
    EXPECT_TRUE(x1->bottomSide);
    bool pad2 = false;
    for (const auto& pad : x1->pads) {
        if (pad.number != "2") continue;
        pad2 = true;
        EXPECT_NEAR(pad.position.x, 7.256, 1e-6);
        EXPECT_NEAR(pad.position.y, -7.89, 1e-6);
        EXPECT_TRUE(pad.onBottom && !pad.onTop);
    }
    EXPECT_TRUE(pad2);
    // Attribute texts with ratio and font.
    const auto* c1 = FindComponent(design, "C1");
    ASSERT_NE(c1, nullptr);
    ASSERT_GE(c1->attributes.size(), 2u);
    EXPECT_EQ(TextStyleOf(design, c1->attributes[0]), "Vector 0.8128 18%");
    EXPECT_EQ(TextStyleOf(design, c1->attributes[1]), "Vector 0.8128 10%");
    // The outline is drawn with its rounded corners: 8 straight wires and 4 quarter turns of 6
    // pieces in <plain>, and what the placed packages draw on the Dimension layer.
    EXPECT_GE(design.boardOutline.size(), 32u);
}

}  // namespace
