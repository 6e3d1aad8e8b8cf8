// SPDX-License-Identifier: GPL-3.0-or-later
// pcbhost [--headless] [--kicad] DESIGN: opens a design file, serves it to libDbx32 on the socket
// "pcb.sock" in the runtime directory, prints one line per highlight request and reloads the
// file when it changes. With --kicad, each highlight also selects the component in a running KiCad.
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "CommandLineHelp.h"
#include "Dbx32.h"
#include "DbxProtocol.h"
#include "DesignFileWatcher.h"
#include "DesignServer.h"
#include "HighlightLog.h"
#include "InfoOptions.h"
#include "LineWriter.h"
#include "PackageVersion.h"
#include "SignalShutdown.h"
#include "boardreaders/BoardFormats.h"

#ifdef PCBHOST_HAVE_KICADLINK
#include "kicadlink/KicadBoardFinder.h"
#include "kicadlink/QueuedKicadLink.h"
#endif
#ifdef PCBHOST_HAVE_VIEW
#include <QApplication>

#include "view/BoardWindow.h"
#endif

namespace {

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int Usage() {
    std::fputs(
        "usage: pcbhost [--headless] [--kicad] DESIGN\n"
        "       pcbhost [--headless] --kicad        (the board KiCad has open)\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = cli::AnswerInfoOption(
            argc, argv, {"pcbhost", cli::kPackageVersion, pcbhost::kCommandLineHelp}))
        return *status;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bool headless = false;
    bool kicad = false;
    std::string designPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0)
            headless = true;
        else if (std::strcmp(argv[i], "--kicad") == 0)
            kicad = true;
        else if (argv[i][0] == '-' || !designPath.empty())
            return Usage();
        else
            designPath = argv[i];
    }
#ifndef PCBHOST_HAVE_KICADLINK
    if (kicad) {
        std::fputs("pcbhost: built without the KiCad link\n", stderr);
        return 2;
    }
#else
    if (kicad && designPath.empty()) {
        std::string why;
        const auto open = pcbhost::kicadlink::KicadBoardFinder::Find(why);
        if (!open) {
            std::fprintf(stderr, "pcbhost: --kicad without a board: %s\n", why.c_str());
            return 1;
        }
        designPath = *open;
    }
#endif
    if (designPath.empty()) return Usage();

#ifdef PCBHOST_HAVE_VIEW
    const bool gui = !headless && HasDisplay();
#else
    const bool gui = false;
    (void)headless;
    (void)HasDisplay;
#endif
    std::unique_ptr<QCoreApplication> app;
#ifdef PCBHOST_HAVE_VIEW
    if (gui) app = std::make_unique<QApplication>(argc, argv);
#else
    (void)gui;
#endif
    if (!app) app = std::make_unique<QCoreApplication>(argc, argv);
    pcbhost::SignalShutdown::Install(*app);

    // Watch before the first read, so that a change made while the design loads is not lost.
    pcbhost::DesignFileWatcher watcher(QString::fromStdString(designPath));
    auto design = std::make_shared<pcbhost::Design>();
    pcbhost::ReadError readError;
    if (!boards::BoardFormats::Load(designPath, *design, readError)) {
        std::fprintf(stderr, "pcbhost: %s\n", readError.ToString().c_str());
        return 1;
    }
    std::string error;
    const auto socketPath = dbx::SocketPathFor(DBX_OPEN_TOOL, true, &error);
    if (!socketPath) {
        std::fprintf(stderr, "pcbhost: %s\n", error.c_str());
        return 1;
    }

    // Nothing on the main thread waits on standard output: a reader that does not read costs
    // lines, never the tool.
    pcbhost::LineWriter out(STDOUT_FILENO);
#ifdef PCBHOST_HAVE_VIEW
    std::unique_ptr<BoardWindow> window;
    if (gui) {
        window = std::make_unique<BoardWindow>(QString::fromStdString(designPath));
        window->setDesign(design);
        window->show();
    }
