/* highlight_client COLOUR: opens the design that the tool "pcb" serves and prints "open"; then,
 * once a line arrives on standard input, highlights the first component in COLOUR and prints the
 * status of the highlight and the component's refdes. Exits 2 when the design cannot be opened
 * or has no component. */
#include <stdio.h>
#include <stdlib.h>

#include "Dbx32.h"

int main(int argc, char** argv) {
    DesignContext context = {{0}};
    ComponentRecord component = {0};
    char line[16];
    if (argc != 2) return 2;
    if (TOpenDesign(0, 16000, "pcb", &context) != 0) return 2;
    if (TGetFirstComponent(&context, &component) != 0) return 2;
    printf("open\n");
    fflush(stdout);
    if (!fgets(line, sizeof line, stdin)) return 2;
    printf("%d %s\n", (int)THighlightComponent(&context, atoi(argv[1]), &component),
           component.refDes);
    TCloseDesign(&context, NULL);
    return 0;
}
