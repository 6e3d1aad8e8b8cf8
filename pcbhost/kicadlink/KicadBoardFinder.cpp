// SPDX-License-Identifier: GPL-3.0-or-later
#include "KicadBoardFinder.h"

#include <cstdlib>
#include <filesystem>

#include "KicadIpcClient.h"

namespace pcbhost::kicadlink {

std::optional<std::string> KicadBoardFinder::Find(const Options& options, std::string& error) {
    const auto urls = options.ipcUrls ? *options.ipcUrls : KicadIpcClient::CandidateUrls();
    std::string token;
    if (options.token) {
        token = *options.token;
    } else if (const char* fromKicad = std::getenv("KICAD_API_TOKEN")) {
        token = fromKicad;
    }
    std::string failure;
    for (const auto& url : urls) {
        KicadIpcClient client("pcbhost", token, "");
        std::string connectError;
        if (!client.Connect(url, &connectError)) continue;
        std::vector<KicadOpenBoard> boards;
        IpcResult result = client.GetOpenBoards(options.deadline, boards);
        if (result.kind == IpcResult::Kind::TokenRefused) {
            // A token handed down from a KiCad that has since been restarted.
            KicadIpcClient fresh("pcbhost", "", "");
            if (fresh.Connect(url, &connectError))
                result = fresh.GetOpenBoards(options.deadline, boards);
        }
        if (!result.ok()) {
            failure = "KiCad IPC at " + url + ": " + result.Describe();
            continue;
        }
        if (boards.empty()) {
            failure = "KiCad at " + url + " has no board open in its PCB editor";
            continue;
        }
        const auto& board = boards.front();
        if (board.projectPath.empty()) return board.fileName;
        return (std::filesystem::path(board.projectPath) / board.fileName).string();
    }
    if (!failure.empty()) {
        error = failure;
        return std::nullopt;
    }
    std::string probeError;
    const CrossProbeClient crossProbe(options.crossProbePort);
    if (crossProbe.Probe(options.deadline, &probeError)) {
        error = "KiCad runs (" + crossProbe.Address() +
                " answers) but its API is off: switch on Preferences > Plugins > Enable KiCad "
                "API, then restart KiCad; or name the board file";
        return std::nullopt;
    }
    error =
        "KiCad is not running (no KiCad API socket); start KiCad's PCB editor on the board, "
        "or name the board file";
    return std::nullopt;
}

}  // namespace pcbhost::kicadlink
