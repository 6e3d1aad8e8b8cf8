// SPDX-License-Identifier: GPL-3.0-or-later
#include "SignalShutdown.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace pcbhost {
namespace {

int signalPipe[2] = {-1, -1};
volatile sig_atomic_t pendingSignal = 0;
char socketPath[108] = {};  // sun_path's size: longer paths are never served

void OnSignal(int signal) {
    const int savedErrno = errno;  // may land on the serving thread between a call and its test
    if (!pendingSignal) {
        pendingSignal = signal;
        ::alarm(SignalShutdown::kGraceSeconds);
    }
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

// The event loop did not end in time: do what its end would have done, from here.
void OnGraceOver(int) {
    if (socketPath[0]) ::unlink(socketPath);
    ::_exit(128 + pendingSignal);
}

void Handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

}  // namespace

void SignalShutdown::Install(QCoreApplication& app) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    Handle(SIGALRM, OnGraceOver);
    Handle(SIGINT, OnSignal);
    Handle(SIGTERM, OnSignal);
    Handle(SIGPIPE, SIG_IGN);
}

void SignalShutdown::SetSocketPath(const std::string& path) {
    if (path.size() >= sizeof socketPath) return;
    std::memcpy(socketPath, path.c_str(), path.size() + 1);
}

}  // namespace pcbhost
