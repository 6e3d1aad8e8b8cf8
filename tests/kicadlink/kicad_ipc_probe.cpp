// SPDX-License-Identifier: GPL-3.0-or-later
// kicad_ipc_probe [--record DIR] [--board FILE] [--token T] COMMAND...: asks a running KiCad
// through its IPC API, as the live tests do, and prints the answer. The socket is found as pcbhost
// finds it.
// --record writes each request and reply, byte for byte, as DIR/NN-NAME.request and .reply.
// Commands:
//   version               KiCad's full version
//   boards                the open boards, one "FILE<TAB>PROJECT FOLDER" a line
//   selection             the references of the selected footprints, one a line, sorted, then
//                         "others N" when other items are selected too
//   select REF            selects the footprint(s) REF as pcbhost does, without bringing it into
//   view clear                 clears the selection action NAME           runs a PCB editor tool
//   action save                  prints the size of the board text KiCad holds
// Exit status: 0 done, 1 KiCad refused or did not answer (the reason on stderr), 2 usage.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "KicadIpcClient.h"

using pcbhost::kicadlink::IpcResult;
using pcbhost::kicadlink::KicadFootprint;
using pcbhost::kicadlink::KicadIpcClient;

namespace {

constexpr std::chrono::milliseconds kDeadline{5000};

int Fail(const std::string& what, const IpcResult& result) {
    std::fprintf(stderr, "kicad_ipc_probe: %s: %s\n", what.c_str(), result.Describe().c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string recordDir, board, token;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-' && argv[i][1] == '-'; i += 2) {
        const std::string option = argv[i];
        if (option == "--record")
            recordDir = argv[i + 1];
        else if (option == "--board")
            board = argv[i + 1];
        else if (option == "--token")
            token = argv[i + 1];
        else
            break;
    }
    if (i >= argc) {
        std::fputs("usage: kicad_ipc_probe [--record DIR] [--board FILE] COMMAND [ARG]\n", stderr);
        return 2;
    }
    const std::string command = argv[i];
    const std::string argument = i + 1 < argc ? argv[i + 1] : "";

    KicadIpcClient client("partwise-probe", token, board);
    const auto urls = KicadIpcClient::CandidateUrls();
    std::string error = "no KiCad API socket";
    bool connected = false;
    for (const auto& url : urls)
        if ((connected = client.Connect(url, &error))) break;
    if (!connected) {
        std::fprintf(stderr, "kicad_ipc_probe: %s\n", error.c_str());
        return 1;
    }
    int recorded = 0;
    std::string recordName = command;
    if (!recordDir.empty())
        client.SetTranscript([&](const std::string& request, const std::string& reply) {
            char prefix[16];
            std::snprintf(prefix, sizeof prefix, "%02d-", ++recorded);
            const std::string base = recordDir + "/" + prefix + recordName;
            std::ofstream(base + ".request", std::ios::binary) << request;
            std::ofstream(base + ".reply", std::ios::binary) << reply;
        });

    if (board.empty() && command != "version" && command != "boards") {
        std::vector<pcbhost::kicadlink::KicadOpenBoard> boards;
        recordName = "GetOpenDocuments";
        if (IpcResult result = client.GetOpenBoards(kDeadline, boards); !result.ok())
            return Fail("GetOpenDocuments", result);
        if (boards.empty()) {
            std::fputs("kicad_ipc_probe: KiCad has no board open\n", stderr);
            return 1;
        }
        client.SetBoardFileName(boards.front().fileName);
        recordName = command;
    }

    if (command == "version") {
        std::string version;
        if (IpcResult result = client.GetVersion(kDeadline, version); !result.ok())
            return Fail("GetVersion", result);
        std::printf("%s\n", version.c_str());
    } else if (command == "boards") {
        std::vector<pcbhost::kicadlink::KicadOpenBoard> boards;
        if (IpcResult result = client.GetOpenBoards(kDeadline, boards); !result.ok())
            return Fail("GetOpenDocuments", result);
        for (const auto& open : boards)
            std::printf("%s\t%s\n", open.fileName.c_str(), open.projectPath.c_str());
    } else if (command == "selection") {
        std::vector<KicadFootprint> footprints;
        int others = 0;
        if (IpcResult result = client.GetSelection(kDeadline, footprints, &others); !result.ok())
            return Fail("GetSelection", result);
        std::vector<std::string> references;
        for (const auto& footprint : footprints) references.push_back(footprint.reference);
        std::sort(references.begin(), references.end());
        for (const auto& reference : references) std::printf("%s\n", reference.c_str());
        if (others > 0) std::printf("others %d\n", others);
    } else if (command == "select" && !argument.empty()) {
        std::vector<KicadFootprint> footprints;
        recordName = "GetItems";
        if (IpcResult result = client.GetFootprints(kDeadline, footprints); !result.ok())
            return Fail("GetItems", result);
        std::vector<std::string> ids;
        for (const auto& footprint : footprints)
            if (footprint.reference == argument) ids.push_back(footprint.id);
        if (ids.empty()) {
            std::fprintf(stderr, "kicad_ipc_probe: no footprint %s on KiCad's board\n",
                         argument.c_str());
            return 1;
        }
        recordName = "ClearSelection";
        if (IpcResult result = client.ClearSelection(kDeadline); !result.ok())
            return Fail("ClearSelection", result);
        recordName = "AddToSelection";
        std::vector<std::string> selected;
        if (IpcResult result = client.AddToSelection(ids, kDeadline, &selected); !result.ok())
            return Fail("AddToSelection", result);
        std::printf("selected %zu of %zu\n", selected.size(), ids.size());
    } else if (command == "add" && !argument.empty()) {
        std::vector<std::string> selected;
        if (IpcResult result = client.AddToSelection({argument}, kDeadline, &selected);
            !result.ok())
            return Fail("AddToSelection", result);
        for (const auto& id : selected) std::printf("%s\n", id.c_str());
    } else if (command == "clear") {
        if (IpcResult result = client.ClearSelection(kDeadline); !result.ok())
            return Fail("ClearSelection", result);
    } else if (command == "action" && !argument.empty()) {
        if (IpcResult result = client.RunAction(argument, kDeadline); !result.ok())
            return Fail("RunAction", result);
    } else if (command == "save") {
        std::string text;
        if (IpcResult result = client.SaveBoardToString(kDeadline, text); !result.ok())
            return Fail("SaveDocumentToString", result);
        std::printf("%zu\n", text.size());
    } else {
        std::fprintf(stderr, "kicad_ipc_probe: unknown command %s\n", command.c_str());
        return 2;
    }
    return 0;
}
