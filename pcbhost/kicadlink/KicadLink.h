// SPDX-License-Identifier: GPL-3.0-or-later
// pcbhost's link to a running KiCad: each highlight is also sent to KiCad's PCB editor, by the
// first way that answers: the IPC API (KiCad 9 and later), else the cross-probe port (KiCad 6).
// All talk with KiCad happens on a thread of the link's own; Highlight() only hands the
// reference over, so neither the caller nor the serving of the design ever waits on KiCad, and
// the link itself gives KiCad at most `deadline` per highlight.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "CrossProbeClient.h"
#include "IpcResult.h"
#include "pcbhost/Design.h"

namespace pcbhost::kicadlink {

class KicadIpcClient;

class KicadLink {
  public:
    struct Options {
        std::string boardPath;                            // the board pcbhost opened
        std::optional<std::vector<std::string>> ipcUrls;  // unset: where KiCad puts its socket
        uint16_t crossProbePort = CrossProbeClient::kDefaultPort;
        std::chrono::milliseconds deadline{1000};
        std::chrono::milliseconds liveBoardInterval{2000};
        std::string clientName = "pcbhost";
        std::optional<std::string> token;  // unset: $KICAD_API_TOKEN
    };
    // One status line (no newline), called on the link's thread.
    using StatusHandler = std::function<void(const std::string&)>;
    // The board as KiCad holds it, when it changed; called on the link's thread.
    using LiveBoardHandler = std::function<void(std::shared_ptr<const Design>)>;

    KicadLink(Options options, StatusHandler onStatus, LiveBoardHandler onLiveBoard = {});
    ~KicadLink();
    KicadLink(const KicadLink&) = delete;
    KicadLink& operator=(const KicadLink&) = delete;

    // Starts the thread, which links to KiCad and says to what (or why not) once.
    void Start();
    void Stop();
    // Selects `refDes` in KiCad. A highlight not yet sent is replaced by a newer one: KiCad's
    // selection shows one component at a time.
    void Highlight(const std::string& refDes);

  private:
    enum class Via { None, Ipc, CrossProbe };

    void Run();
    bool Link();
    void Unlink();
    void Send(const std::string& refDes);
    IpcResult SendOverIpc(const std::string& refDes);
    void PollLiveBoard();
    void Report(const std::string& line);
    std::string IpcPrefix() const;

    Options options_;
    StatusHandler onStatus_;
    LiveBoardHandler onLiveBoard_;
    std::string boardFileName_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::optional<std::string> pending_;
    std::thread thread_;

    // Owned by the link's thread.
    Via via_ = Via::None;
    std::unique_ptr<KicadIpcClient> ipc_;
    CrossProbeClient crossProbe_;
    std::unordered_map<std::string, std::vector<std::string>> idsByReference_;
    std::string lastReport_;
    bool liveBoardWanted_ = true;
    bool liveBoardRefusalSaid_ = false;
    std::string liveBoardText_;
};

}  // namespace pcbhost::kicadlink
