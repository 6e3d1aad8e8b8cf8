// SPDX-License-Identifier: GPL-3.0-or-later
#include "PcbHostProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace dbxtest {

using Clock = std::chrono::steady_clock;

PrivateRuntimeDir::PrivateRuntimeDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "dbx32-test-XXXXXX").string();
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
    ::chmod(path_.c_str(), 0700);
    ::setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
}

PrivateRuntimeDir::~PrivateRuntimeDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    ::unsetenv("XDG_RUNTIME_DIR");
}

std::string PrivateRuntimeDir::WriteFile(const std::string& name,
                                         const std::string& content) const {
    const std::string path = path_ + "/" + name;
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary);
        out << content;
    }
    std::filesystem::rename(temp, path);  // replace, as editors do
    return path;
}

PcbHostProcess::PcbHostProcess(std::vector<std::string> args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    outFd_ = fds[0];
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + args[0]);
    }
}

PcbHostProcess::~PcbHostProcess() {
    if (pid_ > 0 && status_ < 0) {
        ::kill(pid_, SIGTERM);
        if (WaitForExit(std::chrono::seconds(5)) < 0) Kill();
    }
    if (outFd_ >= 0) ::close(outFd_);
}

bool PcbHostProcess::ReadSome(std::chrono::milliseconds timeout) {
    pollfd p{outFd_, POLLIN, 0};
    if (::poll(&p, 1, int(timeout.count())) <= 0) return false;
    char buffer[4096];
    const ssize_t n = ::read(outFd_, buffer, sizeof buffer);
    if (n <= 0) return false;
    output_.append(buffer, std::size_t(n));
    return true;
}

std::string PcbHostProcess::WaitForLine(const std::string& text,
                                        std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    for (;;) {
        // Look only at complete lines not returned before.
        for (std::size_t eol; (eol = output_.find('\n', consumed_)) != std::string::npos;) {
            std::string line = output_.substr(consumed_, eol - consumed_);
            consumed_ = eol + 1;
            if (line.find(text) != std::string::npos) return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) return "";
        if (!ReadSome(std::min(left, std::chrono::milliseconds(100))) && status_ < 0) {
            int status;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                while (ReadSome(std::chrono::milliseconds(0))) {
                }
            }
        }
        if (status_ >= 0 && output_.find('\n', consumed_) == std::string::npos) return "";
    }
}

int PcbHostProcess::WaitForExit(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (status_ < 0 && Clock::now() < end) {
        int status;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (!ReadSome(std::chrono::milliseconds(20)))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    while (status_ >= 0 && ReadSome(std::chrono::milliseconds(0))) {
    }
    return status_;
}

void PcbHostProcess::Signal(int signal) const {
    if (pid_ > 0 && status_ < 0) ::kill(pid_, signal);
}

void PcbHostProcess::Kill() {
    if (pid_ <= 0 || status_ >= 0) return;
    ::kill(pid_, SIGKILL);
    int status;
    ::waitpid(pid_, &status, 0);
    status_ = 128 + SIGKILL;
}

}  // namespace dbxtest
