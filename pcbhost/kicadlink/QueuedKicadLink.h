// SPDX-License-Identifier: GPL-3.0-or-later
// pcbhost's side of the KiCad link: the link's status lines are handed to `print`, and KiCad's
// live board served and shown, on the thread of the event loop (pcbhost's main thread), in the
// order the link produced them. What the link produces waits in a mailbox under a mutex of our
// own, so that the hand-over between threads is visible to ThreadSanitizer; the queued call only
// says that the mailbox has mail.
#pragma once

#include <QObject>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <variant>

#include "DesignServer.h"
#include "KicadLink.h"

namespace pcbhost::kicadlink {

class QueuedKicadLink {
  public:
    // Called on the event loop's thread with each live board that is now served.
    using ShowDesign = std::function<void(const std::shared_ptr<const Design>&)>;
    // Called on the event loop's thread with each status line.
    using PrintLine = std::function<void(std::string)>;

    // Starts the link. `server` must outlive this object.
    QueuedKicadLink(const std::string& boardPath, DesignServer& server, PrintLine print,
                    ShowDesign show);

    void Highlight(const std::string& refDes) { link_.Highlight(refDes); }
    // Called from the serving thread before a snapshot is served: has KiCad's board fetched and,
    // when it changed, served, waiting at most `wait` (the event loop must be running).
    void FreshenLiveBoard(std::chrono::milliseconds wait);
    // Stops talking to KiCad; FreshenLiveBoard() returns at once from then on.
    void Stop();

  private:
    using Mail = std::variant<std::string, std::shared_ptr<const Design>>;

    void Post(Mail mail);  // on the link's thread
    void DeliverMail();    // on the event loop's thread
    void UseLiveBoard(const std::shared_ptr<const Design>& live);

    DesignServer& server_;
    PrintLine print_;
    ShowDesign show_;
    std::mutex mailboxMutex_;
    std::condition_variable delivered_;
    std::deque<Mail> mailbox_;
    uint64_t boardsPosted_ = 0;     // under mailboxMutex_
    uint64_t boardsDelivered_ = 0;  // under mailboxMutex_
    bool stopped_ = false;          // under mailboxMutex_
    QObject context_;               // calls queued to it are dropped with it
    KicadLink link_;                // stopped before the above go
};

}  // namespace pcbhost::kicadlink
