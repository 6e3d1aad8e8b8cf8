// SPDX-License-Identifier: GPL-3.0-or-later
// The design-database contract held against the real libDbx32.so and a live pcbhost.
#include <memory>

#include "DesignDbContract.h"
#include "PcbHostProcess.h"

namespace contract {

// Serves the JSON design from pcbhost --headless in a private runtime directory.
struct LiveBackend {
    ::testing::AssertionResult Serve(const std::string& json) {
        host.reset();
        const std::string path = dir.WriteFile("contract.json", json);
        host = std::make_unique<dbxtest::PcbHostProcess>(
            std::vector<std::string>{PCBHOST_EXECUTABLE, "--headless", path});
        if (host->WaitForLine("serving ").empty())
            return ::testing::AssertionFailure() << "pcbhost did not serve: " << host->output();
        return ::testing::AssertionSuccess();
    }

    dbxtest::PrivateRuntimeDir dir;
    std::unique_ptr<dbxtest::PcbHostProcess> host;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Live, DesignDbContract, LiveBackend);

}  // namespace contract
