// SPDX-License-Identifier: GPL-3.0-or-later
// Times each finder operation from the button press to its closing message box, on a
// generated design served by a running pcbhost, with real widgets, and beside it the same
// walks through the library without widgets (the floor).
//
// Usage: finder_benchmark [--runs N] [--components N]... [DESIGN.json]
// Each --components N generates a design of N components (10 pads and 10 attributes each);
// without a design or --components, one of 20,000 components is generated.
#include <sys/resource.h>
#include <time.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "AfxTesting.h"
#include "AttributeFinderDialog.h"
#include "FloorWalks.h"
#include "HoleFinderDialog.h"
#include "PadFinderDialog.h"
#include "PartwiseResources.h"
#include "TextFinderDialog.h"
#include "resource.h"

namespace {

class BenchApp : public CWinApp {};
BenchApp theApp;

// Counts the paints a widget receives.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

struct Figures {
    std::string operation;
    std::vector<double> ms, cpuMs;            // the operation: wall clock, this thread's CPU
    std::vector<double> floorMs, floorCpuMs;  // its floor walk, right after each run
    bool floorCountsMatch = true;
    int repaints = 0;
    std::string counter;
    std::string closingMessage;
    std::string selected;  // the value Where Used searched for
    long peakKiB = 0;      // of this process, after the operation
    int listEntries = 0;   // in the list the operation filled
    double repaintMs = 0;  // median of full repaints of the dialog holding that list
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// VmHWM of a process, in KiB.
long PeakKiB(const QString& statusFile) {
    QFile f(statusFile);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

using FloorWalk = int (*)(const std::string& selected);

// Presses the button `runs` times inside one showing of the dialog, each press followed by
// the operation's floor walk, so that both see the same load on a shared machine.
void TimeOperation(CDialog& dialog, const char* name, int getButton, int valueList, int counterId,
                   bool whereUsed, FloorWalk floor, int runs, std::vector<Figures>& out) {
    afxtest::OnNextModal([&](CDialog& d) {
        Figures f;
        f.operation = name;
        if (whereUsed) {
            afxtest::PressButton(d, getButton);
            afxtest::SelectListEntry(d, valueList, 0);
            f.selected = afxtest::ListEntries(d, valueList).front();
        }
        QWidget* counter = nullptr;
        for (const auto& [id, widget] : afxtest::Controls(d))
            if (id == counterId) counter = widget;
        PaintCounter paints;
        if (counter) counter->installEventFilter(&paints);
        for (int run = 0; run < runs; ++run) {
            if (whereUsed) afxtest::QueueMessageBoxReply(IDYES);
            QElapsedTimer timer;
            timer.start();
            double cpu = ThreadCpuMs();
            afxtest::PressButton(d, whereUsed ? IDC_WHERE_USED : getButton);
            f.ms.push_back(timer.nsecsElapsed() / 1e6);
            f.cpuMs.push_back(ThreadCpuMs() - cpu);
            f.closingMessage = afxtest::MessageBoxes().back().text;

            timer.restart();
            cpu = ThreadCpuMs();
            const int counted = floor(f.selected);
            f.floorMs.push_back(timer.nsecsElapsed() / 1e6);
            f.floorCpuMs.push_back(ThreadCpuMs() - cpu);
            if (std::to_string(counted) != afxtest::ControlText(d, counterId)) {
                std::fprintf(stderr, "%s: floor counted %d, the dialog %s\n", name, counted,
                             afxtest::ControlText(d, counterId).c_str());
                f.floorCountsMatch = false;
            }
        }
        if (counter) counter->removeEventFilter(&paints);
        f.repaints = paints.paints / runs;
        f.counter = afxtest::ControlText(d, counterId);
        f.peakKiB = PeakKiB("/proc/self/status");
        // A repaint of the whole dialog, as a counter update during a walk does.
        const int filled = whereUsed ? IDC_WHERE_USED_LIST : valueList;
        f.listEntries = int(afxtest::ListEntries(d, filled).size());
        if (counter != nullptr) {
            std::vector<double> repaints;
            for (int i = 0; i < 20; ++i) {
                QElapsedTimer timer;
                timer.start();
                counter->window()->repaint();
                repaints.push_back(timer.nsecsElapsed() / 1e6);
            }
            f.repaintMs = Median(repaints);
        }
        out.push_back(f);
    });
    dialog.DoModal();
}

// Starts pcbhost on the design and waits until it serves.
bool StartHost(QProcess& host, const QString& design, const QString& socket) {
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.start(PCBHOST_PATH, {"--headless", design});
    QElapsedTimer wait;
    wait.start();
    while (!QFile::exists(socket) && wait.elapsed() < 60000) QThread::msleep(20);
    if (!QFile::exists(socket)) {
        std::fprintf(stderr, "pcbhost did not start serving %s\n", qPrintable(design));
        return false;
    }
    std::printf("pcbhost serving after %lld ms, peak RSS %ld MiB\n",
                static_cast<long long>(wait.elapsed()),
                PeakKiB(QString("/proc/%1/status").arg(host.processId())) / 1024);
    return true;
}

void StopHost(QProcess& host, const QString& socket) {
    host.terminate();
    host.waitForFinished(10000);
    QElapsedTimer wait;
    wait.start();
    while (QFile::exists(socket) && wait.elapsed() < 5000) QThread::msleep(20);
}

std::vector<Figures> TimeDialogs(int runs) {
    std::vector<Figures> figures;
    PadFinderDialog pad;
    TimeOperation(
        pad, "Get Pads", IDC_GET_PADS, IDC_PAD_STYLE_LIST, IDC_PAD_COUNT, false,
        [](const std::string&) { return floorwalks::GetPads(); }, runs, figures);
    TimeOperation(pad, "Pad Where Used (Yes)", IDC_GET_PADS, IDC_PAD_STYLE_LIST,
                  IDC_COMPONENTS_SEARCHED, true, floorwalks::PadWhereUsed, runs, figures);
    HoleFinderDialog hole;
    TimeOperation(
        hole, "Get Holes", IDC_GET_HOLES, IDC_HOLE_SIZE_LIST, IDC_HOLE_COUNT, false,
        [](const std::string&) { return floorwalks::GetHoles(); }, runs, figures);
    TimeOperation(hole, "Hole Where Used (Yes)", IDC_GET_HOLES, IDC_HOLE_SIZE_LIST,
                  IDC_COMPONENTS_SEARCHED, true, floorwalks::HoleWhereUsed, runs, figures);
    AttributeFinderDialog attribute;
    TimeOperation(
        attribute, "Get Attributes", IDC_GET_ATTRIBUTES, IDC_ATTRIBUTE_LIST, IDC_ATTRIBUTE_COUNT,
        false, [](const std::string&) { return floorwalks::GetAttributes(); }, runs, figures);
    TimeOperation(attribute, "Attribute Where Used (Yes)", IDC_GET_ATTRIBUTES, IDC_ATTRIBUTE_LIST,
                  IDC_COMPONENTS_SEARCHED, true, floorwalks::AttributeWhereUsed, runs, figures);
    TextFinderDialog text;
    TimeOperation(
        text, "Get Text!", IDC_GET_TEXT, IDC_TEXT_STYLE_LIST, IDC_TEXT_COUNT, false,
        [](const std::string&) { return floorwalks::GetText(); }, runs, figures);
    TimeOperation(text, "Text Where Used (Yes)", IDC_GET_TEXT, IDC_TEXT_STYLE_LIST,
                  IDC_COMPONENTS_SEARCHED, true, floorwalks::TextWhereUsed, runs, figures);
    return figures;
}

// Medians: wall clock and this thread's CPU time, of the operation and of its floor.
void PrintFigures(const std::vector<Figures>& figures) {
    std::printf("\n%-27s %8s %8s %8s %7s %8s %8s %7s %8s %8s  %s\n", "operation", "median", "min",
                "floor", "ratio", "cpu", "cpu flr", "ratio", "repaints", "peak MiB",
                "counter at the end");
    for (const Figures& f : figures) {
        const double median = Median(f.ms), floor = Median(f.floorMs);
        const double cpu = Median(f.cpuMs), cpuFloor = Median(f.floorCpuMs);
        std::printf("%-27s %8.1f %8.1f %8.1f %6.2fx %8.1f %8.1f %6.2fx %8d %8ld  %s\n",
                    f.operation.c_str(), median, *std::min_element(f.ms.begin(), f.ms.end()), floor,
                    floor > 0 ? median / floor : 0.0, cpu, cpuFloor,
                    cpuFloor > 0 ? cpu / cpuFloor : 0.0, f.repaints, f.peakKiB / 1024,
                    f.counter.c_str());
    }
    std::printf("(ms; median and min of the wall clock, cpu: this thread's CPU time)\n");
    std::printf("\n%-27s %12s %12s\n", "repaint of the dialog after", "list entries", "median ms");
    for (const Figures& f : figures)
        std::printf("%-27s %12d %12.2f\n", f.operation.c_str(), f.listEntries, f.repaintMs);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    int runs = 5;
    std::vector<int> sizes;
    QString design;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--components" && i + 1 < argc)
            sizes.push_back(std::max(1, std::atoi(argv[++i])));
        else
            design = QString::fromLocal8Bit(argv[i]);
    }

    QTemporaryDir work;
    QDir(work.path()).mkdir("run");
    QFile::setPermissions(work.path() + "/run",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (work.path() + "/run").toLocal8Bit());
    const QString socket = work.path() + "/run/dbx/pcb.sock";

    // (label, design file) for each design of the run.
    std::vector<std::pair<std::string, QString>> designs;
    if (!design.isEmpty()) designs.emplace_back(design.toStdString(), design);
    if (design.isEmpty() && sizes.empty()) sizes.push_back(20000);
    for (int size : sizes) {
        const QString file = work.path() + QString("/design-%1.json").arg(size);
        std::printf("generating %s\n", qPrintable(file));
        if (QProcess::execute(GENERATOR_PATH, {"--components", QString::number(size), file}) != 0) {
            std::fprintf(stderr, "cannot generate the design\n");
            return 1;
        }
        designs.emplace_back(std::to_string(size) + " components", file);
    }

    afxtest::Enable();
    AfxSetResourceTable(PartwiseResources());
    AfxWinInit(argc, argv);

    bool sameCounts = true;
    for (const auto& [label, file] : designs) {
        std::printf("\n== %s (%d runs each)\n", label.c_str(), runs);
        QProcess host;
        if (!StartHost(host, file, socket)) return 1;
        const std::vector<Figures> figures = TimeDialogs(runs);
        for (const Figures& f : figures) sameCounts = sameCounts && f.floorCountsMatch;
        PrintFigures(figures);
        std::printf("peak RSS: pcbhost %ld MiB; this process %ld MiB so far\n",
                    PeakKiB(QString("/proc/%1/status").arg(host.processId())) / 1024,
                    PeakKiB("/proc/self/status") / 1024);
        StopHost(host, socket);
    }
    std::printf("\nfloor walks counted as the dialogs did: %s\n", sameCounts ? "yes" : "NO");
    return sameCounts ? 0 : 1;
}
