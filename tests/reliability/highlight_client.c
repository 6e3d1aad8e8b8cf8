/* SPDX-License-Identifier: GPL-3.0-or-later */
/* highlight_client cyan|blue: opens the design that the tool serves and prints "open"; then,
 * once a line arrives on standard input, highlights the first component in that colour and
 * prints the status of the highlight and the component's refdes. Exits 2 when the design cannot
 * be opened or has no component. */
#include <stdio.h>
#include <string.h>

#include "Dbx32.h"

int main(int argc, char** argv) {
    DesignContext context = {{0}};
    ComponentRecord component = {0};
    char line[16];
    if (argc != 2) return 2;
    const int32_t colour = strcmp(argv[1], "blue") == 0 ? DBX_COLOUR_BLUE : DBX_COLOUR_CYAN;
    if (TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context) != 0) return 2;
    if (TGetFirstComponent(&context, &component) != 0) return 2;
    printf("open\n");
    fflush(stdout);
    if (!fgets(line, sizeof line, stdin)) return 2;
    printf("%d %s\n", (int)THighlightComponent(&context, colour, &component), component.refDes);
    TCloseDesign(&context, NULL);
    return 0;
}
