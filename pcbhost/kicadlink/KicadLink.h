// SPDX-License-Identifier: GPL-3.0-or-later
// pcbhost's link to a running KiCad: each highlight is also sent to KiCad's PCB editor, by the
// first way that answers: the IPC API (KiCad 9 and later), else the cross-probe port (KiCad 6).
// All talk with KiCad happens on threads of the link's own; Highlight() only hands the
// reference over, so the caller never waits on KiCad, and the link itself gives KiCad at most
// `deadline` per highlight. A highlight that KiCad did not carry out is said. KiCad is asked for
// its board text only when FetchLiveBoard() asks for it: KiCad serves its API on its
// user-interface thread, and writing out a board takes it a noticeable time. The board text is
// fetched on a thread and connection of its own, so that highlights never wait behind it.
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
        // Per highlight: a highlight KiCad has not answered by then is said, within 2 s.
        std::chrono::milliseconds deadline{1500};
        // For the footprint list and the board text, which KiCad takes longer to write out.
        std::chrono::milliseconds longDeadline{5000};
        // A board text fetched this recently is not asked for again.
        std::chrono::milliseconds liveBoardFreshness{1000};
        // What brings the selection into view after a highlight; empty: nothing. Centring keeps
        // the zoom the user chose; zooming to fit would blow a small part up to the window.
        std::string viewAction = "common.Control.centerSelection";
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
    // Asks KiCad for its board text now (unless fetched within liveBoardFreshness) and waits up
    // to `wait` for that to end; a changed board has then been handed to the LiveBoardHandler.
    // Whether the fetch ended within `wait`. A pending highlight goes first.
    bool FetchLiveBoard(std::chrono::milliseconds wait);

  private:
    enum class Via { None, Ipc, CrossProbe };

    void Run();
    void RunLiveBoard();
    bool Link();
    void Unlink();
    void Send(const std::string& refDes);
    IpcResult SendOverIpc(const std::string& refDes, std::chrono::steady_clock::time_point end);
    IpcResult LookUpFootprints(std::chrono::milliseconds deadline);
    void UpdateLiveBoard(const std::string& url, const std::string& token);
    void SayNoApiSocket();
    // A line that is not repeated while the state it reports lasts.
    void Report(const std::string& line);
    // A line said each time, e.g. for each highlight that did not land.
    void Say(const std::string& line);
    std::string IpcPrefix() const;

    Options options_;
    StatusHandler onStatus_;
    LiveBoardHandler onLiveBoard_;
    std::string boardFileName_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::optional<std::string> pending_;
    bool liveBoardAsked_ = false;
    bool liveBoardFetching_ = false;
    uint64_t liveBoardFetches_ = 0;  // fetches ended
    bool liveBoardWanted_ = true;    // false once KiCad said it cannot
    // The KiCad API the link thread is linked to, for the live board's thread.
    std::string linkedUrl_;
    std::string linkedToken_;
    std::thread thread_;
    std::thread liveBoardThread_;

    std::mutex reportMutex_;
    std::string lastReport_;  // under reportMutex_

    // Owned by the link's thread.
    Via via_ = Via::None;
    std::unique_ptr<KicadIpcClient> ipc_;
    CrossProbeClient crossProbe_;
    std::unordered_map<std::string, std::vector<std::string>> idsByReference_;

    // Owned by the live board's thread.
    std::unique_ptr<KicadIpcClient> liveBoardClient_;
    bool liveBoardRefusalSaid_ = false;
    std::string liveBoardText_;
    std::optional<std::chrono::steady_clock::time_point> liveBoardFetched_;
    bool tokenRefused_ = false;  // the token we were given is stale: learn KiCad's own
};

}  // namespace pcbhost::kicadlink
