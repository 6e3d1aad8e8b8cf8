// Times each finder operation from the button press to its closing message box, on a
// generated design served by a running pcbhost, with real widgets.
//
// Usage: finder_benchmark [--runs N] [DESIGN.json]
// Without a design, one of 20,000 components (200,000 pads, 200,000 attributes) is generated.
#include <sys/resource.h>
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
#include <vector>

#include "AfxTesting.h"
#include "AttributeFinderDialog.h"
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
    std::vector<double> ms;
    int repaints = 0;
    std::string counter;
    std::string closingMessage;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

long PeakKiB(const QString& statusFile) {
    QFile f(statusFile);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Presses the button `runs` times inside one showing of the dialog and records the figures.
void TimeOperation(CDialog& dialog, const char* name, int getButton, int valueList, int counterId,
                   bool whereUsed, int runs, std::vector<Figures>& out) {
    afxtest::OnNextModal([&](CDialog& d) {
        Figures f;
        f.operation = name;
        if (whereUsed) {
            afxtest::PressButton(d, getButton);
            afxtest::SelectListEntry(d, valueList, 0);
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
            afxtest::PressButton(d, whereUsed ? IDC_WHERE_USED : getButton);
            f.ms.push_back(timer.nsecsElapsed() / 1e6);
            f.closingMessage = afxtest::MessageBoxes().back().text;
        }
        if (counter) counter->removeEventFilter(&paints);
        f.repaints = paints.paints / runs;
        f.counter = afxtest::ControlText(d, counterId);
        out.push_back(f);
    });
    dialog.DoModal();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    int runs = 5;
    QString design;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            design = QString::fromLocal8Bit(argv[i]);
    }

    QTemporaryDir work;
    QDir(work.path()).mkdir("run");
    QFile::setPermissions(work.path() + "/run",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (work.path() + "/run").toLocal8Bit());
    if (design.isEmpty()) {
        design = work.path() + "/large.json";
        std::printf("generating %s\n", qPrintable(design));
        if (QProcess::execute(GENERATOR_PATH, {design}) != 0) {
            std::fprintf(stderr, "cannot generate the design\n");
            return 1;
        }
    }

    QProcess host;
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.start(PCBHOST_PATH, {"--headless", design});
    const QString socket = work.path() + "/run/dbx/pcb.sock";
    QElapsedTimer wait;
    wait.start();
    while (!QFile::exists(socket) && wait.elapsed() < 30000) QThread::msleep(20);
    if (!QFile::exists(socket)) {
        std::fprintf(stderr, "pcbhost did not start serving %s\n", qPrintable(design));
        return 1;
    }
    std::printf("pcbhost serving after %lld ms\n", static_cast<long long>(wait.elapsed()));

    afxtest::Enable();
    AfxSetResourceTable(PartwiseResources());
    AfxWinInit(argc, argv);

    std::vector<Figures> figures;
    {
        PadFinderDialog pad;
        TimeOperation(pad, "Get Pads", IDC_GET_PADS, IDC_PAD_STYLE_LIST, IDC_PAD_COUNT, false, runs,
                      figures);
        TimeOperation(pad, "Pad Where Used (Yes)", IDC_GET_PADS, IDC_PAD_STYLE_LIST,
                      IDC_COMPONENTS_SEARCHED, true, runs, figures);
        HoleFinderDialog hole;
        TimeOperation(hole, "Get Holes", IDC_GET_HOLES, IDC_HOLE_SIZE_LIST, IDC_HOLE_COUNT, false,
                      runs, figures);
        TimeOperation(hole, "Hole Where Used (Yes)", IDC_GET_HOLES, IDC_HOLE_SIZE_LIST,
                      IDC_COMPONENTS_SEARCHED, true, runs, figures);
        AttributeFinderDialog attribute;
        TimeOperation(attribute, "Get Attributes", IDC_GET_ATTRIBUTES, IDC_ATTRIBUTE_LIST,
                      IDC_ATTRIBUTE_COUNT, false, runs, figures);
        TimeOperation(attribute, "Attribute Where Used (Yes)", IDC_GET_ATTRIBUTES,
                      IDC_ATTRIBUTE_LIST, IDC_COMPONENTS_SEARCHED, true, runs, figures);
        TextFinderDialog text;
        TimeOperation(text, "Get Text!", IDC_GET_TEXT, IDC_TEXT_STYLE_LIST, IDC_TEXT_COUNT, false,
                      runs, figures);
        TimeOperation(text, "Text Where Used (Yes)", IDC_GET_TEXT, IDC_TEXT_STYLE_LIST,
                      IDC_COMPONENTS_SEARCHED, true, runs, figures);
    }

    std::printf("\n%-28s %10s %10s %10s %9s  %s\n", "operation", "median ms", "min ms", "max ms",
                "repaints", "counter at the end");
    bool allWithin = true;
    for (const Figures& f : figures) {
        const double median = Median(f.ms);
        allWithin = allWithin && median <= 1000;
        std::printf("%-28s %10.1f %10.1f %10.1f %9d  %s\n", f.operation.c_str(), median,
                    *std::min_element(f.ms.begin(), f.ms.end()),
                    *std::max_element(f.ms.begin(), f.ms.end()), f.repaints, f.counter.c_str());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("\npeak memory: partwise side %ld MiB, pcbhost %ld MiB (%d runs each)\n",
                usage.ru_maxrss / 1024,
                PeakKiB(QString("/proc/%1/status").arg(host.processId())) / 1024, runs);
    std::printf("all medians within 1 s: %s\n", allWithin ? "yes" : "NO");

    host.terminate();
    host.waitForFinished(5000);
    return 0;
}
