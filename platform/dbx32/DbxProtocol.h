// SPDX-License-Identifier: LGPL-3.0-or-later
// The socket protocol between libDbx32 and the design tool (pcbhost): one header for both ends.
//
// A connection carries frames. Each frame is a 12-byte header followed by its payload:
//   u32 magic 'DBXF', u16 protocol version, u16 message type, u32 payload length
// All integers are little-endian. A frame longer than kMaxFrameBytes is refused unread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LittleEndian.h"
#include "RecordRefDes.h"
#include "RuntimeDir.h"
#include "SnapshotReader.h"
#include "SnapshotWriter.h"
#include "SocketIo.h"

namespace dbx {

constexpr uint32_t kFrameMagic = 0x46584244;  // "DBXF"
constexpr uint16_t kProtocolVersion = 1;
constexpr std::size_t kFrameHeaderBytes = 12;
constexpr uint32_t kMaxFrameBytes = 256u << 20;
// Requests are small; a server drops a client that announces more.
constexpr uint32_t kMaxRequestBytes = 64u << 10;

enum class MessageType : uint16_t {
    SnapshotRequest = 1,   // empty payload
    SnapshotReply = 2,     // payload: an encoded snapshot (SnapshotWriter)
    HighlightRequest = 3,  // payload: HighlightRequest
    HighlightReply = 4,    // payload: i32 status, 0 when the component was highlighted
    ErrorReply = 5,        // payload: a text saying what was wrong with the request
};

struct FrameHeader {
    uint16_t version = kProtocolVersion;
    MessageType type = MessageType::SnapshotRequest;
    uint32_t length = 0;
};

std::vector<uint8_t> EncodeFrameHeader(MessageType type, uint32_t length);
// Checks magic, version and length against maxLength; on failure says why in *error.
std::optional<FrameHeader> DecodeFrameHeader(const uint8_t* bytes, uint32_t maxLength,
                                             std::string* error);

// Payload of a highlight request:
//   u32 snapshot generation, u32 component index, i32 colour, u32 refdes length, refdes bytes,
//   then optionally u64 deadline: the client's steady-clock time in nanoseconds after which it no
//   longer waits for the answer, so that the tool does not apply the request later.
struct HighlightRequest {
    uint32_t generation = 0;
    uint32_t componentIndex = 0;
    int32_t colour = 0;
    std::string refDes;
};
constexpr std::size_t kMaxRefDesBytes = 4096;

std::vector<uint8_t> EncodeHighlightRequest(const HighlightRequest& request,
                                            std::optional<Deadline> deadline = std::nullopt);
// The request, and in *deadline the client's deadline when it sent one.
std::optional<HighlightRequest> DecodeHighlightRequest(std::string_view payload,
                                                       std::optional<Deadline>* deadline = nullptr);

std::vector<uint8_t> EncodeStatus(int32_t status);
std::optional<int32_t> DecodeStatus(std::string_view payload);

}  // namespace dbx
