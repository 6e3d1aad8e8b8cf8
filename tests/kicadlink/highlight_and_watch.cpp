// SPDX-License-Identifier: GPL-3.0-or-later
// highlight_and_watch SELECTION_FILE|--ipc REFDES...: highlights each component through libDbx32
// and waits until KiCad's selection is exactly that component: as reported into SELECTION_FILE
// (one reference a line, after a first line "ready"), or with --ipc as KiCad's own API answers
// GetSelection (the socket found as pcbhost finds it). Prints the time from the highlight to
// KiCad's selection; exits 1 when a selection does not come within 10 s. With --send-only in
// place of either, it only highlights, and exits 0 once libDbx32 has handed each over.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Dbx32.h"
#include "KicadIpcClient.h"

namespace {

std::string Read(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// KiCad's selection in the form of a selection file, through GetSelection.
class IpcSelection {
  public:
    bool Connect() {
        std::string error = "no KiCad API socket";
        for (const auto& url : pcbhost::kicadlink::KicadIpcClient::CandidateUrls())
            if (client_.Connect(url, &error)) {
                std::vector<pcbhost::kicadlink::KicadOpenBoard> boards;
                const auto result = client_.GetOpenBoards(std::chrono::seconds(5), boards);
                if (result.ok() && !boards.empty()) {
                    client_.SetBoardFileName(boards.front().fileName);
                    return true;
                }
                error = result.ok() ? "no board open" : result.Describe();
            }
        std::fprintf(stderr, "KiCad's selection cannot be read: %s\n", error.c_str());
        return false;
    }
    std::string Read() {
        std::vector<pcbhost::kicadlink::KicadFootprint> footprints;
        int others = 0;
        const auto result = client_.GetSelection(std::chrono::seconds(2), footprints, &others);
        if (!result.ok()) return "(GetSelection: " + result.Describe() + ")";
        std::vector<std::string> references;
        for (const auto& footprint : footprints) references.push_back(footprint.reference);
        std::sort(references.begin(), references.end());
        std::string text = "ready\n";
        for (const auto& reference : references) text += reference + "\n";
        if (others > 0) text += "others " + std::to_string(others) + "\n";
        return text;
    }

  private:
    pcbhost::kicadlink::KicadIpcClient client_{"partwise-test", "", ""};
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SELECTION_FILE|--ipc REFDES...\n", argv[0]);
        return 2;
    }
    const bool ipc = std::strcmp(argv[1], "--ipc") == 0;
    const bool sendOnly = std::strcmp(argv[1], "--send-only") == 0;
    IpcSelection selection;
    if (ipc && !selection.Connect()) return 1;
    auto readSelection = [&] { return ipc ? selection.Read() : Read(argv[1]); };
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
        if (sendOnly) {
            std::printf("%s highlighted\n", argv[i]);
            continue;
        }
        std::string seen;
        while (std::chrono::steady_clock::now() - started < std::chrono::seconds(10)) {
            seen = readSelection();
            if (seen == expected) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(ipc ? 20 : 5));
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
