// SPDX-License-Identifier: GPL-3.0-or-later
// Times full repaints of the board view into a 1600 x 1000 image: the board itself (what a
// pan or zoom costs) and the highlights over it (what every paint costs), on the largest KiCad
// demo board and on a generated 200,000-pad board. Prints the median of each.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "Dbx32.h"
#include "SyntheticBoard.h"
#include "pcbhost/view/BoardRenderer.h"
#include "pcbhost/view/BoardScene.h"

#ifdef PCBHOST_VIEW_BENCH_KICAD_BOARD
#include "boardreaders/kicad/KicadBoardReader.h"
#endif

using namespace pcbhost::view;

namespace {

constexpr int kRepeats = 15;
const QSize kImageSize(1600, 1000);

double MedianMs(const std::function<void(int)>& work) {
    std::vector<double> ms;
    for (int i = 0; i < kRepeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work(i);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void Run(const char* name, std::shared_ptr<const pcbhost::Design> design) {
    const auto buildStart = std::chrono::steady_clock::now();
    auto scene = std::make_shared<const BoardScene>(design);
    const double buildMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - buildStart)
            .count();
    std::printf("%s: %zu components, %zu pads; scene built in %.1f ms\n", name,
                scene->components().size(), scene->pads().size(), buildMs);

    BoardRenderer renderer(scene);
    QImage image(kImageSize, QImage::Format_RGB32);
    const ViewTransform fit = ViewTransform::Fit(scene->bounds(), QSizeF(kImageSize));
    std::vector<Highlight> highlights;
    for (size_t i = 0; i < scene->components().size(); i += scene->components().size() / 5 + 1) {
        highlights.push_back({static_cast<int>(i), scene->components()[i].refDes, DBX_COLOUR_BLUE});
    }

    const auto report = [&](const std::string& what, double ms) {
        std::printf("  %-44s %7.2f ms %s\n", what.c_str(), ms, ms < 50 ? "" : "(over 50 ms)");
    };
    // Same view every time: the sprites are cached after the first paint.
    report("full repaint, fitted", MedianMs([&](int) { renderer.renderBoard(image, fit); }));
    // Panning: a new offset each time.
    report("full repaint while panning, fitted", MedianMs([&](int i) {
               renderer.renderBoard(image, fit.panned(QPointF(7 * (i + 1), 3 * (i + 1))));
           }));
    // Zooming: a new scale each time, so every sprite is rebuilt.
    const QPointF centre(kImageSize.width() / 2.0, kImageSize.height() / 2.0);
    for (double zoom : {1.0, 2.0, 4.0, 16.0, 64.0}) {
        report("full repaint while zooming, x" + std::to_string(static_cast<int>(zoom)),
               MedianMs([&](int i) {
                   renderer.renderBoard(image, fit.zoomedAround(centre, zoom * (1 + 0.01 * i)));
               }));
    }
    report("highlights over the board (5 components)", MedianMs([&](int) {
               QPainter p(&image);
               renderer.renderHighlights(p, fit, highlights);
           }));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::printf("median of %d repaints into a %dx%d image\n", kRepeats, kImageSize.width(),
                kImageSize.height());
#ifdef PCBHOST_VIEW_BENCH_KICAD_BOARD
    auto demo = std::make_shared<pcbhost::Design>();
    pcbhost::ReadError error;
    if (boards::ReadKicadBoard(PCBHOST_VIEW_BENCH_KICAD_BOARD, *demo, error)) {
        Run("video.kicad_pcb", demo);
    } else {
        std::printf("video.kicad_pcb not read: %s\n", error.ToString().c_str());
    }
#else
    std::printf("built without the KiCad reader: demo board skipped\n");
#endif
    Run("generated board", bench::MakeSyntheticBoard(200000));
    return 0;
}
