// SPDX-License-Identifier: GPL-3.0-or-later
// Which board a running KiCad has open (its IPC API's GetOpenDocuments), for `pcbhost --kicad`
// without a board file; or why that cannot be known, in words a user can act on.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CrossProbeClient.h"

namespace pcbhost::kicadlink {

class KicadBoardFinder {
  public:
    struct Options {
        std::optional<std::vector<std::string>> ipcUrls;  // unset: where KiCad puts its socket
        uint16_t crossProbePort = CrossProbeClient::kDefaultPort;
        std::chrono::milliseconds deadline{2000};
        std::optional<std::string> token;  // unset: $KICAD_API_TOKEN
    };

    // The path of the board open in KiCad's PCB editor, or nothing with the reason in `error`.
    static std::optional<std::string> Find(const Options& options, std::string& error);
    static std::optional<std::string> Find(std::string& error) { return Find(Options(), error); }
};

}  // namespace pcbhost::kicadlink
