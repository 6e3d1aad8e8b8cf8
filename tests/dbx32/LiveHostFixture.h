// SPDX-License-Identifier: GPL-3.0-or-later
// A GoogleTest fixture with a private runtime directory and, on request, a pcbhost serving a
// design written into it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Dbx32.h"
#include "PcbHostProcess.h"

namespace dbxtest {

class LiveHostFixture : public ::testing::Test {
  protected:
    // Starts pcbhost --headless on the JSON text and waits until it serves.
    void StartHost(const std::string& json, const std::string& fileName = "design.json") {
        designPath_ = dir_.WriteFile(fileName, json);
        host_ = std::make_unique<PcbHostProcess>(
            std::vector<std::string>{PCBHOST_EXECUTABLE, "--headless", designPath_});
        ASSERT_NE(host_->WaitForLine("serving "), "") << host_->output();
    }
    void StopHost() { host_.reset(); }

    PrivateRuntimeDir dir_;
    std::unique_ptr<PcbHostProcess> host_;
    std::string designPath_;
};

// Opens the design of the running tool into a context and closes it again at scope end.
class OpenedDesign {
  public:
    OpenedDesign() {
        status = TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context);
    }
    ~OpenedDesign() { TCloseDesign(&context, ""); }
    DesignContext context;
    int32_t status;
};

}  // namespace dbxtest
