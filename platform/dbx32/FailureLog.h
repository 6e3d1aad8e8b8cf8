// SPDX-License-Identifier: LGPL-3.0-or-later
// Why an exchange with the design tool failed, as one line on standard error, when DBX32_LOG=1
// is in the environment; silent otherwise. Only the failure paths call it.
#pragma once

#include <string_view>

namespace dbx {

class FailureLog {
  public:
    // Read on every report, so that a process may switch it on at any time.
    static bool Enabled();
    // "libDbx32: CALL failed: REASON"
    static void Report(std::string_view call, std::string_view reason);
};

}  // namespace dbx
