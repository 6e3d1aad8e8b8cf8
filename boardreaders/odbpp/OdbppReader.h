// SPDX-License-Identifier: GPL-3.0-or-later
// Reads ODB++ jobs (an archive: .tgz, .tar.gz, .tar, .zip; or a directory) into boards::Design.
#pragma once

#include <string>
#include <string_view>

#include "JobMembers.h"
#include "boardreaders/BoardFormat.h"
#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace boards {

// `step`, when given, receives the name of the step read (as the matrix names it).
bool ReadOdbppJob(const std::string& path, Design& out, ReadError& error,
                  const odbpp::JobLimits& limits = {}, std::string* step = nullptr);
// An archive already in memory; `fileName` names it in errors.
bool ParseOdbppJob(std::string_view bytes, const std::string& fileName, Design& out,
                   ReadError& error, const odbpp::JobLimits& limits = {},
                   std::string* step = nullptr);
// A directory holding matrix/matrix (at its root or one folder down), or an archive (by its
// magic) whose first members lie in a job's folders.
bool RecognisesOdbppJob(const FileProbe& probe);

}  // namespace boards
