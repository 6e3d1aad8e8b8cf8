// SPDX-License-Identifier: GPL-3.0-or-later
// KiCad 9's own PcbDoc importer, run from Python at test time, against this reader on every
// .PcbDoc of the test data: the same components (by designator and pad count), the same pads,
// holed pads and hole sizes. Skipped, saying so, only where KiCad 9 is not installed.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "BoardFigures.h"
#include "boardreaders/pcbdoc/PcbDocReader.h"

namespace {

const std::string kKicad9 = "/opt/partwise-kicad9";
const std::string kDataDir = PARTWISE_PCBDOC_DATA_DIR;
const std::string kOracle =
    std::string(PARTWISE_SOURCE_DIR) + "/tests/pcbdoc/kicad_pcbdoc_oracle.py";

struct Reading {
    std::multiset<std::pair<std::string, std::size_t>> components;      // designator, pads
    std::multiset<std::tuple<std::string, std::string, int32_t>> pads;  // designator, pad, hole
    std::size_t padCount = 0, holed = 0;
    std::set<std::string> holeSizes;
};

std::string Printed(int32_t units) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", units * 0.0003937007874015748);
    return text;
}

std::string Joined(const std::set<std::string>& sizes) {
    std::string out;
    for (const auto& s : sizes) out += (out.empty() ? "" : ",") + s;
    return out;
}

std::string Token(const std::string& s) {
    std::string t = s.empty() ? "-" : s;
    for (char& c : t)
        if (c == ' ') c = '_';
    return t;
}

bool RunOracle(const std::string& board, Reading& r, std::string* output) {
    const std::string home = ::testing::TempDir() + "kicad9-home";
    ::mkdir(home.c_str(), 0700);
    const std::string command = "env HOME='" + home + "' PYTHONPATH='" + kKicad9 +
                                "/usr/lib/python3/dist-packages'" + " LD_LIBRARY_PATH='" + kKicad9 +
                                "/usr/lib/x86_64-linux-gnu'" + " KICAD_STOCK_DATA_HOME='" +
                                kKicad9 + "/usr/share/kicad' " + PARTWISE_PYTHON3 + " '" + kOracle +
                                "' '" + board + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return false;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe)) *output += buffer;
    if (::pclose(pipe) != 0) return false;
    std::istringstream lines(*output);
    std::string kind;
    while (lines >> kind) {
        if (kind == "component") {
            std::string ref;
            std::size_t pads = 0;
            lines >> ref >> pads;
            r.components.insert({ref, pads});
        } else if (kind == "pad") {
            std::string ref, number;
            long long nm = 0;
            lines >> ref >> number >> nm;
            // nm to design units (mm x 2540), half up.
            const auto units = int32_t(std::floor(nm * 0.00254 + 0.5));
            r.pads.insert({ref, number, units});
            ++r.padCount;
            if (units > 0) {
                ++r.holed;
                r.holeSizes.insert(Printed(units));
            }
        } else {
            std::string rest;
            std::getline(lines, rest);  // "free": a footprint KiCad made for a free pad
        }
    }
    return true;
}

Reading OurReading(const boards::Design& d) {
    Reading r;
    for (const auto& c : d.components) {
        r.components.insert({Token(c.refDes), c.pads.size()});
        for (const auto& pad : c.pads) {
            const int32_t hole =
                pad.padStyle >= 0 ? d.padStyles[std::size_t(pad.padStyle)].holeDiameter : 0;
            r.pads.insert({Token(c.refDes), Token(pad.number), hole});
            ++r.padCount;
            if (hole > 0) {
                ++r.holed;
                r.holeSizes.insert(Printed(hole));
            }
        }
    }
    return r;
}

TEST(KicadOracle, EveryBoardReadsAsKicad9ImportsIt) {
    struct stat info {};
    if (::stat((kKicad9 + "/.partwise-kicad9").c_str(), &info) != 0)
        GTEST_SKIP() << "KiCad 9 is not installed in " << kKicad9
                     << " (scripts/install-kicad9): its PcbDoc importer is the oracle";
    std::size_t boardsCompared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kDataDir)) {
        if (entry.path().extension() != ".PcbDoc") continue;
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        Reading kicad;
        std::string output;
        ASSERT_TRUE(RunOracle(path, kicad, &output)) << "KiCad 9's importer failed:\n" << output;
        boards::Design design;
        boards::ReadError error;
        ASSERT_TRUE(boards::ReadPcbDocBoard(path, design, error)) << error.ToString();
        const Reading ours = OurReading(design);
        EXPECT_EQ(ours.components.size(), kicad.components.size());
        EXPECT_EQ(ours.components, kicad.components);
        EXPECT_EQ(ours.padCount, kicad.padCount);
        EXPECT_EQ(ours.holed, kicad.holed);
        EXPECT_EQ(Joined(ours.holeSizes), Joined(kicad.holeSizes));
        EXPECT_EQ(ours.pads, kicad.pads);
        // And through the snapshot the finders read.
        const auto served = boards::test::FiguresServed(design);
        EXPECT_EQ(served.pads, kicad.padCount);
        EXPECT_EQ(served.holeSizes, Joined(kicad.holeSizes));
        ++boardsCompared;
    }
    EXPECT_GE(boardsCompared, 1u);
}

}  // namespace
