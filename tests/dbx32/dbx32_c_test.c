/* SPDX-License-Identifier: GPL-3.0-or-later */
/* Walks, through a running pcbhost, the components, pads and attributes of the design it
 * serves, written against the C interface alone. Arguments: the expected numbers of
 * components, pads and attributes. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "Dbx32.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s COMPONENTS PADS ATTRIBUTES\n", argv[0]);
        return 2;
    }
    DesignContext context;
    memset(&context, 0, sizeof context);
    if (TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context) != 0) {
        fprintf(stderr, "TOpenDesign failed\n");
        return 1;
    }
    long components = 0, pads = 0, attributes = 0, holes = 0;
    ComponentRecord component;
    memset(&component, 0, sizeof component);
    for (int32_t c = TGetFirstComponent(&context, &component); c == 0;
         c = TGetNextComponent(&context, &component)) {
        ++components;
        if (component.refDes[DBX_REFDES_SIZE - 1] != '\0') return 1;
        PadRecord pad;
        for (int32_t p = TGetFirstCompPad(&context, component.refDes, &pad); p == 0;
             p = TGetNextCompPad(&context, &pad)) {
            PadStyleRecord style;
            ++pads;
            if (TGetPadStyle(&context, pad.padStyleId, &style) != 0) return 1;
            if (style.holeDiameter > 0) ++holes;
        }
        AttributeRecord attribute;
        for (int32_t a = TGetFirstCompAttribute(&context, component.refDes, &attribute); a == 0;
             a = TGetNextCompAttribute(&context, &attribute))
            ++attributes;
    }
    TCloseDesign(&context, "");
    printf("%ld components, %ld pads (%ld with a hole), %ld attributes\n", components, pads, holes,
           attributes);
    return components == atol(argv[1]) && pads == atol(argv[2]) && attributes == atol(argv[3]) ? 0
                                                                                               : 1;
}
