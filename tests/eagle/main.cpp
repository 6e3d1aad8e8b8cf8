// SPDX-License-Identifier: GPL-3.0-or-later
// eagle_tests: C locale (numbers in board files use a point), then GoogleTest.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
