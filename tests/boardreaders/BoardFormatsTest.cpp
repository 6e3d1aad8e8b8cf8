// SPDX-License-Identifier: GPL-3.0-or-later
// The registry of board formats: a file is read by the format its content says, whatever its
// name; a file no format claims is refused with the list of formats.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "boardreaders/BoardFormats.h"
#include "boardreaders/FileHead.h"

namespace boards {
namespace {

class BoardFormatsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("boardformats-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& text) {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    std::filesystem::path dir_;
};

const char kJson[] = "\xEF\xBB\xBF  {\"components\": [{\"refDes\": \"J1\"}]}";
const char kKicad[] =
    "(kicad_pcb (version 20221018) (generator pcbnew)\n"
    "  (footprint \"R_0603\" (layer \"F.Cu\") (at 10 10)\n"
    "    (property \"Reference\" \"K1\" (at 0 0) (layer \"F.SilkS\"))))\n";
const char kIpc[] =
    "<?xml version=\"1.0\"?>\n<IPC-2581 revision=\"C\"><Ecad><CadData><Step name=\"s\">"
    "<Component refDes=\"I1\"/></Step></CadData></Ecad></IPC-2581>";

TEST_F(BoardFormatsTest, ContentDecidesWhateverTheName) {
    const struct {
        const char* text;
        const char* format;
        const char* refDes;
    } cases[] = {
        {kJson, "JSON design", "J1"}, {kKicad, "KiCad board", "K1"}, {kIpc, "IPC-2581", "I1"}};
    for (const auto& c : cases) {
        for (const char* name : {"board.json", "board.kicad_pcb", "board.xml", "board", "b.txt"}) {
            SCOPED_TRACE(std::string(c.format) + " as " + name);
            const std::string path = Write(name, c.text);
            ReadError error;
            const BoardFormat* format = BoardFormats::Find(path, error);
            ASSERT_NE(format, nullptr) << error.ToString();
            EXPECT_EQ(format->Name(), c.format);
            Design design;
            ASSERT_TRUE(BoardFormats::Load(path, design, error)) << error.ToString();
            ASSERT_EQ(design.components.size(), 1u);
            EXPECT_EQ(design.components[0].refDes, c.refDes);
        }
    }
}

TEST_F(BoardFormatsTest, UnknownContentGoesByNameElseIsRefusedWithTheFormats) {
    Design design;
    design.components.resize(3);
    ReadError error;
    // Named as a format's file: that reader says what is wrong.
    EXPECT_FALSE(BoardFormats::Load(Write("broken.kicad_pcb", "(module x)"), design, error));
    EXPECT_EQ(error.file, (dir_ / "broken.kicad_pcb").string());
    EXPECT_EQ(design.components.size(), 3u);  // untouched
    // Neither: refused with every format and its suffixes.
    const std::string path = Write("notes.txt", "hello");
    EXPECT_EQ(BoardFormats::Find(path, error), nullptr);
    EXPECT_EQ(error.file, path);
    EXPECT_NE(error.reason.find("unknown design file type"), std::string::npos) << error.reason;
    for (const BoardFormat* format : BoardFormats::All()) {
        EXPECT_NE(error.reason.find(std::string(format->Name())), std::string::npos);
        for (std::string_view suffix : format->Suffixes())
            EXPECT_NE(error.reason.find("." + std::string(suffix)), std::string::npos);
    }
    // An empty file, a missing one and a device.
    EXPECT_EQ(BoardFormats::Find(Write("empty.bin", ""), error), nullptr);
    EXPECT_EQ(BoardFormats::Find((dir_ / "missing").string(), error), nullptr);
    EXPECT_EQ(error.line, 0);
    EXPECT_EQ(BoardFormats::Find("/dev/zero", error), nullptr);
    EXPECT_NE(error.reason.find("not a regular file"), std::string::npos) << error.reason;
    EXPECT_EQ(design.components.size(), 3u);
}

TEST(BoardFormatsRegistry, NamesAndSuffixesAreDistinct) {
    std::set<std::string_view> names, suffixes;
    for (const BoardFormat* format : BoardFormats::All()) {
        EXPECT_TRUE(names.insert(format->Name()).second) << format->Name();
        EXPECT_EQ(BoardFormats::Named(format->Name()), format);
        for (std::string_view suffix : format->Suffixes())
            EXPECT_TRUE(suffixes.insert(suffix).second) << suffix;
    }
    EXPECT_EQ(BoardFormats::Named("no such format"), nullptr);
}

TEST(FileHead, XmlRootAndSuffix) {
    EXPECT_EQ(XmlRootName("<?xml version=\"1.0\"?>\n<!DOCTYPE eagle SYSTEM \"eagle.dtd\">\n"
                          "<!-- c --><eagle version=\"9.7\">"),
              "eagle");
    EXPECT_EQ(XmlRootName("\xEF\xBB\xBF<ipc:IPC-2581>"), "ipc:IPC-2581");
    EXPECT_EQ(XmlRootName("<?xml version=\"1.0\"?><!-- unterminated"), "");
    EXPECT_EQ(XmlRootName("plain text"), "");
    EXPECT_EQ(XmlRootName("<cut"), "");
    EXPECT_TRUE(HasSuffix("/a/b.Tar.GZ", "tar.gz"));
    EXPECT_FALSE(HasSuffix("/a/btar.gz", "tar.gz"));
    EXPECT_FALSE(HasSuffix("gz", "gz"));
}

}  // namespace
}  // namespace boards
