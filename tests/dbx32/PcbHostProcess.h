// SPDX-License-Identifier: GPL-3.0-or-later
// Test helpers: a private runtime directory (XDG_RUNTIME_DIR) and a pcbhost child process whose
// output lines can be awaited with a bounded wait. The child is always ended on destruction.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace dbxtest {

// A fresh 0700 directory, exported as XDG_RUNTIME_DIR while it lives; removed afterwards.
class PrivateRuntimeDir {
  public:
    PrivateRuntimeDir();
    ~PrivateRuntimeDir();
    const std::string& path() const { return path_; }
    std::string dbxDir() const { return path_ + "/dbx"; }
    std::string socketPath() const { return dbxDir() + "/pcb.sock"; }
    // A file in the directory (outside dbx/), written with the given content.
    std::string WriteFile(const std::string& name, const std::string& content) const;

  private:
    std::string path_;
};

class PcbHostProcess {
  public:
    explicit PcbHostProcess(std::vector<std::string> args);
    ~PcbHostProcess();
    PcbHostProcess(const PcbHostProcess&) = delete;
    PcbHostProcess& operator=(const PcbHostProcess&) = delete;

    // Waits for a stdout line containing text; returns it, or "" after the timeout.
    std::string WaitForLine(const std::string& text,
                            std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Waits for the process to end; its exit status, or -1 after the timeout.
    int WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    void Signal(int signal) const;
    void Kill();
    // All output read so far (stdout and stderr are merged).
    const std::string& output() const { return output_; }

  private:
    bool ReadSome(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int status_ = -1;
    std::string output_;
    std::size_t consumed_ = 0;
};

}  // namespace dbxtest
