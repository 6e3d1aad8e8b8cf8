// SPDX-License-Identifier: GPL-3.0-or-later
// kicadplugin_render_icon SVG SIZE OUT.png: the program's icon at SIZE x SIZE pixels, for the
// PARTWISE button in KiCad's toolbar and the Plugin and Content Manager.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: kicadplugin_render_icon SVG SIZE OUT.png\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    const int size = std::atoi(argv[2]);
    if (!svg.isValid() || size <= 0 || size > 1024) {
        std::fprintf(stderr, "kicadplugin_render_icon: cannot render %s at %s\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "kicadplugin_render_icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
