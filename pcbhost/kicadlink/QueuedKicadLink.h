// SPDX-License-Identifier: GPL-3.0-or-later
// pcbhost's side of the KiCad link: the link's status lines are handed to `print`, and KiCad's
// live board served and shown, on the thread of the event loop (pcbhost's main thread), in the
// order the link produced them.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

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

  private:
    void UseLiveBoard(const std::shared_ptr<const Design>& live);

    DesignServer& server_;
    PrintLine print_;
    ShowDesign show_;
    QObject context_;  // calls queued to it are dropped with it
    KicadLink link_;   // stopped before the above go
};

}  // namespace pcbhost::kicadlink
