// SPDX-License-Identifier: GPL-3.0-or-later
#include "KicadLink.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "KicadIpcClient.h"
#include "boardreaders/ReadError.h"
#include "boardreaders/kicad/KicadBoardReader.h"

namespace pcbhost::kicadlink {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string TokenFromEnvironment() {
    const char* token = std::getenv("KICAD_API_TOKEN");
    return token ? token : "";
}

milliseconds Until(Clock::time_point end) {
    return std::max(milliseconds(1), std::chrono::duration_cast<milliseconds>(end - Clock::now()));
}

std::string ApiSocketFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return (std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / "kicad").string();
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
    if (onLiveBoard_) liveBoardThread_ = std::thread([this] { RunLiveBoard(); });
}

void KicadLink::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (liveBoardThread_.joinable()) liveBoardThread_.join();
}

void KicadLink::Highlight(const std::string& refDes) {
    {
        std::lock_guard lock(mutex_);
        pending_ = refDes;
    }
    wake_.notify_all();
}

bool KicadLink::FetchLiveBoard(milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (stop_ || !liveBoardThread_.joinable()) return false;
    // The fetch that answers this call is one that starts after it.
    const uint64_t answeredBy = liveBoardFetches_ + (liveBoardFetching_ ? 2 : 1);
    liveBoardAsked_ = true;
    wake_.notify_all();
    return wake_.wait_for(lock, wait, [&] { return stop_ || liveBoardFetches_ >= answeredBy; }) &&
           !stop_;
}

void KicadLink::Run() {
    Link();
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_.wait(lock, [&] { return stop_ || pending_.has_value(); });
        if (stop_) break;
        const std::string refDes = std::move(*pending_);
        pending_.reset();
        lock.unlock();
        Send(refDes);
        lock.lock();
    }
}

void KicadLink::RunLiveBoard() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_.wait(lock, [&] { return stop_ || liveBoardAsked_; });
        if (stop_) break;
        liveBoardAsked_ = false;
        liveBoardFetching_ = true;
        const std::string url = linkedUrl_, token = linkedToken_;
        const bool wanted = liveBoardWanted_;
        lock.unlock();
        if (wanted && !url.empty()) UpdateLiveBoard(url, token);
        lock.lock();
        liveBoardFetching_ = false;
        ++liveBoardFetches_;
        wake_.notify_all();
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
        std::unique_ptr<KicadIpcClient> client;
        IpcResult result;
        for (int attempt = 0; attempt < 2; ++attempt) {
            // A token KiCad refused belongs to a KiCad that is gone: the new one's is learnt.
            client = std::make_unique<KicadIpcClient>(
                options_.clientName, tokenRefused_ ? std::string() : *options_.token,
                boardFileName_);
            std::string error;
            if (!client->Connect(url, &error)) {
                result = IpcResult::Failure(IpcResult::Kind::Closed, error);
                break;  // a socket left by a KiCad that is gone
            }
            std::string version;
            result = client->GetVersion(options_.deadline, version);
            if (result.kind != IpcResult::Kind::TokenRefused || tokenRefused_) break;
            tokenRefused_ = true;
        }

        // An envelope that comes back is KiCad answering, even when it cannot act just now.
        const bool answered = result.ok() || result.kind == IpcResult::Kind::NotReady ||
                              result.kind == IpcResult::Kind::Busy ||
                              result.kind == IpcResult::Kind::Refused;
        if (!answered) {
            // A socket nothing listens on any more is a KiCad that is gone, not a failure.
            if (!client->url().empty() || result.kind != IpcResult::Kind::Closed)
                failure = "kicad: KiCad IPC at " + url + ": " + result.Describe();
            continue;
        }
        ipc_ = std::move(client);
        via_ = Via::Ipc;
        {
            std::lock_guard lock(mutex_);
            linkedUrl_ = url;
            linkedToken_ = ipc_->token();
        }
        Report("linked to KiCad IPC at " + url);
        if (!result.ok()) Report(IpcPrefix() + result.Describe());
        // The footprints' ids, before the first highlight needs them.
        if (IpcResult lookup = LookUpFootprints(options_.longDeadline); !lookup.ok())
            Report(IpcPrefix() + lookup.Describe());
        return true;
    }
    std::string error;
    if (crossProbe_.Probe(options_.deadline, &error)) {
        via_ = Via::CrossProbe;
        Report("linked to KiCad cross-probe on " + crossProbe_.Address());
        if (failure.empty()) SayNoApiSocket();
        return true;
    }
    Report(failure.empty() ? "kicad: not running" : failure);
    return false;
}

