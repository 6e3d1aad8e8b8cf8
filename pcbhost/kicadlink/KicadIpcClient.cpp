// SPDX-License-Identifier: GPL-3.0-or-later
#include "KicadIpcClient.h"

#include <nng/protocol/reqrep0/req.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "proto/board.pb.h"
#include "proto/commands.pb.h"
#include "proto/envelope.pb.h"

namespace pcbhost::kicadlink {

namespace {

namespace commands = kiapi::common::commands;
namespace types = kiapi::common::types;

std::string NngError(int rv) {
    return nng_strerror(rv);
}

IpcResult StatusToResult(const kiapi::common::ApiResponseStatus& status) {
    using Kind = IpcResult::Kind;
    const std::string& message = status.error_message();
    switch (status.status()) {
        case kiapi::common::AS_OK:
            return IpcResult::Success();
        case kiapi::common::AS_TOKEN_MISMATCH:
            return IpcResult::Failure(Kind::TokenRefused, message);
        case kiapi::common::AS_NOT_READY:
            return IpcResult::Failure(Kind::NotReady, message);
        case kiapi::common::AS_BUSY:
            return IpcResult::Failure(Kind::Busy, message);
        case kiapi::common::AS_TIMEOUT:
            return IpcResult::Failure(Kind::NoAnswer, message);
        default:
            break;
    }
    std::string detail = kiapi::common::ApiStatusCode_Name(status.status());
    if (detail.empty()) detail = "status " + std::to_string(status.status());
    if (!message.empty()) detail += ": " + message;
    return IpcResult::Failure(Kind::Refused, detail);
}

// The footprints among `items`, each with its id and reference.
void CollectFootprints(const google::protobuf::RepeatedPtrField<google::protobuf::Any>& items,
                       std::vector<KicadFootprint>& out, int* others) {
    for (const auto& item : items) {
        kiapi::board::types::FootprintInstance footprint;
        if (!item.UnpackTo(&footprint)) {
            if (others) ++*others;
            continue;
        }
        out.push_back({footprint.id().value(), footprint.reference_field().text().text().text()});
    }
}

}  // namespace

KicadIpcClient::KicadIpcClient(std::string clientName, std::string token, std::string boardFileName)
    : clientName_(std::move(clientName)),
      token_(std::move(token)),
      boardFileName_(std::move(boardFileName)) {}

KicadIpcClient::~KicadIpcClient() {
    if (open_) nng_close(socket_);
}

void KicadIpcClient::OnPipeEvent(nng_pipe, nng_pipe_ev event, void* arg) {
    auto* self = static_cast<KicadIpcClient*>(arg);
    std::lock_guard lock(self->pipeMutex_);
    if (event == NNG_PIPE_EV_ADD_POST) {
        ++self->pipes_;
        self->everConnected_ = true;
    } else if (event == NNG_PIPE_EV_REM_POST) {
        if (self->pipes_ > 0) --self->pipes_;
        if (self->pipes_ == 0 && self->receiving_) nng_aio_cancel(self->receiving_);
    }
}

bool KicadIpcClient::Connect(const std::string& url, std::string* error) {
    if (open_) {
        nng_close(socket_);
        open_ = false;
    }
    int rv = nng_req0_open(&socket_);
    if (rv != 0) {
        if (error) *error = NngError(rv);
        return false;
    }
    open_ = true;
    {
        std::lock_guard lock(pipeMutex_);
        pipes_ = 0;
        everConnected_ = false;
    }
    nng_socket_set_size(socket_, NNG_OPT_RECVMAXSZ, kMaxReplyBytes);
    nng_pipe_notify(socket_, NNG_PIPE_EV_ADD_POST, &KicadIpcClient::OnPipeEvent, this);
    nng_pipe_notify(socket_, NNG_PIPE_EV_REM_POST, &KicadIpcClient::OnPipeEvent, this);
    rv = nng_dial(socket_, url.c_str(), nullptr, 0);
    if (rv != 0) {
        if (error) *error = NngError(rv);
        nng_close(socket_);
        open_ = false;
        return false;
    }
    url_ = url;
    return true;
}

IpcResult KicadIpcClient::Call(const google::protobuf::Message& command,
                               google::protobuf::Message* reply, Deadline deadline) {
    using Kind = IpcResult::Kind;
    if (!open_) return IpcResult::Failure(Kind::Closed, "not connected");
    {
        // KiCad went away since the last request (quit, or restarted and not yet dialled
        // again): said at once rather than after waiting for a connection.
        std::lock_guard lock(pipeMutex_);
        if (pipes_ == 0 && everConnected_) return IpcResult::Failure(Kind::Closed, "");
    }

    kiapi::common::ApiRequest request;
    request.mutable_header()->set_kicad_token(token_);
    request.mutable_header()->set_client_name(clientName_);
    request.mutable_message()->PackFrom(command);
    const std::string bytes = request.SerializeAsString();

    nng_aio* aio = nullptr;
    if (int rv = nng_aio_alloc(&aio, nullptr, nullptr); rv != 0)
        return IpcResult::Failure(Kind::Closed, NngError(rv));
    const auto started = std::chrono::steady_clock::now();
    auto remaining = [&] {
        const auto left = deadline - std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - started);
        return static_cast<nng_duration>(std::max<long long>(1, left.count()));
    };

