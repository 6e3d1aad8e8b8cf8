// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for KiCad 9's IPC API server: NNG reply socket, the request envelope, GetVersion,
// GetOpenDocuments, GetItems of footprints, GetSelection, ClearSelection, AddToSelection,
// RunAction and SaveDocumentToString. It checks each request and answers as KiCad 9.0.8 did
// when recorded (tests/kicadlink/data/kicad9/): the same messages, statuses and error texts. It
// records each request, and can be told to misbehave.
#pragma once

#include <nng/nng.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kicadlinktest {

class FakeKicadIpcServer {
  public:
    enum class Behaviour {
        Answer,
        NotReady,         // AS_NOT_READY
        Busy,             // AS_BUSY
        Silent,           // takes the request and never answers
        Slow,             // answers after `slowDelay`
        Garbage,          // answers bytes that are no envelope
        WrongMessage,     // an envelope holding another message than asked for
        CloseMidRequest,  // takes the request and closes the socket
    };
    struct Footprint {
        std::string id;
        std::string reference;
    };
    struct Request {
        std::string clientName;
        std::string token;
        std::string typeUrl;
        std::string boardFileName;
        std::vector<int> types;        // GetItems
        std::vector<std::string> ids;  // AddToSelection
        std::string action;            // RunAction
    };

    FakeKicadIpcServer(std::string url, std::string token, std::vector<Footprint> footprints,
                       std::string boardFileName);
    ~FakeKicadIpcServer();

    bool Start();
    void Stop();

    void SetBehaviour(Behaviour behaviour, std::chrono::milliseconds slowDelay = {});
    // The text SaveDocumentToString answers; unset: AS_UNHANDLED, as a KiCad without it.
    void SetBoardText(std::optional<std::string> text);
    // Every request is answered with these bytes (e.g. a recorded reply) while set.
    void SetReplay(std::optional<std::string> bytes);
    // The footprints KiCad has on its board from now on (e.g. one deleted and re-created).
    void SetFootprints(std::vector<Footprint> footprints);
    // The folder GetOpenDocuments gives as the project's.
    void SetProjectPath(std::string path);

    std::vector<Request> Requests() const;
    std::vector<std::string> Selection() const;
    // Waits until the selection is `ids`; whether it came to that.
    bool WaitForSelection(const std::vector<std::string>& ids,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    // Waits until `count` requests have arrived.
    bool WaitForRequests(std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    const std::string& url() const { return url_; }

  private:
    void Run();
    // The reply to one request, or nothing to leave it unanswered.
    std::optional<std::string> Answer(const std::string& bytes, bool& closeNow);

    std::string url_;
    std::string token_;
    std::vector<Footprint> footprints_;  // under mutex_
    std::string boardFileName_;
    std::string projectPath_;  // under mutex_
    nng_socket socket_ = NNG_SOCKET_INITIALIZER;
    bool open_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Behaviour behaviour_ = Behaviour::Answer;
    std::chrono::milliseconds slowDelay_{0};
    std::optional<std::string> boardText_;
    std::optional<std::string> replay_;
    std::vector<Request> requests_;
    std::vector<std::string> selection_;
};

}  // namespace kicadlinktest
