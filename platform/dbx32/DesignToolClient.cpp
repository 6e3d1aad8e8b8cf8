// SPDX-License-Identifier: LGPL-3.0-or-later
#include "DesignToolClient.h"

#include "FailureLog.h"
#include "SpareBuffer.h"

namespace dbx {
namespace {

std::optional<Frame> Exchange(const std::string& socketPath, MessageType type,
                              const std::vector<uint8_t>& payload, uint32_t maxReply,
                              Deadline deadline, std::string* error,
                              std::vector<uint8_t> buffer = {}) {
    UniqueFd fd = ConnectUnix(socketPath, deadline, error);
    if (!fd.valid()) return std::nullopt;
    if (!WriteFrame(fd.get(), uint16_t(type), payload, deadline)) {
        *error = Clock::now() >= deadline
                     ? "deadline passed while sending the request"
                     : "cannot send the request: the tool closed the connection";
        return std::nullopt;
    }
    auto reply = ReadFrame(fd.get(), maxReply, deadline, error, std::move(buffer));
    if (!reply) *error = (Clock::now() >= deadline ? "deadline passed: " : "bad reply: ") + *error;
    return reply;
}

}  // namespace

std::optional<Snapshot> DesignToolClient::FetchSnapshot(const std::string& socketPath,
                                                        std::string* error) {
    auto snapshot = [&]() -> std::optional<Snapshot> {
        auto frame = Exchange(socketPath, MessageType::SnapshotRequest, {}, kMaxFrameBytes,
                              DeadlineIn(kExchangeTimeout), error, SpareBuffer::Take());
        if (!frame) return std::nullopt;
        if (frame->type != uint16_t(MessageType::SnapshotReply)) {
            *error = "bad reply: the tool did not answer with a snapshot";
            return std::nullopt;
        }
        auto decoded = Snapshot::Decode(std::move(frame->payload), error);
        if (!decoded) *error = "bad reply: " + *error;
        return decoded;
    }();
    if (!snapshot) FailureLog::Report("TOpenDesign", *error);
    return snapshot;
}

std::optional<int32_t> DesignToolClient::Highlight(const std::string& socketPath,
                                                   const HighlightRequest& request,
                                                   std::string* error) {
    auto status = [&]() -> std::optional<int32_t> {
        // The tool is told when this call stops waiting, so that it does not highlight later.
        const Deadline deadline = DeadlineIn(kExchangeTimeout);
        auto frame =
            Exchange(socketPath, MessageType::HighlightRequest,
                     EncodeHighlightRequest(request, deadline), kMaxRequestBytes, deadline, error);
        if (!frame) return std::nullopt;
        if (frame->type != uint16_t(MessageType::HighlightReply)) {
            *error = "bad reply: the tool did not answer with a status";
            return std::nullopt;
        }
        const std::string_view payload(reinterpret_cast<const char*>(frame->payload.data()),
                                       frame->payload.size());
        auto decoded = DecodeStatus(payload);
        if (!decoded) *error = "bad reply: the status is malformed";
        return decoded;
    }();
    if (!status) FailureLog::Report("THighlightComponent", *error);
    return status;
}

}  // namespace dbx
