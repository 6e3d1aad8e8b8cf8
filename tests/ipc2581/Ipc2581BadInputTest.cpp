// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile and broken IPC-2581 input: refused with file, line and reason, the design untouched;
// and the loader's choice of reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "boardreaders/BoardFormats.h"
#include "boardreaders/ipc2581/Ipc2581Reader.h"

namespace {

using boards::Design;
using boards::ReadError;

const std::string kHead = "<?xml version=\"1.0\"?>\n<IPC-2581 revision=\"C\">\n";
const std::string kStep =
    "<Ecad><CadData><Step name=\"s\">\n<Package name=\"P\"><Pin number=\"1\"/></Package>\n";
const std::string kTail = "</Step></CadData></Ecad></IPC-2581>\n";

// Parses `text` into a design that already holds one component, expecting a refusal.
ReadError Refused(const std::string& text) {
    Design design;
    design.components.emplace_back().refDes = "KEEP";
    ReadError error;
    EXPECT_FALSE(boards::ParseIpc2581Board(text, "bad.xml", design, error));
    EXPECT_EQ(error.file, "bad.xml");
    EXPECT_FALSE(error.reason.empty());
    EXPECT_EQ(design.components.size(), 1u);
    EXPECT_EQ(design.components.at(0).refDes, "KEEP");
    return error;
}

TEST(Ipc2581BadInput, DocumentTypesAndEntitiesAreRefused) {
    const auto doctype =
        Refused("<?xml version=\"1.0\"?>\n<!DOCTYPE IPC-2581 [\n<!ENTITY a \"x\">\n]>\n" +
                kHead.substr(22) + kTail);
    EXPECT_EQ(doctype.line, 2);
    EXPECT_NE(doctype.reason.find("document type"), std::string::npos) << doctype.reason;

    const auto external = Refused(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE IPC-2581 SYSTEM \"file:///etc/passwd\">\n<IPC-2581/>");
    EXPECT_NE(external.reason.find("document type"), std::string::npos) << external.reason;

    const auto reference =
        Refused(kHead + kStep + "<Component refDes=\"&xxe;\" packageRef=\"P\"/>\n" + kTail);
    EXPECT_EQ(reference.line, 5);
    EXPECT_NE(reference.reason.find("entity"), std::string::npos) << reference.reason;
}

TEST(Ipc2581BadInput, SizesAndDepthAreBounded) {
    std::string deep = kHead;
    for (int i = 0; i < 200; ++i) deep += "<a>\n";
    const auto depth = Refused(deep);
    EXPECT_NE(depth.reason.find("nested"), std::string::npos) << depth.reason;
    EXPECT_GT(depth.line, 50);

    const auto longValue = Refused(kHead + kStep + "<Component refDes=\"" +
                                   std::string(100000, 'R') + "\" packageRef=\"P\"/>\n" + kTail);
    EXPECT_EQ(longValue.line, 5);
    EXPECT_NE(longValue.reason.find("longer than"), std::string::npos) << longValue.reason;

    std::string many = kHead + "<Layer";
    for (int i = 0; i < 100; ++i) many += " a" + std::to_string(i) + "=\"1\"";
    const auto attributes = Refused(many + "/>" + kTail);
    EXPECT_NE(attributes.reason.find("attributes"), std::string::npos) << attributes.reason;

    const auto longName = Refused(kHead + "<" + std::string(1000, 'x') + "/>" + kTail);
    EXPECT_NE(longName.reason.find("name longer"), std::string::npos) << longName.reason;
}

TEST(Ipc2581BadInput, SmallFileMakingAHugeDesignIsRefused) {
    // 50,000 pins placed 100 times: five million pads from about a megabyte.
    std::string text = kHead + "<Ecad><CadData><Step name=\"s\">\n<Package name=\"BIG\">";
    for (int i = 0; i < 50000; ++i) text += "<Pin number=\"" + std::to_string(i) + "\"/>";
    text += "</Package>\n";
    for (int i = 0; i < 100; ++i)
        text += "<Component refDes=\"U" + std::to_string(i) + "\" packageRef=\"BIG\"/>\n";
    const auto error = Refused(text + kTail);
    EXPECT_NE(error.reason.find("more than 4000000 pads"), std::string::npos) << error.reason;
    EXPECT_EQ(error.line, 85);  // U80, the component that crosses the limit
}

TEST(Ipc2581BadInput, MisplacedElementsAreIgnored) {
    // Pads, pad stacks and placements only count where they belong.
    Design design;
    ReadError error;
    ASSERT_TRUE(boards::ParseIpc2581Board(
        kHead + kStep +
            "<LayerFeature layerRef=\"TOP\"><Set><Pad><LayerPad layerRef=\"TOP\"><PinRef "
            "componentRef=\"U1\" pin=\"1\"/></LayerPad></Pad></Set></LayerFeature>"
            "<Pad><PinRef componentRef=\"U1\" pin=\"1\"/></Pad><LayerHole diameter=\"1\"/>"
            "<Component refDes=\"U1\" packageRef=\"P\"><Set><Location x=\"5\"/></Set></Component>"
            "<Other><Component refDes=\"U2\" packageRef=\"P\"/></Other>" +
            kTail,
        "odd.xml", design, error))
        << error.ToString();
    ASSERT_EQ(design.components.size(), 1u);
    EXPECT_EQ(design.components[0].position.x, 0);
    ASSERT_EQ(design.components[0].pads.size(), 1u);
    EXPECT_EQ(design.components[0].pads[0].padStyle, -1);
}

TEST(Ipc2581BadInput, OtherDocumentsAndBrokenXmlAreRefused) {
    const auto other = Refused("<?xml version=\"1.0\"?>\n<html><body/></html>\n");
    EXPECT_EQ(other.line, 2);
    EXPECT_NE(other.reason.find("not an IPC-2581 file"), std::string::npos) << other.reason;

    EXPECT_NE(Refused("").reason.find("malformed XML"), std::string::npos);
    const auto truncated = Refused(kHead + kStep + "<Component refDes=\"U1\" packa");
    EXPECT_EQ(truncated.line, 5);
    const auto mismatched = Refused(kHead + "<Content>\n</Contents>\n" + kTail);
    EXPECT_EQ(mismatched.line, 4);
    const auto zero = Refused(kHead + std::string("<Content a=\"\0\"/>", 16) + kTail);
    EXPECT_EQ(zero.line, 3);
    const auto badNumber = Refused(
        kHead + kStep + "<Component refDes=\"U1\"><Location x=\"1e999\"/></Component>" + kTail);
    EXPECT_EQ(badNumber.line, 5);
}

TEST(Ipc2581BadInput, ControlCharactersInNamesAreRefused) {
    const auto refDes =
        Refused(kHead + kStep + "\n<Component refDes=\"U&#9;1\" packageRef=\"P\"/>" + kTail);
    EXPECT_EQ(refDes.line, 6);
    EXPECT_NE(refDes.reason.find("refDes holds a control character"), std::string::npos)
        << refDes.reason;

    const auto attribute =
        Refused(kHead + kStep +
                "<Component refDes=\"U1\" packageRef=\"P\">\n<NonstandardAttribute name=\"A&#10;\" "
                "value=\"v\"/></Component>" +
                kTail);
    EXPECT_EQ(attribute.line, 5);
    EXPECT_NE(attribute.reason.find("attribute name"), std::string::npos) << attribute.reason;

    const auto style = Refused(kHead + kStep +
                               "<Component refDes=\"U1\" packageRef=\"P\"/>\n<LayerFeature "
                               "layerRef=\"TOP\"><Set><Pad padstackDefRef=\"S&#127;\"><PinRef "
                               "componentRef=\"U1\" pin=\"1\"/></Pad></Set></LayerFeature>" +
                               kTail);
    EXPECT_NE(style.reason.find("pad style name"), std::string::npos) << style.reason;
}

class Ipc2581LoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("partwise-ipc2581-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& text) {
        const auto path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::filesystem::path dir_;
};

TEST_F(Ipc2581LoaderTest, ChoosesTheReaderByExtensionOrRootElement) {
    const std::string board =
        "<?xml version=\"1.0\"?>\n<!-- exported -->\n<ipc:IPC-2581 "
        "xmlns:ipc=\"http://webstds.ipc.org/2581\"><ipc:Ecad><ipc:CadData>"
        "<ipc:Step name=\"s\"><ipc:Component refDes=\"U7\"/></ipc:Step>"
        "</ipc:CadData></ipc:Ecad></ipc:IPC-2581>";
    for (const char* name : {"board.xml", "board.CVG", "board.ipc2581"}) {
        SCOPED_TRACE(name);
        Design design;
        ReadError error;
        ASSERT_TRUE(boards::BoardFormats::Load(Write(name, board), design, error))
            << error.ToString();
        ASSERT_EQ(design.components.size(), 1u);
        EXPECT_EQ(design.components[0].refDes, "U7");
    }
    Design design;
    ReadError error;
    EXPECT_FALSE(boards::BoardFormats::Load(Write("notes.xml", "<notes/>"), design, error));
    EXPECT_NE(error.reason.find("not an IPC-2581 file"), std::string::npos) << error.reason;
    EXPECT_FALSE(boards::BoardFormats::Load(Write("notes.txt", "<notes/>"), design, error));
    EXPECT_NE(error.reason.find("unknown design file type"), std::string::npos) << error.reason;
    EXPECT_FALSE(boards::BoardFormats::Load((dir_ / "missing.xml").string(), design, error));
    EXPECT_EQ(error.line, 0);
}

}  // namespace
