#include "DesignLoader.h"

#include <QFileInfo>

#include "JsonDesignReader.h"
#ifdef PCBHOST_HAVE_KICAD
#include "kicad/KicadBoardReader.h"
#endif
#ifdef PCBHOST_HAVE_IPC2581
#include <QFile>

#include "ipc2581/Ipc2581Reader.h"
#endif

namespace pcbhost {

bool DesignLoader::Load(const std::string& path, Design& out, ReadError& error) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix == QLatin1String("json")) return JsonDesignReader::ReadFile(path, out, error);
    if (suffix == QLatin1String("kicad_pcb")) {
#ifdef PCBHOST_HAVE_KICAD
        return ReadKicadBoard(path, out, error);
#else
        error = {path, 0, "this pcbhost was built without the KiCad board reader"};
        return false;
#endif
    }
#ifdef PCBHOST_HAVE_IPC2581
    // IPC-2581 by extension, or by its root element whatever the extension.
    bool ipc2581 = suffix == QLatin1String("xml") || suffix == QLatin1String("cvg");
    if (!ipc2581) {
        QFile file(QString::fromStdString(path));
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray head = file.read(4096);
            ipc2581 = StartsIpc2581Document(std::string_view(head.constData(), head.size()));
        }
    }
    if (ipc2581) return ReadIpc2581Board(path, out, error);
#endif
    error = {path, 0, "unknown design file type (expected .json, .kicad_pcb, .xml or .cvg)"};
    return false;
}

}  // namespace pcbhost
