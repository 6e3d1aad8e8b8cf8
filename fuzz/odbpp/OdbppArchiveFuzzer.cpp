// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the ODB++ reader as a job archive (tgz, tar or zip): it must fail
// cleanly, with a reason, or give a design the library can serve. Bounds are lowered so that
// a bomb the fuzzer finds is stopped within the run's memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzChecks.h"
#include "boardreaders/odbpp/OdbppReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    boards::odbpp::JobLimits limits;
    limits.maxTotalBytes = 64 << 20;
    limits.maxMemberBytes = 16 << 20;
    limits.maxKeptBytes = 32 << 20;
    limits.maxMembers = 10000;
    boards::Design design;
    boards::ReadError error;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool ok = boards::ParseOdbppJob(bytes, "fuzz.tgz", design, error, limits);
    odbpp_fuzz::Check(ok, design, error);
    return 0;
}
