#include "DesignFileWatcher.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace pcbhost {

DesignFileWatcher::DesignFileWatcher(const QString& filePath, std::function<void()> onChanged)
    : filePath_(QFileInfo(filePath).absoluteFilePath()), onChanged_(std::move(onChanged)) {
    lastHash_ = ContentHash();
    watcher_.addPath(filePath_);
    watcher_.addPath(QFileInfo(filePath_).absolutePath());
    debounce_.setSingleShot(true);
    debounce_.setInterval(kDebounceMs);
    QObject::connect(&debounce_, &QTimer::timeout, [this] { Check(); });
    auto kick = [this] { debounce_.start(); };
    QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, kick);
    QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, kick);
}

QByteArray DesignFileWatcher::ContentHash() const {
    QFile file(filePath_);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

void DesignFileWatcher::Check() {
    // A replaced file drops out of the watch list; watch the new one.
    if (QFileInfo::exists(filePath_) && !watcher_.files().contains(filePath_))
        watcher_.addPath(filePath_);
    const QByteArray hash = ContentHash();
    if (hash.isEmpty() || hash == lastHash_) return;
    lastHash_ = hash;
    onChanged_();
}

}  // namespace pcbhost
