// SPDX-License-Identifier: GPL-3.0-or-later
// What a job's files are read through, whether it comes as an archive or a directory: the
// limits on what is read, and the receiver that says which members it keeps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace boards::odbpp {

struct JobLimits {
    // One kept member, uncompressed.
    uint64_t maxMemberBytes = uint64_t(512) << 20;
    // All kept members together.
    uint64_t maxKeptBytes = uint64_t(1) << 30;
    // Everything an archive holds, uncompressed, kept or not: a zip or gzip bomb stops here.
    uint64_t maxTotalBytes = uint64_t(4) << 30;
    // Members (files and folders) of an archive or directory.
    uint64_t maxMembers = 1000000;
};

class MemberReceiver {
  public:
    virtual ~MemberReceiver() = default;
    // Whether the member at `path` (relative, '/'-separated, as stored) is to be kept.
    virtual bool Wants(std::string_view path) = 0;
    // A kept member's content.
    virtual void Take(std::string_view path, std::string&& bytes) = 0;
};

// Why a member path leaves the job, or empty: absolute paths, drive letters, '..' parts.
std::string_view PathLeavesJob(std::string_view path);

}  // namespace boards::odbpp
