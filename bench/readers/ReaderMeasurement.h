// SPDX-License-Identifier: GPL-3.0-or-later
// What every board reader's benchmark measures, through the format's own Read and Parse: parse
// throughput of bytes in memory (MB/s, wall clock and CPU), file to served snapshot, and the
// process's peak memory, to show it follows the design rather than the file.
#pragma once

#include <string>

#include "boardreaders/BoardFormat.h"

namespace bench {

// Best of `runs`, printed on one line under `label`; false, said, when the file does not read.
bool MeasureReader(const boards::BoardFormat& format, const std::string& label,
                   const std::string& path, int runs);

}  // namespace bench
