/* SPDX-License-Identifier: MIT */
/* pad_report: walks the design open in the PCB design tool and prints each component's pads
 * with their pad style and hole, then a line of totals.
 *
 *   cc pad_report.c $(pkg-config --cflags --libs dbx32) -o pad_report
 *
 * Exit status: 0 when the walk completed, 1 when the design tool could not be reached or a
 * call failed. */
#include <stdio.h>
#include <string.h>

#include <Dbx32.h>

/* Design units are 1/2540 mm. */
static double Millimetres(int32_t designUnits) {
    return designUnits / 2540.0;
}

int main(void) {
    DesignContext context;
    memset(&context, 0, sizeof context);
    int32_t status = TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context);
    if (status != 0) {
        fprintf(stderr, "pad_report: no design open in the design tool (status %d)\n", (int)status);
        return 1;
    }
    long components = 0, pads = 0;
    int failed = 0;
    ComponentRecord component;
    memset(&component, 0, sizeof component);
    for (status = TGetFirstComponent(&context, &component); status == 0 && !failed;
         status = TGetNextComponent(&context, &component)) {
        ++components;
        printf("%s\n", component.refDes);
        PadRecord pad;
        memset(&pad, 0, sizeof pad);
        for (int32_t p = TGetFirstCompPad(&context, component.refDes, &pad); p == 0;
             p = TGetNextCompPad(&context, &pad)) {
            PadStyleRecord style;
            memset(&style, 0, sizeof style);
            if (TGetPadStyle(&context, pad.padStyleId, &style) != 0) {
                fprintf(stderr, "pad_report: %s pad %s: no pad style %d\n", component.refDes,
                        pad.padNumber, (int)pad.padStyleId);
                failed = 1;
                break;
            }
            ++pads;
            if (style.holeDiameter > 0)
                printf("  %-8s %-32s hole %.3f mm\n", pad.padNumber, style.name,
                       Millimetres(style.holeDiameter));
            else
                printf("  %-8s %-32s no hole\n", pad.padNumber, style.name);
        }
    }
    TCloseDesign(&context, "");
    if (failed) return 1;
    printf("%ld components, %ld pads\n", components, pads);
    return 0;
}
