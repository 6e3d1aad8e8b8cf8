// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry: register the resources and hand over to the framework.
#include "CommandLineHelp.h"
#include "InfoOptions.h"
#include "PackageVersion.h"
#include "PartwiseApp.h"
#include "PartwiseResources.h"

PartwiseApp theApp;

int main(int argc, char** argv) {
    if (const auto status = cli::AnswerInfoOption(
            argc, argv, {"partwise", cli::kPackageVersion, app::kCommandLineHelp}))
        return *status;
    AfxSetResourceTable(PartwiseResources());
    return AfxWinMain(argc, argv);
}