    nng_msg* message = nullptr;
    if (int rv = nng_msg_alloc(&message, bytes.size()); rv != 0) {
        nng_aio_free(aio);
        return IpcResult::Failure(Kind::Closed, NngError(rv));
    }
    std::memcpy(nng_msg_body(message), bytes.data(), bytes.size());
    nng_aio_set_msg(aio, message);
    nng_aio_set_timeout(aio, remaining());
    nng_send_aio(socket_, aio);
    nng_aio_wait(aio);
    if (int rv = nng_aio_result(aio); rv != 0) {
        nng_msg_free(nng_aio_get_msg(aio));
        nng_aio_free(aio);
        return IpcResult::Failure(rv == NNG_ETIMEDOUT ? Kind::NoAnswer : Kind::Closed,
                                  NngError(rv));
    }

    nng_aio_set_timeout(aio, remaining());
    {
        std::lock_guard lock(pipeMutex_);
        receiving_ = aio;
    }
    nng_recv_aio(socket_, aio);
    {
        std::lock_guard lock(pipeMutex_);
        if (pipes_ == 0 && everConnected_) nng_aio_cancel(aio);
    }
    nng_aio_wait(aio);
    {
        std::lock_guard lock(pipeMutex_);
        receiving_ = nullptr;
    }
    const int rv = nng_aio_result(aio);
    if (rv != 0) {
        nng_aio_free(aio);
        if (transcript_) transcript_(bytes, {});
        if (rv == NNG_ETIMEDOUT)
            return IpcResult::Failure(Kind::NoAnswer,
                                      "within " + std::to_string(deadline.count()) + " ms");
        return IpcResult::Failure(Kind::Closed, rv == NNG_ECANCELED ? "" : NngError(rv));
    }
    nng_msg* answer = nng_aio_get_msg(aio);
    nng_aio_free(aio);
    if (transcript_)
        transcript_(bytes, std::string(static_cast<const char*>(nng_msg_body(answer)),
                                       nng_msg_len(answer)));

    kiapi::common::ApiResponse response;
    const bool parsed =
        response.ParseFromArray(nng_msg_body(answer), static_cast<int>(nng_msg_len(answer)));
    nng_msg_free(answer);
    if (!parsed) return IpcResult::Failure(Kind::Garbled, "not a reply envelope");
    if (!response.has_status())
        return IpcResult::Failure(Kind::Garbled, "reply envelope without a status");
    if (IpcResult status = StatusToResult(response.status()); !status.ok()) return status;
    if (token_.empty()) token_ = response.header().kicad_token();
    if (reply && !response.message().UnpackTo(reply))
        return IpcResult::Failure(Kind::Garbled, "expected " + reply->GetTypeName() + ", got " +
                                                     response.message().type_url());
    return IpcResult::Success();
}

IpcResult KicadIpcClient::GetFootprints(Deadline deadline, std::vector<KicadFootprint>& out) {
    commands::GetItems command;
    auto* document = command.mutable_header()->mutable_document();
    document->set_type(types::DOCTYPE_PCB);
    document->set_board_filename(boardFileName_);
    command.add_types(types::KOT_PCB_FOOTPRINT);
    commands::GetItemsResponse reply;
    if (IpcResult result = Call(command, &reply, deadline); !result.ok()) return result;
    if (reply.status() == types::IRS_DOCUMENT_NOT_FOUND)
        return IpcResult::Failure(IpcResult::Kind::Refused,
                                  "KiCad has no board " + boardFileName_ + " open");
    if (reply.status() != types::IRS_OK)
        return IpcResult::Failure(IpcResult::Kind::Refused,
                                  types::ItemRequestStatus_Name(reply.status()));
    out.clear();
    out.reserve(reply.items_size());
    CollectFootprints(reply.items(), out, nullptr);
    return IpcResult::Success();
}

