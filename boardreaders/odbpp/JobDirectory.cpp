// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobDirectory.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "boardreaders/RegularFile.h"

namespace boards::odbpp {
namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

// The names in a directory, sorted so that the walk is the same on every file system.
bool List(const std::string& path, std::vector<std::string>& names, std::string& reason) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
    if (!dir) {
        reason = "cannot open folder " + path;
        return false;
    }
    while (dirent* e = readdir(dir.get())) {
        const std::string_view name = e->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
        if (names.size() > 1000000) {
            reason = "folder " + path + " holds too many entries";
            return false;
        }
    }
    std::sort(names.begin(), names.end());
    return true;
}

struct Walk {
    const JobLimits& limits;
    MemberReceiver& receiver;
    std::string& reason;
    uint64_t members = 0, kept = 0;

    bool Visit(const std::string& root, const std::string& relative, int depth) {
        std::vector<std::string> names;
        const std::string folder = relative.empty() ? root : root + "/" + relative;
        if (!List(folder, names, reason)) return false;
        for (const std::string& name : names) {
            if (++members > limits.maxMembers) {
                reason = "job holds more than " + std::to_string(limits.maxMembers) + " files";
                return false;
            }
            const std::string rel = relative.empty() ? name : relative + "/" + name;
            const std::string full = root + "/" + rel;
            struct stat info {};
            if (::lstat(full.c_str(), &info) != 0) {
                reason = "cannot read " + full;
                return false;
            }
            if (S_ISLNK(info.st_mode)) {
                reason = "'" + rel + "' is a link";
                return false;
            }
            if (S_ISDIR(info.st_mode)) {
                if (depth >= JobDirectory::kMaxDepth) {
                    reason = "folders nested deeper than " +
                             std::to_string(JobDirectory::kMaxDepth) + " at " + rel;
                    return false;
                }
                if (!Visit(root, rel, depth + 1)) return false;
                continue;
            }
            if (!S_ISREG(info.st_mode) || !receiver.Wants(rel)) continue;
            RegularFile file;
            std::string bytes;
            if (!file.Open(full, &reason, limits.maxMemberBytes) ||
                !file.ReadAll(&bytes, &reason)) {
                reason = rel + ": " + reason;
                return false;
            }
            kept += bytes.size();
            if (kept > limits.maxKeptBytes) {
                reason = "the job's files are larger than " +
                         std::to_string(limits.maxKeptBytes >> 20) + " MiB";
                return false;
            }
            receiver.Take(rel, std::move(bytes));
        }
        return true;
    }
};

bool IsFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool JobDirectory::Read(const std::string& root, const JobLimits& limits, MemberReceiver& receiver,
                        std::string& reason) {
    Walk walk{limits, receiver, reason};
    return walk.Visit(root, "", 0);
}

bool JobDirectory::HoldsJob(const std::string& path) {
    if (IsFile(path + "/matrix/matrix")) return true;
    std::vector<std::string> names;
    std::string reason;
    if (!List(path, names, reason) || names.size() > 64) return false;
    for (const std::string& name : names)
        if (IsFile(path + "/" + name + "/matrix/matrix")) return true;
    return false;
}

}  // namespace boards::odbpp