#endif
#ifdef PCBHOST_HAVE_KICADLINK
    std::unique_ptr<pcbhost::kicadlink::QueuedKicadLink> kicadLink;
#endif
    // Prints and draws a highlight; runs on the main thread.
    auto showHighlight = [&](const pcbhost::HighlightTarget& target) {
        out.Write(pcbhost::HighlightLog::Line(target.refDes, target.colour));
#ifdef PCBHOST_HAVE_KICADLINK
        if (kicadLink) kicadLink->Highlight(target.refDes);
#endif
#ifdef PCBHOST_HAVE_VIEW
        if (window)
            window->highlight(target.componentIndex, QString::fromStdString(target.refDes),
                              target.colour);
#endif
    };
    // The serving thread hands each highlight over, so that it never waits on a full stdout.
    pcbhost::DesignServer server(*socketPath, [&](const pcbhost::HighlightTarget& target) {
        QMetaObject::invokeMethod(
            app.get(), [&showHighlight, target] { showHighlight(target); }, Qt::QueuedConnection);
    });
    if (!server.SetDesign(design, &error)) {
        std::fprintf(stderr, "pcbhost: %s: %s\n", designPath.c_str(), error.c_str());
        return 1;
    }
#ifdef PCBHOST_HAVE_KICADLINK
    if (kicad) {
        kicadLink = std::make_unique<pcbhost::kicadlink::QueuedKicadLink>(
            designPath, server, [&out](std::string line) { out.Write(std::move(line)); },
            [&](const std::shared_ptr<const pcbhost::Design>& live) {
#ifdef PCBHOST_HAVE_VIEW
                if (window) window->setDesign(live);
#endif
                (void)live;
            });
        // KiCad's board, unsaved edits included, is fetched when a client asks for the design,
        // and only then: KiCad stalls while it writes the board out.
        server.SetSnapshotRequestHandler(
            [link = kicadLink.get()] { link->FreshenLiveBoard(std::chrono::milliseconds(2500)); });
    }
#endif
    server.SetFailureHandler([&app](const std::string& reason) {
        std::fprintf(stderr, "pcbhost: serving stopped: %s\n", reason.c_str());
        QMetaObject::invokeMethod(
            app.get(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    });
    if (!server.Start(&error)) {
        std::fprintf(stderr, "pcbhost: %s\n", error.c_str());
        return 1;
    }
    pcbhost::SignalShutdown::SetSocketPath(*socketPath);
    out.Write("serving " + designPath + " (" + std::to_string(design->components.size()) +
              " components) on " + *socketPath);
    if (!design->readNote.empty()) out.Write("note " + designPath + ": " + design->readNote);

    watcher.SetOnChanged([&] {
        auto reloaded = std::make_shared<pcbhost::Design>();
        pcbhost::ReadError reloadError;
        if (!boards::BoardFormats::Load(designPath, *reloaded, reloadError)) {
            out.Write("error " + reloadError.ToString() + " (still serving the last good design)");
            return;
        }
        std::string tooLarge;
        if (!server.SetDesign(reloaded, &tooLarge)) {
            out.Write("error " + designPath + ": " + tooLarge +
                      " (still serving the last good design)");
            return;
        }
#ifdef PCBHOST_HAVE_VIEW
        if (window) window->setDesign(reloaded);
#endif
        out.Write("reloaded " + designPath + " (" + std::to_string(reloaded->components.size()) +
                  " components)");
        if (!reloaded->readNote.empty())
            out.Write("note " + designPath + ": " + reloaded->readNote);
    });

    const int rc = app->exec();
#ifdef PCBHOST_HAVE_KICADLINK
    if (kicadLink) kicadLink->Stop();
#endif
    server.Stop();
#ifdef PCBHOST_HAVE_KICADLINK
    kicadLink.reset();
#endif
    return rc;
}
