// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping rules of README.md: a job's files (JobFiles) -> Design. Picks the step that holds
// the components, reads its component files, the outer copper layers' pads and the drill
// layers' holes at the toeprints, and eda/data's package outlines and via links.
#pragma once

#include <string>

#include "JobFiles.h"
#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace boards::odbpp {

struct BuildResult {
    std::string step;  // the step read, as the matrix names it
};

// `jobName` names the job in errors (the archive or folder); member paths follow it.
bool BuildOdbppDesign(const JobFiles& files, const std::string& jobName, Design& out,
                      BuildResult& result, ReadError& error);

// Position tolerance (mm) within which a copper pad or a drill belongs to a toeprint.
constexpr double kToeprintTolerance = 0.005;

}  // namespace boards::odbpp
