// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary text to the ODB++ record parsers and the mapping, as the members of one job:
// the input is cut at lines "==" into the matrix, the top and bottom components, the top and
// bottom copper features, the drill features, eda/data and the profile. A job's layers are
// named as the seeds' matrix names them (make_seeds.py).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzChecks.h"
#include "JobFiles.h"
#include "OdbppDesignBuilder.h"

namespace {

const char* const kMembers[] = {
    "job/matrix/matrix",
    "job/steps/pcb/layers/comp_+_top/components",
    "job/steps/pcb/layers/comp_+_bot/components",
    "job/steps/pcb/layers/top/features",
    "job/steps/pcb/layers/bottom/features",
    "job/steps/pcb/layers/drill/features",
    "job/steps/pcb/eda/data",
    "job/steps/pcb/profile",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    boards::odbpp::JobLimits limits;
    boards::odbpp::JobFiles files(limits);
    for (const char* member : kMembers) {
        const std::size_t cut = text.find("\n==\n");
        const std::string_view part = text.substr(0, cut);
        if (files.Wants(member)) files.Take(member, std::string(part));
        if (cut == std::string_view::npos) {
            text = {};
            break;
        }
        text.remove_prefix(cut + 4);
    }
    boards::Design design;
    boards::ReadError error;
    std::string reason;
    if (!files.Settle(reason)) {
        if (reason.empty()) std::abort();
        return 0;
    }
    boards::odbpp::BuildResult result;
    const bool ok = boards::odbpp::BuildOdbppDesign(files, "fuzz", design, result, error);
    odbpp_fuzz::Check(ok, design, error);
    return 0;
}
