// Calls back when a file's content changes on disk. Watches the file and its directory, since
// editors often replace a file instead of writing it in place; bursts of changes are debounced.
#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QString>
#include <QTimer>
#include <functional>

namespace pcbhost {

class DesignFileWatcher {
  public:
    static constexpr int kDebounceMs = 200;

    DesignFileWatcher(const QString& filePath, std::function<void()> onChanged);

  private:
    void Check();
    QByteArray ContentHash() const;

    QString filePath_;
    std::function<void()> onChanged_;
    QFileSystemWatcher watcher_;
    QTimer debounce_;
    QByteArray lastHash_;
};

}  // namespace pcbhost
