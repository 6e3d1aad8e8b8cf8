// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeKicadIpcServer.h"

#include <nng/protocol/reqrep0/rep.h>

#include <algorithm>

#include "proto/board.pb.h"
#include "proto/commands.pb.h"
#include "proto/envelope.pb.h"

namespace kicadlinktest {

namespace {

namespace api = kiapi::common;
namespace commands = kiapi::common::commands;
namespace types = kiapi::common::types;

std::string Status(api::ApiStatusCode code, const std::string& message, const std::string& token) {
    api::ApiResponse response;
    response.mutable_header()->set_kicad_token(token);
    response.mutable_status()->set_status(code);
    response.mutable_status()->set_error_message(message);
    return response.SerializeAsString();
}

std::string Reply(const google::protobuf::Message& message, const std::string& token) {
    api::ApiResponse response;
    response.mutable_header()->set_kicad_token(token);
    response.mutable_status()->set_status(api::AS_OK);
    response.mutable_message()->PackFrom(message);
    return response.SerializeAsString();
}

}  // namespace

FakeKicadIpcServer::FakeKicadIpcServer(std::string url, std::string token,
                                       std::vector<Footprint> footprints, std::string boardFileName)
    : url_(std::move(url)),
      token_(std::move(token)),
      footprints_(std::move(footprints)),
      boardFileName_(std::move(boardFileName)) {}

FakeKicadIpcServer::~FakeKicadIpcServer() {
    Stop();
}

bool FakeKicadIpcServer::Start() {
    if (nng_rep0_open(&socket_) != 0) return false;
    open_ = true;
    nng_socket_set_ms(socket_, NNG_OPT_RECVTIMEO, 20);
    if (nng_listen(socket_, url_.c_str(), nullptr, 0) != 0) return false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void FakeKicadIpcServer::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (open_) nng_close(socket_);
    open_ = false;
}

void FakeKicadIpcServer::SetBehaviour(Behaviour behaviour, std::chrono::milliseconds slowDelay) {
    std::lock_guard lock(mutex_);
    behaviour_ = behaviour;
    slowDelay_ = slowDelay;
}

void FakeKicadIpcServer::SetBoardText(std::optional<std::string> text) {
    std::lock_guard lock(mutex_);
    boardText_ = std::move(text);
}

std::vector<FakeKicadIpcServer::Request> FakeKicadIpcServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> FakeKicadIpcServer::Selection() const {
    std::lock_guard lock(mutex_);
    return selection_;
}

bool FakeKicadIpcServer::WaitForSelection(const std::vector<std::string>& ids,
                                          std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return selection_ == ids; });
}

