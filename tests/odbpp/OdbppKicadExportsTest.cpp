// SPDX-License-Identifier: GPL-3.0-or-later
// The reader against KiCad 9's own ODB++ export (`kicad-cli pcb export odb`, run here at test
// time) of every demo board of Debian's kicad-demos: each export gives the pads, holed pads and
// hole sizes the KiCad reader's figures list for the board, in millimetres and in inches. KiCad
// leaves footprints without pads out of ODB++, so an export may hold fewer components.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BoardFigures.h"
#include "TestJobs.h"
#include "boardreaders/BoardFormats.h"

namespace {

namespace fs = std::filesystem;

const std::string kKicad9 = PARTWISE_KICAD9_ROOT;
const std::string kCli = kKicad9 + "/usr/bin/kicad-cli";

struct Export {
    std::string units;        // "mm" or "in"
    std::string compression;  // "tgz", "zip" or "none" (a folder)
};

// Runs kicad-cli with KiCad 9's libraries and data and a private home and temporary folder (two
// exports at once through one temporary folder gave archives without their matrix); false on
// any failure.
bool RunKicadCli(const std::string& board, const Export& e, const std::string& output,
                 const std::string& home, std::string& log) {
    const std::string command =
        "env HOME='" + home + "' TMPDIR='" + home + "/tmp' LD_LIBRARY_PATH='" + kKicad9 +
        "/usr/lib/x86_64-linux-gnu' KICAD_STOCK_DATA_HOME='" + kKicad9 + "/usr/share/kicad' '" +
        kCli + "' pcb export odb --units " + e.units + " --compression " + e.compression + " -o '" +
        output + "' '" + board + "' > '" + home + "/log.txt' 2>&1";
    const int status = std::system(command.c_str());
    log = command;
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0 && fs::exists(output);
}

class OdbppKicadExports : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(kCli))
            GTEST_SKIP() << "KiCad 9 is not unpacked in " << kKicad9
                         << " (scripts/install-kicad9): its ODB++ export cannot be checked";
        folder_ = boards::test::TemporaryFolder("kicad9");
        fs::create_directories(folder_ + "/home/tmp");
    }
    void TearDown() override {
        if (!folder_.empty()) fs::remove_all(folder_);
    }

    // Exports each board of the figure table (those picked by `pick`) and checks its figures.
    void CheckExports(const Export& e, bool (*pick)(const std::string& board)) {
        const auto rows = boards::test::ReadFigureTable(PARTWISE_KICAD_EXPECTED_TSV, 5);
        ASSERT_GE(rows.size(), 8u);
        int checked = 0;
        for (const auto& row : rows) {
            if (!pick(row[0])) continue;
            SCOPED_TRACE(row[0] + " in " + e.units + " as " + e.compression);
            const std::string board = std::string(PARTWISE_KICAD_DEMOS_DIR) + "/" + row[0];
            ASSERT_TRUE(fs::exists(board)) << board;
            const std::string name = fs::path(row[0]).stem().string() + "-" + e.units;
            std::string output = folder_ + "/" + name;
            if (e.compression == "tgz") output += ".tgz";
            if (e.compression == "zip") output += ".zip";
            std::string log;
            ASSERT_TRUE(RunKicadCli(board, e, output, folder_ + "/home", log)) << log;
            boards::Design design;
            boards::ReadError error;
            ASSERT_TRUE(boards::BoardFormats::Load(output, design, error)) << error.ToString();
            const auto f = boards::test::FiguresServed(design);
            EXPECT_EQ(f.pads, std::stoul(row[2]));
            EXPECT_EQ(f.holedPads, std::stoul(row[3]));
            EXPECT_EQ(f.holeSizes, row[4]);
            // interf_u holds one footprint without pads (a logo); every other footprint of the
            // demo boards has pads.
            const std::size_t padless = row[0] == "interf_u/interf_u.kicad_pcb" ? 1 : 0;
            EXPECT_EQ(f.components, std::stoul(row[1]) - padless);
            ++checked;
            fs::remove_all(output);
        }
        EXPECT_GT(checked, 0);
    }

    std::string folder_;
};

bool Every(const std::string&) {
    return true;
}

TEST_F(OdbppKicadExports, EveryDemoBoardInMillimetresAsTgz) {
    CheckExports({"mm", "tgz"}, Every);
}

TEST_F(OdbppKicadExports, EveryDemoBoardInInchesAsZip) {
    CheckExports({"in", "zip"}, Every);
}

TEST_F(OdbppKicadExports, EveryDemoBoardInInchesAsAFolder) {
    CheckExports({"in", "none"}, Every);
}

}  // namespace
