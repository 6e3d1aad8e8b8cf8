// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileHead.h"

#include <cstddef>

namespace boards {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

}  // namespace

std::string_view SkipBomAndSpace(std::string_view head) {
    if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
    std::size_t i = 0;
    while (i < head.size() && IsSpace(head[i])) ++i;
    return head.substr(i);
}

std::string_view XmlRootName(std::string_view head) {
    for (;;) {
        head = SkipBomAndSpace(head);
        std::string_view close;
        if (head.substr(0, 2) == "<?")
            close = "?>";
        else if (head.substr(0, 4) == "<!--")
            close = "-->";
        else if (head.substr(0, 9) == "<!DOCTYPE")
            close = ">";  // an internal subset is not looked into: the root is then not found
        else
            break;
        const std::size_t end = head.find(close, 2);
        if (end == std::string_view::npos) return {};
        head.remove_prefix(end + close.size());
    }
    if (head.empty() || head[0] != '<') return {};
    std::size_t end = 1;
    while (end < head.size() && !IsSpace(head[end]) && head[end] != '>' && head[end] != '/') ++end;
    if (end == head.size()) return {};
    return head.substr(1, end - 1);
}

bool HasSuffix(std::string_view path, std::string_view suffix) {
    if (path.size() < suffix.size() + 1) return false;
    const std::string_view tail = path.substr(path.size() - suffix.size());
    if (path[path.size() - suffix.size() - 1] != '.') return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (Lower(tail[i]) != Lower(suffix[i])) return false;
    return true;
}

}  // namespace boards
