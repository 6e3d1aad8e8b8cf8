// SPDX-License-Identifier: GPL-3.0-or-later
// ODB++ jobs made for the tests from a real one: its members read out of the archive, renamed,
// written back as tgz, zip or tar in memory, or into a folder; hostile members added.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace boards::test {

struct JobMember {
    enum class Kind { File, Folder, Symlink, Hardlink };
    JobMember() = default;
    JobMember(std::string p, std::string b, Kind k = Kind::File, std::string target = {})
        : path(std::move(p)), bytes(std::move(b)), kind(k), linkTarget(std::move(target)) {}

    std::string path;
    std::string bytes;
    Kind kind = Kind::File;
    std::string linkTarget;
};

enum class ArchiveKind { Tgz, Zip, Tar };

// The members of an archive file (files and folders), in archive order.
std::vector<JobMember> ReadArchiveMembers(const std::string& path);
// The members with `from` at the start of each path replaced by `to` ("odb/" -> "").
std::vector<JobMember> Rebased(const std::vector<JobMember>& members, const std::string& from,
                               const std::string& to);
// The archive in memory.
std::string WriteArchive(const std::vector<JobMember>& members, ArchiveKind kind);
// Writes the members below `folder` (created); links become symbolic links.
void WriteFolder(const std::vector<JobMember>& members, const std::string& folder);
// A fresh empty folder under the system's temporary folder.
std::string TemporaryFolder(const std::string& name);
// Writes `bytes` to `path`.
void WriteFile(const std::string& path, const std::string& bytes);
// The member at `path`, or null.
JobMember* FindMember(std::vector<JobMember>& members, const std::string& path);

}  // namespace boards::test