// A KiCad answers on its cross-probe port, but has no API socket: KiCad 6 selects through that
// port; KiCad 7 and later ignore it and take selections only through their API.
void KicadLink::SayNoApiSocket() {
    Report("kicad: no KiCad API socket in " + ApiSocketFolder() +
           ": KiCad 7 and later select only through their API: switch on Preferences > "
           "Plugins > Enable KiCad API, then restart KiCad (KiCad 6 selects through " +
           crossProbe_.Address() + ")");
}

void KicadLink::Unlink() {
    via_ = Via::None;
    ipc_.reset();
    idsByReference_.clear();
    std::lock_guard lock(mutex_);
    linkedUrl_.clear();
    linkedToken_.clear();
}

void KicadLink::Send(const std::string& refDes) {
    const auto end = Clock::now() + options_.deadline;
    // A KiCad whose API came on since the link was made is preferred to its cross-probe port.
    if (via_ == Via::CrossProbe && !options_.ipcUrls && !KicadIpcClient::CandidateUrls().empty())
        Link();
    if (via_ == Via::None && !Link()) {
        Say("kicad: highlight " + refDes + " not sent: KiCad is not linked");
        return;
    }
    if (via_ == Via::CrossProbe) {
        std::string error;
        if (crossProbe_.SelectPart(refDes, options_.deadline, &error)) return;
        Report("kicad: cross-probe on " + crossProbe_.Address() + ": " + error);
        Unlink();
        return;
    }
    IpcResult result = SendOverIpc(refDes, end);
    // A KiCad that went away, or was restarted under a new token, is linked afresh and asked
    // once more while the highlight's time lasts.
    if (result.kind == IpcResult::Kind::Closed || result.kind == IpcResult::Kind::TokenRefused) {
        if (result.kind == IpcResult::Kind::TokenRefused) tokenRefused_ = true;
        if (Link() && via_ == Via::Ipc && Clock::now() < end)
            result = SendOverIpc(refDes, end);
        else if (via_ == Via::CrossProbe)
            return Send(refDes);
    }
    const std::string where = ipc_ ? "KiCad IPC at " + ipc_->url() + ": " : std::string();
    const std::string within = "within " + std::to_string(options_.deadline.count()) + " ms";
    if (result.ok()) {
        // Landed. Bringing it into view has a deadline of its own: KiCad redraws the board for
        // it, which takes a large board a while where drawing is slow.
        if (options_.viewAction.empty()) return;
        IpcResult view = ipc_->RunAction(options_.viewAction, options_.deadline);
        if (view.ok()) return;
        if (view.kind == IpcResult::Kind::NoAnswer) view.detail = within;
        Say("kicad: highlight " + refDes + " selected, not brought into view: " + where +
            view.Describe());
        return;
    }
    if (result.kind == IpcResult::Kind::NoAnswer) result.detail = within;
    // Unanswered, it may still land once KiCad gets to it; anything else did not.
    Say("kicad: highlight " + refDes +
        (result.kind == IpcResult::Kind::NoAnswer ? " not confirmed: " : " did not land: ") +
        where + result.Describe());
    // A KiCad that is not speaking the protocol is looked for afresh next time; one that is busy
    // or refused this request stays linked.
    if (result.kind == IpcResult::Kind::Garbled || result.kind == IpcResult::Kind::Closed) Unlink();
}

IpcResult KicadLink::LookUpFootprints(milliseconds deadline) {
    std::vector<KicadFootprint> footprints;
    IpcResult result = ipc_->GetFootprints(deadline, footprints);
    if (result.kind == IpcResult::Kind::Refused) {
        // Say which board KiCad has open instead, when it has one.
        std::vector<KicadOpenBoard> open;
        if (ipc_->GetOpenBoards(options_.deadline, open).ok() && !open.empty())
            result.detail += "; it has " + open.front().fileName + " open";
    }
    if (!result.ok()) return result;
    idsByReference_.clear();
    for (const auto& footprint : footprints)
        idsByReference_[footprint.reference].push_back(footprint.id);
    return result;
}

