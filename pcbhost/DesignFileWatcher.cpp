// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesignFileWatcher.h"

#include <sys/stat.h>

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include "boardreaders/RegularFile.h"

namespace pcbhost {

DesignFileWatcher::DesignFileWatcher(const QString& filePath, int pollMs, bool useNotifications)
    : filePath_(QFileInfo(filePath).absoluteFilePath()) {
    lastStamp_ = StatusStamp();
    lastHash_ = ContentHash();
    if (useNotifications) {
        watcher_.addPath(filePath_);
        watcher_.addPath(QFileInfo(filePath_).absolutePath());
    }
    debounce_.setSingleShot(true);
    debounce_.setInterval(kDebounceMs);
    QObject::connect(&debounce_, &QTimer::timeout, [this] { Check(); });
    auto kick = [this] { debounce_.start(); };
    QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, kick);
    QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, kick);
    poll_.setInterval(pollMs);
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start();
}

// A fast, process-seeded hash of the whole file, fed in full chunks so that equal content
// always hashes alike; a cryptographic hash took 40 times as long on a 50 MB board. A file that
// is not a regular one of bounded size is never read: it hashes as its status and the reason, so
// that the reload that follows reports it.
std::optional<size_t> DesignFileWatcher::ContentHash() const {
    // A board held as a directory (an ODB++ job) changes when any file in it does: its files'
    // stamps stand for their content.
    if (QFileInfo(filePath_).isDir()) return qHash(StatusStamp());
    boards::RegularFile file;
    std::string reason;
    if (!file.Open(QFile::encodeName(filePath_).toStdString(), &reason)) {
        if (!QFileInfo::exists(filePath_)) return std::nullopt;
        return qHash(StatusStamp() + QByteArray::fromStdString(reason));
    }
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    size_t hash = 0;
    for (;;) {
        const long filled = file.Fill(chunk.data(), size_t(chunk.size()), &reason);
        if (filled < 0) return qHash(StatusStamp() + QByteArray::fromStdString(reason));
        hash = qHashBits(chunk.constData(), size_t(filled), hash);
        if (filled < chunk.size()) return hash;
    }
}

namespace {

QByteArray Stamp(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return {};
    return QByteArray::number(qulonglong(st.st_ino)) + ' ' +
           QByteArray::number(qlonglong(st.st_size)) + ' ' +
           QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
}

}  // namespace

// Inode, size and modification time: cheap enough to read on every poll. For a directory, its
// own and every file's below it (in a stable order, links not followed), up to a bound.
QByteArray DesignFileWatcher::StatusStamp() const {
    const QByteArray path = QFile::encodeName(filePath_);
    QByteArray stamp = Stamp(path);
    if (stamp.isEmpty() || !QFileInfo(filePath_).isDir()) return stamp;
    QStringList entries;
    QDirIterator it(filePath_,
                    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext() && entries.size() < kMaxDirectoryEntries) entries << it.next();
    entries.sort();
    for (const QString& entry : entries)
        stamp += '\n' + QFile::encodeName(entry) + ' ' + Stamp(QFile::encodeName(entry));
    return stamp;
}

void DesignFileWatcher::Poll() {
    if (StatusStamp() != lastStamp_ && !debounce_.isActive()) debounce_.start();
}

void DesignFileWatcher::Check() {
    // A replaced file drops out of the watch list; watch the new one.
    const bool watching = !watcher_.directories().isEmpty();
    if (watching && QFileInfo::exists(filePath_) && !watcher_.files().contains(filePath_))
        watcher_.addPath(filePath_);
    lastStamp_ = StatusStamp();
    const std::optional<size_t> hash = ContentHash();
    if (!hash || hash == lastHash_) return;
    lastHash_ = hash;
    if (onChanged_) onChanged_();
}

}  // namespace pcbhost
