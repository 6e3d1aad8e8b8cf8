// SPDX-License-Identifier: GPL-3.0-or-later
#include "QueuedKicadLink.h"

#include <QMetaObject>

namespace pcbhost::kicadlink {

namespace {

KicadLink::Options OptionsFor(const std::string& boardPath) {
    KicadLink::Options options;
    options.boardPath = boardPath;
    return options;
}

}  // namespace

QueuedKicadLink::QueuedKicadLink(const std::string& boardPath, DesignServer& server,
                                 PrintLine print, ShowDesign show)
    : server_(server),
      print_(std::move(print)),
      show_(std::move(show)),
      link_(
          OptionsFor(boardPath),
          [this](const std::string& line) {
              QMetaObject::invokeMethod(
                  &context_, [this, line] { print_(line); }, Qt::QueuedConnection);
          },
          [this](std::shared_ptr<const Design> live) {
              QMetaObject::invokeMethod(
                  &context_, [this, live] { UseLiveBoard(live); }, Qt::QueuedConnection);
          }) {
    link_.Start();
}

void QueuedKicadLink::UseLiveBoard(const std::shared_ptr<const Design>& live) {
    std::string tooLarge;
    if (!server_.SetDesign(live, &tooLarge)) {
        print_("kicad: live board: " + tooLarge + " (still serving the last good design)");
        return;
    }
    if (show_) show_(live);
    print_("live board from KiCad (" + std::to_string(live->components.size()) + " components)");
}

}  // namespace pcbhost::kicadlink
