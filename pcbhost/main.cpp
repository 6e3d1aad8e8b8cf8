// pcbhost [--headless] DESIGN: opens a design file, serves it to libDbx32 on the socket
// "pcb.sock" in the runtime directory, prints one line per highlight request and reloads the
// file when it changes.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "DbxProtocol.h"
#include "DesignFileWatcher.h"
#include "DesignLoader.h"
#include "DesignServer.h"
#include "HighlightLog.h"

#ifdef PCBHOST_HAVE_VIEW
#include <QApplication>

#include "view/BoardWindow.h"
#endif

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const int savedErrno = errno;  // may land on the serving thread between a call and its test
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

// SIGINT and SIGTERM end the event loop, so that the socket is removed on the way out.
void QuitOnSignals(QCoreApplication& app) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int Usage() {
    std::fputs("usage: pcbhost [--headless] DESIGN.json|DESIGN.kicad_pcb|DESIGN.xml\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bool headless = false;
    std::string designPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0)
            headless = true;
        else if (argv[i][0] == '-' || !designPath.empty())
            return Usage();
        else
            designPath = argv[i];
    }
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
    QuitOnSignals(*app);

    // Watch before the first read, so that a change made while the design loads is not lost.
    pcbhost::DesignFileWatcher watcher(QString::fromStdString(designPath));
    auto design = std::make_shared<pcbhost::Design>();
    pcbhost::ReadError readError;
    if (!pcbhost::DesignLoader::Load(designPath, *design, readError)) {
        std::fprintf(stderr, "pcbhost: %s\n", readError.ToString().c_str());
        return 1;
    }
    std::string error;
    const auto socketPath = dbx::SocketPathFor("pcb", true, &error);
    if (!socketPath) {
        std::fprintf(stderr, "pcbhost: %s\n", error.c_str());
        return 1;
    }

    pcbhost::HighlightLog log;
#ifdef PCBHOST_HAVE_VIEW
    std::unique_ptr<BoardWindow> window;
    if (gui) {
        window = std::make_unique<BoardWindow>(QString::fromStdString(designPath));
        window->setDesign(design);
        window->show();
    }
#endif
    // Prints and draws a highlight; runs on the main thread.
    auto showHighlight = [&](const pcbhost::HighlightTarget& target) {
        log.Print(target.refDes, target.colour);
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
    if (!server.Start(&error)) {
        std::fprintf(stderr, "pcbhost: %s\n", error.c_str());
        return 1;
    }
    std::printf("serving %s (%zu components) on %s\n", designPath.c_str(),
                design->components.size(), socketPath->c_str());

    watcher.SetOnChanged([&] {
        auto reloaded = std::make_shared<pcbhost::Design>();
        pcbhost::ReadError reloadError;
        if (!pcbhost::DesignLoader::Load(designPath, *reloaded, reloadError)) {
            std::printf("error %s (still serving the last good design)\n",
                        reloadError.ToString().c_str());
            return;
        }
        std::string tooLarge;
        if (!server.SetDesign(reloaded, &tooLarge)) {
            std::printf("error %s: %s (still serving the last good design)\n", designPath.c_str(),
                        tooLarge.c_str());
            return;
        }
#ifdef PCBHOST_HAVE_VIEW
        if (window) window->setDesign(reloaded);
#endif
        std::printf("reloaded %s (%zu components)\n", designPath.c_str(),
                    reloaded->components.size());
    });

    const int rc = app->exec();
    server.Stop();
    return rc;
}
