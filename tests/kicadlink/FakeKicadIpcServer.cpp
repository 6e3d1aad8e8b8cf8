// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeKicadIpcServer.h"

#include <nng/protocol/reqrep0/rep.h>

#include <google/protobuf/empty.pb.h>

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

void FakeKicadIpcServer::SetReplay(std::optional<std::string> bytes) {
    std::lock_guard lock(mutex_);
    replay_ = std::move(bytes);
}

void FakeKicadIpcServer::SetFootprints(std::vector<Footprint> footprints) {
    std::lock_guard lock(mutex_);
    footprints_ = std::move(footprints);
    selection_.clear();
}

void FakeKicadIpcServer::SetProjectPath(std::string path) {
    std::lock_guard lock(mutex_);
    projectPath_ = std::move(path);
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
    std::optional<std::string> boardText, replay;
    std::vector<Footprint> footprints;
    std::string projectPath;
    {
        std::lock_guard lock(mutex_);
        behaviour = behaviour_;
        slowDelay = slowDelay_;
        boardText = boardText_;
        replay = replay_;
        footprints = footprints_;
        projectPath = projectPath_;
    }
    auto record = [&] {
        std::lock_guard lock(mutex_);
        requests_.push_back(seen);
        changed_.notify_all();
    };
    if (replay) {
        record();
        return replay;
    }

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

    // As KiCad: a client without a token is served (and told KiCad's); a different one is not.
    if (!seen.token.empty() && seen.token != token_) {
        record();
        return Status(api::AS_TOKEN_MISMATCH,
                      "the provided kicad_token did not match this KiCad instance's token", token_);
    }
    if (seen.clientName.empty()) {
        record();
        return Status(api::AS_BAD_REQUEST, "no client name", token_);
    }

    auto documentOk = [&](const types::DocumentSpecifier& document) {
        return document.type() == types::DOCTYPE_PCB && document.board_filename() == boardFileName_;
    };
    // KiCad 9 routes a request about another document to no handler at all.
    const std::string typeName = seen.typeUrl.substr(seen.typeUrl.rfind('/') + 1);
    const std::string unhandled = "no handler available for request of type " + typeName;
    auto instanceOf = [](const Footprint& footprint) {
        kiapi::board::types::FootprintInstance instance;
        instance.mutable_id()->set_value(footprint.id);
        instance.mutable_reference_field()->set_name("Reference");
        instance.mutable_reference_field()->mutable_text()->mutable_text()->set_text(
            footprint.reference);
        return instance;
    };
    // The selection as KiCad answers it: each selected footprint, whole.
    auto selectionReply = [&] {
        commands::SelectionResponse response;
        std::lock_guard lock(mutex_);
        for (const auto& id : selection_)
            for (const auto& footprint : footprints)
                if (footprint.id == id) response.add_items()->PackFrom(instanceOf(footprint));
        return Reply(response, token_);
    };

    commands::GetVersion version;
    commands::GetOpenDocuments openDocuments;
    commands::GetItems getItems;
    commands::GetSelection getSelection;
    commands::ClearSelection clear;
    commands::AddToSelection add;
    commands::RunAction runAction;
    commands::SaveDocumentToString save;
    if (request.message().UnpackTo(&version)) {
        record();
        commands::GetVersionResponse response;
        response.mutable_version()->set_major(9);
        response.mutable_version()->set_patch(8);
        response.mutable_version()->set_full_version("9.0.8+1");
        return Reply(response, token_);
    }
    if (request.message().UnpackTo(&openDocuments)) {
        record();
        commands::GetOpenDocumentsResponse response;
        if (openDocuments.type() == types::DOCTYPE_PCB) {
            auto* document = response.add_documents();
            document->set_type(types::DOCTYPE_PCB);
            document->set_board_filename(boardFileName_);
            const std::string name = boardFileName_.substr(0, boardFileName_.rfind('.'));
            document->mutable_project()->set_name(name);
            document->mutable_project()->set_path(projectPath);
        }
        return Reply(response, token_);
    }
    if (request.message().UnpackTo(&getItems)) {
        seen.boardFileName = getItems.header().document().board_filename();
        for (int type : getItems.types()) seen.types.push_back(type);
        record();
        if (!documentOk(getItems.header().document()))
            return Status(api::AS_UNHANDLED, unhandled, token_);
        if (seen.types != std::vector<int>{types::KOT_PCB_FOOTPRINT})
            return Status(api::AS_BAD_REQUEST, "only footprints are served here", token_);
        commands::GetItemsResponse response;
        *response.mutable_header() = getItems.header();
        response.set_status(types::IRS_OK);
        for (const auto& footprint : footprints)
            response.add_items()->PackFrom(instanceOf(footprint));
        return Reply(response, token_);
    }
    if (request.message().UnpackTo(&getSelection)) {
        seen.boardFileName = getSelection.header().document().board_filename();
        record();
        if (!documentOk(getSelection.header().document()))
            return Status(api::AS_UNHANDLED, unhandled, token_);
        return selectionReply();
    }
    if (request.message().UnpackTo(&clear)) {
        seen.boardFileName = clear.header().document().board_filename();
        record();
        if (!documentOk(clear.header().document()))
            return Status(api::AS_UNHANDLED, unhandled, token_);
        {
            std::lock_guard lock(mutex_);
            selection_.clear();
            changed_.notify_all();
        }
        return Reply(google::protobuf::Empty(), token_);
    }
    if (request.message().UnpackTo(&add)) {
        seen.boardFileName = add.header().document().board_filename();
        for (const auto& id : add.items()) seen.ids.push_back(id.value());
        record();
        if (!documentOk(add.header().document()))
            return Status(api::AS_UNHANDLED, unhandled, token_);
        {
            // An id KiCad does not have is passed over without a word, as KiCad 9 does.
            std::lock_guard lock(mutex_);
            for (const auto& id : seen.ids)
                if (std::any_of(footprints.begin(), footprints.end(),
                                [&](const Footprint& f) { return f.id == id; }) &&
                    std::find(selection_.begin(), selection_.end(), id) == selection_.end())
                    selection_.push_back(id);
            changed_.notify_all();
        }
        return selectionReply();
    }
    if (request.message().UnpackTo(&runAction)) {
        seen.action = runAction.action();
        record();
        commands::RunActionResponse response;
        const bool known = seen.action == "common.Control.centerSelection" ||
                           seen.action == "common.Control.zoomFitSelection";
        response.set_status(known ? commands::RAS_OK : commands::RAS_INVALID);
        return Reply(response, token_);
    }
    if (request.message().UnpackTo(&save)) {
        seen.boardFileName = save.document().board_filename();
        record();
        if (!boardText) return Status(api::AS_UNHANDLED, unhandled, token_);
        if (!documentOk(save.document()))
            return Status(api::AS_BAD_REQUEST,
                          "the requested document " + seen.boardFileName + " is not open", token_);
        commands::SavedDocumentResponse response;
        *response.mutable_document() = save.document();
        response.set_contents(*boardText);
        return Reply(response, token_);
    }
    record();
    return Status(api::AS_UNHANDLED, unhandled, token_);
}

}  // namespace kicadlinktest