// Selects exactly the footprints of `refDes`, checks from KiCad's answer that they are what is
// selected, and brings them into view.
IpcResult KicadLink::SendOverIpc(const std::string& refDes, Clock::time_point end) {
    bool lookedUp = false;
    for (;;) {
        auto found = idsByReference_.find(refDes);
        if (found == idsByReference_.end() && !lookedUp) {
            // Footprints added or renamed since the last look: ask again.
            if (IpcResult result = LookUpFootprints(std::max(Until(end), options_.deadline));
                !result.ok())
                return result;
            lookedUp = true;
            continue;
        }
        if (found == idsByReference_.end())
            return IpcResult::Failure(
                IpcResult::Kind::NotFound,
                "no footprint " + refDes + " on KiCad's board " + ipc_->boardFileName());
        std::vector<std::string> wanted = found->second;
        if (IpcResult result = ipc_->ClearSelection(Until(end)); !result.ok()) return result;
        std::vector<std::string> selected;
        if (IpcResult result = ipc_->AddToSelection(wanted, Until(end), &selected); !result.ok())
            return result;
        std::sort(wanted.begin(), wanted.end());
        std::sort(selected.begin(), selected.end());
        if (selected != wanted) {
            // Ids from before KiCad reloaded or re-created the footprint: look them up again.
            if (!lookedUp) {
                idsByReference_.clear();
                continue;
            }
            return IpcResult::Failure(IpcResult::Kind::NotDone,
                                      "KiCad selected " + std::to_string(selected.size()) +
                                          " footprint(s), not the " +
                                          std::to_string(wanted.size()) + " of " + refDes);
        }
        break;
    }
    return IpcResult::Success();
}

void KicadLink::UpdateLiveBoard(const std::string& url, const std::string& token) {
    if (liveBoardFetched_ && Clock::now() - *liveBoardFetched_ < options_.liveBoardFreshness)
        return;
    if (!liveBoardClient_ || liveBoardClient_->url() != url || liveBoardClient_->token() != token) {
        liveBoardClient_ =
            std::make_unique<KicadIpcClient>(options_.clientName, token, boardFileName_);
        std::string error;
        if (!liveBoardClient_->Connect(url, &error)) {
            liveBoardClient_.reset();
            return;
        }
    }
    std::string text;
    IpcResult result = liveBoardClient_->SaveBoardToString(options_.longDeadline, text);
    if (result.kind == IpcResult::Kind::TokenRefused) {
        // KiCad restarted before the link thread noticed: learn the new KiCad's token.
        liveBoardClient_ =
            std::make_unique<KicadIpcClient>(options_.clientName, "", boardFileName_);
        std::string error;
        if (liveBoardClient_->Connect(url, &error))
            result = liveBoardClient_->SaveBoardToString(options_.longDeadline, text);
    }
    liveBoardFetched_ = Clock::now();
    if (!result.ok() || text.empty()) {
        if (!liveBoardRefusalSaid_)
            Report("kicad: live board not available (" +
                   (result.ok() ? std::string("empty board text") : result.Describe()) +
                   "); following the saved file");
        liveBoardRefusalSaid_ = true;
        liveBoardFetched_.reset();
        if (result.kind == IpcResult::Kind::Closed) {
            liveBoardClient_.reset();
        } else if (!result.transient() && result.kind != IpcResult::Kind::TokenRefused) {
            // A KiCad that cannot do it is not asked again; one that is busy is.
            std::lock_guard lock(mutex_);
            liveBoardWanted_ = false;
        }
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
    {
        std::lock_guard lock(reportMutex_);
        if (line == lastReport_) return;
    }
    Say(line);
}

void KicadLink::Say(const std::string& line) {
    std::lock_guard lock(reportMutex_);
    lastReport_ = line;
    if (onStatus_) onStatus_(line);
}

}  // namespace pcbhost::kicadlink
