// SPDX-License-Identifier: GPL-3.0-or-later
// Opening and walking a large design through libDbx32: 20,000 components, 200,000 pads and
// 200,000 attributes served by an in-process DesignServer on a private socket.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "Dbx32.h"
#include "DbxProtocol.h"
#include "DesignServer.h"
#include "SnapshotBuilder.h"

namespace {

std::shared_ptr<const pcbhost::Design> LargeDesign() {
    auto d = std::make_shared<pcbhost::Design>();
    for (int i = 0; i < 40; ++i) d->padStyles.push_back({"PS" + std::to_string(i), i * 100, {}});
    for (int i = 0; i < 10; ++i) d->textStyles.push_back({"TS" + std::to_string(i)});
    for (int c = 0; c < 20000; ++c) {
        pcbhost::Component component;
        component.refDes = "U" + std::to_string(c);
        for (int p = 0; p < 10; ++p) {
            pcbhost::Pad pad;
            pad.padStyle = (c + p) % 40;
            pad.number = std::to_string(p + 1);
            component.pads.push_back(pad);
        }
        for (int a = 0; a < 10; ++a)
            component.attributes.push_back(
                {"Attr" + std::to_string(a), "value " + std::to_string(c), a % 11 - 1});
        d->components.push_back(std::move(component));
    }
    return d;
}

class Host {
  public:
    Host() {
        std::string dir = (std::filesystem::temp_directory_path() / "dbx32-bench-XXXXXX").string();
        if (!::mkdtemp(dir.data())) std::abort();
        dir_ = dir;
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        std::string error;
        const auto path = dbx::SocketPathFor(DBX_OPEN_TOOL, true, &error);
        if (!path) std::abort();
        server_ = std::make_unique<pcbhost::DesignServer>(*path, nullptr);
        server_->SetDesign(LargeDesign());
        if (!server_->Start(&error)) std::abort();
    }
    ~Host() {
        server_.reset();
        std::filesystem::remove_all(dir_);
    }

  private:
    std::string dir_;
    std::unique_ptr<pcbhost::DesignServer> server_;
};

void BM_SnapshotBuild(benchmark::State& state) {
    const auto design = LargeDesign();
    std::size_t bytes = 0;
    for (auto _ : state) bytes = pcbhost::SnapshotBuilder::Build(*design, 1).size();
    state.counters["snapshot_MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_SnapshotBuild)->Unit(benchmark::kMillisecond);

void BM_OpenWalkPadsClose(benchmark::State& state) {
    static Host host;
    long pads = 0;
    for (auto _ : state) {
        DesignContext context;
        if (TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context) != 0) {
            state.SkipWithError("open failed");
            break;
        }
        pads = 0;
        ComponentRecord component;
        for (int32_t c = TGetFirstComponent(&context, &component); c == 0;
             c = TGetNextComponent(&context, &component)) {
            PadRecord pad;
            for (int32_t p = TGetFirstCompPad(&context, component.refDes, &pad); p == 0;
                 p = TGetNextCompPad(&context, &pad)) {
                PadStyleRecord style;
                TGetPadStyle(&context, pad.padStyleId, &style);
                ++pads;
            }
        }
        TCloseDesign(&context, "");
    }
    state.counters["pads"] = double(pads);
}
BENCHMARK(BM_OpenWalkPadsClose)->Unit(benchmark::kMillisecond);

void BM_OpenClose(benchmark::State& state) {
    static Host host;
    for (auto _ : state) {
        DesignContext context;
        if (TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context) != 0) {
            state.SkipWithError("open failed");
            break;
        }
        TCloseDesign(&context, "");
    }
}
BENCHMARK(BM_OpenClose)->Unit(benchmark::kMillisecond);

}  // namespace

// One walk step on an open design: the per-call cost of the library once the snapshot is
// here (context check, design lookup, record fill).
void BM_PadWalkStep(benchmark::State& state) {
    static Host host;
    DesignContext context;
    if (TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context) != 0) {
        state.SkipWithError("open failed");
        return;
    }
    ComponentRecord component;
    TGetFirstComponent(&context, &component);
    PadRecord pad;
    TGetFirstCompPad(&context, component.refDes, &pad);
    for (auto _ : state) {
        if (TGetNextCompPad(&context, &pad) != 0)
            TGetFirstCompPad(&context, component.refDes, &pad);
        benchmark::DoNotOptimize(pad);
    }
    TCloseDesign(&context, "");
}
BENCHMARK(BM_PadWalkStep);

BENCHMARK_MAIN();
