#include "DesignToolClient.h"

namespace dbx {
namespace {

std::optional<Frame> Exchange(const std::string& socketPath, MessageType type,
                              const std::vector<uint8_t>& payload, uint32_t maxReply,
                              Deadline deadline, std::string* error) {
    UniqueFd fd = ConnectUnix(socketPath, deadline, error);
    if (!fd.valid()) return std::nullopt;
    if (!WriteFrame(fd.get(), uint16_t(type), payload, deadline)) {
        *error = "cannot send the request";
        return std::nullopt;
    }
    return ReadFrame(fd.get(), maxReply, deadline, error);
}

}  // namespace

std::optional<Snapshot> DesignToolClient::FetchSnapshot(const std::string& socketPath,
                                                        std::string* error) {
    auto frame = Exchange(socketPath, MessageType::SnapshotRequest, {}, kMaxFrameBytes,
                          DeadlineIn(kExchangeTimeout), error);
    if (!frame) return std::nullopt;
    if (frame->type != uint16_t(MessageType::SnapshotReply)) {
        *error = "the tool did not answer with a snapshot";
        return std::nullopt;
    }
    return Snapshot::Decode(std::move(frame->payload), error);
}

std::optional<int32_t> DesignToolClient::Highlight(const std::string& socketPath,
                                                   const HighlightRequest& request,
                                                   std::string* error) {
    // The tool is told when this call stops waiting, so that it does not highlight later.
    const Deadline deadline = DeadlineIn(kExchangeTimeout);
    auto frame =
        Exchange(socketPath, MessageType::HighlightRequest,
                 EncodeHighlightRequest(request, deadline), kMaxRequestBytes, deadline, error);
    if (!frame) return std::nullopt;
    if (frame->type != uint16_t(MessageType::HighlightReply)) {
        *error = "the tool did not answer with a status";
        return std::nullopt;
    }
    const std::string_view payload(reinterpret_cast<const char*>(frame->payload.data()),
                                   frame->payload.size());
    return DecodeStatus(payload);
}

}  // namespace dbx
