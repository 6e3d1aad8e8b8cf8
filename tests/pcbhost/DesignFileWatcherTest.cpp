// SPDX-License-Identifier: GPL-3.0-or-later
// DesignFileWatcher: changes are reported once per new content, also when they happen before the
// event loop first runs, when the file is replaced, and when only the poll can see them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "DesignFileWatcher.h"

namespace pcbhost {
namespace {

class DesignFileWatcherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("board.json");
        WriteInPlace("first");
    }

    void WriteInPlace(const QByteArray& content) {
        QFile file(path_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    void Replace(const QByteArray& content) {
        const QString temp = path_ + ".tmp";
        QFile file(temp);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        ASSERT_EQ(::rename(QFile::encodeName(temp), QFile::encodeName(path_)), 0);
    }

    // Runs the event loop until `count` changes were reported, or for `ms` at most.
    int RunUntil(int count, int ms) {
        QDeadlineTimer deadline(ms);
        while (changes_ < count && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return changes_;
    }
    void Count(DesignFileWatcher& watcher) {
        watcher.SetOnChanged([this] { ++changes_; });
    }

    QTemporaryDir dir_;
    QString path_;
    int changes_ = 0;
};

TEST_F(DesignFileWatcherTest, AChangeBeforeTheEventLoopRunsIsReportedOnce) {
    DesignFileWatcher watcher(path_);
    Count(watcher);
    Replace("second");  // as a file saved while the design was first read
    EXPECT_EQ(RunUntil(1, 5000), 1);
    EXPECT_EQ(RunUntil(2, 3 * DesignFileWatcher::kDebounceMs), 1) << "one change, one report";
}

TEST_F(DesignFileWatcherTest, SameContentIsNotAChangeAndAReplacedFileIsStillFollowed) {
    DesignFileWatcher watcher(path_);
    Count(watcher);
    WriteInPlace("first");
    EXPECT_EQ(RunUntil(1, 3 * DesignFileWatcher::kDebounceMs), 0);
    Replace("second");
    EXPECT_EQ(RunUntil(1, 5000), 1);
    WriteInPlace("third");  // into the new file that replaced the watched one
    EXPECT_EQ(RunUntil(2, 5000), 2);
    QFile::remove(path_);
    EXPECT_EQ(RunUntil(3, 3 * DesignFileWatcher::kDebounceMs), 2) << "a missing file is no change";
    WriteInPlace("fourth");
    EXPECT_EQ(RunUntil(3, 5000), 3);
}

TEST_F(DesignFileWatcherTest, WithoutNotificationsThePollSeesTheChange) {
    DesignFileWatcher watcher(path_, /*pollMs=*/50, /*useNotifications=*/false);
    Count(watcher);
    Replace("second");
    EXPECT_EQ(RunUntil(1, 5000), 1);
    WriteInPlace("third, longer");
    EXPECT_EQ(RunUntil(2, 5000), 2);
}

TEST_F(DesignFileWatcherTest, AFolderDesignIsFollowedThroughTheFilesDeepInIt) {
    // An ODB++ job kept as a folder: a file three levels down changes.
    ASSERT_TRUE(QDir(dir_.path()).mkpath("job/steps/pcb"));
    path_ = dir_.filePath("job/steps/pcb/profile");
    WriteInPlace("first");
    DesignFileWatcher watcher(dir_.filePath("job"), /*pollMs=*/50);
    Count(watcher);
    EXPECT_EQ(RunUntil(1, 3 * DesignFileWatcher::kDebounceMs), 0) << "no change, no report";
    WriteInPlace("second, longer");
    EXPECT_EQ(RunUntil(1, 5000), 1);
}

}  // namespace
}  // namespace pcbhost
