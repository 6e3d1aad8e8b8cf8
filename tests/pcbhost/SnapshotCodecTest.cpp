// SPDX-License-Identifier: GPL-3.0-or-later
// Snapshots: a Design encoded by SnapshotBuilder decodes to the same walk; damaged bytes are
// refused, never read out of bounds.
#include <gtest/gtest.h>

#include <random>

#include "DbxProtocol.h"
#include "SnapshotBuilder.h"

namespace pcbhost {
namespace {

Design SampleDesign() {
    Design d;
    d.padStyles = {{"P1", 1000, {}}, {"SMD", 0, {}}, {"p1", 1001, {}}};
    d.textStyles = {{"T0"}, {"T1"}};
    Component r1;
    r1.refDes = "R1";
    r1.pads = {
        {0, "1", {}, 0, true, false}, {1, "2", {}, 0, true, false}, {7, "3", {}, 0, true, false}};
    r1.attributes = {{"Value", "10k", 0}, {"Footprint", "R_0603", -1}};
    Component empty;
    empty.refDes = "";
    Component r2;
    r2.refDes = "R1";  // repeated on purpose: texts are shared in the string table
    r2.pads = {{2, "1", {}, 0, true, false}};
    r2.attributes = {{"Value", "1k", 1}};
    d.components = {r1, empty, r2};
    return d;
}

TEST(SnapshotCodecTest, RoundTripKeepsEveryWalkedField) {
    const Design d = SampleDesign();
    std::string error;
    auto s = dbx::Snapshot::Decode(SnapshotBuilder::Build(d, 42), &error);
    ASSERT_TRUE(s) << error;
    EXPECT_EQ(s->generation(), 42u);
    ASSERT_EQ(s->padStyles.size(), 3u);
    EXPECT_EQ(s->Text(s->padStyles[2].name), "p1");
    EXPECT_EQ(s->padStyles[2].holeDiameter, 1001);
    ASSERT_EQ(s->textStyles.size(), 2u);
    EXPECT_EQ(s->Text(s->textStyles[1]), "T1");
    ASSERT_EQ(s->components.size(), 3u);
    for (std::size_t c = 0; c < d.components.size(); ++c) {
        const auto& want = d.components[c];
        const auto& got = s->components[c];
        EXPECT_EQ(s->Text(got.refDes), want.refDes);
        ASSERT_EQ(got.padCount, want.pads.size());
        ASSERT_EQ(got.attributeCount, want.attributes.size());
        for (std::size_t p = 0; p < want.pads.size(); ++p) {
            const auto& pad = s->pads[got.firstPad + p];
            EXPECT_EQ(s->Text(pad.number), want.pads[p].number);
            const int style = want.pads[p].padStyle < 3 ? want.pads[p].padStyle : -1;
            EXPECT_EQ(pad.padStyle, style) << "out-of-range styles become none";
        }
        for (std::size_t a = 0; a < want.attributes.size(); ++a) {
            const auto& attribute = s->attributes[got.firstAttribute + a];
            EXPECT_EQ(s->Text(attribute.name), want.attributes[a].name);
            EXPECT_EQ(s->Text(attribute.value), want.attributes[a].value);
            EXPECT_EQ(attribute.textStyle, want.attributes[a].textStyle);
        }
    }
}

TEST(SnapshotCodecTest, DamagedSnapshotsAreRefused) {
    const std::vector<uint8_t> good = SnapshotBuilder::Build(SampleDesign(), 1);
    std::string error;
    auto refused = [&](std::vector<uint8_t> bytes) {
        return !dbx::Snapshot::Decode(std::move(bytes), &error).has_value();
    };
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.end() - 1))) << "truncated";
    auto longer = good;
    longer.push_back(0);
    EXPECT_TRUE(refused(longer)) << "trailing bytes";
    auto badMagic = good;
    badMagic[0] ^= 1;
    EXPECT_TRUE(refused(badMagic));
    auto hugeCount = good;
    std::fill_n(hugeCount.begin() + 20, 4, 0xFF);  // the component count
    EXPECT_TRUE(refused(hugeCount)) << "a count that the bytes cannot hold";
    // A pad-style index past the table: the first pad entry's style field.
    const std::size_t firstPad = dbx::kSnapshotHeaderBytes + 3 * 12 + 2 * 8 + 3 * 16;
    auto badIndex = good;
    badIndex[firstPad + 8] = 3;
    EXPECT_TRUE(refused(badIndex));
    EXPECT_EQ(error, "pad-style index out of range");
    auto badText = good;
    badText[firstPad + 4] = 0xFF;  // length of the first pad number
    EXPECT_TRUE(refused(badText));
}

TEST(SnapshotCodecTest, RandomDamageNeverReadsOutOfBounds) {
    const std::vector<uint8_t> good = SnapshotBuilder::Build(SampleDesign(), 1);
    std::mt19937 random(7);
    std::string error;
    int decoded = 0;
    for (int i = 0; i < 20000; ++i) {
        auto bytes = good;
        for (int flips = 1 + int(random() % 4); flips > 0; --flips)
            bytes[random() % bytes.size()] = uint8_t(random());
        auto s = dbx::Snapshot::Decode(std::move(bytes), &error);
        if (!s) continue;
        ++decoded;
        // Whatever decodes must be walkable within its bounds: the texts' bytes are copied, so
        // that ASan sees every read.
        std::size_t total = 0;
        const auto read = [&](auto ref) { total += std::string(s->Text(ref)).size(); };
        for (const auto& c : s->components) {
            read(c.refDes);
            for (uint32_t p = 0; p < c.padCount; ++p) read(s->pads.at(c.firstPad + p).number);
            for (uint32_t a = 0; a < c.attributeCount; ++a)
                read(s->attributes.at(c.firstAttribute + a).value);
        }
        EXPECT_LT(total, good.size() * 64);
    }
    EXPECT_GT(decoded, 0) << "some damage (in texts) leaves a valid snapshot";
}

}  // namespace
}  // namespace pcbhost
