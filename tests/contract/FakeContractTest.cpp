// SPDX-License-Identifier: GPL-3.0-or-later
// The design-database contract held against the in-memory fake that the finder tests use.
#include <QByteArray>

#include "DesignDbContract.h"
#include "FakeDesignDb.h"
#include "boardreaders/json/JsonDesignReader.h"

namespace contract {

// Serves the JSON design, read by pcbhost's own reader, from the fake.
struct FakeBackend {
    ::testing::AssertionResult Serve(const std::string& json) {
        boards::Design design;
        boards::ReadError error;
        if (!boards::JsonDesignReader::ReadBytes(QByteArray::fromStdString(json), "contract.json",
                                                 design, error))
            return ::testing::AssertionFailure() << error.ToString();
        fake::Design served;
        for (const auto& style : design.padStyles)
            served.padStyles.push_back({style.name, style.holeDiameter});
        for (const auto& style : design.textStyles) served.textStyles.push_back(style.name);
        for (const auto& component : design.components) {
            fake::Component& c = served.components.emplace_back();
            c.refDes = component.refDes;
            for (const auto& pad : component.pads) c.padStyleIds.push_back(pad.padStyle);
            for (const auto& attribute : component.attributes)
                c.attributes.push_back({attribute.name, attribute.textStyle});
        }
        fake::Reset(std::move(served));
        return ::testing::AssertionSuccess();
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, DesignDbContract, FakeBackend);

}  // namespace contract
