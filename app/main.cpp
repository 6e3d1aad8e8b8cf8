// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry: register the resources and hand over to the framework.
#include "PartwiseApp.h"
#include "PartwiseResources.h"

PartwiseApp theApp;

int main(int argc, char** argv) {
    AfxSetResourceTable(PartwiseResources());
    return AfxWinMain(argc, argv);
}
