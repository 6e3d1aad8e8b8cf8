// SPDX-License-Identifier: GPL-3.0-or-later
// Small Eagle boards written by the tests, and reading them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "boardreaders/Design.h"
#include "boardreaders/eagle/EagleReader.h"

namespace boards::test {

// An Eagle board document of `version` around the XML of its <libraries>, <elements> and the
// rest of <board> (`extra`: <plain>, <designrules>...).
inline std::string EagleBoard(const std::string& libraries, const std::string& elements,
                              const std::string& extra = "", const std::string& version = "7.5.0") {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<!DOCTYPE eagle SYSTEM \"eagle.dtd\">\n"
           "<eagle version=\"" +
           version +
           "\">\n<drawing>\n<settings><setting alwaysvectorfont=\"no\"/></settings>\n"
           "<layers><layer number=\"1\" name=\"Top\" color=\"4\" fill=\"1\"/></layers>\n"
           "<board>\n" +
           extra + "\n<libraries>\n" + libraries + "\n</libraries>\n<elements>\n" + elements +
           "\n</elements>\n<signals><signal name=\"GND\"><wire x1=\"0\" y1=\"0\" x2=\"1\" "
           "y2=\"1\" width=\"0.2\" layer=\"1\"/></signal></signals>\n</board>\n</drawing>\n"
           "</eagle>\n";
}

// One library holding one package of the given contents.
inline std::string EagleLibrary(const std::string& name, const std::string& package,
                                const std::string& contents, const std::string& urn = "") {
    return "<library name=\"" + name + "\"" + (urn.empty() ? "" : " urn=\"" + urn + "\"") +
           ">\n<packages>\n<package name=\"" + package + "\">\n" + contents +
           "\n</package>\n</packages>\n</library>";
}

inline Design ParseEagle(const std::string& text) {
    Design design;
    ReadError error;
    EXPECT_TRUE(ParseEagleBoard(text, "test.brd", design, error)) << error.ToString();
    return design;
}

inline ReadError EagleError(const std::string& text) {
    Design design;
    ReadError error;
    EXPECT_FALSE(ParseEagleBoard(text, "test.brd", design, error));
    EXPECT_TRUE(design.components.empty());
    return error;
}

inline const Component* FindComponent(const Design& design, const std::string& refDes) {
    for (const auto& c : design.components)
        if (c.refDes == refDes) return &c;
    return nullptr;
}

inline std::string StyleOf(const Design& design, const Pad& pad) {
    return pad.padStyle < 0 ? std::string() : design.padStyles[size_t(pad.padStyle)].name;
}

inline std::string TextStyleOf(const Design& design, const Attribute& attribute) {
    return attribute.textStyle < 0 ? std::string()
                                   : design.textStyles[size_t(attribute.textStyle)].name;
}

}  // namespace boards::test
