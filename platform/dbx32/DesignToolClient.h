// SPDX-License-Identifier: LGPL-3.0-or-later
// The library's side of the socket: fetch a snapshot of the open design, send a highlight.
// Each exchange uses a fresh connection and ends within kExchangeTimeout.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "DbxProtocol.h"

namespace dbx {

constexpr std::chrono::milliseconds kExchangeTimeout{3000};

class DesignToolClient {
  public:
    static std::optional<Snapshot> FetchSnapshot(const std::string& socketPath, std::string* error);
    // The tool's status for the request, or nullopt when the tool could not be reached or its
    // answer was not a status.
    static std::optional<int32_t> Highlight(const std::string& socketPath,
                                            const HighlightRequest& request, std::string* error);
};

}  // namespace dbx
