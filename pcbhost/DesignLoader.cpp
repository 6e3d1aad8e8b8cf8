#include "DesignLoader.h"

#include <QFileInfo>

#include "JsonDesignReader.h"
#ifdef PCBHOST_HAVE_KICAD
#include "kicad/KicadBoardReader.h"
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
    error = {path, 0, "unknown design file type (expected .json or .kicad_pcb)"};
    return false;
}

}  // namespace pcbhost
