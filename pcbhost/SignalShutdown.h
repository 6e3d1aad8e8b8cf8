// SPDX-License-Identifier: GPL-3.0-or-later
// SIGINT and SIGTERM end pcbhost: the event loop is asked to quit, so that the server stops and
// removes its socket on the way out. Should the main thread not get there within a second (busy
// reading a design), the process removes the socket itself and exits. SIGPIPE is ignored: a
// reader that went away is an error on that write, not the end of the tool.
#pragma once

#include <string>

class QCoreApplication;

namespace pcbhost {

class SignalShutdown {
  public:
    static constexpr unsigned kGraceSeconds = 1;

    // Installs the handlers; call once, before serving.
    static void Install(QCoreApplication& app);
    // The socket removed when the grace period runs out.
    static void SetSocketPath(const std::string& path);
};

}  // namespace pcbhost
