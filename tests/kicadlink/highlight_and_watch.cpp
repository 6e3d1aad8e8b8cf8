// SPDX-License-Identifier: GPL-3.0-or-later
// highlight_and_watch SELECTION_FILE REFDES...: highlights each component through libDbx32 and
// waits until the KiCad selection reported into SELECTION_FILE (one reference a line, after a
// first line "ready") is exactly that component. Prints the time from the highlight to KiCad's
// selection; exits 1 when a selection does not come within 10 s.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "Dbx32.h"

namespace {

std::string Read(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SELECTION_FILE REFDES...\n", argv[0]);
        return 2;
    }
    DesignContext context{};
    if (TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context) != 0) {
        std::fprintf(stderr, "TOpenDesign failed\n");
        return 1;
    }
    int failures = 0;
    for (int i = 2; i < argc; ++i) {
        ComponentRecord component{};
        bool found = false;
        for (int32_t rc = TGetFirstComponent(&context, &component); rc == 0 && !found;) {
            found = std::strcmp(component.refDes, argv[i]) == 0;
            if (!found) rc = TGetNextComponent(&context, &component);
        }
        if (!found) {
            std::fprintf(stderr, "%s: not in the design\n", argv[i]);
            ++failures;
            continue;
        }
        const std::string expected = std::string("ready\n") + argv[i] + "\n";
        const auto started = std::chrono::steady_clock::now();
        if (THighlightComponent(&context, DBX_COLOUR_RED, &component) != 0) {
            std::fprintf(stderr, "%s: THighlightComponent failed\n", argv[i]);
            ++failures;
            continue;
        }
        std::string seen;
        while (std::chrono::steady_clock::now() - started < std::chrono::seconds(10)) {
            seen = Read(argv[1]);
            if (seen == expected) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - started)
                            .count();
        if (seen == expected) {
            std::printf("%s selected in KiCad %lld ms after the highlight\n", argv[i],
                        static_cast<long long>(ms));
        } else {
            std::printf("%s: KiCad's selection is \"%s\" after %lld ms\n", argv[i], seen.c_str(),
                        static_cast<long long>(ms));
            ++failures;
        }
    }
    TCloseDesign(&context, "");
    return failures == 0 ? 0 : 1;
}
