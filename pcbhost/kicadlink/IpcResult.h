// SPDX-License-Identifier: GPL-3.0-or-later
// The outcome of one request to KiCad, and a one-line description of a failure.
#pragma once

#include <string>

namespace pcbhost::kicadlink {

struct IpcResult {
    enum class Kind {
        Ok,
        NoAnswer,      // nothing came back within the deadline
        Closed,        // the connection went away
        Garbled,       // the reply is not an envelope, or not the expected message
        TokenRefused,  // AS_TOKEN_MISMATCH
        NotReady,      // AS_NOT_READY
        Busy,          // AS_BUSY
        Refused,       // any other status (unhandled, bad request, ...)
        NotDone,       // answered, but KiCad did not do what was asked (e.g. not selected)
        NotFound,      // no such footprint on KiCad's board
    };
    Kind kind = Kind::Ok;
    std::string detail;

    bool ok() const { return kind == Kind::Ok; }
    // Worth asking again later: KiCad is there but could not act just now.
    bool transient() const {
        return kind == Kind::NoAnswer || kind == Kind::NotReady || kind == Kind::Busy;
    }
    std::string Describe() const;

    static IpcResult Success() { return {}; }
    static IpcResult Failure(Kind kind, std::string detail) { return {kind, std::move(detail)}; }
};

}  // namespace pcbhost::kicadlink
