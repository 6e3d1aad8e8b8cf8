#include "DesignLoader.h"

#include <QFileInfo>

#include "JsonDesignReader.h"
#include "RegularFile.h"
#ifdef PCBHOST_HAVE_KICAD
#include "kicad/KicadBoardReader.h"
#endif

namespace pcbhost {
namespace {

bool ReadKicad(const std::string& path, Design& out, ReadError& error) {
#ifdef PCBHOST_HAVE_KICAD
    return ReadKicadBoard(path, out, error);
#else
    (void)out;
    error = {path, 0, "this pcbhost was built without the KiCad board reader"};
    return false;
#endif
}

struct Reader {
    const char* suffix;
    bool (*read)(const std::string& path, Design& out, ReadError& error);
};

constexpr Reader kReaders[] = {
    {"json", JsonDesignReader::ReadFile},
    {"kicad_pcb", ReadKicad},
};

}  // namespace

bool DesignLoader::Load(const std::string& path, Design& out, ReadError& error) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    const Reader* reader = nullptr;
    for (const Reader& r : kReaders)
        if (suffix == QLatin1String(r.suffix)) reader = &r;
    if (!reader) {
        error = {path, 0, "unknown design file type (expected .json or .kicad_pcb)"};
        return false;
    }
    // Only a regular file of bounded size is handed to a reader: a FIFO, a device or an endless
    // file would otherwise block or never end.
    RegularFile file;
    std::string reason;
    if (!file.Open(path, &reason)) {
        error = {path, 0, reason};
        return false;
    }
    return reader->read(path, out, error);
}

}  // namespace pcbhost
