// SPDX-License-Identifier: GPL-3.0-or-later
// kicad_link_bench: the figures of pcbhost's link beside a running KiCad 9 (driven by
// kicad9_link_bench.sh):
//   kicad_link_bench stall SECONDS [PID]   asks KiCad for its version every 50 ms: KiCad serves its
//                                          API on its user-interface thread, so the longest answer
//                                          is the longest the editor was frozen. With PID, also
//                                          KiCad's processor time over the window.
//   kicad_link_bench open                  opens the design through libDbx32: how long, how many
//                                          components.
//   kicad_link_bench save N                KiCad writing its board out N times
//   (SaveDocumentToString).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Dbx32.h"
#include "KicadIpcClient.h"

using pcbhost::kicadlink::IpcResult;
using pcbhost::kicadlink::KicadIpcClient;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The process's user and system time, in seconds.
double ProcessSeconds(const std::string& pid) {
    std::ifstream in("/proc/" + pid + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto end = text.rfind(')');
    if (end == std::string::npos) return 0;
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) {
            stime = std::stoull(field);
            break;
        }
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

bool Connect(KicadIpcClient& client) {
    std::string error = "no KiCad API socket";
    for (const auto& url : KicadIpcClient::CandidateUrls())
        if (client.Connect(url, &error)) {
            std::vector<pcbhost::kicadlink::KicadOpenBoard> boards;
            if (client.GetOpenBoards(std::chrono::seconds(10), boards).ok() && !boards.empty()) {
                client.SetBoardFileName(boards.front().fileName);
                return true;
            }
        }
    std::fprintf(stderr, "kicad_link_bench: %s\n", error.c_str());
    return false;
}

int Stall(double seconds, const char* pid) {
    KicadIpcClient client("partwise-bench", "", "");
    if (!Connect(client)) return 1;
    std::vector<double> answers;
    const double cpuBefore = pid ? ProcessSeconds(pid) : 0;
    const auto started = Clock::now();
    const auto end = started + std::chrono::duration<double>(seconds);
    int failures = 0;
    while (Clock::now() < end) {
        const auto asked = Clock::now();
        std::string version;
        if (!client.GetVersion(std::chrono::seconds(10), version).ok()) ++failures;
        answers.push_back(Ms(Clock::now() - asked));
        std::this_thread::sleep_until(asked + std::chrono::milliseconds(50));
    }
    const double wall = std::chrono::duration<double>(Clock::now() - started).count();
    std::sort(answers.begin(), answers.end());
    const double p99 = answers[std::min(answers.size() - 1, answers.size() * 99 / 100)];
    std::printf("longest answer %.0f ms, 99th percentile %.0f ms, median %.1f ms, %zu requests",
                answers.back(), p99, answers[answers.size() / 2], answers.size());
    if (pid)
        std::printf(", KiCad busy %.1f s per minute (%.1f%% of a core)",
                    (ProcessSeconds(pid) - cpuBefore) / wall * 60,
                    (ProcessSeconds(pid) - cpuBefore) / wall * 100);
    std::printf("%s\n", failures ? (", " + std::to_string(failures) + " unanswered").c_str() : "");
    return 0;
}

int Cpu(double seconds, const char* pid) {
    const double before = ProcessSeconds(pid);
    const auto started = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = std::chrono::duration<double>(Clock::now() - started).count();
    const double busy = ProcessSeconds(pid) - before;
    std::printf("KiCad busy %.2f s per minute (%.2f%% of a core)\n", busy / wall * 60,
                busy / wall * 100);
    return 0;
}

int Poll(double seconds) {
    KicadIpcClient client("partwise-bench", "", "");
    if (!Connect(client)) return 1;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        std::string text;
        client.SaveBoardToString(std::chrono::seconds(30), text);
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    return 0;
}

int Open() {
    const auto started = Clock::now();
    DesignContext context{};
    if (TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context) != 0) {
        std::fputs("kicad_link_bench: TOpenDesign failed\n", stderr);
        return 1;
    }
    const double opened = Ms(Clock::now() - started);
    int components = 0;
    ComponentRecord component{};
    for (int32_t rc = TGetFirstComponent(&context, &component); rc == 0;
         rc = TGetNextComponent(&context, &component))
        ++components;
    TCloseDesign(&context, "");
    std::printf("opened in %.0f ms, %d components\n", opened, components);
    return 0;
}

int Save(int count) {
    KicadIpcClient client("partwise-bench", "", "");
    if (!Connect(client)) return 1;
    std::vector<double> times;
    std::size_t bytes = 0;
    for (int i = 0; i < count; ++i) {
        std::string text;
        const auto asked = Clock::now();
        if (IpcResult result = client.SaveBoardToString(std::chrono::seconds(30), text);
            !result.ok()) {
            std::fprintf(stderr, "kicad_link_bench: %s\n", result.Describe().c_str());
            return 1;
        }
        times.push_back(Ms(Clock::now() - asked));
        bytes = text.size();
    }
    std::sort(times.begin(), times.end());
    std::printf("SaveDocumentToString: %zu bytes in %.0f to %.0f ms (median %.0f)\n", bytes,
                times.front(), times.back(), times[times.size() / 2]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "stall" && argc >= 3)
        return Stall(std::atof(argv[2]), argc > 3 ? argv[3] : nullptr);
    if (command == "open") return Open();
    if (command == "cpu" && argc >= 4) return Cpu(std::atof(argv[2]), argv[3]);
    if (command == "poll" && argc >= 3) return Poll(std::atof(argv[2]));
    if (command == "save" && argc >= 3) return Save(std::max(1, std::atoi(argv[2])));
    std::fputs(
        "usage: kicad_link_bench stall SECONDS [PID] | cpu SECONDS PID | open | save N | poll "
        "SECONDS\n",
        stderr);
    return 2;
}
