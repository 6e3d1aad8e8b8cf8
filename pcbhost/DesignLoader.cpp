// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesignLoader.h"

#include <QFileInfo>

#include "JsonDesignReader.h"
#include "RegularFile.h"
#ifdef PCBHOST_HAVE_KICAD
#include "kicad/KicadBoardReader.h"
#endif
#ifdef PCBHOST_HAVE_IPC2581
#include "ipc2581/Ipc2581Reader.h"
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

bool ReadIpc2581(const std::string& path, Design& out, ReadError& error) {
#ifdef PCBHOST_HAVE_IPC2581
    return ReadIpc2581Board(path, out, error);
#else
    (void)out;
    error = {path, 0, "this pcbhost was built without the IPC-2581 reader"};
    return false;
#endif
}

// IPC-2581 is also known by its root element, whatever the file's extension.
bool StartsAsIpc2581(RegularFile& file) {
#ifdef PCBHOST_HAVE_IPC2581
    char head[4096];
    std::string reason;
    const long n = file.Read(head, sizeof head, &reason);
    return n > 0 && StartsIpc2581Document(std::string_view(head, std::size_t(n)));
#else
    (void)file;
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
    {"xml", ReadIpc2581},
    {"cvg", ReadIpc2581},
};
constexpr Reader kIpc2581ByContent = {"", ReadIpc2581};

}  // namespace

bool DesignLoader::Load(const std::string& path, Design& out, ReadError& error) {
    // Only a regular file of bounded size is handed to a reader: a FIFO, a device or an endless
    // file would otherwise block or never end.
    RegularFile file;
    std::string reason;
    if (!file.Open(path, &reason)) {
        error = {path, 0, reason};
        return false;
    }
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    const Reader* reader = nullptr;
    for (const Reader& r : kReaders)
        if (suffix == QLatin1String(r.suffix)) reader = &r;
    if (!reader && StartsAsIpc2581(file)) reader = &kIpc2581ByContent;
    if (!reader) {
        error = {path, 0, "unknown design file type (expected .json, .kicad_pcb, .xml or .cvg)"};
        return false;
    }
    return reader->read(path, out, error);
}

}  // namespace pcbhost
