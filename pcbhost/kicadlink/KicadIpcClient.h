// SPDX-License-Identifier: GPL-3.0-or-later
// A client of KiCad's IPC API (KiCad 9 and later): NNG request/reply on a Unix socket, each
// request an envelope carrying the token, the client name and the command. Not thread-safe: one
// thread owns it. Every call waits at most the deadline it is given.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <nng/nng.h>

#include "IpcResult.h"

namespace google::protobuf {
class Message;
}

namespace pcbhost::kicadlink {

struct KicadFootprint {
    std::string id;  // KiCad's item id
    std::string reference;
};

struct KicadOpenBoard {
    std::string fileName;     // as KiCad names it in requests: the file name alone
    std::string projectPath;  // the project's folder; may be empty
};

class KicadIpcClient {
  public:
    using Deadline = std::chrono::milliseconds;
    // Each request as sent and the reply as received (empty when none came).
    using Transcript = std::function<void(const std::string& request, const std::string& reply)>;

    // `token` may be empty: the token of KiCad's first answer is then used from there on.
    // `boardFileName` names the board in item headers (the file name, without folders).
    KicadIpcClient(std::string clientName, std::string token, std::string boardFileName);
    ~KicadIpcClient();
    KicadIpcClient(const KicadIpcClient&) = delete;
    KicadIpcClient& operator=(const KicadIpcClient&) = delete;

    // Dials `url` (ipc://...); fails at once when nothing listens there.
    bool Connect(const std::string& url, std::string* error);
    const std::string& url() const { return url_; }
    const std::string& token() const { return token_; }
    void SetBoardFileName(std::string name) { boardFileName_ = std::move(name); }
    const std::string& boardFileName() const { return boardFileName_; }
    void SetTranscript(Transcript transcript) { transcript_ = std::move(transcript); }

    IpcResult GetFootprints(Deadline deadline, std::vector<KicadFootprint>& out);
    IpcResult ClearSelection(Deadline deadline);
    // `selected`, when given, receives the ids of the footprints selected afterwards, as KiCad
    // answers them.
    IpcResult AddToSelection(const std::vector<std::string>& ids, Deadline deadline,
                             std::vector<std::string>* selected = nullptr);
    // The footprints selected in KiCad; `others` counts the selected items that are not.
    IpcResult GetSelection(Deadline deadline, std::vector<KicadFootprint>& footprints,
                           int* others = nullptr);
    // Runs one of the PCB editor's tool actions, e.g. "common.Control.zoomFitSelection".
    IpcResult RunAction(const std::string& action, Deadline deadline);
    IpcResult GetOpenBoards(Deadline deadline, std::vector<KicadOpenBoard>& out);
    IpcResult GetVersion(Deadline deadline, std::string& version);
    // The open board's text as KiCad holds it, unsaved edits included.
    IpcResult SaveBoardToString(Deadline deadline, std::string& contents);

    // Where KiCad puts its API socket: $KICAD_API_SOCKET when set, else api.sock and then any
    // api-PID.sock under $TMPDIR (or /tmp) /kicad.
    static std::vector<std::string> CandidateUrls();

    static constexpr std::size_t kMaxReplyBytes = 512u << 20;

  private:
    static void OnPipeEvent(nng_pipe pipe, nng_pipe_ev event, void* self);
    IpcResult Call(const google::protobuf::Message& command, google::protobuf::Message* reply,
                   Deadline deadline);

    std::string clientName_;
    std::string token_;
    std::string boardFileName_;
    std::string url_;
    Transcript transcript_;
    nng_socket socket_ = NNG_SOCKET_INITIALIZER;
    bool open_ = false;

    // Connections to KiCad, counted from NNG's threads: a receive under way ends as soon as the
    // last one goes, rather than at its deadline.
    std::mutex pipeMutex_;
    int pipes_ = 0;
    bool everConnected_ = false;
    nng_aio* receiving_ = nullptr;
};

}  // namespace pcbhost::kicadlink
