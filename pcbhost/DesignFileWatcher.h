// SPDX-License-Identifier: GPL-3.0-or-later
// Calls back when a file's content changes on disk. Watches the file and its directory, since
// editors often replace a file instead of writing it in place; bursts of changes are debounced.
// A slow poll of the file's status catches changes that send no notification (network mounts).
// A folder (an ODB++ job) is watched by the status of every entry in it.
#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

namespace pcbhost {

class DesignFileWatcher {
  public:
    static constexpr int kDebounceMs = 200;
    static constexpr int kDefaultPollMs = 2000;
    static constexpr int kMaxFolderEntries = 100000;

    // Takes the file's current content as the baseline at once, so construct the watcher before
    // the file is first read: a change made between the read and the watch is then still seen.
    // Changes are reported from the event loop, never from the constructor.
    explicit DesignFileWatcher(const QString& filePath, int pollMs = kDefaultPollMs,
                               bool useNotifications = true);

    void SetOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }

  private:
    void Check();
    void Poll();
    std::optional<size_t> ContentHash() const;
    QByteArray StatusStamp() const;

    QString filePath_;
    std::function<void()> onChanged_;
    QFileSystemWatcher watcher_;
    QTimer debounce_;
    QTimer poll_;
    std::optional<size_t> lastHash_;
    QByteArray lastStamp_;
};

}  // namespace pcbhost