bool FakeKicadIpcServer::WaitForRequests(std::size_t count,
                                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

void FakeKicadIpcServer::Run() {
    while (!stop_) {
        char* buffer = nullptr;
        std::size_t size = 0;
        if (nng_recv(socket_, &buffer, &size, NNG_FLAG_ALLOC) != 0) continue;
        const std::string bytes(buffer, size);
        nng_free(buffer, size);
        bool closeNow = false;
        const std::optional<std::string> reply = Answer(bytes, closeNow);
        if (closeNow) {
            nng_close(socket_);
            open_ = false;
            return;
        }
        if (reply) nng_send(socket_, const_cast<char*>(reply->data()), reply->size(), 0);
    }
}

std::optional<std::string> FakeKicadIpcServer::Answer(const std::string& bytes, bool& closeNow) {
    api::ApiRequest request;
    if (!request.ParseFromString(bytes))
        return Status(api::AS_BAD_REQUEST, "not a request envelope", token_);

    Request seen;
    seen.clientName = request.header().client_name();
    seen.token = request.header().kicad_token();
    seen.typeUrl = request.message().type_url();

    Behaviour behaviour;
    std::chrono::milliseconds slowDelay;
    std::optional<std::string> boardText;
    {
        std::lock_guard lock(mutex_);
        behaviour = behaviour_;
        slowDelay = slowDelay_;
        boardText = boardText_;
    }
    auto record = [&] {
        std::lock_guard lock(mutex_);
        requests_.push_back(seen);
        changed_.notify_all();
    };

    switch (behaviour) {
        case Behaviour::Silent:
            record();
            return std::nullopt;
        case Behaviour::CloseMidRequest:
            record();
            closeNow = true;
            return std::nullopt;
        case Behaviour::Garbage:
            record();
            return std::string("\xff\xff\xff not an envelope");
        case Behaviour::NotReady:
            record();
            return Status(api::AS_NOT_READY, "KiCad is not ready to reply", token_);
        case Behaviour::Busy:
            record();
            return Status(api::AS_BUSY, "KiCad is busy and cannot respond", token_);
        case Behaviour::Slow:
            std::this_thread::sleep_for(slowDelay);
            break;
        case Behaviour::WrongMessage: {
            record();
            commands::SavedDocumentResponse other;
            return Reply(other, token_);
        }
        case Behaviour::Answer:
            break;
    }

    // As KiCad: a client without a token is given ours; a different one is refused.
    if (!seen.token.empty() && seen.token != token_) {
        record();
        return Status(api::AS_TOKEN_MISMATCH, "the given token did not match", token_);
    }
    if (seen.clientName.empty()) {
        record();
        return Status(api::AS_BAD_REQUEST, "no client name", token_);
    }

    auto documentOk = [&](const types::DocumentSpecifier& document) {
        return document.type() == types::DOCTYPE_PCB && document.board_filename() == boardFileName_;
    };

    commands::GetItems getItems;
    commands::ClearSelection clear;
    commands::AddToSelection add;
    commands::SaveDocumentToString save;
    if (request.message().UnpackTo(&getItems)) {
        seen.boardFileName = getItems.header().document().board_filename();
        for (int type : getItems.types()) seen.types.push_back(type);
        record();
        commands::GetItemsResponse response;
        if (!documentOk(getItems.header().document())) {
            response.set_status(types::IRS_DOCUMENT_NOT_FOUND);
            return Reply(response, token_);
        }
        if (seen.types != std::vector<int>{types::KOT_PCB_FOOTPRINT})
            return Status(api::AS_BAD_REQUEST, "only footprints are served here", token_);
        response.set_status(types::IRS_OK);
        for (const auto& footprint : footprints_) {
            kiapi::board::types::FootprintInstance instance;
            instance.mutable_id()->set_value(footprint.id);
            instance.mutable_reference_field()->set_name("Reference");
            instance.mutable_reference_field()->mutable_text()->mutable_text()->set_text(
                footprint.reference);
            response.add_items()->PackFrom(instance);
        }
        return Reply(response, token_);
    }
    if (request.message().UnpackTo(&clear)) {
        seen.boardFileName = clear.header().document().board_filename();
        record();
        if (!documentOk(clear.header().document()))
            return Status(api::AS_BAD_REQUEST, "no such document", token_);
        std::lock_guard lock(mutex_);
        selection_.clear();
        changed_.notify_all();
        return Reply(commands::SelectionResponse(), token_);
    }
    if (request.message().UnpackTo(&add)) {
        seen.boardFileName = add.header().document().board_filename();
        for (const auto& id : add.items()) seen.ids.push_back(id.value());
        record();
        if (!documentOk(add.header().document()))
            return Status(api::AS_BAD_REQUEST, "no such document", token_);
        for (const auto& id : seen.ids)
            if (std::none_of(footprints_.begin(), footprints_.end(),
                             [&](const Footprint& f) { return f.id == id; }))
                return Status(api::AS_BAD_REQUEST, "no item " + id, token_);
        std::lock_guard lock(mutex_);
        selection_.insert(selection_.end(), seen.ids.begin(), seen.ids.end());
        changed_.notify_all();
        return Reply(commands::SelectionResponse(), token_);
    }
    if (request.message().UnpackTo(&save)) {
        seen.boardFileName = save.document().board_filename();
        record();
        if (!boardText) return Status(api::AS_UNHANDLED, "no handler for that request", token_);
        if (!documentOk(save.document()))
            return Status(api::AS_BAD_REQUEST, "no such document", token_);
        commands::SavedDocumentResponse response;
        *response.mutable_document() = save.document();
        response.set_contents(*boardText);
        return Reply(response, token_);
    }
    record();
    return Status(api::AS_UNHANDLED, "no handler for " + seen.typeUrl, token_);
}

}  // namespace kicadlinktest
