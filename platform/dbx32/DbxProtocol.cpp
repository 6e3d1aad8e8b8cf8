// SPDX-License-Identifier: LGPL-3.0-or-later
#include "DbxProtocol.h"

#include <algorithm>

namespace dbx {

std::vector<uint8_t> EncodeFrameHeader(MessageType type, uint32_t length) {
    std::vector<uint8_t> out;
    out.reserve(kFrameHeaderBytes);
    PutU32(out, kFrameMagic);
    const auto t = static_cast<uint16_t>(type);
    out.push_back(uint8_t(kProtocolVersion));
    out.push_back(uint8_t(kProtocolVersion >> 8));
    out.push_back(uint8_t(t));
    out.push_back(uint8_t(t >> 8));
    PutU32(out, length);
    return out;
}

std::optional<FrameHeader> DecodeFrameHeader(const uint8_t* bytes, uint32_t maxLength,
                                             std::string* error) {
    if (GetU32(bytes) != kFrameMagic) {
        *error = "bad frame magic";
        return std::nullopt;
    }
    FrameHeader header;
    header.version = uint16_t(bytes[4] | bytes[5] << 8);
    if (header.version != kProtocolVersion) {
        *error = "unsupported protocol version " + std::to_string(header.version);
        return std::nullopt;
    }
    const auto type = uint16_t(bytes[6] | bytes[7] << 8);
    if (type < uint16_t(MessageType::SnapshotRequest) || type > uint16_t(MessageType::ErrorReply)) {
        *error = "unknown message type " + std::to_string(type);
        return std::nullopt;
    }
    header.type = MessageType(type);
    header.length = GetU32(bytes + 8);
    if (header.length > maxLength) {
        *error = "frame of " + std::to_string(header.length) + " bytes exceeds the limit of " +
                 std::to_string(maxLength);
        return std::nullopt;
    }
    return header;
}

std::vector<uint8_t> EncodeHighlightRequest(const HighlightRequest& request,
                                            std::optional<Deadline> deadline) {
    std::vector<uint8_t> out;
    const std::size_t n = std::min(request.refDes.size(), kMaxRefDesBytes);
    out.reserve(16 + n);
    PutU32(out, request.generation);
    PutU32(out, request.componentIndex);
    PutU32(out, uint32_t(request.colour));
    PutU32(out, uint32_t(n));
    out.insert(out.end(), request.refDes.begin(), request.refDes.begin() + long(n));
    if (deadline) {
        const auto ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(deadline->time_since_epoch())
                .count();
        PutU32(out, uint32_t(uint64_t(ns)));
        PutU32(out, uint32_t(uint64_t(ns) >> 32));
    }
    return out;
}

std::optional<HighlightRequest> DecodeHighlightRequest(std::string_view payload,
                                                       std::optional<Deadline>* deadline) {
    if (payload.size() < 16) return std::nullopt;
    const auto* p = reinterpret_cast<const uint8_t*>(payload.data());
    HighlightRequest request;
    request.generation = GetU32(p);
    request.componentIndex = GetU32(p + 4);
    request.colour = int32_t(GetU32(p + 8));
    const uint32_t n = GetU32(p + 12);
    if (n > kMaxRefDesBytes) return std::nullopt;
    const std::size_t end = 16 + std::size_t(n);
    if (payload.size() != end && payload.size() != end + 8) return std::nullopt;
    request.refDes.assign(payload.substr(16, n));
    if (deadline) deadline->reset();
    if (deadline && payload.size() == end + 8) {
        const uint64_t ns = GetU32(p + end) | uint64_t(GetU32(p + end + 4)) << 32;
        *deadline = Deadline(std::chrono::nanoseconds(int64_t(ns)));
    }
    return request;
}

std::vector<uint8_t> EncodeStatus(int32_t status) {
    std::vector<uint8_t> out;
    PutU32(out, uint32_t(status));
    return out;
}

std::optional<int32_t> DecodeStatus(std::string_view payload) {
    if (payload.size() != 4) return std::nullopt;
    return int32_t(GetU32(reinterpret_cast<const uint8_t*>(payload.data())));
}

}  // namespace dbx
