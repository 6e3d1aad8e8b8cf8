// SPDX-License-Identifier: LGPL-3.0-or-later
#include "FailureLog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace dbx {

bool FailureLog::Enabled() {
    const char* value = std::getenv("DBX32_LOG");
    return value && std::strcmp(value, "1") == 0;
}

void FailureLog::Report(std::string_view call, std::string_view reason) {
    if (!Enabled()) return;
    std::string line = "libDbx32: ";
    line.append(call).append(" failed: ").append(reason);
    for (char& c : line)  // one line whatever the reason holds
        if (c == '\n' || c == '\r') c = ' ';
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);  // one write: lines of threads stay whole
}

}  // namespace dbx
