// SPDX-License-Identifier: GPL-3.0-or-later
// The members of an ODB++ job kept as a directory tree, read within JobLimits. A symbolic link
// anywhere in the tree refuses the job: it could lead out of it.
#pragma once

#include <string>

#include "JobMembers.h"

namespace boards::odbpp {

class JobDirectory {
  public:
    static constexpr int kMaxDepth = 8;

    static bool Read(const std::string& root, const JobLimits& limits, MemberReceiver& receiver,
                     std::string& reason);
    // Whether `path` is a directory holding matrix/matrix, or one folder down.
    static bool HoldsJob(const std::string& path);
};

}  // namespace boards::odbpp