IpcResult KicadIpcClient::ClearSelection(Deadline deadline) {
    commands::ClearSelection command;
    auto* document = command.mutable_header()->mutable_document();
    document->set_type(types::DOCTYPE_PCB);
    document->set_board_filename(boardFileName_);
    return Call(command, nullptr, deadline);
}

IpcResult KicadIpcClient::AddToSelection(const std::vector<std::string>& ids, Deadline deadline,
                                         std::vector<std::string>* selected) {
    commands::AddToSelection command;
    auto* document = command.mutable_header()->mutable_document();
    document->set_type(types::DOCTYPE_PCB);
    document->set_board_filename(boardFileName_);
    for (const auto& id : ids) command.add_items()->set_value(id);
    commands::SelectionResponse reply;
    if (IpcResult result = Call(command, &reply, deadline); !result.ok()) return result;
    if (selected) {
        std::vector<KicadFootprint> footprints;
        CollectFootprints(reply.items(), footprints, nullptr);
        selected->clear();
        for (auto& footprint : footprints) selected->push_back(std::move(footprint.id));
    }
    return IpcResult::Success();
}

IpcResult KicadIpcClient::GetSelection(Deadline deadline, std::vector<KicadFootprint>& footprints,
                                       int* others) {
    commands::GetSelection command;
    auto* document = command.mutable_header()->mutable_document();
    document->set_type(types::DOCTYPE_PCB);
    document->set_board_filename(boardFileName_);
    commands::SelectionResponse reply;
    if (IpcResult result = Call(command, &reply, deadline); !result.ok()) return result;
    footprints.clear();
    if (others) *others = 0;
    CollectFootprints(reply.items(), footprints, others);
    return IpcResult::Success();
}

IpcResult KicadIpcClient::RunAction(const std::string& action, Deadline deadline) {
    commands::RunAction command;
    command.set_action(action);
    commands::RunActionResponse reply;
    if (IpcResult result = Call(command, &reply, deadline); !result.ok()) return result;
    if (reply.status() != commands::RAS_OK)
        return IpcResult::Failure(IpcResult::Kind::Refused,
                                  action + ": " + commands::RunActionStatus_Name(reply.status()));
    return IpcResult::Success();
}

IpcResult KicadIpcClient::GetOpenBoards(Deadline deadline, std::vector<KicadOpenBoard>& out) {
    commands::GetOpenDocuments command;
    command.set_type(types::DOCTYPE_PCB);
    commands::GetOpenDocumentsResponse reply;
    if (IpcResult result = Call(command, &reply, deadline); !result.ok()) return result;
    out.clear();
    for (const auto& document : reply.documents())
        if (document.type() == types::DOCTYPE_PCB && !document.board_filename().empty())
            out.push_back({document.board_filename(), document.project().path()});
    return IpcResult::Success();
}

IpcResult KicadIpcClient::GetVersion(Deadline deadline, std::string& version) {
    commands::GetVersionResponse reply;
    if (IpcResult result = Call(commands::GetVersion(), &reply, deadline); !result.ok())
        return result;
    version = reply.version().full_version();
    return IpcResult::Success();
}

IpcResult KicadIpcClient::SaveBoardToString(Deadline deadline, std::string& contents) {
    commands::SaveDocumentToString command;
    command.mutable_document()->set_type(types::DOCTYPE_PCB);
    command.mutable_document()->set_board_filename(boardFileName_);
    commands::SavedDocumentResponse reply;
    if (IpcResult result = Call(command, &reply, deadline); !result.ok()) return result;
    contents = std::move(*reply.mutable_contents());
    return IpcResult::Success();
}

std::vector<std::string> KicadIpcClient::CandidateUrls() {
    std::vector<std::string> urls;
    if (const char* socket = std::getenv("KICAD_API_SOCKET"); socket && *socket) {
        const std::string value = socket;
        urls.push_back(value.rfind("ipc://", 0) == 0 ? value : "ipc://" + value);
    }
    const char* tmp = std::getenv("TMPDIR");
    const std::filesystem::path dir = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / "kicad";
    std::error_code ec;
    if (std::filesystem::exists(dir / "api.sock", ec))
        urls.push_back("ipc://" + (dir / "api.sock").string());
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("api-", 0) == 0 && name.size() > 9 &&
            name.compare(name.size() - 5, 5, ".sock") == 0)
            urls.push_back("ipc://" + it->path().string());
    }
    return urls;
}

}  // namespace pcbhost::kicadlink
