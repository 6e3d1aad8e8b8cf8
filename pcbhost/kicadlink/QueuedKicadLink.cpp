#include "QueuedKicadLink.h"

#include <QMetaObject>
#include <cstdio>

namespace pcbhost::kicadlink {

namespace {

KicadLink::Options OptionsFor(const std::string& boardPath) {
    KicadLink::Options options;
    options.boardPath = boardPath;
    return options;
}

}  // namespace

QueuedKicadLink::QueuedKicadLink(const std::string& boardPath, DesignServer& server,
                                 ShowDesign show)
    : server_(server),
      show_(std::move(show)),
      link_(
          OptionsFor(boardPath),
          [this](const std::string& line) {
              QMetaObject::invokeMethod(
                  &context_, [line] { std::printf("%s\n", line.c_str()); }, Qt::QueuedConnection);
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
        std::printf("kicad: live board: %s (still serving the last good design)\n",
                    tooLarge.c_str());
        return;
    }
    if (show_) show_(live);
    std::printf("live board from KiCad (%zu components)\n", live->components.size());
}

}  // namespace pcbhost::kicadlink
