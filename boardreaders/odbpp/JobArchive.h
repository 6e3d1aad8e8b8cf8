// SPDX-License-Identifier: GPL-3.0-or-later
// The members of an ODB++ job archive (.tgz, .tar.gz, .tar, .zip) read through libarchive into
// memory, within JobLimits; nothing is written to disk. Links, paths that leave the job and
// sizes past the limits refuse the whole archive.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "JobMembers.h"

namespace boards::odbpp {

class JobArchive {
  public:
    // Reads the archive file at `path` in 1 MiB chunks.
    static bool ReadFile(const std::string& path, const JobLimits& limits, MemberReceiver& receiver,
                         std::string& reason);
    // Reads an archive already in memory.
    static bool ReadBytes(std::string_view bytes, const JobLimits& limits, MemberReceiver& receiver,
                          std::string& reason);
    // Whether `head` starts a gzip stream, a zip or a tar archive.
    static bool HasArchiveMagic(std::string_view head);
    // The member paths that can be read from the start of an archive (at most `max`); a
    // truncated head gives those before the cut.
    static std::vector<std::string> LeadingPaths(std::string_view head, std::size_t max);
    // A member compressed on its own (ODB++'s `features.Z`): Unix compress or gzip.
    static bool Decompress(std::string_view bytes, uint64_t maxBytes, std::string& out,
                           std::string& reason);
};

}  // namespace boards::odbpp
