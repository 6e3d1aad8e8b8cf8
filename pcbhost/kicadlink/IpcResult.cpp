// SPDX-License-Identifier: GPL-3.0-or-later
#include "IpcResult.h"

namespace pcbhost::kicadlink {

std::string IpcResult::Describe() const {
    std::string text;
    switch (kind) {
        case Kind::Ok:
            return "ok";
        case Kind::NoAnswer:
            text = "no answer";
            break;
        case Kind::Closed:
            text = "connection closed";
            break;
        case Kind::Garbled:
            text = "garbled answer";
            break;
        case Kind::TokenRefused:
            text = "token refused";
            break;
        case Kind::NotReady:
            text = "not ready";
            break;
        case Kind::Busy:
            text = "busy";
            break;
        case Kind::Refused:
            text = "request refused";
            break;
        case Kind::NotDone:
            text = "not done";
            break;
        case Kind::NotFound:
            text = "not found";
            break;
    }
    if (!detail.empty()) text += " (" + detail + ")";
    return text;
}

}  // namespace pcbhost::kicadlink
