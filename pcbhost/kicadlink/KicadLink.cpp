// SPDX-License-Identifier: GPL-3.0-or-later
#include "KicadLink.h"

#include <cstdlib>
#include <filesystem>

#include "KicadIpcClient.h"
#include "boardreaders/ReadError.h"
#include "boardreaders/kicad/KicadBoardReader.h"

namespace pcbhost::kicadlink {

namespace {

std::string TokenFromEnvironment() {
    const char* token = std::getenv("KICAD_API_TOKEN");
    return token ? token : "";
}

}  // namespace

KicadLink::KicadLink(Options options, StatusHandler onStatus, LiveBoardHandler onLiveBoard)
    : options_(std::move(options)),
      onStatus_(std::move(onStatus)),
      onLiveBoard_(std::move(onLiveBoard)),
      boardFileName_(std::filesystem::path(options_.boardPath).filename().string()),
      crossProbe_(options_.crossProbePort) {
    if (!options_.token) options_.token = TokenFromEnvironment();
}

KicadLink::~KicadLink() {
    Stop();
}

void KicadLink::Start() {
    if (thread_.joinable()) return;
    thread_ = std::thread([this] { Run(); });
}

void KicadLink::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void KicadLink::Highlight(const std::string& refDes) {
    {
        std::lock_guard lock(mutex_);
        pending_ = refDes;
    }
    wake_.notify_all();
}

void KicadLink::Run() {
    using Clock = std::chrono::steady_clock;
    Link();
    auto nextPoll = Clock::now();
    std::unique_lock lock(mutex_);
    while (!stop_) {
        const bool polling = via_ == Via::Ipc && liveBoardWanted_ && onLiveBoard_;
        if (!pending_ && polling && Clock::now() >= nextPoll) {
            lock.unlock();
            PollLiveBoard();
            lock.lock();
            nextPoll = Clock::now() + options_.liveBoardInterval;
            continue;
        }
        if (!pending_) {
            if (polling)
                wake_.wait_until(lock, nextPoll, [&] { return stop_ || pending_.has_value(); });
            else
                wake_.wait(lock, [&] { return stop_ || pending_.has_value(); });
        }
        if (stop_) break;
        if (!pending_) continue;
        const std::string refDes = std::move(*pending_);
        pending_.reset();
        lock.unlock();
        Send(refDes);
        lock.lock();
    }
}

std::string KicadLink::IpcPrefix() const {
    return "kicad: KiCad IPC at " + ipc_->url() + ": ";
}

// Tries the IPC sockets, then the cross-probe port. Says which answered, or why none did.
bool KicadLink::Link() {
    Unlink();
    std::string failure;
    const auto urls = options_.ipcUrls ? *options_.ipcUrls : KicadIpcClient::CandidateUrls();
    for (const auto& url : urls) {
        auto client =
            std::make_unique<KicadIpcClient>(options_.clientName, *options_.token, boardFileName_);
        std::string error;
        if (!client->Connect(url, &error)) continue;  // a socket left by a KiCad that is gone
        std::vector<KicadFootprint> footprints;
        const IpcResult result = client->GetFootprints(options_.deadline, footprints);
        // An envelope that comes back is KiCad answering, even when it cannot act just now.
        const bool answered = result.ok() || result.kind == IpcResult::Kind::NotReady ||
                              result.kind == IpcResult::Kind::Busy ||
                              result.kind == IpcResult::Kind::Refused;
        if (!answered) {
            failure = "kicad: KiCad IPC at " + url + ": " + result.Describe();
            continue;
        }
        ipc_ = std::move(client);
        via_ = Via::Ipc;
        for (const auto& footprint : footprints)
            idsByReference_[footprint.reference].push_back(footprint.id);
        Report("linked to KiCad IPC at " + url);
        if (!result.ok()) Report(IpcPrefix() + result.Describe());
        return true;
    }
    std::string error;
    if (crossProbe_.Probe(options_.deadline, &error)) {
        via_ = Via::CrossProbe;
        Report("linked to KiCad cross-probe on " + crossProbe_.Address());
        return true;
    }
    Report(failure.empty() ? "kicad: not running" : failure);
    return false;
}

void KicadLink::Unlink() {
    via_ = Via::None;
    ipc_.reset();
    idsByReference_.clear();
}

void KicadLink::Send(const std::string& refDes) {
    if (via_ == Via::None && !Link()) return;
    if (via_ == Via::CrossProbe) {
        std::string error;
        if (crossProbe_.SelectPart(refDes, options_.deadline, &error)) return;
        Report("kicad: cross-probe on " + crossProbe_.Address() + ": " + error);
        Unlink();
        return;
    }
    const IpcResult result = SendOverIpc(refDes);
    if (result.ok()) return;
    Report(IpcPrefix() + result.Describe());
    // A KiCad that went away, or that is not speaking the protocol, is looked for afresh next
    // time; one that is busy or refused this request stays linked.
    if (!result.transient() && result.kind != IpcResult::Kind::Refused) Unlink();
}

IpcResult KicadLink::SendOverIpc(const std::string& refDes) {
    const auto started = std::chrono::steady_clock::now();
    auto remaining = [&] {
        return options_.deadline - std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - started);
    };
    auto found = idsByReference_.find(refDes);
    if (found == idsByReference_.end()) {
        // Footprints added since the last look: ask again.
        std::vector<KicadFootprint> footprints;
        if (IpcResult result = ipc_->GetFootprints(remaining(), footprints); !result.ok())
            return result;
        idsByReference_.clear();
        for (const auto& footprint : footprints)
            idsByReference_[footprint.reference].push_back(footprint.id);
        found = idsByReference_.find(refDes);
        if (found == idsByReference_.end()) return IpcResult::Success();  // not on KiCad's board
    }
    if (IpcResult result = ipc_->ClearSelection(remaining()); !result.ok()) return result;
    return ipc_->AddToSelection(found->second, remaining());
}

void KicadLink::PollLiveBoard() {
    std::string text;
    const IpcResult result = ipc_->SaveBoardToString(options_.deadline, text);
    if (!result.ok() || text.empty()) {
        if (!liveBoardRefusalSaid_)
            Report("kicad: live board not available (" +
                   (result.ok() ? std::string("empty board text") : result.Describe()) +
                   "); following the saved file");
        liveBoardRefusalSaid_ = true;
        // A KiCad that cannot do it is not asked again; one that is busy is.
        if (!result.transient()) liveBoardWanted_ = false;
        return;
    }
    if (text == liveBoardText_) return;
    auto design = std::make_shared<Design>();
    ReadError error;
    if (!ParseKicadBoard(text, options_.boardPath + " (live from KiCad)", *design, error)) {
        Report("kicad: live board does not read: " + error.ToString());
        return;
    }
    liveBoardText_ = std::move(text);
    liveBoardRefusalSaid_ = false;
    onLiveBoard_(std::move(design));
}

void KicadLink::Report(const std::string& line) {
    if (line == lastReport_) return;
    lastReport_ = line;
    if (onStatus_) onStatus_(line);
}

}  // namespace pcbhost::kicadlink
