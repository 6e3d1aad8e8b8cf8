// SPDX-License-Identifier: GPL-3.0-or-later
// Icons from the resource table: SVGs rendered into a multi-size QIcon.
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <map>
#include <memory>

#include "AfxInternal.h"

struct AfxIconHandle {
    QIcon icon;
};

namespace {

std::map<UINT, std::unique_ptr<AfxIconHandle>>& IconCache() {
    static std::map<UINT, std::unique_ptr<AfxIconHandle>> cache;
    return cache;
}

QIcon RenderSvgIcon(const char* path) {
    QSvgRenderer renderer{QString::fromUtf8(path)};
    if (!renderer.isValid()) return QIcon();
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

HICON AfxLoadIconResource(UINT id) {
    auto& cache = IconCache();
    if (auto it = cache.find(id); it != cache.end()) return it->second.get();
    const AfxIconResource* resource = AfxFindIconResource(id);
    if (resource == nullptr || resource->qtResourcePath == nullptr) return nullptr;
    QIcon icon = RenderSvgIcon(resource->qtResourcePath);
    if (icon.isNull()) return nullptr;
    auto handle = std::make_unique<AfxIconHandle>();
    handle->icon = icon;
    HICON result = handle.get();
    cache.emplace(id, std::move(handle));
    return result;
}

QIcon AfxIconOf(HICON icon) {
    return icon != nullptr ? icon->icon : QIcon();
}
