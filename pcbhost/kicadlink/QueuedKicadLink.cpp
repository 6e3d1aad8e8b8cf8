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
          OptionsFor(boardPath), [this](const std::string& line) { Post(line); },
          [this](std::shared_ptr<const Design> live) { Post(std::move(live)); }) {
    link_.Start();
}

void QueuedKicadLink::FreshenLiveBoard(std::chrono::milliseconds wait) {
    const auto end = std::chrono::steady_clock::now() + wait;
    if (!link_.FetchLiveBoard(wait)) return;
    std::unique_lock lock(mailboxMutex_);
    const uint64_t posted = boardsPosted_;
    delivered_.wait_until(lock, end, [&] { return stopped_ || boardsDelivered_ >= posted; });
}

void QueuedKicadLink::Stop() {
    link_.Stop();
    {
        std::lock_guard lock(mailboxMutex_);
        stopped_ = true;
    }
    delivered_.notify_all();
}

void QueuedKicadLink::Post(Mail mail) {
    {
        std::lock_guard lock(mailboxMutex_);
        if (std::holds_alternative<std::shared_ptr<const Design>>(mail)) ++boardsPosted_;
        mailbox_.push_back(std::move(mail));
    }
    QMetaObject::invokeMethod(
        &context_, [this] { DeliverMail(); }, Qt::QueuedConnection);
}

void QueuedKicadLink::DeliverMail() {
    for (;;) {
        Mail mail;
        {
            std::lock_guard lock(mailboxMutex_);
            if (mailbox_.empty()) return;
            mail = std::move(mailbox_.front());
            mailbox_.pop_front();
        }
        if (auto* line = std::get_if<std::string>(&mail)) {
            print_(std::move(*line));
            continue;
        }
        UseLiveBoard(std::get<std::shared_ptr<const Design>>(mail));
        {
            std::lock_guard lock(mailboxMutex_);
            ++boardsDelivered_;
        }
        delivered_.notify_all();
    }
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
