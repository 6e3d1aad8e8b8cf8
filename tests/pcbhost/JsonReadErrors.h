// SPDX-License-Identifier: GPL-3.0-or-later
// The error the JSON reader gives for a text it must refuse.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <string>

#include "boardreaders/json/JsonDesignReader.h"

namespace boards::test {

inline ReadError JsonErrorFor(const std::string& json) {
    Design design;
    ReadError error;
    EXPECT_FALSE(
        JsonDesignReader::ReadBytes(QByteArray::fromStdString(json), "d.json", design, error))
        << json;
    return error;
}

}  // namespace boards::test
