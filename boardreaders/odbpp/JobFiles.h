// SPDX-License-Identifier: GPL-3.0-or-later
// The files of an ODB++ job that the reader uses, kept in memory by their path inside the job
// (lower case): the matrix, misc/info, and of each step its header, profile, eda/data,
// component files and the features of the layers the reader needs. The job may sit at the
// root of the archive or folder, or one folder down; members compressed on their own (`.z`)
// are expanded. Once the matrix is in, features of other layers are no longer kept.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "JobMembers.h"

namespace boards::odbpp {

class JobFiles final : public MemberReceiver {
  public:
    explicit JobFiles(const JobLimits& limits) : limits_(limits) {}

    bool Wants(std::string_view path) override;
    void Take(std::string_view path, std::string&& bytes) override;

    // After all members are in: picks the job (the folder holding matrix/matrix, the archive's
    // root first); false, with the reason, when there is none or a member did not expand.
    bool Settle(std::string& reason);

    // The content of the member at `path` inside the job ("steps/pcb/eda/data"), or null.
    const std::string* Find(const std::string& path) const;
    // The member's path as stored in the archive or folder, for errors.
    std::string StoredPath(const std::string& path) const;

    // Lower-case names of the layer folders the reader needs ("top", "drill"), from a matrix.
    static std::set<std::string> NeededLayers(std::string_view matrix);

  private:
    struct Split {
        std::string root;      // "" or the folder the job sits in, as stored
        std::string relative;  // inside the job, lower case, without a ".z" suffix
        bool compressed = false;
    };
    bool SplitPath(std::string_view path, Split& out) const;

    struct Member {
        std::string stored;
        std::string bytes;
    };
    JobLimits limits_;
    // Per root: relative path -> member.
    std::map<std::string, std::map<std::string, Member>> roots_;
    std::map<std::string, std::set<std::string>> neededLayers_;  // per root, once its matrix is in
    std::vector<std::string> rootOrder_;
    const std::map<std::string, Member>* job_ = nullptr;
    std::string error_;
};

}  // namespace boards::odbpp
